#ifndef BANC_H
#define BANC_H

// What every test of the program needs: a fresh database on the run's private
// server, a working directory with its settings file, the main window, a
// driver that answers dialogs and message boxes from inside their event loops,
// and finders for what the user sees.

#include "app/entreprise.h"
#include "widgets/button.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QVariant>
#include <QtTest>

#include <functional>
#include <memory>

// A message box as the user saw it.
struct Boite
{
    QMessageBox::Icon icone = QMessageBox::NoIcon;
    QString titre;
    QString texte;
    // The window title of the box's parent: "TABLORAN" for the main window.
    QString parent;
};

// Answers modal windows in the order they appear. Each expected window gets a
// handler; a window nobody expected is closed and reported, so that a test
// never hangs on a box it did not foresee, and a handler that leaves its
// window open gets it closed for it.
class Pilote : public QObject
{
    Q_OBJECT

public:
    Pilote();

    // The next modal window is a dialog: the action fills it, presses its
    // buttons, and must close it.
    void dialogue(std::function<void(QDialog *)> action);
    // The next modal window is a message box: record it and press a button.
    void boite(QMessageBox::StandardButton reponse = QMessageBox::Ok);
    // The next modal window is a message box: record it and press Enter, as a
    // hurried user does.
    void entree();

    // Every message box seen so far, in order.
    QList<Boite> boites;
    // The same, as "K title: text" (K: I information, W warning, C critical, Q question).
    QStringList vues() const;
    // Modal windows nobody expected, and handlers that were never used.
    QStringList anomalies() const;
    // Forgets what was seen, so that the next step of a test starts clean.
    void effacer();
    // The progress windows of long work come and go by themselves: they are
    // neither answered nor reported.
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

class Banc
{
public:
    // A fresh database named after the test, with the given settings file
    // content (nullptr: no settings file at all). The placeholder %1 in the
    // content stands for the database's name.
    explicit Banc(const char *parametres = "localhost %1 root ", bool demarrerMaintenant = true);
    ~Banc();

    Entreprise &fenetre() { return *principale; }
    Pilote pilote;
    QString nomBase;

    // SQL on a connection of the test's own, to set up and check the database.
    QSqlQuery sql(const QString &requete, const QVariantList &valeurs = {});
    QVariant valeur(const QString &requete, const QVariantList &valeurs = {});
    QList<QVariantList> lignes(const QString &requete);
    int compte(const QString &table);

    // A home-page button, found in the group box whose title is given
    // (empty: the main window's own buttons).
    Button *bouton(const QString &groupe, const QString &texte);
    // Presses a button with the mouse, as the user does.
    static void clic(QAbstractButton *bouton);
    // Presses a home-page button: `action` handles the dialog it opens, and
    // the message boxes get the answers in order.
    void lancer(const QString &groupe, const QString &texte,
                std::function<void(QDialog *)> action = {},
                const QList<QMessageBox::StandardButton> &reponses = {});

    // Builds and shows the main window (the constructor of the bench does it
    // unless told not to).
    void demarrer();
    // The working directory of the program, where config/base.sni lives.
    QString dossierTravail() const { return dossier.path(); }

private:
    QTemporaryDir dossier;
    QString ancienDossier;
    QSqlDatabase verification;
    std::unique_ptr<Entreprise> principale;
};

// Types the given fields of the settings dialog, presses Valider and answers
// the box that follows.
void parametrer(Banc &banc, const QList<QPair<const char *, QString>> &champs);

// Finders for the widgets of a window.
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
// A button among the direct children of the group box of that title (empty
// title: the window's own buttons).
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
// The whole text of the window's result page, every row written out, as the
// reader sees it (line breaks as '\n'); empty when it has none.
QString textePage(QWidget *racine);

bool operator==(const Boite &a, const Boite &b);
char *toString(const Boite &boite);

// The boxes seen are these many, each starting with the text expected in its
// place ("K title: text", as Pilote::vues writes them), and no window was amiss.
void vuesCommencent(const Pilote &pilote, const QStringList &debuts);

// A message box expected: its kind, title and text.
Boite attendue(QMessageBox::Icon icone, const QString &titre, const QString &texte);

#endif // BANC_H
