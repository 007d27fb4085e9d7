// Backup and restoration of the five registers full (65,535 rows each, the
// limit of their keys): time of each step and size of the file.

#include "commun/sauvegarde/sauvegarde.h"
#include "support/banc.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>

using namespace sauvegarde;

namespace {

const int plein = 65535;

void remplir(Banc &banc)
{
    QVERIFY(banc.fenetre().connexionCompte());
    QVERIFY(banc.fenetre().connexionCommande());
    QVERIFY(banc.fenetre().connexionEmploye());
    const QStringList insertions = {
        "INSERT INTO compte SELECT seq, IF(seq % 3 = 0, 'Gain', 'Dépense'), CONCAT(seq % 997, "
        "'.50'), CONCAT('achat numéro ', seq, ' chez l''épicier'), '2013-01-01 08:00:00' + "
        "INTERVAL seq MINUTE FROM seq_1_to_%1",
        "INSERT INTO commandes SELECT seq, 1 + (seq * 7919) % %1, CONCAT('produit ', seq % 500), "
        "seq % 100 / 4, 'kg', 1 + seq % 20, CONCAT(seq % 97, '.25'), CONCAT(seq % 97 * 3, "
        "'.75'), CONCAT('livrer avant le ', seq % 28 + 1), '2013-01-01 08:00:00' + INTERVAL seq "
        "MINUTE FROM seq_1_to_%1",
        "INSERT INTO clients SELECT seq, CONCAT('Client ', seq), CONCAT('Société ', seq % 300), "
        "CONCAT('client', seq, '@exemple.fr'), CONCAT('+33 1 ', LPAD(seq, 8, '0')) FROM "
        "seq_1_to_%1",
        "INSERT INTO employes SELECT seq, 1 + seq % 2, CONCAT('Nom', seq), CONCAT('Prénom', seq), "
        "CONCAT('Nom', seq, ' Prénom', seq), IF(seq % 2, 'M', 'F'), 'comptabilité', '1960-01-01' "
        "+ INTERVAL seq % 15000 DAY, '2000-01-01' + INTERVAL seq % 8000 DAY, IF(seq % 2, NULL, "
        "6), IF(seq % 2, NULL, '2030-01-01'), CONCAT('remarque ', seq) FROM seq_1_to_%1",
        "INSERT INTO absence SELECT seq, 1 + (seq * 7919) % %1, '2013-01-01' + INTERVAL seq % 700 "
        "DAY, 1 + seq % 8 FROM seq_1_to_%1",
    };
    QElapsedTimer chrono;
    chrono.start();
    for (const QString &insertion : insertions)
        banc.sql(insertion.arg(plein));
    for (const QString &table : tablesRegistres())
        QCOMPARE(banc.compte(table), plein);
    qInfo("  (five tables filled with %d rows each in %lld ms)", plein, chrono.elapsed());
}

} // namespace

class BenchSauvegarde : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qputenv("XDG_DATA_HOME", donnees.path().toUtf8()); }

    void sauvegarderPuisRestaurer()
    {
        Banc banc;
        remplir(banc);
        QSqlDatabase db = QSqlDatabase::database();
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("tabloran.sql");

        QElapsedTimer chrono;
        chrono.start();
        const Resultat bilan = sauvegarder(db, tablesRegistres(), chemin);
        const qint64 tempsSauvegarde = chrono.elapsed();
        QVERIFY2(bilan.reussi(), qPrintable(bilan.message));
        for (const auto &[table, rangs] : bilan.rangs)
            QCOMPARE(rangs, plein);
        qInfo("Sauvegarder (mariadb-dump, rows counted)  %6lld ms, file %.1f MB", tempsSauvegarde,
              QFileInfo(chemin).size() / 1e6);

        chrono.restart();
        const Examen examen = examiner(chemin);
        qInfo("Check of the file before restoring         %6lld ms", chrono.elapsed());
        QCOMPARE(examen.refus, QString());

        for (const QString &table : tablesRegistres())
            banc.sql("DELETE FROM " + table);
        chrono.restart();
        const Restauration r = restaurer(db, chemin, examen);
        qInfo("Restaurer (backup of the current tables, then load) %6lld ms", chrono.elapsed());
        QCOMPARE(r.issue, Restauration::Reussie);
        for (const QString &table : tablesRegistres())
            QCOMPARE(banc.compte(table), plein);

        // The same over full tables: the backup of the current data is full too.
        chrono.restart();
        const Restauration pleine = restaurer(db, chemin, examen);
        qInfo("Restaurer over full tables                  %6lld ms", chrono.elapsed());
        QCOMPARE(pleine.issue, Restauration::Reussie);
        chrono.restart();
        QCOMPARE(charger(db, examen.instructions), QString());
        qInfo("  of which the load alone                   %6lld ms", chrono.elapsed());
    }

private:
    QTemporaryDir donnees;
};

QTEST_MAIN(BenchSauvegarde)
#include "bench_sauvegarde.moc"
