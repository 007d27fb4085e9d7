#ifndef ENTREPRISE_H
#define ENTREPRISE_H

#include "commun/schema.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QSet>
#include <QSqlDatabase>
#include <QWidget>

#include <memory>

class Button;
class QComboBox;
class QDialog;
class QLabel;
class QLCDNumber;
class QLineEdit;
class QTableView;
struct EtatParametres;
struct EtatCompte;
struct EtatCommandes;
struct EtatEmployes;
namespace historique {
struct Entree;
}
namespace sauvegarde {
struct Examen;
}

// The main window: the home page with its three sections, and every command of
// the program as a slot. Each section keeps its slots, and the state of its
// open dialog, in its own folder.
class Entreprise : public QWidget
{
    Q_OBJECT

public:
    explicit Entreprise(QWidget *parent = nullptr);
    ~Entreprise() override;

    // The gates (src/app/connexion.cpp): open the connection, make sure the
    // section's tables exist and that the session speaks French and refuses
    // what it cannot store; false, after telling the user, when the section
    // cannot work.
    bool connexionCompte();
    bool connexionCommande();
    bool connexionEmploye();

public Q_SLOTS:
    // The database: information and settings (src/app/parametres.cpp)
    void infoDialog();
    void parametreDialog();
    void executeParametre();
    // Backups of the registers (src/app/sauvegardes.cpp)
    void sauvegarderBase();
    void restaurerBase();
    // The history of the changes, and undo (src/app/historique.cpp): the
    // page, its button, and Ctrl+Z on the home page (the newest change made
    // from this workstation).
    void afficherHistorique();
    void annulerModification();
    void annulerDerniere();

    // Account book (src/compte)
    void ajoutSujet();
    void ajoutValeur();
    void supprimeSujet();
    void supprimeValeur();
    void viderTable();
    void afficheDonne();
    void changementEtat();
    void bilan();
    // The chart of the report's period (src/compte/graphique.cpp)
    void graphiqueBilan();

    // Orders and customers (src/commandes)
    void commandAjout();
    void validerCommand();
    void commandAfficheClick();
    void modifierCommand();
    void annulerCommand();
    void commandSupprimeDialog();
    void produitBoxChange();
    void supprimeProCl();
    void vidageProduit();
    void produitVider();
    void rechercheCommande();
    void commandComboChange();
    void clientComboChange();
    void commandeInfo();

    // Staff and interns (src/employes)
    void employeAjout();
    void employeAjoutValide();
    void employeSupp();
    void employeSuppValide();
    void employeVide();
    void employeAff();
    void employeModValide();
    void employeCher();
    void triggerType();
    void employeAbsc();
    void employeAbscValide();
    void employeSAbs();
    void employeSAbsValide();
    void employeInfo();

    // Home page (src/app/accueil.cpp)
    void updateDate();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void pageAccueil();
    void remplirCompleteursAccueil();
    // A new dialog of the main window, kept in `dialog` while it is open.
    QDialog *ouvrirDialogue(const QString &titre, int largeur = 0, int hauteur = 0);
    enum class Section { Compte, Commandes, Employes };
    bool passerPorte(bool &drapeau, Section section);

    // Orders: true when at least one customer is stored; otherwise tells the
    // user there is nothing to show.
    bool clientsEnregistres();

    // Staff: the type the section works on (1 employees, 2 interns) and its
    // word for titles ("employé" or "stagiaire").
    int typeCourant() const;
    QString motType() const;
    void rafraichirCompleteurEmployes();

    // Backups: every section's tables ready; the home page's completers
    // rebuilt after the data changed under them; a backup of the tables about
    // to be emptied, with the bounds of what it holds for the emptying, or
    // false after telling the user why there is none.
    bool registresPrets();
    void rafraichirCompleteurs();
    bool sauvegardeAvantVider(QWidget *parent, const QStringList &tables, schema::Bornes *bornes);
    // Moves the section's tables found on an engine without transactions to
    // InnoDB, after a backup of them, and tells the user once.
    void convertirMoteurs(const QStringList &tables);

    // Undo: asks, undoes and tells the user, over `parent`. A restoration is
    // undone by loading the backup taken just before it (src/app/sauvegardes.cpp).
    void annulerEntree(QWidget *parent, const historique::Entree &entree);
    void annulerRestauration(QWidget *parent, const historique::Entree &entree);
    // Loads an examined backup file, with its progress window, and tells how it went.
    void chargerSauvegarde(QWidget *parent, const QString &chemin, const sauvegarde::Examen &examen,
                           const QString &resume = {});

    QSqlDatabase db;
    // The settings file read at start, where the settings dialog writes them back.
    QString fichierReglages;
    bool compteConnecte = false;
    bool gestionConnecte = false;
    // The sections whose tables and session settings the open connection has.
    QSet<Section> sectionsPretes;
    // The tables the user was told could not be moved to InnoDB.
    QSet<QString> moteursSignales;
    // When the last gate passed: after a long pause the server is asked whether
    // the connection still holds.
    QElapsedTimer derniereCommande;

    // Home page
    Button *bilanAjoutButton = nullptr;
    Button *bilanSupprimeButton = nullptr;
    Button *bilanButton = nullptr;
    Button *bilanAfficheButton = nullptr;
    Button *bilanViderButton = nullptr;
    QLineEdit *rechercheEdit = nullptr;
    QComboBox *commandCombo = nullptr;
    QComboBox *clientCombo = nullptr;
    Button *commandAfficheButton = nullptr;
    QComboBox *typeCombo = nullptr;
    QLineEdit *employeRechercheEdit = nullptr;
    QLCDNumber *horloge = nullptr;
    QLabel *dateLabel = nullptr;
    bool completeursDemandes = false;

    // The dialog open now; the validating slots speak over it and close it.
    QPointer<QDialog> dialog;
    // The history page's list, while it is open.
    QPointer<QTableView> vueHistorique;

    // What each section's open dialog holds, for its validating slots.
    std::unique_ptr<EtatParametres> etatParametres;
    std::unique_ptr<EtatCompte> etatCompte;
    std::unique_ptr<EtatCommandes> etatCommandes;
    std::unique_ptr<EtatEmployes> etatEmployes;
};

#endif // ENTREPRISE_H
