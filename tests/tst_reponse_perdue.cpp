#include "commandes/registre.h"
#include "commun/grilles.h"
#include "commun/historique.h"
#include "commun/schema.h"
#include "compte/registre.h"
#include "support/base_de_test.h"
#include "support/proxy.h"

#include <QSqlError>
#include <QSqlTableModel>
#include <QtTest>

#include <functional>
#include <thread>

namespace {

commandes::Commande commande()
{
    return { {}, {}, "lait", 2.5, "kg", 3, "10", {}, "", {}, { {}, "Alpha", "", "a@b.fr", "01" } };
}

// The program's connection to the test's database, through the proxy.
struct Relaye
{
    Proxy proxy;
    BaseDeTest base;
    QSqlDatabase db;

    Relaye()
    {
        db = QSqlDatabase::addDatabase("QMYSQL", base.nom + "_proxy");
        db.setHostName("127.0.0.1");
        db.setPort(proxy.port());
        db.setUserName("root");
        db.setDatabaseName(base.nom);
        // A fault of the proxy must not hang the test.
        db.setConnectOptions("MYSQL_OPT_CONNECT_TIMEOUT=3;MYSQL_OPT_READ_TIMEOUT=10;"
                             "MYSQL_OPT_WRITE_TIMEOUT=10");
        QString probleme;
        if (!db.open() || !schema::preparer(db, schema::tablesRegistres(), &probleme))
            qFatal("no connection through the proxy: %s %s", qPrintable(db.lastError().text()),
                   qPrintable(probleme));
    }
    ~Relaye()
    {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(base.nom + "_proxy");
    }
};

Issue grille(Relaye &r)
{
    if (!compte::ajouter(r.base.db, { {}, "Gain", "1500", "vente", {} }).ok())
        return Issue::erreur("no entry");
    QSqlTableModel modele(nullptr, r.db);
    modele.setTable("compte");
    modele.setEditStrategy(QSqlTableModel::OnManualSubmit);
    modele.select();
    modele.setData(modele.index(0, modele.fieldIndex("valeur")), "1600");
    return enregistrerGrille(modele);
}

} // namespace

class TestReponsePerdue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The connection dies while the server commits: the journal, read on a new
    // connection, tells what happened; only a server that cannot be reached
    // leaves the outcome unknown, and then it says so.
    void theJournalTellsWhatACommitDid()
    {
        const auto ajout = [](Relaye &r) { return commandes::ajouter(r.db, commande()); };
        const struct
        {
            const char *nom;
            void (Proxy::*panne)();
            bool injoignable;
            std::function<Issue(Relaye &)> ecrire;
            const char *lu; // read on the checking connection afterwards
            QString attendu;
            int operations;
            QString texte; // in the outcome's reason
        } cas[] = {
            { "réponse perdue", &Proxy::perdreReponseAuCommit, false, ajout,
              "SELECT GROUP_CONCAT(id) FROM commandes", "1", 1, "" },
            { "grille, réponse perdue", &Proxy::perdreReponseAuCommit, false, grille,
              "SELECT valeur FROM compte", "1600", 2, "" },
            { "commit perdu", &Proxy::perdreCommit, false, ajout, "SELECT COUNT(*) FROM commandes",
              "0", 0, "rien n'a été enregistré" },
            { "serveur injoignable", &Proxy::perdreReponseAuCommit, true, ajout,
              "SELECT COUNT(*) FROM commandes", "1", 1, "on ne peut pas encore savoir" },
        };
        for (const auto &c : cas) {
            Relaye r;
            (r.proxy.*c.panne)();
            r.proxy.refuserConnexions(c.injoignable);
            const Issue issue = c.ecrire(r);
            QVERIFY2(!r.proxy.arme(), c.nom);
            QCOMPARE(issue.genre, c.texte.isEmpty() ? Issue::Ecrit : Issue::Erreur);
            QVERIFY2(issue.raison.contains(c.texte), qPrintable(issue.raison));
            QCOMPARE(historique::incertain(issue), c.injoignable);
            QCOMPARE(r.base.valeur(c.lu).toString(), c.attendu);
            if (issue.id.isValid()) // the order's number, as stored
                QCOMPARE(issue.id.toString(), c.attendu);
            QCOMPARE(r.base.compte("operations"), c.operations);
        }
    }

    // A connection killed inside the transaction, while an order waits to be
    // journaled: nothing of it is stored, and the user is told it failed.
    void aWriteKilledHalfwayLeavesNothing()
    {
        BaseDeTest base;
        QSqlQuery programme("SELECT CONNECTION_ID()", base.db);
        QVERIFY(programme.next());
        const QString id = programme.value(0).toString();
        // The checking connection holds the journal's end: the operation's row waits.
        base.sql("START TRANSACTION");
        base.sql("SELECT * FROM operations FOR UPDATE");
        std::thread tueur([nom = base.nom + "_tueur", id] {
            {
                QSqlDatabase k = QSqlDatabase::addDatabase("QMYSQL", nom);
                k.setHostName("localhost");
                k.setUserName("root");
                QSqlQuery q(k.open() ? k : QSqlDatabase());
                for (int i = 0; i < 300; ++i) {
                    q.exec("SELECT 1 FROM information_schema.processlist WHERE info LIKE "
                           "'INSERT INTO operations%' AND id = "
                           + id);
                    if (q.next())
                        break;
                    QThread::msleep(10);
                }
                q.exec("KILL " + id);
            }
            QSqlDatabase::removeDatabase(nom);
        });
        const Issue issue = commandes::ajouter(base.db, commande());
        tueur.join();
        base.sql("ROLLBACK");
        QCOMPARE(issue.genre, Issue::Erreur);
        QVERIFY(!historique::incertain(issue));
        for (const char *table : { "clients", "commandes", "operations", "historique" })
            QCOMPARE(base.compte(table), 0);
    }
};

QTEST_GUILESS_MAIN(TestReponsePerdue)
#include "tst_reponse_perdue.moc"
