#include "app/base.h"

#include <QMessageBox>
#include <QSqlError>

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

// The server's code for the first refusal since the attempt of a write began.
QString codePremierRefus;
Conflits compteurs;

void noter(const QString &quoi, const QSqlError &erreur)
{
    if (erreur.nativeErrorCode() == tableInconnue)
        tableManquante = true;
    if (codePremierRefus.isEmpty())
        codePremierRefus =
            erreur.nativeErrorCode().isEmpty() ? QStringLiteral("?") : erreur.nativeErrorCode();
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

void lectureRefusee(QWidget *parent, const QString &message)
{
    QMessageBox::warning(parent, QStringLiteral("Erreur de la base de donnée"),
                         QStringLiteral("La base de donnée a refusé la demande :\n") + message);
}

bool lire(QSqlQuery &requete, QWidget *parent)
{
    if (executer(requete))
        return true;
    lectureRefusee(parent, raisonRefus(requete, QString()));
    return false;
}

bool lire(QSqlQuery &requete, const QString &instruction, QWidget *parent)
{
    if (executer(requete, instruction))
        return true;
    lectureRefusee(parent, raisonRefus(requete, QString()));
    return false;
}

bool tableDisparue()
{
    const bool disparue = tableManquante;
    tableManquante = false;
    return disparue;
}

Transaction::Transaction(const QSqlDatabase &connexion)
    : db(connexion)
{
    active = db.transaction();
    if (!active) {
        message = raisonDe(db.lastError(), QString());
        codeServeur = db.lastError().nativeErrorCode();
        noter(QStringLiteral("START TRANSACTION"), db.lastError());
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
}

bool conflitEntrePostes(const QString &codeServeur)
{
    // 1213: deadlock, or a certification conflict on a cluster; 1205: lock wait timeout.
    return codeServeur == QLatin1String("1213") || codeServeur == QLatin1String("1205");
}

bool aRejouer(Ecriture ecriture, const QString &codeServeur, int essais)
{
    return ecriture != Ecriture::Grille && essais == 1 && conflitEntrePostes(codeServeur);
}

Issue ecrire(Ecriture ecriture, const std::function<bool()> &essai)
{
    for (int essais = 1;; ++essais) {
        codePremierRefus.clear();
        if (essai())
            return Issue::Ecrit;
        const QString code = codePremierRefus;
        if (!aRejouer(ecriture, code, essais))
            return conflitEntrePostes(code) ? Issue::Conflit : Issue::Refuse;
        ++compteurs.rejoues;
        qWarning("Un autre poste a modifié les mêmes données au même moment : nouvel essai");
    }
}

void conflitSignale(QWidget *parent, const QString &texte)
{
    ++compteurs.signales;
    QMessageBox::warning(parent, QStringLiteral("Conflit avec un autre poste"),
                         texte.isEmpty()
                             ? QStringLiteral("Un autre poste a modifié les mêmes données au même "
                                              "moment.\nRien n'a été enregistré.")
                             : texte);
}

Conflits conflits()
{
    return compteurs;
}
