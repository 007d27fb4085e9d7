#include "app/entreprise.h"
#include "commandes/facturation.h"
#include "commun/base.h"
#include "commun/completeurs.h"
#include "commun/dialogues.h"
#include "employes/listes.h"
#include "widgets/button.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QGroupBox>
#include <QIcon>
#include <QLCDNumber>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QShortcut>
#include <QSqlQuery>
#include <QTimer>

namespace {

const char *const styleDescription = "color:white;font-size:11px;font-style:italic;";
const char *const styleDate = "color:white;font-size:16px;font-weight:bold;";

QLabel *description(QWidget *parent, const QString &texte, int x, int y)
{
    return legende(parent, texte, QString::fromLatin1(styleDescription), x, y);
}

void separateur(QWidget *parent, int y)
{
    auto *ligne = new QLabel(parent);
    ligne->setStyleSheet(QStringLiteral("background-color:white;"));
    ligne->setGeometry(0, y, 340, 1);
}

QString texteDate(const QDate &date)
{
    // The month name follows the system's language.
    return QLocale().toString(date, QStringLiteral("le dd MMMM yyyy"));
}

} // namespace

namespace {

// The account book's panel: its buttons, each bound to its command.
struct PanneauCompte
{
    Button *ajout, *supprime, *affiche, *bilan, *vider;
};

PanneauCompte panneauCompte(Entreprise *f)
{
    auto *compte = new QGroupBox(QStringLiteral("Faites le bilan de vos dépenses"), f);
    compte->setGeometry(10, 30, 280, 200);
    description(compte,
                QStringLiteral("Cette partie vous permet de faire un bilan de vos\ndépenses et "
                               "revenues.Elle est très simple et pas\ntrès poussée"),
                10, 15);
    const auto bouton = [compte](const Couleurs &couleurs, const QString &texte, int largeur, int x,
                                 int y) {
        auto *b = new Button(couleurs, true, 13, 10, texte, largeur, 25, compte);
        b->move(x, y);
        return b;
    };
    PanneauCompte p;
    p.ajout = bouton(Couleurs::bleu(), QStringLiteral("Ajouter"), 80, 10, 80);
    p.supprime = bouton(Couleurs::rouge(), QStringLiteral("Supprimer"), 80, 100, 80);
    p.affiche = bouton(Couleurs::bleu(), QStringLiteral("Afficher/Modifier"), 260, 10, 120);
    p.bilan = bouton(Couleurs::bleu(), QStringLiteral("Bilan"), 260, 10, 160);
    p.vider = bouton(Couleurs::rouge(), QStringLiteral("Vider"), 80, 190, 80);
    QObject::connect(p.ajout, &Button::clicked, f, &Entreprise::ajoutSujet);
    QObject::connect(p.supprime, &Button::clicked, f, &Entreprise::supprimeSujet);
    QObject::connect(p.affiche, &Button::clicked, f, &Entreprise::afficheDonne);
    QObject::connect(p.bilan, &Button::clicked, f, &Entreprise::bilan);
    QObject::connect(p.vider, &Button::clicked, f, &Entreprise::viderTable);
    // Under the panel, as wide as its buttons: the history of every register.
    auto *historique =
        new Button(Couleurs::bleu(), true, 13, 10, QStringLiteral("Historique"), 260, 25, f);
    historique->setObjectName(QStringLiteral("historiqueBouton"));
    historique->move(20, 247);
    QObject::connect(historique, &Button::clicked, f, &Entreprise::afficherHistorique);
    return p;
}

// A Button of a panel, moved to its place.
Button *boutonPanneau(QWidget *panneau, const Couleurs &couleurs, double rayonX, double rayonY,
                      const QString &texte, const QRect &place)
{
    auto *b =
        new Button(couleurs, true, rayonX, rayonY, texte, place.width(), place.height(), panneau);
    b->move(place.topLeft());
    return b;
}

// The orders' panel: the widgets the commands read, its buttons bound to them.
struct PanneauCommandes
{
    QComboBox *client, *commande;
    QLineEdit *recherche;
    Button *affiche;
};

PanneauCommandes panneauCommandes(Entreprise *f)
{
    auto *commandes = new QGroupBox(QStringLiteral("gestion commandes/clients"), f);
    commandes->setGeometry(300, 30, 340, 230);
    description(commandes,
                QStringLiteral("Cette partie vous permet de sauvegarder vos commandes\nainsi que "
                               "les clients dans des tables differentes. Vous pouvez\négalement "
                               "rechercher un client ou modifier vos données"),
                5, 15);
    const Couleurs bleu = Couleurs::bleu();
    const Couleurs rouge = Couleurs::rouge();
    const auto relier = [f](Button *b, void (Entreprise::*commande)()) {
        QObject::connect(b, &Button::clicked, f, commande);
    };
    relier(boutonPanneau(commandes, bleu, 5, 10, QStringLiteral("Ajouter"), { 10, 70, 120, 25 }),
           &Entreprise::commandAjout);
    relier(
        boutonPanneau(commandes, rouge, 5, 10, QStringLiteral("Supprimer"), { 135, 70, 120, 25 }),
        &Entreprise::commandSupprimeDialog);
    relier(boutonPanneau(commandes, rouge, 5, 10, QStringLiteral("Vider"), { 260, 70, 70, 25 }),
           &Entreprise::vidageProduit);
    relier(
        boutonPanneau(commandes, bleu, 5, 10, QStringLiteral("Rechercher"), { 235, 110, 100, 25 }),
        &Entreprise::rechercheCommande);
    relier(
        boutonPanneau(commandes, bleu, 8, 8, QStringLiteral("Informations"), { 10, 190, 320, 25 }),
        &Entreprise::commandeInfo);
    PanneauCommandes p;
    p.affiche = boutonPanneau(commandes, bleu, 5, 10, QStringLiteral("Afficher et/ou modifier"),
                              { 155, 150, 170, 25 });
    relier(p.affiche, &Entreprise::commandAfficheClick);
    separateur(commandes, 107);
    separateur(commandes, 137);
    p.client = new QComboBox(commandes);
    p.client->setObjectName(QStringLiteral("clientCombo"));
    // The two search and display lists are a few pixels wider than first
    // drawn, so that "Nom du produit" and "Commandes et Clients" read whole.
    p.client->setGeometry(4, 110, 106, 25);
    p.client->addItems({ QStringLiteral("Nom du produit"), QStringLiteral("Nom du client") });
    p.recherche = new QLineEdit(commandes);
    p.recherche->setObjectName(QStringLiteral("rechercheEdit"));
    p.recherche->setGeometry(110, 110, 120, 25);
    p.commande = new QComboBox(commandes);
    p.commande->setObjectName(QStringLiteral("commandCombo"));
    p.commande->setGeometry(10, 150, 142, 25);
    p.commande->addItems({ QStringLiteral("Commandes"), QStringLiteral("Clients"),
                           QStringLiteral("Commandes et Clients") });
    QObject::connect(p.commande, &QComboBox::currentIndexChanged, f,
                     &Entreprise::commandComboChange);
    QObject::connect(p.client, &QComboBox::currentIndexChanged, f, &Entreprise::clientComboChange);
    return p;
}

// The staff's panel: the type list and the search field, its buttons bound to
// their commands.
struct PanneauEmployes
{
    QComboBox *type;
    QLineEdit *recherche;
};

PanneauEmployes panneauEmployes(Entreprise *f)
{
    auto *employes = new QGroupBox(QStringLiteral("Gestions des employés et des stagiaires"), f);
    employes->setGeometry(300, 280, 340, 290);
    description(employes,
                QStringLiteral("Le but de cette partie est de permettre une gestion simple des\n"
                               "employés et stagiaire d'une entreprise."),
                5, 15);
    PanneauEmployes p;
    p.type = new QComboBox(employes);
    p.type->setObjectName(QStringLiteral("typeCombo"));
    p.type->setGeometry(10, 50, 320, 30);
    p.type->addItems({ QStringLiteral("Employé"), QStringLiteral("Stagiaire") });
    p.type->setStyleSheet(QStringLiteral("font-size:13px;color:orange;font-weight:bold;"));
    const Couleurs bleu = Couleurs::bleu();
    const Couleurs rouge = Couleurs::rouge();
    const auto relier = [f](Button *b, void (Entreprise::*commande)()) {
        QObject::connect(b, &Button::clicked, f, commande);
    };
    relier(boutonPanneau(employes, bleu, 9, 9, QStringLiteral("Ajouter"), { 10, 90, 155, 25 }),
           &Entreprise::employeAjout);
    relier(boutonPanneau(employes, rouge, 9, 9, QStringLiteral("Supprimer"), { 175, 90, 155, 25 }),
           &Entreprise::employeSupp);
    relier(boutonPanneau(employes, rouge, 3, 3, QStringLiteral("Vider"), { 10, 130, 155, 25 }),
           &Entreprise::employeVide);
    Button *absence = boutonPanneau(employes, bleu, 3, 3, QStringLiteral("Ajouter une absence"),
                                    { 175, 130, 155, 25 });
    absence->setTextStyle(7, QStringLiteral("bold"));
    relier(absence, &Entreprise::employeAbsc);
    relier(boutonPanneau(employes, bleu, 0, 0, QStringLiteral("Chercher"), { 215, 170, 115, 25 }),
           &Entreprise::employeCher);
    relier(boutonPanneau(employes, bleu, 0, 0, QStringLiteral("Afficher et/ou modifier"),
                         { 10, 210, 155, 25 }),
           &Entreprise::employeAff);
    relier(boutonPanneau(employes, bleu, 0, 0, QStringLiteral("Supprimer une absence"),
                         { 175, 210, 155, 25 }),
           &Entreprise::employeSAbs);
    relier(
        boutonPanneau(employes, bleu, 0, 0, QStringLiteral("Informations"), { 10, 250, 320, 25 }),
        &Entreprise::employeInfo);
    legende(employes, QStringLiteral("Nom ou Prenom"), QString(), 10, 175);
    p.recherche = new QLineEdit(employes);
    p.recherche->setObjectName(QStringLiteral("employeRechercheEdit"));
    p.recherche->setGeometry(90, 170, 120, 25);
    separateur(employes, 167);
    separateur(employes, 197);
    QObject::connect(p.type, &QComboBox::currentIndexChanged, f, &Entreprise::triggerType);
    return p;
}

// The database dialogs and the way out, under the clock.
void boutonsDuBas(Entreprise *f)
{
    auto *infos = new Button(Couleurs::vert(), false, 20, 20,
                             QStringLiteral("Infos sur la base de donnée"), 280, 40, f);
    infos->move(10, 430);
    auto *parametres = new Button(Couleurs::vert(), false, 20, 20,
                                  QStringLiteral("Modifier les paramètres"), 280, 40, f);
    parametres->move(10, 480);
    auto *fermer = new Button(Couleurs::alerte(), false, 0, 0,
                              QStringLiteral("Fermer le programme"), 280, 40, f);
    fermer->move(10, 530);
    QObject::connect(infos, &Button::clicked, f, &Entreprise::infoDialog);
    QObject::connect(parametres, &Button::clicked, f, &Entreprise::parametreDialog);
    QObject::connect(fermer, &Button::clicked, qApp, &QApplication::quit);
}

} // namespace

void Entreprise::pageAccueil()
{
    Q_INIT_RESOURCE(release);
    setWindowIcon(QIcon(QStringLiteral(":release/logo.png")));

    const PanneauCompte compte = panneauCompte(this);
    bilanAjoutButton = compte.ajout;
    bilanSupprimeButton = compte.supprime;
    bilanAfficheButton = compte.affiche;
    bilanButton = compte.bilan;
    bilanViderButton = compte.vider;
    const PanneauCommandes commandes = panneauCommandes(this);
    clientCombo = commandes.client;
    rechercheEdit = commandes.recherche;
    commandCombo = commandes.commande;
    commandAfficheButton = commandes.affiche;
    const PanneauEmployes employes = panneauEmployes(this);
    typeCombo = employes.type;
    employeRechercheEdit = employes.recherche;
    boutonsDuBas(this);
    // Between the orders' panel and the staff's: the invoices made from orders.
    auto *factures =
        new Button(Couleurs::bleu(), true, 5, 10, QStringLiteral("Factures"), 340, 16, this);
    factures->move(300, 262);
    connect(factures, &Button::clicked, this, [this] {
        if (connexionCommande())
            facturation::pageFactures(this, db);
    });

    // The clock and the date
    horloge = new QLCDNumber(5, this);
    horloge->setObjectName(QStringLiteral("horloge"));
    horloge->setSegmentStyle(QLCDNumber::Filled);
    horloge->setGeometry(20, 290, 250, 80);
    horloge->display(QTime::currentTime().toString(QStringLiteral("hh:mm")));
    dateLabel = new QLabel(this);
    dateLabel->setObjectName(QStringLiteral("dateLabel"));
    dateLabel->setGeometry(20, 370, 280, 30);
    dateLabel->setStyleSheet(QString::fromLatin1(styleDate));
    dateLabel->setText(texteDate(QDate::currentDate()));
    dateLabel->setAlignment(Qt::AlignCenter);
    // Ctrl+Z undoes the newest change made from this workstation; an open
    // dialog, being a window of its own, keeps the keys.
    auto *annuler = new QShortcut(QKeySequence::Undo, this);
    connect(annuler, &QShortcut::activated, this, &Entreprise::annulerDerniere);
    auto *minuterie = new QTimer(this);
    connect(minuterie, &QTimer::timeout, this, &Entreprise::updateDate);
    minuterie->start(1000);
}

void Entreprise::remplirCompleteursAccueil()
{
    // The names are read once the window is on screen, so that full tables do
    // not delay it. One silent attempt: without a server, or before the tables
    // exist, the completers simply stay empty (the failure is only logged).
    // They offer what the selectors show now, should they have changed.
    if (!db.isOpen() && !db.open())
        return;
    // On a new database the tables come with the first command of their
    // section: until then there is nothing to offer, and nothing to complain of.
    const QStringList tables = db.tables();
    QSqlQuery noms(db);
    noms.setForwardOnly(true);
    const bool produits = clientCombo->currentIndex() == 0;
    if (tables.contains(produits ? QStringLiteral("commandes") : QStringLiteral("clients"))
        && executer(noms,
                    produits ? QStringLiteral("SELECT nom FROM commandes")
                             : QStringLiteral("SELECT nom FROM clients")))
        remplacerCompleteur(rechercheEdit, noms);
    QStringList personnes;
    if (tables.contains(QStringLiteral("employes"))
        && employes::nomsProposes(db, typeCourant(), &personnes).ok())
        employes::proposer(employeRechercheEdit, personnes);
}

void Entreprise::updateDate()
{
    const QDateTime maintenant = QDateTime::currentDateTime();
    QString heure = maintenant.time().toString(QStringLiteral("hh:mm"));
    // The colon blinks: a blank on even seconds.
    if (maintenant.time().second() % 2 == 0)
        heure[2] = QLatin1Char(' ');
    horloge->display(heure);
    // Re-applying an unchanged style sheet would repolish the label every second.
    if (dateLabel->styleSheet() != QLatin1String(styleDate))
        dateLabel->setStyleSheet(QString::fromLatin1(styleDate));
    dateLabel->setText(texteDate(maintenant.date()));
}
