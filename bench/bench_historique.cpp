// What the journal costs at full tables (65,535 rows, the limit of the keys):
// each write as the program makes it, journal included, against the same
// statements without the journal; and the undo of an emptying.

#include "commandes/registre.h"
#include "commun/historique.h"
#include "compte/registre.h"
#include "support/base_de_test.h"

#include <QElapsedTimer>
#include <QSqlQuery>
#include <QtTest>

#include <algorithm>
#include <functional>

namespace {

const int plein = 65535;

void remplir(BaseDeTest &base, int n)
{
    base.sql("DELETE FROM compte");
    base.sql(QStringLiteral("INSERT INTO compte (id, sujet, valeur, commentaire, date_insert) "
                            "SELECT seq, IF(seq % 3 = 0, 'Gain', 'Dépense'), CONCAT(seq % 997, "
                            "'.50'), CONCAT('achat numéro ', seq), '2013-01-01 08:00:00' + "
                            "INTERVAL seq MINUTE FROM seq_1_to_%1")
                 .arg(n));
}

void remplirCommandes(BaseDeTest &base)
{
    base.sql("DELETE FROM commandes");
    base.sql("DELETE FROM clients");
    base.sql("INSERT INTO clients SELECT seq, CONCAT('client ', seq), '', 'a@b', '1' FROM "
             "seq_1_to_1000");
    base.sql(QStringLiteral("INSERT INTO commandes SELECT seq, seq % 1000 + 1, 'riz', 2.5, 'kg', "
                            "3, '100', '300', '', NOW() FROM seq_1_to_%1")
                 .arg(plein));
}

// The same statements as the program's, in one transaction, without the journal.
qint64 sansJournal(BaseDeTest &base, const QStringList &instructions)
{
    QElapsedTimer chrono;
    chrono.start();
    Transaction transaction(base.db);
    QSqlQuery q(base.db);
    for (const QString &instruction : instructions) {
        if (!q.exec(instruction))
            qWarning("refused: %s", qPrintable(instruction));
    }
    transaction.valider();
    return chrono.elapsed();
}

qint64 chronometrer(const std::function<void()> &faire)
{
    QElapsedTimer chrono;
    chrono.start();
    faire();
    return chrono.elapsed();
}

qint64 mediane(QList<qint64> temps)
{
    std::sort(temps.begin(), temps.end());
    return temps.at(temps.size() / 2);
}

void dire(const char *quoi, const QList<qint64> &sans, const QList<qint64> &avec)
{
    qInfo("%-44s without %5lld ms, with the journal %5lld ms (x%.1f)", quoi, mediane(sans),
          mediane(avec), double(mediane(avec)) / qMax<qint64>(mediane(sans), 1));
}

} // namespace

class BenchHistorique : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void emptyingAFullBookAndItsUndo()
    {
        BaseDeTest base;
        QList<qint64> sans, avec, annulation;
        for (int fois = 0; fois < 3; ++fois) {
            remplir(base, plein);
            sans << sansJournal(base, { "DELETE FROM compte WHERE TRUE" });
            remplir(base, plein);
            avec << chronometrer([&] { QVERIFY(compte::vider(base.db).ok()); });
            historique::Entree derniere;
            QVERIFY(historique::derniere(base.db, &derniere).ok());
            historique::Annulation annule;
            annulation << chronometrer(
                [&] { QVERIFY(historique::annuler(base.db, derniere.numero, &annule).ok()); });
            QCOMPARE(base.compte("compte"), plein);
        }
        dire("Vider the account book (65,535 entries)", sans, avec);
        qInfo("%-44s %5lld ms", "its undo (65,535 entries put back)", mediane(annulation));
    }

    void emptyingTheCustomersWithTheirOrders()
    {
        BaseDeTest base;
        QList<qint64> sans, avec;
        for (int fois = 0; fois < 3; ++fois) {
            remplirCommandes(base);
            sans << sansJournal(base,
                                { "DELETE FROM commandes WHERE TRUE",
                                  "DELETE FROM clients WHERE TRUE AND NOT EXISTS (SELECT "
                                  "1 FROM commandes WHERE commandes.client_id = "
                                  "clients.id)" });
            remplirCommandes(base);
            avec << chronometrer([&] { QVERIFY(commandes::viderClients(base.db).ok()); });
        }
        dire("Vider the customers (1,000, 65,535 orders)", sans, avec);
    }

    void addingAndDeletingInAFullBook()
    {
        BaseDeTest base;
        remplir(base, plein - 40);
        QList<qint64> sans, avec, supprimeSans, supprimeAvec;
        for (int fois = 0; fois < 20; ++fois) {
            sans << sansJournal(base,
                                { "INSERT INTO compte SET sujet = 'Gain', valeur = '12', "
                                  "commentaire = '', date_insert = NOW()" });
            avec << chronometrer([&] {
                QVERIFY(compte::ajouter(base.db, { {}, "Gain", "12", "", {} }).ok());
            });
            supprimeSans << sansJournal(
                base, { QStringLiteral("DELETE FROM compte WHERE id = %1").arg(fois * 2 + 1) });
            supprimeAvec << chronometrer(
                [&] { QVERIFY(compte::supprimer(base.db, fois * 2 + 2).ok()); });
        }
        dire("Add an entry to a full book", sans, avec);
        dire("Delete an entry of a full book", supprimeSans, supprimeAvec);
    }
};

QTEST_GUILESS_MAIN(BenchHistorique)
#include "bench_historique.moc"
