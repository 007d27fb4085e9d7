#include "app/parametres.h"
#include "app/entreprise.h"
#include "commandes/facturation.h"
#include "commun/dialogues.h"
#include "widgets/button.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSaveFile>
#include <QTextStream>

#include <algorithm>

namespace {

// Writes the four connection values for the next start, readable by their
// owner only since the password is among them. False when it could not be done.
bool ecrireParametres(const QString &chemin, const QStringList &valeurs)
{
    if (!QDir().mkpath(QFileInfo(chemin).path()))
        return false;
    QSaveFile fichier(chemin);
    if (!fichier.open(QIODevice::WriteOnly))
        return false;
    fichier.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QTextStream flux(&fichier);
    flux << valeurs.join(QLatin1Char(' '));
    flux.flush();
    return flux.status() == QTextStream::Ok && fichier.commit();
}

// Why the values cannot be written so that they are read back as they are;
// empty when they can.
QString refusParametres(const QStringList &valeurs)
{
    const QStringList champs = { QStringLiteral("Le nom du serveur (host)"),
                                 QStringLiteral("Le nom de la base de donnée"),
                                 QStringLiteral("Le nom de l'utilisateur"),
                                 QStringLiteral("Le mot de passe") };
    for (int n = 0; n < champs.size(); ++n) {
        const QString &valeur = valeurs.at(n);
        // Only the password, written last, may be empty.
        if (valeur.isEmpty() && n < 3)
            return champs.at(n) + QStringLiteral(" ne peut pas être vide");
        if (std::any_of(valeur.cbegin(), valeur.cend(), [](QChar c) { return c.isSpace(); }))
            return champs.at(n) + QStringLiteral(" ne peut pas contenir d'espace");
    }
    return QString();
}

} // namespace

QStringList motsParametres(const QString &contenu)
{
    QStringList mots;
    qsizetype i = 0;
    const qsizetype fin = contenu.size();
    while (i < fin) {
        while (i < fin && contenu.at(i).isSpace())
            ++i;
        const qsizetype debut = i;
        while (i < fin && !contenu.at(i).isSpace())
            ++i;
        mots << contenu.mid(debut, i - debut);
    }
    return mots;
}

void Entreprise::infoDialog()
{
    QDialog *page = ouvrirDialogue(QStringLiteral("Informations sur la base de donnée"), 400, 400);
    etiquette(
        page, QStringLiteral("Informations et paramêtre de la base de donnée"),
        QStringLiteral("color:orange;font-weight:bold;font-size:15px;text-decoration:underline;"),
        QRect(0, 10, 400, 30));
    const QStringList lignes = {
        QStringLiteral("Cette page utilise \"MYSQL\" comme base de donnée."),
        QStringLiteral(
            "Par défaut host = \"localhost\", databaseName = \"test\", user = \"root\" et "
            "password=\"\" (vide)."),
        QStringLiteral(
            "Pour modifier cette configuration cliquez sur \"Modifier les paramêtres\"."),
        QString(),
        QStringLiteral("Ce programme crée automatiquement les tables nécessaire pour son bon "
                       "fonctionnement."),
        QStringLiteral("La partie \"Bilan\" stockera ses informations dans une table appelée "
                       "\"compte\""),
        QStringLiteral("La partie \"Commandes/Clients\" stockera ses informations dans deux(2) "
                       "tables appelées \"commandes\" et \"clients\""),
        QStringLiteral("La partie \"Employés/Stagiaires\" stockera ses informations dans deux(2) "
                       "tables appelées \"employes\" et \"absence\""),
    };
    QLabel *corps = etiquette(page, lignes.join(QLatin1Char('\n')),
                              QStringLiteral("color:blue;font-size:12px;"), QRect(10, 50, 380, 240),
                              Qt::AlignJustify);
    corps->setWordWrap(true);
    const QList<Button *> boutons =
        rangee(page, { Couleurs::bleu(), true, 10.0, 20.0 },
               { QStringLiteral("Sauvegarder"), QStringLiteral("Restaurer"),
                 QStringLiteral("Fermer la page") },
               QPoint(10, 345), QSize(120, 40));
    // The business as its invoices name it, kept with the orders.
    Button *identite = bouton(page, { Couleurs::bleu(), true, 10.0, 20.0 },
                              QStringLiteral("Identité de l'entreprise"), QRect(10, 298, 380, 38));
    connect(identite, &Button::clicked, page, [this, page] {
        if (connexionCommande())
            facturation::dialogueIdentite(page, db);
    });
    connect(boutons.at(0), &Button::clicked, this, &Entreprise::sauvegarderBase);
    connect(boutons.at(1), &Button::clicked, this, &Entreprise::restaurerBase);
    connect(boutons.at(2), &Button::clicked, page, &QDialog::accept);
    // An information page: Enter closes it, a backup waits for a click.
    actionPrincipale(boutons.at(2));
    page->exec();
}

void Entreprise::parametreDialog()
{
    QDialog *fenetre = ouvrirDialogue(QStringLiteral("Modification des paramètres"), 400, 220);
    etiquette(
        fenetre, QStringLiteral("Modification des paramètres"),
        QStringLiteral("color:orange;font-size:15px;font-weight:bold;text-decoration:underline;"),
        QRect(0, 10, 400, 30));
    const QString style = QStringLiteral("font-size:12px;color:green;");
    legende(fenetre, QStringLiteral("nom du serveur (host) :"), style, 10, 55);
    legende(fenetre, QStringLiteral("nom de la base de donnée :"), style, 10, 85);
    legende(fenetre, QStringLiteral("nom de l'utilisateur :"), style, 10, 115);
    legende(fenetre, QStringLiteral("Mot de passe :"), style, 10, 145);

    auto champ = [fenetre](const QString &nom, const QString &valeur, int y) {
        auto *edit = new QLineEdit(valeur, fenetre);
        edit->setObjectName(nom);
        edit->setGeometry(170, y, 200, 25);
        return edit;
    };
    EtatParametres &etat = *etatParametres;
    etat.hostEdit = champ(QStringLiteral("hostEdit"), db.hostName(), 50);
    etat.baseEdit = champ(QStringLiteral("baseEdit"), db.databaseName(), 80);
    etat.userEdit = champ(QStringLiteral("userEdit"), db.userName(), 110);
    etat.passwordEdit = champ(QStringLiteral("passwordEdit"), db.password(), 140);
    etat.passwordEdit->setEchoMode(QLineEdit::Password);

    const QList<Button *> boutons = rangee(fenetre, { Couleurs::bleu(), true, 5.0, 5.0 },
                                           { QStringLiteral("Valider"), QStringLiteral("Fermer") },
                                           QPoint(10, 180), QSize(185, 25));
    connect(boutons.at(0), &Button::clicked, this, &Entreprise::executeParametre);
    connect(boutons.at(1), &Button::clicked, fenetre, &QDialog::accept);
    fenetre->exec();
}

void Entreprise::executeParametre()
{
    const EtatParametres &etat = *etatParametres;
    const QStringList valeurs = { etat.hostEdit->text(), etat.baseEdit->text(),
                                  etat.userEdit->text(), etat.passwordEdit->text() };
    // The settings file holds the four values separated by spaces: a value
    // holding a space, or an empty one before the password, would not come
    // back as typed at the next start. Nothing is applied then.
    const QString raison = refusParametres(valeurs);
    if (!raison.isEmpty()) {
        QMessageBox::critical(dialog, QStringLiteral("Paramètres refusés"),
                              QStringLiteral("Les paramètres de connexion n'ont pas été "
                                             "modifiés\n")
                                  + raison);
        return;
    }
    db.setHostName(valeurs.at(0));
    db.setDatabaseName(valeurs.at(1));
    db.setUserName(valeurs.at(2));
    db.setPassword(valeurs.at(3));
    // The next command connects with the new values.
    db.close();

    if (ecrireParametres(fichierReglages, valeurs)) {
        QMessageBox::information(dialog, QStringLiteral("Changement effectué"),
                                 QStringLiteral("Les paramêtres de connexion de la base de donnée "
                                                "ont été modifiés avec succes"));
    } else {
        QMessageBox::warning(dialog, QStringLiteral("Erreur d'enregistrement"),
                             QStringLiteral("Les paramètres ont été appliqués pour cette session, "
                                            "mais le fichier %1 n'a pas pu être écrit")
                                 .arg(QDir::toNativeSeparators(fichierReglages)));
    }
    dialog->accept();
}
