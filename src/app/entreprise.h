#ifndef ENTREPRISE_H
#define ENTREPRISE_H

#include <QDialog>
#include <QPointer>
#include <QSqlDatabase>
#include <QWidget>

class Button;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLCDNumber;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QSqlQueryModel;
class QSqlTableModel;
class QTextEdit;

// The main window: the home page with its three sections, and every command of
// the program as a slot. Each section keeps its slots in its own folder
// (src/compte, src/commandes, src/employes).
class Entreprise : public QWidget
{
    Q_OBJECT

public:
    explicit Entreprise(QWidget *parent = nullptr);
    ~Entreprise() override;

    // The gates: open the connection, make sure the section's tables exist and
    // that the session speaks French; false (after telling the user) when the
    // database cannot be reached.
    bool connexionCompte();
    bool connexionCommande();
    bool connexionEmploye();

public Q_SLOTS:
    void infoDialog();
    void parametreDialog();
    void executeParametre();
    void ajoutSujet();
    void ajoutValeur();
    void supprimeSujet();
    void supprimeValeur();
    void viderTable();
    void afficheDonne();
    void bilan();
    void changementEtat();
    void commandAjout();
    void validerCommand();
    void commandAfficheClick();
    void commandComboChange();
    void modifierCommand();
    void annulerCommand();
    void commandSupprimeDialog();
    void produitBoxChange();
    void supprimeProCl();
    void vidageProduit();
    void produitVider();
    void clientComboChange();
    void rechercheCommande();
    void commandeInfo();
    void employeAjout();
    void employeSupp();
    void employeVide();
    void employeInfo();
    void employeCher();
    void employeAff();
    void employeAbsc();
    void employeAjoutValide();
    void employeSuppValide();
    void employeAbscValide();
    void employeSAbsValide();
    void employeSAbs();
    void employeModValide();
    void triggerType();
    void updateDate();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void pageAccueil();
    bool passerPorte(bool &drapeau, const QStringList &tables);
    QDialog *nouveauDialogue(const QString &titre, int largeur, int hauteur);

    // Staff: the type the section works on (1 employees, 2 interns) and its
    // word for titles ("employé" or "stagiaire").
    int typeCourant() const;
    QString motType() const;
    void rafraichirCompleteurEmployes();

    QSqlDatabase db;
    bool compteConnecte = false;
    bool gestionConnecte = false;

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

    // The dialog open now, and the models of the display dialogs. Closed
    // dialogs are destroyed, with the models they own.
    QPointer<QDialog> dialog;
    QPointer<QSqlTableModel> tableModel;
    QPointer<QSqlQueryModel> queryModel;
    QPointer<QSqlTableModel> commandModel;

    // Settings dialog
    QLineEdit *hostEdit = nullptr;
    QLineEdit *baseEdit = nullptr;
    QLineEdit *userEdit = nullptr;
    QLineEdit *passwordEdit = nullptr;

    // Account book: add and delete dialogs
    QComboBox *sujetCombo = nullptr;
    QLineEdit *valeurEdit = nullptr;
    QTextEdit *commentaireEdit = nullptr;
    QComboBox *sujetListe = nullptr;

    // Orders: add dialog
    QLineEdit *produitEdit = nullptr;
    QDoubleSpinBox *poidsBox = nullptr;
    QComboBox *uniteBox = nullptr;
    QSpinBox *quantiteBox = nullptr;
    QLineEdit *prixEdit = nullptr;
    QTextEdit *commandeCommentaireEdit = nullptr;
    QLineEdit *clientNomEdit = nullptr;
    QLineEdit *entrepriseEdit = nullptr;
    QLineEdit *emailEdit = nullptr;
    QLineEdit *telEdit = nullptr;

    // Orders: delete and empty dialogs
    QComboBox *produitBox = nullptr;
    QComboBox *elementBox = nullptr;
    // Orders: true when at least one customer is stored; otherwise tells the
    // user there is nothing to show.
    bool clientsEnregistres();

    // Staff: add dialog
    QLineEdit *nomEdit = nullptr;
    QLineEdit *prenomEdit = nullptr;
    QLineEdit *domaineEdit = nullptr;
    QRadioButton *masculinButton = nullptr;
    QComboBox *jourNaissanceBox = nullptr;
    QComboBox *moisNaissanceBox = nullptr;
    QComboBox *anneeNaissanceBox = nullptr;
    QComboBox *jourDebutBox = nullptr;
    QComboBox *moisDebutBox = nullptr;
    QComboBox *anneeDebutBox = nullptr;
    QSpinBox *dureeBox = nullptr;
    QTextEdit *employeCommentaireEdit = nullptr;

    // Staff: delete dialog and absence dialogs
    QComboBox *personneBox = nullptr;
    QSpinBox *heureBox = nullptr;
    QComboBox *jourAbsenceBox = nullptr;
    QComboBox *moisAbsenceBox = nullptr;
    QComboBox *anneeAbsenceBox = nullptr;
    QComboBox *absenceBox = nullptr;
};

#endif // ENTREPRISE_H
