#include "commun/sauvegarde/sauvegarde.h"
#include "support/base_de_test.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using namespace sauvegarde;

namespace {

QString refusLigne(int ligne)
{
    return QString("sa ligne %1 contient une instruction qu'une sauvegarde de ce programme ne "
                   "contient pas")
        .arg(ligne);
}

QByteArray lire(const QString &chemin)
{
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void ecrire(const QString &chemin, const QByteArray &texte)
{
    QFile f(chemin);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(texte), texte.size());
}

// Every row of the book, as stored.
QList<QVariantList> livre(BaseDeTest &base)
{
    return base.lignes("SELECT * FROM compte ORDER BY id");
}

// A book of three entries whose texts a reading must carry exactly, saved by
// the program to `chemin` with 8 as its next key; the book is then changed, so
// that a restoration shows. Returns the three entries.
QList<QVariantList> sauvegardeDuLivre(BaseDeTest &base, const QString &chemin)
{
    base.sql("INSERT INTO compte VALUES (1, 'Gain', '1', ?, '2020-01-01'), "
             "(2, 'Dépense', '2', NULL, '2020-01-02'), (3, 'Gain', '3', '', '2020-01-03')",
             { "l'été \\ \"x\"\n;\\" });
    // The key of a deleted entry is not given again.
    base.sql("INSERT INTO compte VALUES (7, 'Gain', '7', NULL, '2020-01-07')");
    base.sql("DELETE FROM compte WHERE id = 7");
    const QList<QVariantList> entrees = livre(base);
    const Bilan bilan = sauvegarder(base.db, { "compte" }, chemin);
    [&] { QVERIFY2(bilan.reussi(), qPrintable(bilan.message)); }();
    base.sql("DELETE FROM compte WHERE id = 2");
    base.sql("INSERT INTO compte VALUES (9, 'Gain', '9', NULL, '2020-01-09')");
    return entrees;
}

// The backup with `ajout` put before its last line, and without the line that
// turns on the client's sandbox; `ligne` gets the number of the first line
// added.
QByteArray avecAjout(const QByteArray &dump, const QByteArray &ajout, int *ligne = nullptr)
{
    QByteArray texte = dump;
    texte.replace("/*M!999999\\- enable the sandbox mode */", "");
    const qsizetype fin = texte.lastIndexOf("-- Dump completed");
    if (ligne)
        *ligne = texte.left(fin).count('\n') + 1;
    return texte.insert(fin, ajout);
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
        // A user of their own: the program's backup folder is the test's.
        qputenv("HOME", QFile::encodeName(maison.path()));
    }

    void init() { QDir(dossierAutomatique()).removeRecursively(); }

    void aFileThatChangesHowStringsAreReadIsRefusedAndRunsNothing_data()
    {
        QTest::addColumn<QByteArray>("reglage");
        QTest::addColumn<QByteArray>("chaine");
        QTest::addColumn<QByteArray>("commande");
        // Each makes the server, or the client, end a string at a backslash
        // that the reading took for an escape: the rest of the "string" would
        // be a command to the client.
        const QByteArray sansEchappement = "SET SQL_MODE=1048576;\n";
        const QByteArray oracle = "/*!40101 SET @OLD_SQL_MODE=@@SQL_MODE, SQL_MODE='ORACLE' */;\n";
        const QByteArray gbk = "SET @c='gbk';\nSET CHARACTER_SET_CLIENT=@c;\n";
        for (const QByteArray commande : { "system", "\\!" }) {
            const QByteArray nom = ", " + commande;
            QTest::newRow("mode as a number" + nom)
                << sansEchappement << QByteArray("'x\\'") << commande;
            QTest::newRow("ANSI quotes" + nom) << oracle << QByteArray("\"x\\\"") << commande;
            QTest::newRow("gbk" + nom) << gbk << QByteArray("'\xe4\xb8\xad\\'") << commande;
        }
    }

    void aFileThatChangesHowStringsAreReadIsRefusedAndRunsNothing()
    {
        QFETCH(QByteArray, reglage);
        QFETCH(QByteArray, chaine);
        QFETCH(QByteArray, commande);
        BaseDeTest base;
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("piege.sql");
        sauvegardeDuLivre(base, chemin);
        const QString marque = dossier.filePath("marque");
        // "…,'x\','2020-01-01');" then the command on a line of its own, then
        // the end of the string as the reading sees it.
        int ligne = 0;
        ecrire(chemin,
               avecAjout(lire(chemin),
                         reglage + "INSERT INTO `compte` VALUES (90,'Gain','1'," + chaine
                             + ",'2020-01-01');\n" + commande + " touch "
                             + QFile::encodeName(marque) + "\n-- " + chaine.at(0) + ");\n",
                         &ligne));
        const auto avant = livre(base);

        const Examen examen = examiner(chemin);
        if (examen.refus.isEmpty())
            restaurer(base.db, chemin, examen);
        QVERIFY(!QFileInfo::exists(marque));
        QCOMPARE(livre(base), avant);
        QCOMPARE(examen.refus, refusLigne(ligne));
    }

    void theFileRestoredIsTheFileChecked()
    {
        BaseDeTest base;
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("tabloran.sql");
        const auto entrees = sauvegardeDuLivre(base, chemin);
        const QByteArray bon = lire(chemin);
        const Examen examen = examiner(chemin);
        QCOMPARE(examen.refus, QString());
        // Swapped once checked: what is restored is what was checked.
        const QString marque = dossier.filePath("marque");
        ecrire(chemin,
               avecAjout(bon,
                         "INSERT INTO `compte` VALUES (91,'Gain','1','x','2020-01-01');\n"
                         "system touch "
                             + QFile::encodeName(marque) + "\n"));
        const Restauration r = restaurer(base.db, chemin, examen);
        QCOMPARE(r.issue, Restauration::Reussie);
        QCOMPARE(texteRangs(r.rangs), "compte : 3 lignes");
        QCOMPARE(livre(base), entrees);
        QVERIFY(!QFileInfo::exists(marque));
        QCOMPARE(base.valeur("SELECT AUTO_INCREMENT FROM information_schema.tables WHERE "
                             "table_schema = DATABASE() AND table_name = 'compte'")
                     .toInt(),
                 8);
    }

    void restoringTheOldestAutomaticBackupKeepsItAndTheOtherPool()
    {
        BaseDeTest base;
        QVERIFY(QDir().mkpath(dossierAutomatique()));
        const QDir dossier(dossierAutomatique());
        const auto nom = [](const char *motif, int n) {
            return QString("%1-compte-2026-01-01-0000%2.sql").arg(motif).arg(n, 2, 10, QChar('0'));
        };
        const QString plusAncienne = dossier.filePath(nom("avant-restaurer", 0));
        const auto entrees = sauvegardeDuLivre(base, plusAncienne);
        const QDateTime heure = QDateTime::currentDateTime().addDays(-1);
        for (int n = 0; n < sauvegardesGardees; ++n) {
            for (const char *motif : { "avant-vider", "avant-restaurer" }) {
                QFile f(dossier.filePath(nom(motif, n)));
                QVERIFY(f.open(QIODevice::ReadWrite));
                QVERIFY(f.setFileTime(heure.addSecs(n), QFileDevice::FileModificationTime));
            }
        }

        const Restauration r = restaurer(base.db, plusAncienne, examiner(plusAncienne));
        QCOMPARE(r.issue, Restauration::Reussie);
        QCOMPARE(livre(base), entrees);
        QVERIFY(QFileInfo::exists(plusAncienne));
        QVERIFY(QFileInfo::exists(r.securite));
        QCOMPARE(dossier.entryList({ "avant-vider-*" }).size(), sauvegardesGardees);
        // The newest twenty, and the file restored.
        QCOMPARE(dossier.entryList({ "avant-restaurer-*" }).size(), sauvegardesGardees + 1);
    }

    void aConnectionLostBeforeTheRestorationStopsIt()
    {
        BaseDeTest base;
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("tabloran.sql");
        sauvegardeDuLivre(base, chemin);
        const auto avant = livre(base);
        const Examen examen = examiner(chemin);
        QSqlDatabase autre = base.autre();
        QSqlQuery id(base.db);
        QVERIFY(id.exec("SELECT CONNECTION_ID()") && id.next());
        QVERIFY(QSqlQuery(autre).exec("KILL " + id.value(0).toString()));

        const Restauration r = restaurer(base.db, chemin, examen);
        QCOMPARE(r.issue, Restauration::SecuriteImpossible);
        QVERIFY2(r.message.contains("server", Qt::CaseInsensitive), qPrintable(r.message));
        QCOMPARE(livre(base), avant);
        QCOMPARE(QDir(dossierAutomatique()).entryList(QDir::Files), QStringList());
    }

    void aRestorationChecksWhatItStored()
    {
        BaseDeTest base;
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("tabloran.sql");
        const auto entrees = sauvegardeDuLivre(base, chemin);
        const QByteArray bon = lire(chemin);

        // The file's settings are not the session's: its rows are all stored,
        // though it turns autocommit off and nothing commits after.
        ecrire(chemin,
               QByteArray(bon)
                   .replace("UNLOCK TABLES;\n", "")
                   .replace("/*!40000 ALTER TABLE `compte` ENABLE KEYS */;\n", "")
                   .replace("INSERT INTO `compte`", "SET AUTOCOMMIT=0;\nINSERT INTO `compte`"));
        Restauration r = restaurer(base.db, chemin, examiner(chemin));
        QCOMPARE(r.issue, Restauration::Reussie);
        QCOMPARE(livre(base), entrees);

        // The book twice: the second drops the first, three rows of six.
        base.sql("DELETE FROM compte WHERE id <> 1");
        const auto unSeul = livre(base);
        const qsizetype debut = bon.indexOf("DROP TABLE IF EXISTS `compte`");
        const qsizetype fin = bon.indexOf("UNLOCK TABLES;") + 15;
        ecrire(chemin, avecAjout(bon, bon.mid(debut, fin - debut)));
        r = restaurer(base.db, chemin, examiner(chemin));
        QCOMPARE(r.issue, Restauration::Retablie);
        QCOMPARE(r.message, "la table compte contient 3 lignes au lieu des 6 lignes du fichier");
        QCOMPARE(livre(base), unSeul);
    }

    // A backup written on a server whose tables had no transactions (MyISAM)
    // is restored all the same, into tables made as the program makes them.
    void aBackupOfAnotherEngineComesBackOnInnoDB()
    {
        BaseDeTest base;
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("tabloran.sql");
        const QList<QVariantList> entrees = sauvegardeDuLivre(base, chemin);
        QByteArray texte = lire(chemin);
        QVERIFY(texte.contains("ENGINE=InnoDB"));
        ecrire(chemin, texte.replace("ENGINE=InnoDB", "ENGINE=MyISAM"));
        const Restauration r = restaurer(base.db, chemin, examiner(chemin));
        QVERIFY2(r.issue == Restauration::Reussie, qPrintable(r.message));
        QCOMPARE(livre(base), entrees);
        QCOMPARE(base.valeur("SELECT ENGINE FROM information_schema.TABLES WHERE TABLE_SCHEMA = "
                             "DATABASE() AND TABLE_NAME = 'compte'"),
                 "InnoDB");
    }
};

QTEST_GUILESS_MAIN(TestRestauration)
#include "tst_restauration.moc"
