#include "app/entreprise.h"
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

void Entreprise::pageAccueil()
{
    Q_INIT_RESOURCE(release);
    setWindowIcon(QIcon(QStringLiteral(":release/logo.png")));

    // Account book
    auto *compte = new QGroupBox(QStringLiteral("Faites le bilan de vos dépenses"), this);
    compte->setGeometry(10, 30, 280, 200);
    description(compte,
                QStringLiteral("Cette partie vous permet de faire un bilan de vos\ndépenses et "
                               "revenues.Elle est très simple et pas\ntrès poussée"),
                10, 15);
    bilanAjoutButton =
        new Button(Couleurs::bleu(), true, 13, 10, QStringLiteral("Ajouter"), 80, 25, compte);
    bilanAjoutButton->move(10, 80);
    bilanSupprimeButton =
        new Button(Couleurs::rouge(), true, 13, 10, QStringLiteral("Supprimer"), 80, 25, compte);
    bilanSupprimeButton->move(100, 80);
    bilanAfficheButton = new Button(Couleurs::bleu(), true, 13, 10,
                                    QStringLiteral("Afficher/Modifier"), 260, 25, compte);
    bilanAfficheButton->move(10, 120);
    bilanButton =
        new Button(Couleurs::bleu(), true, 13, 10, QStringLiteral("Bilan"), 260, 25, compte);
    bilanButton->move(10, 160);
    bilanViderButton =
        new Button(Couleurs::rouge(), true, 13, 10, QStringLiteral("Vider"), 80, 25, compte);
    bilanViderButton->move(190, 80);
    connect(bilanAjoutButton, &Button::clicked, this, &Entreprise::ajoutSujet);
    connect(bilanSupprimeButton, &Button::clicked, this, &Entreprise::supprimeSujet);
    connect(bilanAfficheButton, &Button::clicked, this, &Entreprise::afficheDonne);
    connect(bilanButton, &Button::clicked, this, &Entreprise::bilan);
    connect(bilanViderButton, &Button::clicked, this, &Entreprise::viderTable);

    // Orders and customers
    auto *commandes = new QGroupBox(QStringLiteral("gestion commandes/clients"), this);
    commandes->setGeometry(300, 30, 340, 230);
    description(commandes,
                QStringLiteral("Cette partie vous permet de sauvegarder vos commandes\nainsi que "
                               "les clients dans des tables differentes. Vous pouvez\négalement "
                               "rechercher un client ou modifier vos données"),
                5, 15);
    auto *ajoutCommande =
        new Button(Couleurs::bleu(), true, 5, 10, QStringLiteral("Ajouter"), 120, 25, commandes);
    ajoutCommande->move(10, 70);
    auto *supprimeCommande =
        new Button(Couleurs::rouge(), true, 5, 10, QStringLiteral("Supprimer"), 120, 25, commandes);
    supprimeCommande->move(135, 70);
    auto *videCommandes =
        new Button(Couleurs::rouge(), true, 5, 10, QStringLiteral("Vider"), 70, 25, commandes);
    videCommandes->move(260, 70);
    auto *recherche =
        new Button(Couleurs::bleu(), true, 5, 10, QStringLiteral("Rechercher"), 100, 25, commandes);
    recherche->move(235, 110);
    auto *infosCommandes = new Button(Couleurs::bleu(), true, 8, 8, QStringLiteral("Informations"),
                                      320, 25, commandes);
    infosCommandes->move(10, 190);
    commandAfficheButton =
        new Button(Couleurs::bleu(), true, 5, 10, QStringLiteral("Afficher et/ou modifier"), 170,
                   25, commandes);
    commandAfficheButton->move(155, 150);
    separateur(commandes, 107);
    separateur(commandes, 137);
    clientCombo = new QComboBox(commandes);
    clientCombo->setObjectName(QStringLiteral("clientCombo"));
    // The two search and display lists are a few pixels wider than first
    // drawn, so that "Nom du produit" and "Commandes et Clients" read whole.
    clientCombo->setGeometry(4, 110, 106, 25);
    clientCombo->addItems({ QStringLiteral("Nom du produit"), QStringLiteral("Nom du client") });
    rechercheEdit = new QLineEdit(commandes);
    rechercheEdit->setObjectName(QStringLiteral("rechercheEdit"));
    rechercheEdit->setGeometry(110, 110, 120, 25);
    commandCombo = new QComboBox(commandes);
    commandCombo->setObjectName(QStringLiteral("commandCombo"));
    commandCombo->setGeometry(10, 150, 142, 25);
    commandCombo->addItems({ QStringLiteral("Commandes"), QStringLiteral("Clients"),
                             QStringLiteral("Commandes et Clients") });

    connect(ajoutCommande, &Button::clicked, this, &Entreprise::commandAjout);
    connect(supprimeCommande, &Button::clicked, this, &Entreprise::commandSupprimeDialog);
    connect(videCommandes, &Button::clicked, this, &Entreprise::vidageProduit);
    connect(recherche, &Button::clicked, this, &Entreprise::rechercheCommande);
    connect(infosCommandes, &Button::clicked, this, &Entreprise::commandeInfo);
    connect(commandAfficheButton, &Button::clicked, this, &Entreprise::commandAfficheClick);
    connect(commandCombo, &QComboBox::currentIndexChanged, this, &Entreprise::commandComboChange);
    connect(clientCombo, &QComboBox::currentIndexChanged, this, &Entreprise::clientComboChange);

    // Staff and interns
    auto *employes = new QGroupBox(QStringLiteral("Gestions des employés et des stagiaires"), this);
    employes->setGeometry(300, 280, 340, 290);
    description(employes,
                QStringLiteral("Le but de cette partie est de permettre une gestion simple des\n"
                               "employés et stagiaire d'une entreprise."),
                5, 15);
    typeCombo = new QComboBox(employes);
    typeCombo->setObjectName(QStringLiteral("typeCombo"));
    typeCombo->setGeometry(10, 50, 320, 30);
    typeCombo->addItems({ QStringLiteral("Employé"), QStringLiteral("Stagiaire") });
    typeCombo->setStyleSheet(QStringLiteral("font-size:13px;color:orange;font-weight:bold;"));
    auto *ajoutEmploye =
        new Button(Couleurs::bleu(), true, 9, 9, QStringLiteral("Ajouter"), 155, 25, employes);
    ajoutEmploye->move(10, 90);
    auto *supprimeEmploye =
        new Button(Couleurs::rouge(), true, 9, 9, QStringLiteral("Supprimer"), 155, 25, employes);
    supprimeEmploye->move(175, 90);
    auto *videEmployes =
        new Button(Couleurs::rouge(), true, 3, 3, QStringLiteral("Vider"), 155, 25, employes);
    videEmployes->move(10, 130);
    auto *ajoutAbsence = new Button(Couleurs::bleu(), true, 3, 3,
                                    QStringLiteral("Ajouter une absence"), 155, 25, employes);
    ajoutAbsence->move(175, 130);
    ajoutAbsence->setTextStyle(7, QStringLiteral("bold"));
    auto *cherche =
        new Button(Couleurs::bleu(), true, 0, 0, QStringLiteral("Chercher"), 115, 25, employes);
    cherche->move(215, 170);
    auto *afficheEmployes = new Button(
        Couleurs::bleu(), true, 0, 0, QStringLiteral("Afficher et/ou modifier"), 155, 25, employes);
    afficheEmployes->move(10, 210);
    auto *supprimeAbsence = new Button(Couleurs::bleu(), true, 0, 0,
                                       QStringLiteral("Supprimer une absence"), 155, 25, employes);
    supprimeAbsence->move(175, 210);
    auto *infosEmployes =
        new Button(Couleurs::bleu(), true, 0, 0, QStringLiteral("Informations"), 320, 25, employes);
    infosEmployes->move(10, 250);
    legende(employes, QStringLiteral("Nom ou Prenom"), QString(), 10, 175);
    employeRechercheEdit = new QLineEdit(employes);
    employeRechercheEdit->setObjectName(QStringLiteral("employeRechercheEdit"));
    employeRechercheEdit->setGeometry(90, 170, 120, 25);
    separateur(employes, 167);
    separateur(employes, 197);
    connect(ajoutEmploye, &Button::clicked, this, &Entreprise::employeAjout);
    connect(supprimeEmploye, &Button::clicked, this, &Entreprise::employeSupp);
    connect(videEmployes, &Button::clicked, this, &Entreprise::employeVide);
    connect(ajoutAbsence, &Button::clicked, this, &Entreprise::employeAbsc);
    connect(cherche, &Button::clicked, this, &Entreprise::employeCher);
    connect(afficheEmployes, &Button::clicked, this, &Entreprise::employeAff);
    connect(supprimeAbsence, &Button::clicked, this, &Entreprise::employeSAbs);
    connect(infosEmployes, &Button::clicked, this, &Entreprise::employeInfo);
    connect(typeCombo, &QComboBox::currentIndexChanged, this, &Entreprise::triggerType);

    // The database dialogs and the way out
    auto *infos = new Button(Couleurs::vert(), false, 20, 20,
                             QStringLiteral("Infos sur la base de donnée"), 280, 40, this);
    infos->move(10, 430);
    auto *parametres = new Button(Couleurs::vert(), false, 20, 20,
                                  QStringLiteral("Modifier les paramètres"), 280, 40, this);
    parametres->move(10, 480);
    auto *fermer = new Button(Couleurs::alerte(), false, 0, 0,
                              QStringLiteral("Fermer le programme"), 280, 40, this);
    fermer->move(10, 530);
    connect(infos, &Button::clicked, this, &Entreprise::infoDialog);
    connect(parametres, &Button::clicked, this, &Entreprise::parametreDialog);
    connect(fermer, &Button::clicked, qApp, &QApplication::quit);

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
