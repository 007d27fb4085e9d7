#include "commun/base.h"

#include <QSqlError>
#include <QSqlRecord>

namespace {

// MariaDB's code for "Table ... doesn't exist".
const QLatin1String tableInconnue("1146");
bool tableManquante = false;

// The client's codes for a connection lost or timed out while it waited for
// the server's answer.
const QLatin1String serveurParti("2006");
const QLatin1String serveurMuet("2013");
// The server's codes for an auto-increment key that has no number left: the
// next number is out of the key's range, or (outside strict mode) the last
// one again.
bool tablePleine(const QSqlError &erreur)
{
    const QString code = erreur.nativeErrorCode();
    const QString texte = erreur.databaseText();
    return code == QLatin1String("1167") || code == QLatin1String("167")
        || (code == QLatin1String("1264") && texte.contains(QLatin1String("column 'id'")))
        || (code == QLatin1String("1062") && texte.contains(QLatin1String("PRIMARY")));
}

QString raisonDe(const QSqlError &erreur, const QString &table)
{
    const QString code = erreur.nativeErrorCode();
    if (code == serveurParti || code == serveurMuet) {
        return QStringLiteral("Le serveur de la base de donnée ne répond pas");
    }
    if (!table.isEmpty() && tablePleine(erreur)) {
        return QStringLiteral("La table %1 est pleine (65 535 entrées) : videz-la ou supprimez "
                              "des entrées")
            .arg(table);
    }
    return erreur.text();
}

Conflits compteurs;

void noter(const QString &quoi, const QSqlError &erreur)
{
    if (erreur.nativeErrorCode() == tableInconnue)
        tableManquante = true;
    qWarning("La base de donnée a refusé «%s» : %s (%s)", qPrintable(quoi.simplified().left(200)),
             qPrintable(erreur.text()), qPrintable(erreur.nativeErrorCode()));
}

} // namespace

bool executer(QSqlQuery &requete)
{
    if (requete.exec())
        return true;
    noter(requete.lastQuery(), requete.lastError());
    return false;
}

bool executer(QSqlQuery &requete, const QString &instruction)
{
    if (requete.exec(instruction))
        return true;
    noter(instruction, requete.lastError());
    return false;
}

QString messageServeur(const QSqlQuery &requete)
{
    return requete.lastError().text();
}

QString raisonRefus(const QSqlQuery &requete, const QString &table)
{
    return raisonDe(requete.lastError(), table);
}

bool tableDisparue()
{
    const bool disparue = tableManquante;
    tableManquante = false;
    return disparue;
}

// Without autocommit while a transaction is open: should the server end it
// on its own (a cluster node rolls back a transaction another node's change
// beat, and does not always say so at once), the statements that follow are
// not written one by one, but wait for a commit that does not come.
static void autocommit(const QSqlDatabase &db, bool oui)
{
    QSqlQuery q(db);
    executer(q, oui ? QStringLiteral("SET autocommit = 1") : QStringLiteral("SET autocommit = 0"));
}

Transaction::Transaction(const QSqlDatabase &connexion)
    : db(connexion)
{
    QSqlQuery q(db);
    if (!executer(q, QStringLiteral("SET autocommit = 0"))) {
        message = raisonDe(q.lastError(), QString());
        codeServeur = q.lastError().nativeErrorCode();
        return;
    }
    active = db.transaction();
    if (!active) {
        message = raisonDe(db.lastError(), QString());
        codeServeur = db.lastError().nativeErrorCode();
        noter(QStringLiteral("START TRANSACTION"), db.lastError());
        autocommit(db, true);
    }
}

Transaction::~Transaction()
{
    annuler();
}

bool Transaction::valider()
{
    if (!active)
        return false;
    if (db.commit()) {
        active = false;
        autocommit(db, true);
        return true;
    }
    message = raisonDe(db.lastError(), QString());
    codeServeur = db.lastError().nativeErrorCode();
    noter(QStringLiteral("COMMIT"), db.lastError());
    annuler();
    return false;
}

void Transaction::annuler()
{
    if (!active)
        return;
    active = false;
    // A rollback the server refuses leaves nothing to undo on our side: the
    // connection has lost the transaction, and the server drops it itself.
    if (!db.rollback())
        noter(QStringLiteral("ROLLBACK"), db.lastError());
    autocommit(db, true);
}

bool conflitEntrePostes(const QString &codeServeur)
{
    // 1213: deadlock, or a certification conflict on a cluster; 1205: lock wait timeout.
    return codeServeur == QLatin1String("1213") || codeServeur == QLatin1String("1205");
}

bool aRejouer(Changement changement, const QString &codeServeur, int essais)
{
    return changement != Changement::Grille && essais == 1 && conflitEntrePostes(codeServeur);
}

Issue ecrire(Changement changement, const std::function<Issue()> &essai)
{
    for (int essais = 1;; ++essais) {
        const Issue issue = essai();
        if (issue.genre != Issue::Erreur)
            return issue;
        if (!aRejouer(changement, issue.code, essais))
            return conflitEntrePostes(issue.code) ? Issue::conflit() : issue;
        ++compteurs.rejoues;
        qWarning("Un autre poste a modifié les mêmes données au même moment : nouvel essai");
    }
}

Issue ecrireEnTransaction(const QSqlDatabase &db, Changement changement,
                          const std::function<Issue()> &corps)
{
    return ecrire(changement, [&] {
        Transaction transaction(db);
        if (!transaction.ouverte())
            return transaction.issue();
        const Issue issue = corps();
        if (!issue.ok())
            return issue;
        return transaction.valider() ? issue : transaction.issue();
    });
}

void conflitCompte()
{
    ++compteurs.signales;
}

Conflits conflits()
{
    return compteurs;
}

Issue Issue::ecrit(const QVariant &id)
{
    Issue issue;
    issue.id = id;
    return issue;
}

Issue Issue::refus(const QString &champ, const QString &raison)
{
    Issue issue;
    issue.genre = Refuse;
    issue.champ = champ;
    issue.raison = raison;
    return issue;
}

Issue Issue::conflit(const QString &raison)
{
    Issue issue;
    issue.genre = Conflit;
    issue.raison = raison;
    return issue;
}

Issue Issue::dejaSupprime()
{
    Issue issue;
    issue.genre = DejaSupprime;
    return issue;
}

Issue Issue::erreur(const QString &raison, const QString &code)
{
    Issue issue;
    issue.genre = Erreur;
    issue.raison = raison;
    // An unknown failure still counts as a failure of the server.
    issue.code = code.isEmpty() ? QStringLiteral("?") : code;
    return issue;
}

Issue Issue::erreur(const QSqlQuery &requete, const QString &table)
{
    return erreur(raisonRefus(requete, table), requete.lastError().nativeErrorCode());
}

Colonnes::Colonnes(const QSqlQuery &q)
    : requete(&q)
{
    const QSqlRecord champs = q.record();
    for (int i = 0; i < champs.count(); ++i)
        index.insert(champs.fieldName(i), i);
}

QVariant Colonnes::operator()(const QString &colonne) const
{
    const auto trouve = index.constFind(colonne);
    Q_ASSERT_X(trouve != index.constEnd(), "Colonnes", qPrintable(colonne));
    return trouve == index.constEnd() ? QVariant() : requete->value(*trouve);
}
