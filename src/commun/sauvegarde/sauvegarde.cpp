#include "commun/sauvegarde/sauvegarde.h"
#include "commun/base.h"
#include "commun/historique.h"
#include "commun/progression.h"
#include "commun/sauvegarde/outils.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSaveFile>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>

#include <algorithm>

namespace sauvegarde {

QString texteRangs(const Rangs &rangs)
{
    const QLocale francais(QLocale::French);
    QStringList lignes;
    for (const auto &[table, nombre] : rangs) {
        lignes << QStringLiteral("%1 : %2 %3")
                      .arg(table, francais.toString(nombre),
                           nombre > 1 ? QStringLiteral("lignes") : QStringLiteral("ligne"));
    }
    return lignes.join(QLatin1Char('\n'));
}

namespace {

Rangs compter(const QSqlDatabase &db, const QStringList &tables)
{
    Rangs rangs;
    QSqlQuery requete(db);
    for (const QString &table : tables) {
        // The names are the program's own tables, never typed text.
        const bool lu = ::executer(requete, QStringLiteral("SELECT COUNT(*) FROM `%1`").arg(table))
            && requete.next();
        rangs << qMakePair(table, lu ? requete.value(0).toLongLong() : qint64(-1));
    }
    return rangs;
}

// Why the tables do not hold the rows expected; nothing when they do.
QString ecart(const QSqlDatabase &db, const Rangs &attendus)
{
    QStringList tables;
    for (const auto &paire : attendus)
        tables << paire.first;
    const Rangs stockes = compter(db, tables);
    for (qsizetype i = 0; i < attendus.size(); ++i) {
        const qint64 nombre = stockes.at(i).second;
        if (nombre < 0)
            return QStringLiteral("la table %1 ne peut pas être lue").arg(tables.at(i));
        if (nombre != attendus.at(i).second) {
            return QStringLiteral("la table %1 contient %2 au lieu des %3 lignes du fichier")
                .arg(tables.at(i), texteRangs({ stockes.at(i) }).section(QStringLiteral(" : "), 1))
                .arg(attendus.at(i).second);
        }
    }
    return {};
}

// What the server said of its refusal, in its own words.
QString refusServeur(const QSqlQuery &requete)
{
    const QString texte = requete.lastError().databaseText();
    return texte.isEmpty() ? messageServeur(requete) : texte;
}

// The session a restoration runs in, whatever the file says: strings read as
// the examination read them (utf8mb4, backslashes escape, double quotes
// delimit strings), every value stored as written or refused, a key 0 kept.
const QStringList sessionRestauration = {
    QStringLiteral("SET NAMES utf8mb4"),
    QStringLiteral("SET SESSION sql_mode = 'NO_AUTO_VALUE_ON_ZERO,STRICT_ALL_TABLES,"
                   "NO_ZERO_IN_DATE,NO_ZERO_DATE,ERROR_FOR_DIVISION_BY_ZERO,"
                   "NO_ENGINE_SUBSTITUTION'"),
    QStringLiteral("SET SESSION autocommit = 1"),
};

// The statements that make one of the program's tables again, empty, as the
// program creates it (on InnoDB), with its next key (digits) if one is given.
QStringList refaire(const QString &table, const QByteArray &cle)
{
    QStringList instructions { QStringLiteral("DROP TABLE IF EXISTS `%1`").arg(table) };
    for (QString creation : schema::creation({ table })) {
        while (creation.endsWith(QLatin1Char(';')))
            creation.chop(1);
        if (creation.startsWith(QLatin1String("CREATE TABLE")) && !cle.isEmpty())
            creation += QStringLiteral(" AUTO_INCREMENT=") + QLatin1String(cle);
        instructions << creation;
    }
    return instructions;
}

} // namespace

QStringList tablesPresentes(const QSqlDatabase &db, const QStringList &tables, QString *erreur)
{
    QSqlQuery requete(db);
    QStringList trouvees;
    if (!::executer(requete,
                    QStringLiteral("SELECT table_name FROM information_schema.tables WHERE "
                                   "table_schema = DATABASE()"))) {
        if (erreur)
            *erreur = messageServeur(requete);
        return trouvees;
    }
    QSet<QString> presentes;
    while (requete.next())
        presentes << requete.value(0).toString();
    for (const QString &table : tablesRegistres()) {
        if (tables.contains(table) && presentes.contains(table))
            trouvees << table;
    }
    return trouvees;
}

Resultat sauvegarder(const QSqlDatabase &db, const QStringList &tables, const QString &chemin,
                     Progression *progression)
{
    Resultat bilan;
    bilan.fichier = chemin;
    if (tables.isEmpty()) {
        bilan.message = QStringLiteral("il n'y a aucune table à sauvegarder");
        return bilan;
    }
    QSaveFile fichier(chemin);
    if (!fichier.open(QIODevice::WriteOnly)) {
        bilan.message =
            QStringLiteral("le fichier ne peut pas être écrit (%1)").arg(fichier.errorString());
        return bilan;
    }
    LecteurDump lecteur;
    qint64 ecrits = 0;
    const Execution execution = lancerOutil(
        { QStringLiteral("mariadb-dump"), QStringLiteral("mysqldump") }, db,
        QStringList { QStringLiteral("--single-transaction"), QStringLiteral("--skip-triggers"),
                      QStringLiteral("--"), db.databaseName() }
            + tables,
        progression, [&](const QByteArray &morceau) {
            if (fichier.write(morceau) != morceau.size()) {
                return QStringLiteral("le fichier ne peut pas être écrit (%1)")
                    .arg(fichier.errorString());
            }
            lecteur.lire(morceau);
            ecrits += morceau.size();
            if (progression)
                progression->suivre(ecrits, 0);
            return QString();
        });
    if (!execution.reussi) {
        // The temporary file goes; a file already under that name stays as it was.
        fichier.cancelWriting();
        bilan.issue = execution.annule ? Resultat::Annule : Resultat::Echoue;
        bilan.message = execution.message;
        return bilan;
    }
    const Examen examen = lecteur.fin();
    if (!examen.refus.isEmpty()) {
        fichier.cancelWriting();
        bilan.message =
            QStringLiteral("le fichier obtenu ne pourrait pas être restauré : ") + examen.refus;
        return bilan;
    }
    if (!fichier.commit()) {
        bilan.message =
            QStringLiteral("le fichier ne peut pas être écrit (%1)").arg(fichier.errorString());
        return bilan;
    }
    bilan.issue = Resultat::Reussi;
    bilan.rangs = examen.rangs;
    bilan.instructions = examen.instructions;
    return bilan;
}

QString charger(const QSqlDatabase &db, const QList<Instruction> &instructions,
                Progression *progression)
{
    QSqlQuery requete(db);
    // The session's mode goes back as it was once done.
    if (!::executer(requete, QStringLiteral("SELECT @@SESSION.sql_mode")) || !requete.next())
        return refusServeur(requete);
    const QString mode = requete.value(0).toString();
    QString erreur;
    for (const QString &reglage : sessionRestauration) {
        if (erreur.isEmpty() && !::executer(requete, reglage))
            erreur = refusServeur(requete);
    }
    qint64 total = 0, fait = 0;
    for (const Instruction &instruction : instructions)
        total += instruction.texte.size() + 1;
    for (const Instruction &instruction : instructions) {
        const QStringList textes = instruction.sorte == Instruction::Creation
            ? refaire(instruction.table, instruction.texte)
            : QStringList { QString::fromUtf8(instruction.texte) };
        for (const QString &texte : textes) {
            if (erreur.isEmpty() && !::executer(requete, texte))
                erreur = refusServeur(requete);
        }
        if (!erreur.isEmpty())
            break;
        fait += instruction.texte.size() + 1;
        if (progression)
            progression->suivre(fait, total);
    }
    requete.prepare(QStringLiteral("SET SESSION sql_mode = ?"));
    requete.addBindValue(mode);
    if (!::executer(requete) && erreur.isEmpty())
        erreur = refusServeur(requete);
    return erreur;
}

QString dossierAutomatique()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
        + QStringLiteral("/sauvegardes");
}

Resultat sauvegardeAutomatique(const QSqlDatabase &db, const QString &motif,
                               const QStringList &tables, Progression *progression,
                               const QString &epargne)
{
    const QString dossier = dossierAutomatique();
    if (!QDir().mkpath(dossier) || !QFileInfo(dossier).isDir()) {
        Resultat bilan;
        bilan.message = QStringLiteral("le dossier %1 ne peut pas être créé").arg(dossier);
        return bilan;
    }
    const QString nom =
        QStringLiteral("%1/%2-%3-%4")
            .arg(dossier, motif, tables.join(QLatin1Char('-')),
                 QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss")));
    // Two backups in the same second keep both.
    QString chemin = nom + QStringLiteral(".sql");
    for (int n = 2; QFileInfo::exists(chemin); ++n)
        chemin = nom + QStringLiteral("-%1.sql").arg(n);
    const Resultat bilan = sauvegarder(db, tables, chemin, progression);
    if (bilan.reussi())
        elaguer(dossier, sauvegardesGardees, epargne);
    return bilan;
}

void elaguer(const QString &dossier, int garder, const QString &epargne)
{
    QFileInfoList fichiers =
        QDir(dossier).entryInfoList({ QStringLiteral("avant-*.sql") }, QDir::Files);
    std::sort(fichiers.begin(), fichiers.end(), [](const QFileInfo &a, const QFileInfo &b) {
        const QDateTime da = a.lastModified(), dbis = b.lastModified();
        return da != dbis ? da > dbis : a.fileName() > b.fileName();
    });
    const QString garde = QFileInfo(epargne).canonicalFilePath();
    // Each motif its own newest files: restorations push out no backup
    // written before emptying a register, and the other way round.
    QHash<QString, int> gardes;
    for (const QFileInfo &fichier : fichiers) {
        const QString motif = fichier.fileName().section(QLatin1Char('-'), 0, 1);
        if (gardes[motif]++ >= garder && fichier.canonicalFilePath() != garde)
            QFile::remove(fichier.filePath());
    }
}

namespace {

// The restoration as one operation of the history: undoing it loads the
// backup taken just before it. Tables replaced wholesale are not journaled
// row by row.
void journaliser(const QSqlDatabase &db, const QString &resume, const QString &securite)
{
    historique::Operation operation(db, QStringLiteral("base"));
    Transaction transaction(db);
    const Issue issue = transaction.ouverte()
        ? operation.clore(QStringLiteral("restauration"), resume, QVariant(), securite)
        : transaction.issue();
    if (!issue.ok() || !operation.valider(transaction, issue).ok())
        qWarning("La restauration n'a pas pu être inscrite dans l'historique");
}

} // namespace

Restauration restaurer(const QSqlDatabase &db, const QString &chemin, const Examen &examen,
                       Progression *progression, const QString &resume)
{
    Restauration resultat;
    // Tables that cannot be listed cannot be saved: nothing is done.
    const QStringList presentes = tablesPresentes(db, examen.tables, &resultat.message);
    if (!resultat.message.isEmpty())
        return resultat;
    Resultat securite;
    if (!presentes.isEmpty()) {
        // The file restored is kept, however old.
        securite = sauvegardeAutomatique(db, QStringLiteral("avant-restaurer"), presentes,
                                         progression, chemin);
        if (!securite.reussi()) {
            resultat.message = securite.message;
            return resultat;
        }
        resultat.securite = securite.fichier;
    }

    QString echec = charger(db, examen.instructions, progression);
    if (echec.isEmpty())
        echec = ecart(db, examen.rangs);
    if (echec.isEmpty()) {
        resultat.issue = Restauration::Reussie;
        resultat.rangs = compter(db, examen.tables);
        journaliser(
            db,
            resume.isEmpty()
                ? QStringLiteral("Sauvegarde « %1 » restaurée").arg(QFileInfo(chemin).fileName())
                : resume,
            resultat.securite);
        return resultat;
    }

    // Part of the file may have gone in: the tables go back as they were, and
    // those that did not exist go away again.
    resultat.message = echec;
    QString echecRetour;
    if (!presentes.isEmpty()) {
        echecRetour = charger(db, securite.instructions, progression);
        if (echecRetour.isEmpty())
            echecRetour = ecart(db, securite.rangs);
    }
    QSqlQuery requete(db);
    for (const QString &table : examen.tables) {
        if (!presentes.contains(table)
            && !::executer(requete, QStringLiteral("DROP TABLE IF EXISTS `%1`").arg(table))
            && echecRetour.isEmpty())
            echecRetour = messageServeur(requete);
    }
    resultat.issue = echecRetour.isEmpty() ? Restauration::Retablie : Restauration::NonRetablie;
    if (!echecRetour.isEmpty())
        resultat.message += QLatin1Char('\n') + echecRetour;
    return resultat;
}

} // namespace sauvegarde
