#ifndef BANC_H
#define BANC_H

// The window tests' bench: a fresh database, a working directory with its settings file, the
// main window, a driver that answers modal windows, and finders for what the user sees.

#include "app/entreprise.h"
#include "base_de_test.h"
#include "widgets/button.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSqlDatabase>
#include <QtTest>

#include <functional>
#include <memory>

// A message box as the user saw it.
struct Boite
{
    QMessageBox::Icon icone = QMessageBox::NoIcon;
    QString titre;
    QString texte;
    QString parent; // the window title of the box's parent: "TABLORAN" for the main window
};

// Answers modal windows in the order they appear, each with its handler; a window nobody
// expected, or one its handler left open, is closed and reported: no test hangs on a box.
class Pilote : public QObject
{
    Q_OBJECT

public:
    Pilote();
    // The next modal window is a dialog: the action fills it and must close it.
    void dialogue(std::function<void(QDialog *)> action);
    // The next modal window is a message box: record it and press a button.
    void boite(QMessageBox::StandardButton reponse = QMessageBox::Ok);
    // The same, pressing Enter as a hurried user does.
    void entree();
    // Every message box seen so far, in order.
    QList<Boite> boites;
    // The same, as "K title: text" (K: I information, W warning, C critical, Q question).
    QStringList vues() const;
    // Modal windows nobody expected, and handlers that were never used.
    QStringList anomalies() const;
    // Forgets what was seen and expected.
    void effacer();
    // Progress windows come and go by themselves, neither answered nor reported.
    void laisserProgression() { progressionLibre = true; }

private:
    void surveiller();
    // Records the message box the user sees; null (and the test failed) for another window.
    QMessageBox *noter(QWidget *fenetre);

    QList<std::function<void(QWidget *)>> attentes;
    QList<QPointer<QWidget>> vus;
    QStringList inattendus;
    bool progressionLibre = false;
};

// The titles of the three sections' panels on the home page.
inline const QString panneauCompte = QStringLiteral("Faites le bilan de vos dépenses");
inline const QString panneauCommandes = QStringLiteral("gestion commandes/clients");
inline const QString panneauEmployes = QStringLiteral("Gestions des employés et des stagiaires");

// The program in a window over a fresh database (empty: each section's first
// command creates its tables, as for a new user).
class Banc : public BaseVide
{
public:
    // A fresh database named after the test, and the settings file's content (%1: the
    // database's name; nullptr: no file).
    explicit Banc(const char *parametres = "localhost %1 root ", bool demarrerMaintenant = true);
    ~Banc();
    Entreprise &fenetre() { return *principale; }
    Pilote pilote;
    // A home-page button, in the group box of that title (empty: the window's own buttons).
    Button *bouton(const QString &groupe, const QString &texte);
    // Presses a button with the mouse, as the user does.
    static void clic(QAbstractButton *bouton);
    // Presses a home-page button: `action` handles its dialog, the boxes get the answers.
    void lancer(const QString &groupe, const QString &texte,
                std::function<void(QDialog *)> action = {},
                const QList<QMessageBox::StandardButton> &reponses = {});
    // Builds and shows the main window (done by the constructor unless told not to).
    void demarrer();
    // The working directory of the program, where config/base.sni lives.
    QString dossierTravail() const { return dossier.path(); }

private:
    QTemporaryDir dossier;
    QString ancienDossier;
    std::unique_ptr<Entreprise> principale;
};

// Types the fields of the settings dialog, presses Valider and answers the box that follows.
void parametrer(Banc &banc, const QList<QPair<const char *, QString>> &champs);

template<class T>
QList<T *> enfants(QWidget *racine)
{
    return racine->findChildren<T *>();
}

// The widget of that kind and object name; the test stops when there is none.
template<class T>
T *nomme(QWidget *racine, const char *nom)
{
    T *w = racine ? racine->findChild<T *>(QString::fromLatin1(nom)) : nullptr;
    if (!w)
        qFatal("no %s named %s", T::staticMetaObject.className(), nom);
    return w;
}

Button *boutonTexte(QWidget *racine, const QString &texte);
// As Banc::bouton, in any window.
Button *boutonGroupe(QWidget *fenetre, const QString &groupe, const QString &texte);
// Presses the button of that text in a window.
void appuyer(QWidget *fenetre, const QString &texte);
// The label whose text starts so.
QLabel *etiquetteDebut(QWidget *racine, const QString &debut);
QStringList elements(QComboBox *liste);
// The names the completer of a search field offers.
QStringList propositions(QLineEdit *champ);

// A connection of its own to the run's server, opened.
QSqlDatabase connexionServeur(const QString &nom, const QString &base = {},
                              const QString &utilisateur = "root", const QString &motDePasse = {});

// Each of `attendus` in the text, one after the other.
void dansLOrdre(const QString &texte, const QStringList &attendus);

// The texts of a label, a message box, a rich-text page, as a person reads them.
QString texteVisible(const QString &richText);
// The whole text of the window's result page, every row written out (empty: no page).
QString textePage(QWidget *racine);

bool operator==(const Boite &a, const Boite &b);
char *toString(const Boite &boite);

// The boxes seen are these many, each starting as expected ("K title: text"), none amiss.
void vuesCommencent(const Pilote &pilote, const QStringList &debuts);

// A message box expected: its kind, title and text.
Boite attendue(QMessageBox::Icon icone, const QString &titre, const QString &texte);

#endif // BANC_H
