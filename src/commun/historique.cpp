#include "commun/historique.h"
#include "commun/schema.h"

#include <QJsonDocument>
#include <QLocale>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>

namespace historique {

namespace {

QString &nomDuPoste()
{
    static QString nom = QSysInfo::machineHostName();
    return nom;
}

const char *texteAction(Action action)
{
    switch (action) {
    case Action::Ajout:
        return "ajout";
    case Action::Modification:
        return "modification";
    default:
        return "suppression";
    }
}

} // namespace

QString enNombre(qint64 n)
{
    QString texte = QLocale(QLocale::French).toString(n);
    return texte.replace(QChar(0x202F), QLatin1Char(' ')).replace(QChar(0xA0), QLatin1Char(' '));
}

QString valeursJson(const QString &table, const QString &prefixe)
{
    QStringList paires;
    for (const QString &colonne : schema::colonnes(table))
        paires << QStringLiteral("'%1', %2%1").arg(colonne, prefixe);
    return QStringLiteral("JSON_OBJECT(") + paires.join(QStringLiteral(", ")) + QLatin1Char(')');
}

QString nomLigne(const QString &table, bool pluriel)
{
    static const QHash<QString, QStringList> noms = {
        { QStringLiteral("compte"), { QStringLiteral("Écriture"), QStringLiteral("écritures") } },
        { QStringLiteral("commandes"),
          { QStringLiteral("Commande"), QStringLiteral("commandes") } },
        { QStringLiteral("clients"), { QStringLiteral("Client"), QStringLiteral("clients") } },
        { QStringLiteral("employes"), { QStringLiteral("Personne"), QStringLiteral("personnes") } },
        { QStringLiteral("absence"), { QStringLiteral("Absence"), QStringLiteral("absences") } },
    };
    const QStringList nom = noms.value(table, { table, table });
    return nom.at(pluriel ? 1 : 0);
}

QString accord(const QString &table)
{
    return table == QLatin1String("clients") ? QString() : QStringLiteral("e");
}

namespace {

// A value as the sentence shows it: cut when long.
QString court(const QJsonValue &valeur)
{
    const QString texte =
        valeur.isNull() ? QStringLiteral("(vide)") : valeur.toVariant().toString();
    return texte.size() > 30 ? texte.left(29) + QStringLiteral("…") : texte;
}

// The client library's codes for a connection lost while it waited for the
// server's answer.
bool connexionPerdue(const QString &code)
{
    return code == QLatin1String("2006") || code == QLatin1String("2013");
}

const QString rienEnregistre =
    QStringLiteral("La connexion au serveur a été perdue pendant l'enregistrement : le journal "
                   "montre que rien n'a été enregistré.");
const QString inconnu = QStringLiteral(
    "La connexion au serveur a été perdue pendant l'enregistrement, et le serveur ne répond "
    "plus : on ne peut pas encore savoir si la modification a été enregistrée. Quand il "
    "répondra, regardez la page « Historique » avant de la refaire.");

// Whether the operation is in the journal, asked on a connection of its own
// (the one that lost the answer is gone). A commit still under way holds the
// operation's row: the read waits for it to end. -1 when the server cannot
// be asked.
int retrouver(const QSqlDatabase &db, qint64 numero)
{
    const QString nom = QStringLiteral("tabloran-verification-%1").arg(numero);
    int trouve = -1;
    {
        QSqlDatabase autre = QSqlDatabase::cloneDatabase(db, nom);
        if (autre.open()) {
            QSqlQuery q(autre);
            executer(q, QStringLiteral("SET SESSION innodb_lock_wait_timeout = 10"));
            q.prepare(QStringLiteral("SELECT COUNT(*) FROM operations WHERE numero = ? LOCK IN "
                                     "SHARE MODE"));
            q.addBindValue(numero);
            if (executer(q) && q.next())
                trouve = q.value(0).toInt() > 0 ? 1 : 0;
        }
        autre.close();
    }
    QSqlDatabase::removeDatabase(nom);
    return trouve;
}

} // namespace

QString poste()
{
    return nomDuPoste();
}

void nommerPoste(const QString &nom)
{
    nomDuPoste() = nom;
}

QString registreDe(const QString &table)
{
    if (table == QLatin1String("commandes") || table == QLatin1String("clients"))
        return QStringLiteral("commandes");
    if (table == QLatin1String("employes") || table == QLatin1String("absence"))
        return QStringLiteral("employes");
    if (table == QLatin1String("compte"))
        return QStringLiteral("compte");
    return QStringLiteral("base");
}

QString nomRegistre(const QString &registre)
{
    if (registre == QLatin1String("compte"))
        return QStringLiteral("Comptes");
    if (registre == QLatin1String("commandes"))
        return QStringLiteral("Commandes");
    if (registre == QLatin1String("employes"))
        return QStringLiteral("Personnel");
    return QStringLiteral("Base entière");
}

QStringList registres()
{
    return { QStringLiteral("compte"), QStringLiteral("commandes"), QStringLiteral("employes"),
             QStringLiteral("base") };
}

Operation::Operation(const QSqlDatabase &db, const QString &registre)
    : db(db)
    , registre(registre)
    // Unique across workstations without asking the server; kept within
    // a signed 64-bit number, as the driver binds it.
    , n(qint64(QRandomGenerator::system()->generate64() >> 1))
{
}

Issue Operation::avant(const QString &table, Action action, const QString &condition,
                       const QVariantList &valeurs, int *lignes)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO historique (operation, quand, poste, utilisateur, "
                             "table_nom, cle, action, avant, apres) SELECT ?, NOW(3), ?, "
                             "CURRENT_USER(), ?, %1.id, ?, %2, NULL FROM %1 WHERE ")
                  .arg(table, valeursJson(table, table + QLatin1Char('.')))
              + condition);
    q.addBindValue(n);
    q.addBindValue(poste());
    q.addBindValue(table);
    q.addBindValue(QLatin1String(texteAction(action)));
    for (const QVariant &valeur : valeurs)
        q.addBindValue(valeur);
    if (!executer(q))
        return Issue::erreur(q);
    if (lignes)
        *lignes = q.numRowsAffected();
    return Issue::ecrit();
}

Issue Operation::ajout(const QString &table, const QVariant &id)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO historique (operation, quand, poste, utilisateur, "
                             "table_nom, cle, action, avant, apres) SELECT ?, NOW(3), ?, "
                             "CURRENT_USER(), ?, id, 'ajout', NULL, %2 FROM %1 WHERE id = ?")
                  .arg(table, valeursJson(table, QString())));
    q.addBindValue(n);
    q.addBindValue(poste());
    q.addBindValue(table);
    q.addBindValue(id);
    return executer(q) ? Issue::ecrit() : Issue::erreur(q);
}

Issue Operation::ajouts(const QString &table, const QVariantList &ids)
{
    // A thousand rows a statement: keys listed, as a cluster may number
    // rows added together with gaps that other workstations fill.
    for (qsizetype debut = 0; debut < ids.size(); debut += 1000) {
        const QVariantList lot = ids.mid(debut, 1000);
        QStringList marques;
        marques.fill(QStringLiteral("?"), lot.size());
        QSqlQuery q(db);
        q.prepare(QStringLiteral("INSERT INTO historique (operation, quand, poste, utilisateur, "
                                 "table_nom, cle, action, avant, apres) SELECT ?, NOW(3), ?, "
                                 "CURRENT_USER(), ?, id, 'ajout', NULL, %2 FROM %1 WHERE id IN "
                                 "(%3) ORDER BY id")
                      .arg(table, valeursJson(table, QString()), marques.join(QLatin1Char(','))));
        q.addBindValue(n);
        q.addBindValue(poste());
        q.addBindValue(table);
        for (const QVariant &id : lot)
            q.addBindValue(id);
        if (!executer(q))
            return Issue::erreur(q);
    }
    return Issue::ecrit();
}

Issue Operation::apres(const QString &table)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("UPDATE historique h LEFT JOIN %1 t ON t.id = h.cle SET h.apres = "
                             "IF(t.id IS NULL, NULL, %2), h.action = IF(t.id IS NULL, "
                             "'suppression', 'modification') WHERE h.operation = ? AND "
                             "h.table_nom = ?")
                  .arg(table, valeursJson(table, QStringLiteral("t."))));
    q.addBindValue(n);
    q.addBindValue(table);
    return executer(q) ? Issue::ecrit() : Issue::erreur(q);
}

Issue Operation::commencer()
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO operations (numero, quand, poste, utilisateur, "
                             "registre, genre, resume) VALUES (?, NOW(3), ?, CURRENT_USER(), ?, "
                             "'en cours', '')"));
    q.addBindValue(n);
    q.addBindValue(poste());
    q.addBindValue(registre);
    commencee = executer(q);
    return commencee ? Issue::ecrit() : Issue::erreur(q);
}

Issue Operation::clore(const QString &genre, const QString &resume, const QVariant &annulee,
                       const QString &fichier)
{
    QSqlQuery q(db);
    q.prepare(commencee
                  ? QStringLiteral("UPDATE operations SET quand = NOW(3), genre = ?, resume = ?, "
                                   "annulee = ?, fichier = ? WHERE numero = ?")
                  : QStringLiteral("INSERT INTO operations (genre, resume, annulee, fichier, "
                                   "numero, quand, poste, utilisateur, registre) VALUES (?, ?, ?, "
                                   "?, ?, NOW(3), ?, CURRENT_USER(), ?)"));
    q.addBindValue(genre);
    q.addBindValue(resume);
    // An invalid value is bound as NULL.
    q.addBindValue(annulee);
    q.addBindValue(fichier.isEmpty() ? QVariant() : QVariant(fichier));
    q.addBindValue(n);
    if (!commencee) {
        q.addBindValue(poste());
        q.addBindValue(registre);
    }
    if (!executer(q))
        return Issue::erreur(q);
    // The row written first is gone: the server ended the transaction on its
    // own, and nothing of this attempt will be written.
    if (commencee && q.numRowsAffected() != 1)
        return Issue::erreur(QStringLiteral("Un autre poste a modifié les mêmes données au même "
                                            "moment"),
                             QStringLiteral("1213"));
    return Issue::ecrit();
}

Issue Operation::valider(Transaction &transaction, const Issue &issue) const
{
    if (transaction.valider())
        return issue;
    if (!connexionPerdue(transaction.code()))
        return transaction.issue();
    // The connection that lost the answer is dead: closed, nothing more is
    // read on it (a read that fails would tell a failure over a success), and
    // the next command connects again.
    QSqlDatabase(db).close();
    switch (retrouver(db, n)) {
    case 1:
        qWarning("La réponse du serveur à l'enregistrement a été perdue ; le journal montre "
                 "qu'il a été fait");
        return issue;
    case 0:
        return Issue::erreur(rienEnregistre, transaction.code());
    default:
        return Issue::erreur(inconnu, transaction.code());
    }
}

Issue Operation::ligne(const QString &table, bool apres, QJsonObject *ligne) const
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT avant, apres FROM historique WHERE operation = ? AND "
                             "table_nom = ? ORDER BY id LIMIT 1"));
    q.addBindValue(n);
    q.addBindValue(table);
    if (!executer(q))
        return Issue::erreur(q);
    *ligne = q.next() ? QJsonDocument::fromJson(q.value(apres ? 1 : 0).toString().toUtf8()).object()
                      : QJsonObject();
    return Issue::ecrit();
}

Issue Operation::modifications(const QString &table, QString *resume) const
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT cle, avant, apres FROM historique WHERE operation = ? AND "
                             "table_nom = ? ORDER BY cle"));
    q.addBindValue(n);
    q.addBindValue(table);
    if (!executer(q))
        return Issue::erreur(q);
    QStringList numeros;
    QStringList changements;
    while (q.next()) {
        numeros << QStringLiteral("n°") + q.value(0).toString();
        const QJsonObject avant = QJsonDocument::fromJson(q.value(1).toString().toUtf8()).object();
        const QJsonObject apres = QJsonDocument::fromJson(q.value(2).toString().toUtf8()).object();
        changements.clear();
        for (auto c = apres.constBegin(); c != apres.constEnd(); ++c) {
            if (avant.value(c.key()) != c.value())
                changements << QStringLiteral("%1 %2 → %3")
                                   .arg(c.key(), court(avant.value(c.key())), court(c.value()));
        }
    }
    if (numeros.size() == 1) {
        *resume = QStringLiteral("%1 %2 modifié%3 : %4")
                      .arg(nomLigne(table), numeros.first(), accord(table),
                           changements.join(QStringLiteral(", ")));
        return Issue::ecrit();
    }
    const int total = int(numeros.size());
    if (numeros.size() > 5)
        numeros = numeros.mid(0, 5) << QStringLiteral("…");
    *resume = QStringLiteral("%1 %2 modifié%3s (%4)")
                  .arg(total)
                  .arg(nomLigne(table, true), accord(table), numeros.join(QStringLiteral(", ")));
    return Issue::ecrit();
}

bool incertain(const Issue &issue)
{
    return issue == Issue::Erreur && issue.raison == inconnu;
}

Issue ecrire(const QSqlDatabase &db, Changement changement, const QString &registre,
             const std::function<Issue(Operation &)> &corps)
{
    Operation operation(db, registre);
    return ::ecrire(changement, [&] {
        Transaction transaction(db);
        if (!transaction.ouverte())
            return transaction.issue();
        const Issue debut = operation.commencer();
        if (!debut.ok())
            return debut;
        const Issue issue = corps(operation);
        if (!issue.ok())
            return issue;
        return operation.valider(transaction, issue);
    });
}

} // namespace historique
