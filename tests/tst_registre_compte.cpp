#include "compte/registre.h"
#include "support/base_de_test.h"

#include <QSqlQuery>
#include <QSqlTableModel>
#include <QtTest>

using namespace compte;

namespace {

Issue ajout(BaseDeTest &base, const QString &sujet, const QString &valeur,
            const QString &commentaire = {}, const QDateTime &date = {})
{
    return ajouter(base.db, { {}, sujet, valeur, commentaire, date });
}

// The book as stored, one "id sujet valeur" per entry.
QString livre(BaseDeTest &base)
{
    return base
        .valeur("SELECT GROUP_CONCAT(CONCAT_WS(' ', id, sujet, valeur) ORDER BY id "
                "SEPARATOR ', ') FROM compte")
        .toString();
}

// Entries around the months of 15 March 2026: each one a day's last second
// or first second.
void livreDe2026(BaseDeTest &base)
{
    base.sql("INSERT INTO compte VALUES (1, 'Gain', '100', '', '2025-12-31 23:59:59'), (2, "
             "'Dépense', '10', '', '2026-01-01 00:00:00'), (3, 'Gain', '5.5', '', '2026-02-01 "
             "00:00:00'), (4, 'Dépense', '20', '', '2026-02-28 23:59:59'), (5, 'Gain', '1', '', "
             "'2026-03-01 00:00:00'), (6, 'Dépense', '3', '', '2026-03-15 12:00:00'), (7, "
             "'Gain', '7', '', '2027-01-01 00:00:00')");
}

} // namespace

class TestRegistreCompte : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addStoresAmountsAsReadAndRefusesWhatItCannotStore()
    {
        BaseDeTest base;
        const QDateTime avant = QDateTime::currentDateTime().addSecs(-1);
        QCOMPARE(ajout(base, "Gain", "12,50", "l'été\n<b>deux</b> lignes").id.toInt(), 1);
        QVERIFY(ajout(base, "Dépense", QString("1") + QChar(0xA0) + "000").ok());
        QCOMPARE(livre(base), "1 Gain 12.50, 2 Dépense 1000");
        // No comment is an empty text; the date is the moment of the add.
        QCOMPARE(base.lignes("SELECT commentaire FROM compte ORDER BY id"),
                 (QList<QVariantList> { { "l'été\n<b>deux</b> lignes" }, { "" } }));
        const QString quand = "SELECT MIN(date_insert) >= ? AND MAX(date_insert) <= NOW() + "
                              "INTERVAL 1 SECOND FROM compte";
        QVERIFY(base.valeur(quand, { avant }).toBool());
        // The kind is checked first; each refusal names its field; nothing is written.
        const Issue sansType = ajout(base, "Choisir", "abc");
        QCOMPARE(sansType.champ, champSujet);
        QCOMPARE(sansType.raison, "Veuillez specifier si il s'agit d'une dépense ou d'un gain");
        for (const char *montant : { "0", "abc", "100000000000000000000" })
            QVERIFY(ajout(base, "Gain", montant).raison.startsWith(champMontant + ' '));
        const Issue emoji = ajout(base, "Gain", "5", "merci \U0001F600");
        QCOMPARE(emoji.champ + ": " + emoji.raison,
                 champCommentaire
                     + ": Le commentaire contient un caractère que la base ne peut "
                       "pas enregistrer : \U0001F600");
        QCOMPARE(base.compte("compte"), 2);
    }

    void reportSumsTheAmountsAsStored()
    {
        BaseDeTest base;
        QVERIFY(ajout(base, "Dépense", "12,50", "pain", { QDate(2013, 8, 14), QTime(10, 0) }).ok());
        // An amount edited in the grid that is no number counts as the server reads it.
        base.sql("INSERT INTO compte VALUES (2, 'Gain', '10.10', '', '2013-08-01 10:00'), (3, "
                 "'Dépense', '7.25', 'lait', '2014-01-02 10:05'), (4, 'Gain', '0.1', '', "
                 "'2013-09-01'), (5, 'Gain', '0.2', '', '2013-09-01'), (9, 'Dépense', '3abc', "
                 "'', '2013-09-01')");
        Bilan bilan;
        QVERIFY(lireBilan(base.db, &bilan).ok());
        QStringList depenses; // "valeur|commentaire|quand"
        for (const LigneBilan &l : bilan.depenses.suivants(10))
            depenses << l.valeur + '|' + l.commentaire + '|' + l.quand;
        QCOMPARE(depenses,
                 (QStringList { "12.50|pain|le 14 août 2013 à 10h00min",
                                "7.25|lait|le 02 janvier 2014 à 10h05min",
                                "3abc||le 01 septembre 2013 à 00h00min" }));
        // Written as the program shows numbers: 10.4, not 10.399999999999999.
        QCOMPARE(QStringList({ bilan.totalDepenses, bilan.totalGains, bilan.difference,
                               bilan.premiereDate, bilan.derniereDate }),
                 QStringList({ "22.75", "10.4", "-12.35", "01 août 2013", "02 janvier 2014" }));
    }

    void reportOfAPeriodHasItsEntriesOnly()
    {
        BaseDeTest base;
        livreDe2026(base);
        // "choice [du au] | heading | file | expenses / gains / totals, difference, days"
        const QStringList cas = {
            "0 |  | " + QDate::currentDate().toString("yyyy-MM-dd")
                + " | 10 20 3 / 100 5.5 1 7 / 33 113.5 80.5 31 décembre 2025 01 janvier 2027",
            "1 | de mars 2026 | 2026-03 | 3 / 1 / 3 1 -2 01 mars 2026 15 mars 2026",
            "2 | de février 2026 | 2026-02 | 20 / 5.5 / 20 5.5 -14.5 01 février 2026 28 février "
            "2026",
            "3 | de l'année 2026 | 2026 | 10 20 3 / 5.5 1 / 33 6.5 -26.5 01 janvier 2026 15 mars "
            "2026",
            "4 | de l'année 2025 | 2025 | / 100 / 0 100 100 31 décembre 2025 31 décembre 2025",
            // Days given the wrong way round are taken the right way.
            "5 2026-03-01 2026-01-01 | du 01/01/2026 au 01/03/2026 | 2026-01-01-au-2026-03-01 | 10 "
            "20 / 5.5 1 / 30 6.5 -23.5 01 janvier 2026 01 mars 2026",
            "5 2026-04-01 2026-04-30 | d'avril 2026 | 2026-04 | / / 0 0 0  ",
        };
        for (const QString &ligne : cas) {
            const QStringList choix = ligne.section(" | ", 0, 0).split(' ');
            const Periode p = periode(choix[0].toInt(), { 2026, 3, 15 },
                                      QDate::fromString(choix.value(1), Qt::ISODate),
                                      QDate::fromString(choix.value(2), Qt::ISODate));
            Bilan b;
            QVERIFY(lireBilan(base.db, &b, p).ok());
            QStringList lu = { choix.join(' '), libelle(p), partieFichier(p) };
            QStringList sommes;
            for (Curseur<LigneBilan> *c : { &b.depenses, &b.gains }) {
                for (const LigneBilan &l : c->suivants(10))
                    sommes << l.valeur;
                sommes << "/";
            }
            sommes << b.totalDepenses << b.totalGains << b.difference << b.premiereDate
                   << b.derniereDate;
            QCOMPARE((lu << sommes.join(' ')).join(" | "), ligne);
        }
    }

    void evolutionSumsEachMonthOrDay()
    {
        BaseDeTest base;
        QList<Point> points;
        QVERIFY(evolution(base.db, {}, &points).ok() && points.isEmpty());
        livreDe2026(base);
        const auto lire = [&](const Periode &p) {
            QStringList lu;
            if (!evolution(base.db, p, &points).ok())
                return QStringList({ "refusé" });
            for (const Point &point : points) {
                lu << QString("%1 %2 %3 %4")
                          .arg(point.etiquette)
                          .arg(point.gains)
                          .arg(point.depenses)
                          .arg(point.solde);
            }
            return lu;
        };
        QCOMPARE(lire({ { 2025, 12, 1 }, { 2026, 3, 31 } }),
                 QStringList({ "déc. 2025 100 0 100", "janv. 2026 0 10 90",
                               "févr. 2026 5.5 20 75.5", "mars 2026 1 3 73.5" }));
        // The whole book: from its first month to its last one.
        const QStringList tout = lire({});
        QCOMPARE(tout.size(), 14);
        QCOMPARE(tout.last(), "janv. 2027 7 0 80.5");
        QCOMPARE(lire({ { 1752, 9, 14 }, { 9999, 12, 31 } }), tout);
        // One month or less: per day, the last second of its last day in.
        const QStringList fevrier = lire(periode(2, { 2026, 3, 15 }));
        QCOMPARE(fevrier.size(), 28);
        QCOMPARE(QStringList({ fevrier.first(), fevrier.at(1), fevrier.last() }),
                 QStringList({ "01/02 5.5 0 5.5", "02/02 0 0 5.5", "28/02 0 20 -14.5" }));
    }

    void deleteEmptyAndAFullBook()
    {
        BaseDeTest base;
        QVERIFY(ajout(base, "Gain", "150").ok() && ajout(base, "Dépense", "30").ok());
        QList<Ecriture> liste;
        QVERIFY(entrees(base.db, &liste).ok() && liste.size() == 2);
        QCOMPARE(liste[1].id.toString() + liste[1].sujet + liste[1].valeur, "2Dépense30");

        QVERIFY(supprimer(base.db, 1).ok());
        // One already gone is told as such.
        QCOMPARE(supprimer(base.db, 1).genre, Issue::DejaSupprime);
        QCOMPARE(livre(base), "2 Dépense 30");

        // The key's last number taken: the book says it is full, and takes
        // entries again once emptied, numbered from 1.
        base.sql("ALTER TABLE compte AUTO_INCREMENT = 65535");
        QCOMPARE(ajout(base, "Gain", "1").id.toInt(), 65535);
        const Issue pleine = ajout(base, "Gain", "2");
        QCOMPARE(pleine.genre, Issue::Erreur);
        QVERIFY2(pleine.raison.startsWith("La table compte est pleine (65 535 entrées)"),
                 qPrintable(pleine.raison));
        QCOMPARE(base.compte("compte"), 2);
        QVERIFY(vider(base.db).ok());
        QCOMPARE(ajout(base, "Gain", "3").id.toInt(), 1);
        // A deadlock met once (the session's variable outlives the rollback):
        // the add is run again, and stored once.
        base.sql("CREATE TRIGGER interblocage BEFORE INSERT ON compte FOR EACH ROW BEGIN IF "
                 "@deja IS NULL THEN SET @deja = 1; SIGNAL SQLSTATE '40001' SET MYSQL_ERRNO = "
                 "1213; END IF; END");
        QVERIFY(ajout(base, "Gain", "12,50").ok());
        QCOMPARE(livre(base), "1 Gain 3, 2 Gain 12.50");
        // Another workstation holds the book: run once more, then given up.
        QVERIFY(QSqlQuery(base.db).exec("SET SESSION innodb_lock_wait_timeout = 1"));
        QSqlDatabase autre = base.autre();
        QVERIFY(autre.transaction() && QSqlQuery(autre).exec("SELECT * FROM compte FOR UPDATE"));
        const int rejoues = conflits().rejoues;
        QCOMPARE(supprimer(base.db, 1).genre, Issue::Conflit);
        QCOMPARE(vider(base.db).genre, Issue::Conflit);
        QCOMPARE(conflits().rejoues, rejoues + 2);
        autre.rollback();
        QCOMPARE(base.compte("compte"), 2);
    }

    void gridSavesAllOrNothing()
    {
        BaseDeTest base;
        base.sql("INSERT INTO compte VALUES (1, 'Gain', '150', 'a', '2013-03-05'), "
                 "(2, 'Dépense', '30', 'b', '2013-08-14'), (3, 'Dépense', '12', 'c', "
                 "'2013-05-01')");
        Issue issue;
        const auto modele = grille(base.db, &issue);
        QVERIFY(issue.ok() && modele);
        const int valeur = modele->fieldIndex("valeur"), sujet = modele->fieldIndex("sujet");
        auto ecrire = [&](int l, int c, const QString &v) {
            QVERIFY(modele->setData(modele->index(l, c), v));
        };
        // Newest first (entry 2, then 3, then 1). An amount that is no number
        // is refused before anything is sent, naming its entry.
        ecrire(0, valeur, "99 F");
        QCOMPARE(enregistrer(*modele).raison,
                 "Le montant n'est pas un nombre : écrivez par exemple 1500 ou 12,50 (n°2)");
        // One good edit and one the server refuses: neither is written.
        ecrire(0, valeur, "99,50");
        ecrire(1, sujet, "Cadeau");
        QCOMPARE(enregistrer(*modele).genre, Issue::Erreur);
        QCOMPARE(livre(base), "1 Gain 150, 2 Dépense 30, 3 Dépense 12");
        ecrire(1, sujet, "Gain");
        QVERIFY(enregistrer(*modele).ok());
        QCOMPARE(livre(base), "1 Gain 150, 2 Dépense 99.50, 3 Gain 12");
    }
};

QTEST_GUILESS_MAIN(TestRegistreCompte)
#include "tst_registre_compte.moc"
