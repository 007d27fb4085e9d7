#include "commandes/registre.h"
#include "commun/historique.h"
#include "commun/sauvegarde/sauvegarde.h"
#include "compte/registre.h"
#include "employes/registre.h"
#include "support/banc.h"

#include <QTableView>

namespace {

// This workstation's changes in the three registers: an entry, an order, a person, an entry.
QSqlDatabase remplir(Banc &banc)
{
    Entreprise &f = banc.fenetre();
    QSqlDatabase db = QSqlDatabase::database();
    employes::Personne p { {}, 1, "Diallo", "Awa", "F", "Vente", "", {}, {}, 6, {} };
    const commandes::Client alpha { {}, "Alpha", "", "a@b", "1" };
    if (!(f.connexionCompte() && f.connexionCommande() && f.connexionEmploye())
        || !compte::ajouter(db, { {}, "Gain", "1500", "vente", {} }).ok()
        || !commandes::ajouter(db, { {}, {}, "riz", 2.5, "kg", 3, "100", {}, "", {}, alpha }).ok()
        || !employes::ajouterPersonne(db, p, { 1990, 1, 2 }, { 2024, 3, 4 }).ok()
        || !compte::ajouter(db, { {}, "Dépense", "12,50", "", {} }).ok())
        qFatal("register changes refused");
    return db;
}

// A change made from another workstation, on a connection of its own.
void ailleurs(const Banc &banc, const std::function<Issue(const QSqlDatabase &)> &changer)
{
    const QString ici = historique::poste();
    historique::nommerPoste("autre-poste");
    QVERIFY(changer(connexionServeur("autre", banc.nom)).ok());
    historique::nommerPoste(ici);
}

QStringList colonne(QTableView *vue, int c)
{
    QStringList textes;
    for (int ligne = 0; ligne < vue->model()->rowCount(); ++ligne)
        textes << vue->model()->index(ligne, c).data().toString();
    return textes;
}

// Chooses the row of that sentence and presses "Annuler la modification", answering yes.
void annuler(Banc &banc, QDialog *d, QTableView *vue, const QString &resume)
{
    vue->selectRow(int(colonne(vue, 3).indexOf(resume)));
    banc.pilote.boite(QMessageBox::Yes);
    banc.pilote.boite();
    Banc::clic(boutonTexte(d, "Annuler la modification"));
}

void ctrlZ(Banc &banc, const QList<QMessageBox::StandardButton> &reponses)
{
    for (QMessageBox::StandardButton reponse : reponses)
        banc.pilote.boite(reponse);
    banc.fenetre().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&banc.fenetre()));
    QTest::keyClick(&banc.fenetre(), Qt::Key_Z, Qt::ControlModifier);
}

const QString question =
    "Q Annuler la modification: Voulez-vous annuler la modification « %1 » du ";

} // namespace

class TestHistoriquePage : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir maison; // where the safety backups of restorations go

private Q_SLOTS:
    void initTestCase() { qputenv("HOME", QFile::encodeName(maison.path())); }

    // Newest first, one register if asked; an undo puts the rows back, unless another
    // workstation changed them since.
    void thePageListsFiltersAndUndoesUnlessTheRowsChangedSince()
    {
        Banc banc;
        const QSqlDatabase db = remplir(banc);
        const auto avant = banc.lignes("SELECT * FROM compte ORDER BY id");
        QVERIFY(compte::supprimer(db, 1).ok());
        const QStringList resumes = { "Écriture n°1 supprimée (Gain, 1500)",
                                      "Écriture n°2 ajoutée (Dépense, 12.50)",
                                      "Employé Diallo Awa ajouté (n°1)",
                                      "Commande n°1 ajoutée (Alpha, 3 × riz)",
                                      "Écriture n°1 ajoutée (Gain, 1500)" };
        banc.pilote.dialogue([&](QDialog *d) {
            QCOMPARE(d->windowTitle(), "Historique des modifications");
            auto *vue = nomme<QTableView>(d, "historique");
            auto *registre = nomme<QComboBox>(d, "registre");
            QCOMPARE(elements(registre),
                     QStringList({ "Tous les registres", "Comptes", "Commandes", "Personnel",
                                   "Base entière" }));
            QCOMPARE(colonne(vue, 3), resumes);
            QCOMPARE(colonne(vue, 2),
                     QStringList({ "Comptes", "Comptes", "Personnel", "Commandes", "Comptes" }));
            QCOMPARE(colonne(vue, 1), QStringList(5, historique::poste()));
            registre->setCurrentIndex(2);
            QCOMPARE(colonne(vue, 3), QStringList({ resumes.at(3) }));
            registre->setCurrentIndex(0);
            banc.pilote.boite();
            Banc::clic(boutonTexte(d, "Annuler la modification")); // nothing chosen yet
            annuler(banc, d, vue, resumes.at(0));
            QCOMPARE(colonne(vue, 3).value(0), "Annulé : " + resumes.at(0));
            QCOMPARE(banc.lignes("SELECT * FROM compte ORDER BY id"), avant);
            ailleurs(banc,
                     [](const QSqlDatabase &o) { return commandes::supprimerCommande(o, 1); });
            const int operations = banc.compte("operations");
            annuler(banc, d, vue, resumes.at(3));
            QCOMPARE(banc.compte("operations"), operations);
            QCOMPARE(colonne(vue, 1).value(0), "autre-poste");
            Banc::clic(boutonTexte(d, "Fermer la page"));
        });
        Banc::clic(nomme<Button>(&banc.fenetre(), "historiqueBouton"));
        vuesCommencent(banc.pilote,
                       { "I Annuler la modification: Choisissez d'abord", question.arg(resumes[0]),
                         "I Modification annulée: Annulé : " + resumes.at(0) + "\n1 ligne remise.",
                         question.arg(resumes[3]),
                         "W Annulation impossible: Ces lignes ont changé depuis :\nCommande "
                         "n°1 : « Commande n°1 supprimée" });
        QVERIFY(banc.pilote.boites.value(4).texte.contains(", poste autre-poste\nRien n'a été"));
        QCOMPARE(banc.compte("commandes"), 0);
    }

    // Ctrl+Z undoes this workstation's newest change, not a newer one made elsewhere; then
    // a restoration, from its safety backup, once that file is found.
    void ctrlZUndoesThisWorkstationsNewestChangeARestorationIncluded()
    {
        Banc banc;
        ctrlZ(banc, { QMessageBox::Ok });
        const QSqlDatabase db = remplir(banc);
        ailleurs(banc, [](const QSqlDatabase &o) {
            return compte::ajouter(o, { {}, "Gain", "7", "", {} });
        });
        ctrlZ(banc, { QMessageBox::Yes, QMessageBox::Ok });
        const QString depense = "Écriture n°2 ajoutée (Dépense, 12.50)";
        QCOMPARE(banc.lignes("SELECT id FROM compte ORDER BY id"),
                 QList<QVariantList>({ { 1 }, { 3 } }));

        const QString fichier = banc.dossierTravail() + "/avant.sql";
        QVERIFY(sauvegarde::sauvegarder(db, sauvegarde::tablesRegistres(), fichier).reussi());
        QVERIFY(compte::supprimer(db, 3).ok());
        const auto avant = banc.lignes("SELECT * FROM compte ORDER BY id");
        const auto restauration = sauvegarde::restaurer(db, fichier, sauvegarde::examiner(fichier));
        QCOMPARE(banc.compte("compte"), 2);
        QVERIFY(QFile::rename(restauration.securite, fichier + ".x"));
        banc.pilote.laisserProgression();
        ctrlZ(banc, { QMessageBox::Yes, QMessageBox::Ok });
        QVERIFY(QFile::rename(fichier + ".x", restauration.securite));
        ctrlZ(banc, { QMessageBox::Yes, QMessageBox::Ok });
        const QString annulee = "Q Annuler la modification: Voulez-vous annuler la restauration "
                                "« Sauvegarde « avant.sql » restaurée » du ";
        vuesCommencent(
            banc.pilote,
            { "I Annuler la modification: Aucune modification faite depuis ce poste",
              question.arg(depense), "I Modification annulée: Annulé : " + depense, annulee,
              "W Restauration refusée: Le fichier " + restauration.securite, annulee,
              "I Restauration réussie: Les données du fichier " + restauration.securite });
        QCOMPARE(banc.lignes("SELECT * FROM compte ORDER BY id"), avant);
        QCOMPARE(banc.valeur("SELECT resume FROM operations ORDER BY id DESC LIMIT 1"),
                 "Restauration annulée : Sauvegarde « avant.sql » restaurée");
    }
};

QTEST_MAIN(TestHistoriquePage)
#include "tst_historique_page.moc"
