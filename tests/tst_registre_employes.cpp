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

// Persons numbered from 1, "type|nom|prenom[|sexe]"; their absences, "(id, 'date', heures)".
void inscrire(BaseDeTest &base, const QStringList &liste, const QString &absences = {})
{
    for (const QString &p : liste) {
        const QStringList c = p.split('|');
        base.sql("INSERT INTO employes SET type=?, nom=?, prenom=?, nom_prenom=?, sexe=?, "
                 "domaine='Vente', date_naissance='1980-05-04', date_embouche='2012-01-02'",
                 { c[0], c[1], c[2], c[1] + ' ' + c[2], c.value(3, "M") });
    }
    if (!absences.isEmpty())
        base.sql("INSERT INTO absence (employe_id, date_absence, nbre_heure) VALUES " + absences);
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

class TestRegistreEmployes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addStoresAsTypedOrRefusesNamingTheField()
    {
        BaseDeTest base;
        const Jour naissance { 1980, 5, 4 }, debut { 2013, 3, 15 };
        const QString nom = "O'" + QString(58, QChar(0xe9)), prenom(59, 'p');
        Personne p { {}, employe, nom, prenom, "F", QString(255, 'd'), "l 1\nl 2", {}, {}, 0, {} };
        QVERIFY(ajouterPersonne(base.db, p, naissance, debut).ok() && p.id == 1);
        QCOMPARE(base.lignes("SELECT type, nom, prenom, nom_prenom, sexe, CHAR_LENGTH(domaine), "
                             "date_naissance, date_embouche, duree IS NULL AND date_fin IS NULL, "
                             "commentaire FROM employes"),
                 (Lignes { { 1, nom, prenom, nom + ' ' + prenom, "F", 255, QDate(1980, 5, 4),
                             QDate(2013, 3, 15), 1, "l 1\nl 2" } }));
        // An intern ends after calendar months.
        const QList<std::tuple<Jour, int, QDate>> stages = {
            { { 2023, 1, 31 }, 1, QDate(2023, 2, 28) },
            { { 2024, 1, 31 }, 1, QDate(2024, 2, 29) },
            { { 2013, 8, 31 }, 6, QDate(2014, 2, 28) }
        };
        for (const auto &[premier, duree, fin] : stages) {
            Personne s { {}, stagiaire, "Durand", "Lea", "M", "Vente", {}, {}, {}, duree, {} };
            QVERIFY(ajouterPersonne(base.db, s, naissance, premier).ok());
            QCOMPARE(base.lignes("SELECT type, duree, date_fin FROM employes WHERE id=?", { s.id }),
                     (Lignes { { 2, duree, fin } }));
        }
        // What cannot be stored is refused with its field, and nothing is written.
        using Cas = std::tuple<QString, QString, QString, Jour, QString, QString>;
        const QString n60(60, 'n'), deux = "Le nom et le prénom, avec l'espace qui les sépare";
        const Jour fevrier { 2023, 2, 29 };
        const QList<Cas> refus = {
            { "", "Anne", "Vente", naissance, "Le nom", champsObligatoires },
            { "Martin", "Anne", "", naissance, "Le domaine", champsObligatoires },
            { n60 + 'n', "A", "Vente", naissance, "Le nom", "Le nom dépasse 60 caractères" },
            { n60, n60, "Vente", naissance, "Le nom et le prénom", deux + ", dépassent 120" },
            { "A", "B", "Vente", fevrier, "date de naissance", "Le 29 février 2023 n'existe pas" }
        };
        for (const auto &[nom, prenom, domaine, ne, champ, raison] : refus) {
            Personne r { {}, stagiaire, nom, prenom, "M", domaine, {}, {}, {}, 6, {} };
            const Issue issue = ajouterPersonne(base.db, r, ne, debut);
            QCOMPARE(issue.genre == Issue::Refuse ? issue.champ : "?", champ);
            QVERIFY2(issue.raison.startsWith(raison), qPrintable(issue.raison));
        }
        QCOMPARE(base.compte("employes"), 4);
    }

    void absencesAndListsOfAType()
    {
        BaseDeTest base;
        inscrire(base, { "1|Martin|Anne", "2|Durand|Lea" });
        Absence a { {}, 1, {}, 8, {}, {} };
        QCOMPARE(ajouterAbsence(base.db, a, { 2013, 4, 31 }).raison,
                 "Le 31 avril 2013 n'existe pas (date de l'absence)");
        QVERIFY(ajouterAbsence(base.db, a, { 2013, 3, 31 }).ok());
        QVERIFY(ajouterAbsence(base.db, a, { 2013, 3, 31 }).ok() && a.id == 2); // same day twice
        base.sql("INSERT INTO absence VALUES (3, 2, '2013-04-01', 3)");
        // Each type lists its own persons' absences, with their names.
        QList<Absence> liste;
        QVERIFY(employes::absences(base.db, employe, &liste).ok() && liste.size() == 2);
        QCOMPARE((QVariantList { liste[1].id, liste[1].date, liste[1].heures, liste[1].nom,
                                 liste[1].prenom }),
                 (QVariantList { 2, QDate(2013, 3, 31), 8, "Martin", "Anne" }));
        QVERIFY(employes::absences(base.db, stagiaire, &liste).ok() && liste.size() == 1);
        // A person deleted by another workstation meanwhile gets none.
        a.personneId = 9;
        QCOMPARE(ajouterAbsence(base.db, a, { 2013, 3, 1 }).genre, Issue::Refuse);
        QVERIFY(supprimerAbsence(base.db, 1).ok());
        QCOMPARE(reste(base), "1,2 / 1,2");
    }

    void deletesTakeTheAbsencesOrNothingAndTheGridSavesAllOrNothing()
    {
        BaseDeTest base;
        inscrire(base, { "1|Martin|Anne", "1|Dupont|Paul", "2|Durand|Lea", "2|Petit|Luc" },
                 "(1, '2013-03-05', 8), (2, '2013-03-06', 2), (1, '2013-03-07', 1), "
                 "(3, '2013-03-07', 1)");
        // The absences' delete is refused after the person's: the person stays.
        base.sql(bloque.arg("absence"));
        QCOMPARE(supprimerPersonne(base.db, 1).genre, Issue::Erreur);
        base.sql("DROP TRIGGER bloque");
        // The persons' delete is refused after their absences': the absences stay.
        base.sql(bloque.arg("employes"));
        QCOMPARE(viderType(base.db, stagiaire).genre, Issue::Erreur);
        base.sql("DROP TRIGGER bloque");
        QCOMPARE(reste(base), "1,2,3,4 / 1,2,1,3");
        QVERIFY(supprimerPersonne(base.db, 1).ok());
        QVERIFY(viderType(base.db, stagiaire).ok() && viderType(base.db, stagiaire).ok());
        QCOMPARE(reste(base), "2 / 2");
        // The grid shows its type; its edits go together; the combined name is not recomputed.
        inscrire(base, { "2|Durand|Lea", "1|Martin|Anne" });
        std::unique_ptr<QSqlTableModel> modele = grille(base.db, employe);
        QVERIFY(chargerGrille(*modele).ok() && modele->rowCount() == 2);
        modele->setData(modele->index(0, modele->fieldIndex("nom")), "Bernard");
        modele->setData(modele->index(1, modele->fieldIndex("id")), 9);
        QVERIFY(enregistrer(*modele).ok());
        QCOMPARE(base.lignes("SELECT id, nom, nom_prenom FROM employes WHERE type=1"),
                 (Lignes { { 2, "Bernard", "Dupont Paul" }, { 9, "Martin", "Martin Anne" } }));
    }

    // Another workstation holds the persons: a delete and an emptying wait,
    // run once more, and give up with nothing changed; a deadlock met once is
    // run again and stored once.
    void writesReplayAConflictOnce()
    {
        BaseDeTest base;
        inscrire(base, { "1|Martin|Anne" });
        QVERIFY(QSqlQuery(base.db).exec("SET SESSION innodb_lock_wait_timeout = 1"));
        QSqlDatabase autre = base.autre();
        QVERIFY(autre.transaction() && QSqlQuery(autre).exec("SELECT * FROM employes FOR UPDATE"));
        const int rejoues = conflits().rejoues;
        QCOMPARE(supprimerPersonne(base.db, 1).genre, Issue::Conflit);
        QCOMPARE(viderType(base.db, employe).genre, Issue::Conflit);
        QCOMPARE(conflits().rejoues, rejoues + 2);
        autre.rollback();
        base.sql("CREATE TRIGGER interblocage BEFORE INSERT ON absence FOR EACH ROW BEGIN IF "
                 "@deja IS NULL THEN SET @deja = 1; SIGNAL SQLSTATE '40001' SET MYSQL_ERRNO = "
                 "1213; END IF; END");
        Absence absence;
        absence.personneId = 1;
        absence.heures = 3;
        QVERIFY(ajouterAbsence(base.db, absence, { 2013, 3, 5 }).ok());
        QCOMPARE(reste(base), "1 / 1");
    }

    void searchAndSummaryReadAsThePagesAsk()
    {
        BaseDeTest base;
        Effectifs b;
        QVERIFY(effectifs(base.db, &b).ok() && b.heures == "0"); // a sum of no rows
        inscrire(base,
                 { "1|Martin|Anne|F", "1|Dupont|Paul", "2|Martin|Luc", "1|O_Brien|100%",
                   "1|Lebrun|Ana", "1|E|e|X" },
                 "(3, '2013-03-05', 8), (3, '2013-08-06', 4), (1, '2013-01-02', 1), "
                 "(6, '2013-01-02', 2), (99, '2013-01-02', 16)");
        base.sql("UPDATE employes SET duree=6, date_fin='2012-07-02', commentaire='Cheffe' "
                 "WHERE id=3");
        // Matched literally, or the combined name exactly; each person once, a few at a time.
        QList<int> lus;
        for (const char *texte : { "Martin Anne", "Martin An", "ART", "%", "_", "O'Brien",
                                   "Martin \xF0\x9F\x98\x80", "" }) {
            Curseur<Personne> curseur;
            QVERIFY(chercher(base.db, employe, QString::fromUtf8(texte), &curseur).ok());
            for (const Personne &p : curseur.suivants(10))
                lus << p.id.toInt();
            lus << 0;
        }
        QCOMPARE(lus, (QList<int> { 1, 0, 0, 1, 0, 4, 0, 4, 0, 0, 0, 1, 2, 4, 5, 6, 0 }));
        Curseur<Personne> curseur;
        QVERIFY(chercher(base.db, stagiaire, "Martin", &curseur).ok() && curseur.taille() == 1);
        const Personne p = curseur.suivants(1).value(0);
        QCOMPARE((QVariantList { p.id, p.type, p.nom, p.prenom, p.sexe, p.naissance, p.debut,
                                 p.duree, p.fin, p.commentaire }),
                 (QVariantList { 3, 2, "Martin", "Luc", "M", QDate(1980, 5, 4), QDate(2012, 1, 2),
                                 6, QDate(2012, 7, 2), "Cheffe" }));
        QHash<int, Releve> releve;
        QVERIFY(releves(base.db, { 2, 3 }, &releve).ok() && !releve.contains(2));
        QCOMPARE(releve.value(3).dates + '=' + releve.value(3).total,
                 "05 mars 2013 (8 heures)<br/>" + QString("&nbsp;").repeated(28)
                     + "06 août 2013 (4 heures)=12");
        // A sex other than M or F, and an absence of nobody, count in the totals only.
        QVERIFY(effectifs(base.db, &b).ok());
        QCOMPARE((QList<int> { b.personnes, b.employesM, b.employesF, b.stagiairesM, b.stagiairesF,
                               b.heuresEmployesM, b.heuresEmployesF, b.heuresStagiairesM,
                               b.heuresStagiairesF, b.heures.toInt() }),
                 (QList<int> { 6, 3, 1, 1, 0, 0, 1, 12, 0, 31 }));
    }
};

QTEST_GUILESS_MAIN(TestRegistreEmployes)
#include "tst_registre_employes.moc"
