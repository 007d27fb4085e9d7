#include "commun/grilles.h"
#include "support/banc.h"
#include <QSqlTableModel>
#include <QTableView>

class TestConcurrence : public QObject
{
    Q_OBJECT

private slots:
    // A deadlock or a lock wait replays an add, delete or emptying once; nothing else is.
    void replayRule()
    {
        QSqlQuery q(connexionServeur("regle"));
        const QString refus = "SIGNAL SQLSTATE '40001' SET MYSQL_ERRNO = %1";
        for (int e = 0; e < 4; ++e) { // Ajout, Suppression, Vidage, Grille
            for (int code : { 1213, 1205, 1406 }) {
                const bool conflit = code != 1406, rejoue = conflit && e != 3;
                int essais = 0;
                const Issue issue = ecrire(Changement(e), [&] {
                    ++essais;
                    return executer(q, refus.arg(code)) ? Issue::ecrit() : Issue::erreur(q);
                });
                const QString cas = QString("%1/%2: %3 %4").arg(e).arg(code);
                QCOMPARE(cas.arg(essais).arg(issue.genre),
                         cas.arg(rejoue ? 2 : 1).arg(conflit ? Issue::Conflit : Issue::Erreur));
            }
        }
    }

    // The box names the rows another workstation changed or deleted; nothing
    // is written, the grid shows them as they are now, the edit left waits.
    void gridConflictTold()
    {
        Banc banc;
        banc.fenetre().connexionCompte();
        banc.sql("INSERT INTO compte (sujet, valeur, commentaire, date_insert) SELECT 'Gain', "
                 "seq * 10, CHAR(96 + seq), '2020-01-04' - INTERVAL seq DAY FROM seq_1_to_3");
        auto modifier = [&](QDialog *d) {
            auto *m = qobject_cast<QSqlTableModel *>(modeleDe(d->findChild<QTableView *>()));
            for (int ligne : { 0, 1, 2 }) // newest first: n°1, 2, 3
                QVERIFY(m->setData(m->index(ligne, 2), QString::number(ligne * 10 + 11)));
            banc.sql("UPDATE compte SET commentaire='ailleurs' WHERE id=1");
            banc.sql("DELETE FROM compte WHERE id=3");
            appuyer(d, "Valider");
            QCOMPARE(banc.valeur("SELECT SUM(valeur) FROM compte").toInt(), 30);
            QCOMPARE(m->index(0, 3).data().toString(), "ailleurs");
            QVERIFY(m->rowCount() == 2 && m->isDirty(m->index(1, 2)));
            appuyer(d, "Fermer la fenêtre");
        };
        banc.lancer(panneauCompte, "Afficher/Modifier", modifier, { QMessageBox::Ok });
        QCOMPARE(
            banc.pilote.vues().value(0).section('\n', 0, 2),
            "W Conflit avec un autre poste: Un autre poste a changé ces éléments depuis leur "
            "affichage :\nModifiés par un autre poste : n°1\nSupprimés par un autre poste : n°3");
    }
};

QTEST_MAIN(TestConcurrence)
#include "tst_concurrence.moc"
