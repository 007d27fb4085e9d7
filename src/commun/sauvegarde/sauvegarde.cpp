#include "commun/sauvegarde/sauvegarde.h"
#include "commun/base.h"
#include "commun/progression.h"
#include "commun/sauvegarde/outils.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QSet>
#include <QSqlDatabase>
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

} // namespace

QStringList tablesPresentes(const QSqlDatabase &db, const QStringList &tables)
{
    QSqlQuery requete(db);
    QStringList trouvees;
    if (!::executer(requete,
                    QStringLiteral("SELECT table_name FROM information_schema.tables WHERE "
                                   "table_schema = DATABASE()")))
        return trouvees;
    QSet<QString> presentes;
    while (requete.next())
        presentes << requete.value(0).toString();
    for (const QString &table : tablesRegistres()) {
        if (tables.contains(table) && presentes.contains(table))
            trouvees << table;
    }
    return trouvees;
}

Bilan sauvegarder(const QSqlDatabase &db, const QStringList &tables, const QString &chemin,
                  Progression *progression)
{
    Bilan bilan;
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
        progression, nullptr, [&](const QByteArray &morceau) {
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
        bilan.issue = execution.annule ? Bilan::Annule : Bilan::Echoue;
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
    bilan.issue = Bilan::Reussi;
    bilan.rangs = examen.rangs;
    return bilan;
}

Bilan charger(const QSqlDatabase &db, const QString &chemin, Progression *progression)
{
    Bilan bilan;
    bilan.fichier = chemin;
    QFile fichier(chemin);
    if (!fichier.open(QIODevice::ReadOnly)) {
        bilan.message =
            QStringLiteral("le fichier ne peut pas être lu (%1)").arg(fichier.errorString());
        return bilan;
    }
    const Execution execution =
        lancerOutil({ QStringLiteral("mariadb"), QStringLiteral("mysql") }, db,
                    { QStringLiteral("--"), db.databaseName() }, progression, &fichier, nullptr);
    bilan.issue = execution.reussi ? Bilan::Reussi : Bilan::Echoue;
    bilan.message = execution.message;
    return bilan;
}

QString dossierAutomatique()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
        + QStringLiteral("/sauvegardes");
}

Bilan sauvegardeAutomatique(const QSqlDatabase &db, const QString &motif, const QStringList &tables,
                            Progression *progression)
{
    const QString dossier = dossierAutomatique();
    if (!QDir().mkpath(dossier) || !QFileInfo(dossier).isDir()) {
        Bilan bilan;
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
    const Bilan bilan = sauvegarder(db, tables, chemin, progression);
    if (bilan.reussi())
        elaguer(dossier);
    return bilan;
}

void elaguer(const QString &dossier, int garder)
{
    QFileInfoList fichiers =
        QDir(dossier).entryInfoList({ QStringLiteral("avant-*.sql") }, QDir::Files);
    std::sort(fichiers.begin(), fichiers.end(), [](const QFileInfo &a, const QFileInfo &b) {
        const QDateTime da = a.lastModified(), dbis = b.lastModified();
        return da != dbis ? da > dbis : a.fileName() > b.fileName();
    });
    for (qsizetype i = garder; i < fichiers.size(); ++i)
        QFile::remove(fichiers.at(i).filePath());
}

Restauration restaurer(const QSqlDatabase &db, const QString &chemin, const Examen &examen,
                       Progression *progression)
{
    Restauration resultat;
    const QStringList presentes = tablesPresentes(db, examen.tables);
    if (!presentes.isEmpty()) {
        const Bilan securite =
            sauvegardeAutomatique(db, QStringLiteral("avant-restaurer"), presentes, progression);
        if (!securite.reussi()) {
            resultat.message = securite.message;
            return resultat;
        }
        resultat.securite = securite.fichier;
    }

    const Bilan chargement = charger(db, chemin, progression);
    if (chargement.reussi()) {
        resultat.issue = Restauration::Reussie;
        resultat.rangs = compter(db, examen.tables);
        return resultat;
    }

    // Part of the file may have gone in: the tables go back as they were, and
    // those that did not exist go away again.
    resultat.message = chargement.message;
    bool retablie = true;
    QString echecRetour;
    if (!resultat.securite.isEmpty()) {
        const Bilan retour = charger(db, resultat.securite, progression);
        retablie = retour.reussi();
        echecRetour = retour.message;
    }
    QSqlQuery requete(db);
    for (const QString &table : examen.tables) {
        if (!presentes.contains(table)
            && !::executer(requete, QStringLiteral("DROP TABLE IF EXISTS `%1`").arg(table))) {
            retablie = false;
        }
    }
    resultat.issue = retablie ? Restauration::Retablie : Restauration::NonRetablie;
    if (!echecRetour.isEmpty())
        resultat.message += QLatin1Char('\n') + echecRetour;
    return resultat;
}

} // namespace sauvegarde
