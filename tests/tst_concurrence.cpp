// Two workstations on the same registers, seen from one of them: which
// conflicts are written again, and a grid that never overwrites the other's
// rows (the other workstation is played by the bench's own connection).

#include "commun/base.h"
#include "commun/grilles.h"
#include "support/banc.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlTableModel>
#include <QTableView>

namespace {

QSqlTableModel *grilleDe(QDialog *d)
{
    return qobject_cast<QSqlTableModel *>(modeleDe(d->findChild<QTableView *>("grille")));
}

// The row of the grid whose number is `id`.
int ligneDe(QSqlTableModel *m, int id)
{
    for (int ligne = 0; ligne < m->rowCount(); ++ligne) {
        if (m->index(ligne, 0).data().toInt() == id)
            return ligne;
    }
    return -1;
}

} // namespace

class TestConcurrence : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(connexionServeur("regle").isOpen()); }

    void replayRule_data()
    {
        QTest::addColumn<int>("ecriture");
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("rejoue");
        // Adds, deletes and emptyings are run once more after a conflict.
        for (Changement e : { Changement::Ajout, Changement::Suppression, Changement::Vidage }) {
            const QByteArray n = QByteArray::number(int(e));
            QTest::newRow(n + " deadlock") << int(e) << "1213" << true;
            QTest::newRow(n + " lock wait") << int(e) << "1205" << true;
            QTest::newRow(n + " refused value") << int(e) << "1406" << false;
            QTest::newRow(n + " duplicate key") << int(e) << "1062" << false;
        }
        // A grid's edits never are.
        QTest::newRow("grid deadlock") << int(Changement::Grille) << "1213" << false;
        QTest::newRow("grid lock wait") << int(Changement::Grille) << "1205" << false;
    }

    // An attempt that the server refuses with the given code each time, or
    // the first time only.
    void replayRule()
    {
        QFETCH(int, ecriture);
        QFETCH(QString, code);
        QFETCH(bool, rejoue);
        const Changement e = Changement(ecriture);
        QCOMPARE(aRejouer(e, code, 1), rejoue);
        QVERIFY(!aRejouer(e, code, 2)); // never twice

        QSqlQuery q(QSqlDatabase::database("regle"));
        const QString refus = QString("SIGNAL SQLSTATE '40001' SET MYSQL_ERRNO = %1").arg(code);
        const bool conflit = code == "1213" || code == "1205";
        for (int refusees : { 1, 2 }) {
            const Conflits avant = conflits();
            int tentatives = 0;
            const Issue issue = ecrire(e, [&] {
                const bool reussi = executer(q, ++tentatives <= refusees ? refus : "DO 1");
                return reussi ? Issue::ecrit() : Issue::erreur(q);
            });
            QCOMPARE(tentatives, rejoue ? 2 : 1);
            QCOMPARE(conflits().rejoues, avant.rejoues + (rejoue ? 1 : 0));
            if (rejoue && refusees == 1)
                QCOMPARE(issue.genre, Issue::Ecrit);
            else
                QCOMPARE(issue.genre, conflit ? Issue::Conflit : Issue::Erreur);
        }
    }

    // The grid's edits are written only over the values it loaded: rows
    // another workstation changed or deleted meanwhile are named, shown as
    // they are now, and nothing is written; the other edits stay pending.
    void gridNeverOverwritesAnotherWorkstation()
    {
        Banc banc;
        banc.fenetre().connexionCompte();
        const char *ajout = "INSERT INTO compte SET sujet='Gain', valeur=?, commentaire=?, "
                            "date_insert=?";
        const int a = banc.sql(ajout, { "10", "a", "2020-01-03 00:00:00" }).lastInsertId().toInt();
        const int b = banc.sql(ajout, { "20", "b", "2020-01-02 00:00:00" }).lastInsertId().toInt();
        const int c = banc.sql(ajout, { "30", "c", "2020-01-01 00:00:00" }).lastInsertId().toInt();
        const Conflits avant = conflits();

        banc.lancer(panneauCompte, "Afficher/Modifier", [&](QDialog *d) {
            QSqlTableModel *m = grilleDe(d);
            QVERIFY(m->setData(m->index(ligneDe(m, a), 2), "11"));
            QVERIFY(m->setData(m->index(ligneDe(m, b), 2), "21"));
            QVERIFY(m->setData(m->index(ligneDe(m, c), 2), "31"));
            // Meanwhile, on another workstation:
            banc.sql("UPDATE compte SET commentaire='ailleurs' WHERE id=?", { a });
            banc.sql("DELETE FROM compte WHERE id=?", { c });

            banc.pilote.boite();
            appuyer(d, "Valider");
            QCOMPARE(banc.lignes("SELECT valeur, commentaire FROM compte ORDER BY id"),
                     (QList<QVariantList> { { "10", "ailleurs" }, { "20", "b" } }));
            QCOMPARE(m->rowCount(), 2);
            QCOMPARE(m->index(ligneDe(m, a), 2).data().toString(), "10");
            QCOMPARE(m->index(ligneDe(m, a), 3).data().toString(), "ailleurs");
            QCOMPARE(m->index(ligneDe(m, b), 2).data().toString(), "21");
            QVERIFY(m->isDirty(m->index(ligneDe(m, b), 2)));

            // Sent again, the edit left stands on what is stored.
            banc.pilote.boite();
            appuyer(d, "Valider");
            appuyer(d, "Fermer la fenêtre");
        });
        QCOMPARE(banc.pilote.anomalies(), QStringList());

        QCOMPARE(banc.pilote.boites.size(), 2);
        const Boite nommee = banc.pilote.boites.at(0);
        QCOMPARE(nommee.icone, QMessageBox::Warning);
        QCOMPARE(nommee.titre, "Conflit avec un autre poste");
        QVERIFY(nommee.texte.contains(QString("Modifiés par un autre poste : n°%1\n").arg(a)));
        QVERIFY(nommee.texte.contains(QString("Supprimés par un autre poste : n°%1\n").arg(c)));
        QVERIFY(nommee.texte.contains("Rien n'a été enregistré."));
        QCOMPARE(banc.pilote.boites.at(1).titre, "Modifications reussies");
        QCOMPARE(banc.lignes("SELECT valeur, commentaire FROM compte ORDER BY id"),
                 (QList<QVariantList> { { "10", "ailleurs" }, { "21", "b" } }));
        QCOMPARE(conflits().signales, avant.signales + 1);
    }
};

QTEST_MAIN(TestConcurrence)
#include "tst_concurrence.moc"
