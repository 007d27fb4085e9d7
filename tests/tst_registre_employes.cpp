#include "commun/grilles.h"
#include "employes/registre.h"
#include "support/base_de_test.h"

#include <QSqlTableModel>
#include <QtTest>

using namespace employes;

namespace {

using Lignes = QList<QVariantList>;

const QString bloque =
    "CREATE TRIGGER bloque BEFORE DELETE ON %1 FOR EACH ROW SIGNAL SQLSTATE '45000'";
// The first write of a session is refused as a deadlock; the session's
// variable outlives the rollback, so that the replay goes through.
const QString deadlockUneFois = "CREATE TRIGGER interblocage_%1 BEFORE INSERT ON %1 FOR EACH ROW "
                                "BEGIN IF @deja IS NULL THEN SET @deja = 1; SIGNAL SQLSTATE "
                                "'40001' SET MYSQL_ERRNO = 1213; END IF; END";

Personne personne(int type, const QString &nom, const QString &prenom,
                  const QString &domaine = "Vente")
{
    Personne p;
    p.type = type;
    p.nom = nom;
    p.prenom = prenom;
    p.sexe = "M";
    p.domaine = domaine;
    p.duree = 6;
    return p;
}

const Jour naissance { 1980, 5, 4 };
const Jour debut { 2013, 3, 15 };

// Persons numbered from 1: "type|nom|prenom[|sexe]".
void inscrire(BaseDeTest &base, const QStringList &liste)
{
    for (const QString &p : liste) {
        const QStringList c = p.split('|');
        base.sql("INSERT INTO employes SET type=?, nom=?, prenom=?, nom_prenom=?, sexe=?, "
                 "domaine='Vente', date_naissance='1980-05-04', date_embouche='2012-01-02'",
                 { c[0], c[1], c[2], c[1] + ' ' + c[2], c.value(3, "M") });
    }
}

// "(employe_id, 'date', heures), ..."
void absents(BaseDeTest &base, const QString &valeurs)
{
    base.sql("INSERT INTO absence (employe_id, date_absence, nbre_heure) VALUES " + valeurs);
}

// Who is left: the persons' numbers, then the persons of the absences.
QString reste(BaseDeTest &base)
{
    return base
        .valeur("SELECT CONCAT_WS(' / ', (SELECT GROUP_CONCAT(id ORDER BY id) FROM employes), "
                "(SELECT GROUP_CONCAT(employe_id ORDER BY id) FROM absence))")
        .toString();
}

} // namespace

Q_DECLARE_METATYPE(Jour)

class TestRegistreEmployes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void anEmployeeIsStoredAsTypedNamesAsWideAsTheirColumnsWhole()
    {
        BaseDeTest base;
        const QString nom = "O'" + QString(58, QChar(0xe9)), prenom(59, 'p');
        Personne p = personne(employe, nom, prenom, QString(255, 'd'));
        p.sexe = "F";
        p.commentaire = "l 1\nl 2";
        QVERIFY(ajouterPersonne(base.db, p, naissance, debut).ok());
        QCOMPARE(p.id.toInt(), 1);
        QCOMPARE(base.lignes("SELECT type, nom, prenom, nom_prenom, sexe, CHAR_LENGTH(domaine), "
                             "date_naissance, date_embouche, duree IS NULL AND date_fin IS NULL, "
                             "commentaire FROM employes"),
                 (Lignes { { 1, nom, prenom, nom + ' ' + prenom, "F", 255, QDate(1980, 5, 4),
                             QDate(2013, 3, 15), 1, "l 1\nl 2" } }));
    }

    void anInternEndsAfterCalendarMonths_data()
    {
        QTest::addColumn<Jour>("premier");
        QTest::addColumn<int>("duree");
        QTest::addColumn<QDate>("fin");
        QTest::newRow("31 January + 1, 2023") << Jour { 2023, 1, 31 } << 1 << QDate(2023, 2, 28);
        QTest::newRow("31 January + 1, 2024") << Jour { 2024, 1, 31 } << 1 << QDate(2024, 2, 29);
        QTest::newRow("31 August + 6") << Jour { 2013, 8, 31 } << 6 << QDate(2014, 2, 28);
    }

    void anInternEndsAfterCalendarMonths()
    {
        QFETCH(Jour, premier);
        QFETCH(int, duree);
        QFETCH(QDate, fin);
        BaseDeTest base;
        Personne p = personne(stagiaire, "Durand", "Lea");
        p.duree = duree;
        QVERIFY(ajouterPersonne(base.db, p, naissance, premier).ok());
        QCOMPARE(p.fin, fin);
        QCOMPARE(base.lignes("SELECT type, duree, date_fin FROM employes"),
                 (Lignes { { 2, duree, fin } }));
    }

    void whatCannotBeStoredIsRefusedWithItsFieldAndNothingIsWritten_data()
    {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QString>("prenom");
        QTest::addColumn<QString>("domaine");
        QTest::addColumn<Jour>("ne");
        QTest::addColumn<QString>("champ");
        QTest::addColumn<QString>("raison");
        const QString obligatoires = champsObligatoires;
        const QString n60(60, 'n'), n61(61, 'n');
        QTest::newRow("no name") << ""
                                 << "Anne"
                                 << "Vente" << naissance << "Le nom" << obligatoires;
        QTest::newRow("no field of work") << "Martin"
                                          << "Anne"
                                          << "" << naissance << "Le domaine" << obligatoires;
        QTest::newRow("name of 61") << n61 << "A"
                                    << "Vente" << naissance << "Le nom"
                                    << "Le nom dépasse 60 caractères";
        QTest::newRow("60 + 60 do not fit the combined name")
            << n60 << n60 << "Vente" << naissance << "Le nom et le prénom"
            << "Le nom et le prénom, avec l'espace qui les sépare, dépassent 120 caractères";
        QTest::newRow("29 February 2023") << "Martin"
                                          << "Anne"
                                          << "Vente" << Jour { 2023, 2, 29 } << "date de naissance"
                                          << "Le 29 février 2023 n'existe pas (date de naissance)";
    }

    void whatCannotBeStoredIsRefusedWithItsFieldAndNothingIsWritten()
    {
        QFETCH(QString, nom);
        QFETCH(QString, prenom);
        QFETCH(QString, domaine);
        QFETCH(Jour, ne);
        QFETCH(QString, champ);
        QFETCH(QString, raison);
        BaseDeTest base;
        Personne p = personne(stagiaire, nom, prenom, domaine);
        const Issue issue = ajouterPersonne(base.db, p, ne, debut);
        QCOMPARE(issue.genre, Issue::Refuse);
        QCOMPARE(issue.champ, champ);
        QVERIFY2(issue.raison.startsWith(raison), qPrintable(issue.raison));
        QCOMPARE(base.compte("employes"), 0);
        QVERIFY(!p.id.isValid());
    }

    void absencesAndListsOfAType()
    {
        BaseDeTest base;
        inscrire(base, { "1|Martin|Anne", "2|Durand|Lea" });
        Absence a;
        a.personneId = 1;
        a.heures = 8;
        const Issue refus = ajouterAbsence(base.db, a, { 2013, 4, 31 });
        QCOMPARE(refus.genre, Issue::Refuse);
        QCOMPARE(refus.raison, "Le 31 avril 2013 n'existe pas (date de l'absence)");
        QCOMPARE(base.compte("absence"), 0);
        // The same day twice is two absences.
        QVERIFY(ajouterAbsence(base.db, a, { 2013, 3, 31 }).ok());
        QVERIFY(ajouterAbsence(base.db, a, { 2013, 3, 31 }).ok());
        QCOMPARE(a.id.toInt(), 2);
        absents(base, "(2, '2013-04-01', 3)");
        // Each type lists its own persons' absences, with their names.
        QList<Absence> liste;
        QVERIFY(employes::absences(base.db, employe, &liste).ok());
        QCOMPARE(liste.size(), 2);
        QCOMPARE((QVariantList { liste[1].id, liste[1].date, liste[1].heures, liste[1].nom,
                                 liste[1].prenom }),
                 (QVariantList { 2, QDate(2013, 3, 31), 8, "Martin", "Anne" }));
        QVERIFY(employes::absences(base.db, stagiaire, &liste).ok());
        QCOMPARE(liste.size(), 1);
        QList<Personne> lesStagiaires;
        QVERIFY(employes::personnes(base.db, stagiaire, &lesStagiaires).ok());
        QCOMPARE((QVariantList { lesStagiaires.size(), lesStagiaires[0].id, lesStagiaires[0].nom,
                                 lesStagiaires[0].prenom }),
                 (QVariantList { 1, 2, "Durand", "Lea" }));
        QStringList noms;
        QVERIFY(nomsProposes(base.db, stagiaire, &noms).ok());
        QCOMPARE(noms, (QStringList { "Durand", "Lea", "Durand Lea" }));
        // A person deleted by another workstation meanwhile gets none.
        a.personneId = 9;
        QCOMPARE(ajouterAbsence(base.db, a, { 2013, 3, 1 }).genre, Issue::Refuse);
        QVERIFY(supprimerAbsence(base.db, 1).ok());
        QCOMPARE(reste(base), "1,2 / 1,2");
    }

    void deletingAPersonTakesTheirAbsencesOrNothing()
    {
        BaseDeTest base;
        inscrire(base, { "1|Martin|Anne", "1|Dupont|Paul" });
        absents(base, "(1, '2013-03-05', 8), (2, '2013-03-06', 2), (1, '2013-03-07', 1)");
        // The absences' delete is refused after the person's: the person stays.
        base.sql(bloque.arg("absence"));
        QCOMPARE(supprimerPersonne(base.db, 1).genre, Issue::Erreur);
        QCOMPARE(reste(base), "1,2 / 1,2,1");
        base.sql("DROP TRIGGER bloque");
        QVERIFY(supprimerPersonne(base.db, 1).ok());
        QCOMPARE(reste(base), "2 / 2");
    }

    void emptyingATypeTakesItsAbsencesOnlyOrNothing()
    {
        BaseDeTest base;
        inscrire(base, { "1|Martin|Anne", "2|Durand|Lea", "2|Petit|Luc" });
        absents(base, "(1, '2013-03-05', 8), (2, '2013-03-06', 2), (3, '2013-03-07', 1)");
        // The persons' delete is refused after their absences': the absences stay.
        base.sql(bloque.arg("employes"));
        QCOMPARE(viderType(base.db, stagiaire).genre, Issue::Erreur);
        QCOMPARE(reste(base), "1,2,3 / 1,2,3");
        base.sql("DROP TRIGGER bloque");
        QVERIFY(viderType(base.db, stagiaire).ok());
        QCOMPARE(reste(base), "1 / 1");
        QVERIFY(viderType(base.db, stagiaire).ok());
    }

    void aGridSavesEveryEditOrNone()
    {
        BaseDeTest base;
        inscrire(base, { "1|Martin|Anne", "1|Dupont|Paul", "2|Durand|Lea" });
        std::unique_ptr<QSqlTableModel> modele = grille(base.db, employe);
        QVERIFY(chargerGrille(*modele).ok());
        QCOMPARE(modele->rowCount(), 2);
        const int nom = modele->fieldIndex("nom"), id = modele->fieldIndex("id");
        // A good edit, and a number taken by another person: nothing is written.
        modele->setData(modele->index(0, nom), "Bernard");
        modele->setData(modele->index(1, id), 3);
        const Issue refus = enregistrer(*modele);
        QCOMPARE(refus.genre, Issue::Erreur);
        QVERIFY2(refus.raison.contains("Duplicate"), qPrintable(refus.raison));
        QCOMPARE(reste(base), "1,2,3");
        QCOMPARE(base.valeur("SELECT nom FROM employes WHERE id=1").toString(), "Martin");
        // Corrected, both go; the combined name is not recomputed.
        modele->setData(modele->index(1, id), 7);
        QVERIFY(enregistrer(*modele).ok());
        QCOMPARE(base.lignes("SELECT id, nom, nom_prenom FROM employes WHERE type=1"),
                 (Lignes { { 1, "Bernard", "Martin Anne" }, { 7, "Dupont", "Dupont Paul" } }));
    }

    void aGridNeverWritesOverAnotherWorkstationsChange()
    {
        BaseDeTest base;
        inscrire(base, { "1|Martin|Anne" });
        std::unique_ptr<QSqlTableModel> modele = grille(base.db, employe);
        QVERIFY(chargerGrille(*modele).ok());
        QSqlQuery ailleurs(base.autre());
        QVERIFY(ailleurs.exec("UPDATE employes SET domaine='Achats' WHERE id=1"));
        modele->setData(modele->index(0, modele->fieldIndex("nom")), "Bernard");
        QCOMPARE(enregistrer(*modele).genre, Issue::Conflit);
        QCOMPARE(base.lignes("SELECT nom, domaine FROM employes"),
                 (Lignes { { "Martin", "Achats" } }));
    }

    void aRowHeldByAnotherWorkstationIsToldAsAConflict()
    {
        BaseDeTest base;
        inscrire(base, { "1|Martin|Anne" });
        absents(base, "(1, '2013-03-05', 8)");
        QSqlQuery(base.db).exec("SET SESSION innodb_lock_wait_timeout = 1");
        QSqlDatabase autre = base.autre();
        QVERIFY(autre.transaction());
        QSqlQuery tenue(autre);
        QVERIFY(tenue.exec("SELECT * FROM employes WHERE id=1 FOR UPDATE"));
        // Waited for, run once more, then given up: nothing written.
        const int rejoues = conflits().rejoues;
        QCOMPARE(supprimerPersonne(base.db, 1).genre, Issue::Conflit);
        QCOMPARE(conflits().rejoues, rejoues + 1);
        QVERIFY(autre.rollback());
        QCOMPARE(reste(base), "1 / 1");
    }

    void aDeadlockIsReplayedAndStoredOnce()
    {
        BaseDeTest base;
        inscrire(base, { "1|Martin|Anne" });
        base.sql(deadlockUneFois.arg("absence"));
        base.sql(deadlockUneFois.arg("employes"));
        Absence a;
        a.personneId = 1;
        a.heures = 4;
        QVERIFY(ajouterAbsence(base.db, a, { 2013, 3, 5 }).ok());
        QCOMPARE(base.lignes("SELECT employe_id, date_absence, nbre_heure FROM absence"),
                 (Lignes { { 1, QDate(2013, 3, 5), 4 } }));
        // The session's variable is set now: a fresh session for the person.
        QSqlQuery(base.db).exec("SET @deja = NULL");
        Personne p = personne(stagiaire, "Durand", "Lea");
        QVERIFY(ajouterPersonne(base.db, p, naissance, debut).ok());
        QCOMPARE(base.compte("employes"), 2);
    }

    void searchMatchesLiterallyAndReadsAsThePageAsks()
    {
        BaseDeTest base;
        inscrire(base,
                 { "1|Martin|Anne|F", "1|Dupont|Paul", "2|Martin|Luc", "1|O_Brien|100%",
                   "1|Lebrun|Ana" });
        base.sql("UPDATE employes SET duree=6, date_fin='2012-07-02', commentaire='Cheffe' "
                 "WHERE id=3");
        absents(base, "(3, '2013-03-05', 8), (3, '2013-08-06', 4), (1, '2013-01-02', 1)");
        const auto trouves = [&](int type, const QString &texte) {
            Curseur<Personne> curseur;
            QList<int> liste;
            if (chercher(base.db, type, texte, &curseur).ok())
                for (const Personne &p : curseur.suivants(10))
                    liste << p.id.toInt();
            return liste;
        };
        QCOMPARE(trouves(employe, "Martin Anne"), QList<int> { 1 });
        QCOMPARE(trouves(employe, "Martin An"), QList<int>());
        QCOMPARE(trouves(employe, "ART"), QList<int> { 1 });
        QCOMPARE(trouves(employe, "%") + trouves(employe, "_"), (QList<int> { 4, 4 }));
        QCOMPARE(trouves(employe, "O'Brien"), QList<int>());
        QCOMPARE(trouves(employe, QString::fromUtf8("Martin \xF0\x9F\x98\x80")), QList<int>());
        QCOMPARE(trouves(employe, ""), (QList<int> { 1, 2, 4, 5 }));
        // Each person once, whatever their absences, a few at a time.
        Curseur<Personne> curseur;
        QVERIFY(chercher(base.db, stagiaire, "Martin", &curseur).ok());
        QCOMPARE(curseur.taille(), 1);
        const Personne p = curseur.suivants(1).value(0);
        QCOMPARE((QVariantList { p.id, p.type, p.nom, p.prenom, p.sexe, p.naissance, p.debut,
                                 p.duree, p.fin, p.commentaire }),
                 (QVariantList { 3, 2, "Martin", "Luc", "M", QDate(1980, 5, 4), QDate(2012, 1, 2),
                                 6, QDate(2012, 7, 2), "Cheffe" }));
        QVERIFY(curseur.suivants(1).isEmpty());
        QHash<int, Releve> lus;
        QVERIFY(releves(base.db, { 2, 3 }, &lus).ok());
        QCOMPARE(lus.value(3).dates,
                 "05 mars 2013 (8 heures)<br/>" + QString("&nbsp;").repeated(28)
                     + "06 août 2013 (4 heures)");
        QCOMPARE((QStringList { lus.value(3).total, lus.value(2).total }),
                 (QStringList { "12", "0" }));
        QVERIFY(!lus.contains(2) && !lus.contains(1));
    }

    void theSummaryCountsBothTypesBySex()
    {
        BaseDeTest base;
        Bilan vide;
        QVERIFY(bilan(base.db, &vide).ok());
        QCOMPARE(vide.heures, "0"); // a sum of no rows
        // A sex other than M or F, and an absence of nobody, count in the totals only.
        inscrire(base, { "1|A|a", "1|B|b", "1|C|c|F", "2|D|d|F", "1|E|e|X" });
        absents(base,
                "(1, '2013-03-05', 8), (4, '2013-03-05', 4), (5, '2013-03-05', 2), "
                "(999, '2013-03-05', 1), (1, '2013-03-06', 3)");
        Bilan b;
        QVERIFY(bilan(base.db, &b).ok());
        QCOMPARE((QList<int> { b.personnes, b.employesM, b.employesF, b.stagiairesM, b.stagiairesF,
                               b.heuresEmployesM, b.heuresEmployesF, b.heuresStagiairesM,
                               b.heuresStagiairesF }),
                 (QList<int> { 5, 2, 1, 0, 1, 11, 0, 0, 4 }));
        QCOMPARE(b.heures, "18");
    }
};

QTEST_GUILESS_MAIN(TestRegistreEmployes)
#include "tst_registre_employes.moc"
