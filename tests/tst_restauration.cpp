#include "commun/historique.h"
#include "commun/sauvegarde/sauvegarde.h"
#include "compte/registre.h"
#include "support/base_de_test.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using namespace sauvegarde;

namespace {

void ecrire(const QString &chemin, const QByteArray &texte)
{
    QFile f(chemin);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(texte) == texte.size());
}

QList<QVariantList> livre(BaseDeTest &base)
{
    return base.lignes("SELECT * FROM compte ORDER BY id");
}

// Three entries whose texts a reading must carry exactly, saved to `chemin`
// with 8 as the next key; the book is then changed so that a restoration
// shows. Returns the entries saved and the file's text.
auto sauvegardeDuLivre(BaseDeTest &base, const QString &chemin)
{
    base.sql("INSERT INTO compte VALUES (1, 'Gain', '1', ?, '2020-01-01'), "
             "(2, 'Dépense', '2', NULL, '2020-01-02'), (3, 'Gain', '3', '', '2020-01-03'), "
             "(7, 'Gain', '7', NULL, '2020-01-07')",
             { "l'été \\ \"x\"\n;\\" });
    base.sql("DELETE FROM compte WHERE id = 7");
    const QList<QVariantList> entrees = livre(base);
    const Resultat bilan = sauvegarder(base.db, { "compte" }, chemin);
    QFile f(chemin);
    [&] { QVERIFY2(bilan.reussi() && f.open(QIODevice::ReadOnly), qPrintable(bilan.message)); }();
    base.sql("DELETE FROM compte WHERE id = 2");
    return std::make_pair(entrees, f.readAll());
}

// The backup with `ajout` before its last line, and without the line that
// turns on the client's sandbox.
QByteArray avecAjout(QByteArray texte, const QByteArray &ajout)
{
    texte.replace("/*M!999999\\- enable the sandbox mode */", "");
    return texte.insert(texte.lastIndexOf("-- Dump completed"), ajout);
}

} // namespace

class TestRestauration : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir maison;

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("HOME", QFile::encodeName(maison.path()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(maison.filePath("donnees")));
    }
    void init() { QDir(dossierAutomatique()).removeRecursively(); }

    void aFileThatChangesHowStringsAreReadIsRefusedAndRunsNothing_data()
    {
        QTest::addColumn<QByteArray>("ajout");
        // Each makes the server, or the client, end a string at a backslash the
        // reading took for an escape: the rest would be a command to the client.
        const auto piege = [](const QByteArray &reglage, const QByteArray &chaine,
                              const QByteArray &commande) {
            return reglage + "INSERT INTO `compte` VALUES (90,'Gain','1'," + chaine
                + ",'2020-01-01');\n" + commande + " touch MARQUE\n-- " + chaine.at(0) + ");\n";
        };
        for (const QByteArray commande : { "system", "\\!" }) {
            QTest::newRow("mode as a number, " + commande)
                << piege("SET SQL_MODE=1048576;\n", "'x\\'", commande);
            QTest::newRow("ANSI quotes, " + commande)
                << piege("/*!40101 SET @OLD_SQL_MODE=@@SQL_MODE, SQL_MODE='ORACLE' */;\n",
                         "\"x\\\"", commande);
            QTest::newRow("gbk, " + commande) << piege(
                "SET @c='gbk';\nSET CHARACTER_SET_CLIENT=@c;\n", "'\xe4\xb8\xad\\'", commande);
        }
    }

    void aFileThatChangesHowStringsAreReadIsRefusedAndRunsNothing()
    {
        QFETCH(QByteArray, ajout);
        BaseDeTest base;
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("piege.sql"), marque = dossier.filePath("marque");
        ecrire(chemin,
               avecAjout(sauvegardeDuLivre(base, chemin).second,
                         ajout.replace("MARQUE", QFile::encodeName(marque))));
        const auto avant = livre(base);
        const Examen examen = examiner(chemin);
        if (examen.refus.isEmpty())
            restaurer(base.db, chemin, examen);
        QVERIFY(!QFileInfo::exists(marque));
        QCOMPARE(livre(base), avant);
        QVERIFY(!examen.refus.isEmpty());
    }

    // One saved book, restored as it was checked, then from variants of its file.
    void restorationsOfOneBook()
    {
        BaseDeTest base;
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("a.sql"), marque = dossier.filePath("marque");
        const auto [entrees, bon] = sauvegardeDuLivre(base, chemin);
        const auto restaurerTel = [&](const QByteArray &texte) {
            base.sql("DELETE FROM compte WHERE id = 2");
            ecrire(chemin, texte);
            return restaurer(base.db, chemin, examiner(chemin));
        };
        // Swapped once checked: what is restored is what was checked.
        const Examen examen = examiner(chemin);
        ecrire(
            chemin,
            avecAjout(bon,
                      "INSERT INTO `compte` VALUES (91,'Gain','1','x','2020-01-01');\nsystem touch "
                          + QFile::encodeName(marque) + "\n"));
        Restauration r = restaurer(base.db, chemin, examen);
        QCOMPARE(r.issue, Restauration::Reussie);
        QCOMPARE(texteRangs(r.rangs), "compte : 3 lignes");
        QCOMPARE(livre(base), entrees);
        QVERIFY(!QFileInfo::exists(marque));
        // Autocommit turned off with nothing committed after: all rows stored.
        r = restaurerTel(
            QByteArray(bon)
                .replace("UNLOCK TABLES;\n", "")
                .replace("/*!40000 ALTER TABLE `compte` ENABLE KEYS */;\n", "")
                .replace("INSERT INTO `compte`", "SET AUTOCOMMIT=0;\nINSERT INTO `compte`"));
        QCOMPARE(r.issue, Restauration::Reussie);
        QCOMPARE(livre(base), entrees);
        // A backup of tables without transactions comes back on InnoDB.
        r = restaurerTel(QByteArray(bon).replace("ENGINE=InnoDB", "ENGINE=MyISAM"));
        QVERIFY2(r.issue == Restauration::Reussie, qPrintable(r.message));
        QCOMPARE(livre(base), entrees);
        QCOMPARE(base.lignes("SELECT ENGINE, AUTO_INCREMENT FROM information_schema.TABLES WHERE "
                             "TABLE_SCHEMA = DATABASE() AND TABLE_NAME = 'compte'"),
                 (QList<QVariantList> { { "InnoDB", 8 } }));
        // The book twice: the second drops the first, three rows of six.
        const qsizetype debut = bon.indexOf("DROP TABLE IF EXISTS `compte`");
        r = restaurerTel(
            avecAjout(bon, bon.mid(debut, bon.indexOf("UNLOCK TABLES;") + 15 - debut)));
        QCOMPARE(r.issue, Restauration::Retablie);
        QCOMPARE(r.message, "la table compte contient 3 lignes au lieu des 6 lignes du fichier");
        const QList<QVariantList> avant = { entrees[0], entrees[2] };
        QCOMPARE(livre(base), avant);
        // The connection lost first: no restoration without its safety backup.
        const QStringList ecrites = QDir(dossierAutomatique()).entryList(QDir::Files);
        QSqlQuery id(base.db);
        QVERIFY(id.exec("SELECT CONNECTION_ID()") && id.next());
        QVERIFY(QSqlQuery(base.autre()).exec("KILL " + id.value(0).toString()));
        r = restaurer(base.db, chemin, examiner(chemin));
        QCOMPARE(r.issue, Restauration::SecuriteImpossible);
        QVERIFY2(r.message.contains("server", Qt::CaseInsensitive), qPrintable(r.message));
        QCOMPARE(livre(base), avant);
        QCOMPARE(QDir(dossierAutomatique()).entryList(QDir::Files), ecrites);
    }

    // A backup holds the journal and a restoration brings it back, as one operation more, with
    // the backup taken just before it.
    void theJournalGoesWithTheBackups()
    {
        BaseDeTest base;
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("tout.sql");
        QVERIFY(compte::ajouter(base.db, { {}, "Gain", "5", "", {} }).ok());
        QVERIFY(sauvegarder(base.db, tablesRegistres(), chemin).reussi());
        const auto journal = base.lignes("SELECT * FROM historique ORDER BY id");
        QVERIFY(compte::vider(base.db).ok());
        const Examen examen = examiner(chemin);
        QVERIFY(examen.tables.contains("operations") && examen.tables.contains("historique"));
        const Restauration r = restaurer(base.db, chemin, examen);
        QCOMPARE(r.issue, Restauration::Reussie);
        QCOMPARE(base.lignes("SELECT * FROM historique ORDER BY id"), journal);
        QCOMPARE(base.lignes("SELECT genre, resume, fichier FROM operations ORDER BY id"),
                 (QList<QVariantList> {
                     { "ajout", "Écriture n°1 ajoutée (Gain, 5)", QString() },
                     { "restauration", "Sauvegarde « tout.sql » restaurée", r.securite } }));
        // The journal alone does not undo it (the window loads that backup).
        historique::Annulation annulation;
        QCOMPARE(historique::annuler(base.db,
                                     base.valeur("SELECT MAX(numero) FROM operations "
                                                 "WHERE genre = 'restauration'")
                                         .toLongLong(),
                                     &annulation)
                     .genre,
                 Issue::Refuse);
    }

    void restoringTheOldestAutomaticBackupKeepsItAndTheOtherPool()
    {
        BaseDeTest base;
        QVERIFY(QDir().mkpath(dossierAutomatique()));
        const QDir dossier(dossierAutomatique());
        const auto nom = [&](const char *motif, int n) {
            return dossier.filePath(
                QString("%1-compte-2026-01-01-0000%2.sql").arg(motif).arg(n + 10));
        };
        const QString plusAncienne = nom("avant-restaurer", 0);
        const auto entrees = sauvegardeDuLivre(base, plusAncienne).first;
        for (int n = 0; n < sauvegardesGardees; ++n)
            for (const char *motif : { "avant-vider", "avant-restaurer" }) {
                QFile f(nom(motif, n));
                QVERIFY(f.open(QIODevice::ReadWrite));
                QVERIFY(f.setFileTime(QDateTime::currentDateTime().addDays(-1).addSecs(n),
                                      QFileDevice::FileModificationTime));
            }
        const Restauration r = restaurer(base.db, plusAncienne, examiner(plusAncienne));
        QCOMPARE(r.issue, Restauration::Reussie);
        QCOMPARE(livre(base), entrees);
        QVERIFY(QFileInfo::exists(plusAncienne) && QFileInfo::exists(r.securite));
        QCOMPARE(dossier.entryList({ "avant-vider-*" }).size(), sauvegardesGardees);
        // The newest twenty, and the file restored.
        QCOMPARE(dossier.entryList({ "avant-restaurer-*" }).size(), sauvegardesGardees + 1);
    }
};

QTEST_GUILESS_MAIN(TestRestauration)
#include "tst_restauration.moc"
