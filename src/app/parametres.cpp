#include "app/entreprise.h"
#include "app/ui.h"
#include "widgets/button.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSaveFile>
#include <QTextStream>

namespace {

// Writes the four connection values for the next start, readable by their
// owner only since the password is among them. False when it could not be done.
bool ecrireParametres(const QStringList &valeurs)
{
    if (!QDir().mkpath(QStringLiteral("config")))
        return false;
    QSaveFile fichier(QStringLiteral("config/base.sni"));
    if (!fichier.open(QIODevice::WriteOnly))
        return false;
    fichier.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QTextStream flux(&fichier);
    flux << valeurs.join(QLatin1Char(' '));
    flux.flush();
    return flux.status() == QTextStream::Ok && fichier.commit();
}

} // namespace

void Entreprise::infoDialog()
{
    QDialog *page = nouveauDialogue(QStringLiteral("Informations sur la base de donnée"), 400, 350);
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
                              QStringLiteral("color:blue;font-size:12px;"), QRect(10, 50, 380, 270),
                              Qt::AlignJustify);
    corps->setWordWrap(true);
    auto *fermer = new Button(Couleurs::bleu(), true, 10.0, 20.0, QStringLiteral("Fermer la page"),
                              380, 40, page);
    fermer->move(10, 300);
    connect(fermer, &Button::clicked, page, &QDialog::accept);
    page->exec();
}

void Entreprise::parametreDialog()
{
    QDialog *fenetre = nouveauDialogue(QStringLiteral("Modification des paramètres"), 400, 220);
    etiquette(
        fenetre, QStringLiteral("Modification des paramètres"),
        QStringLiteral("color:orange;font-size:15px;font-weight:bold;text-decoration:underline;"),
        QRect(0, 10, 400, 30));
    const QString style = QStringLiteral("font-size:12px;color:green;");
    legende(fenetre, QStringLiteral("nom du serveur (host) :"), style, 10, 55);
    legende(fenetre, QStringLiteral("nom de la base de donnée :"), style, 10, 85);
    legende(fenetre, QStringLiteral("nom de l'utilisateur :"), style, 10, 115);
    legende(fenetre, QStringLiteral("Mot de passe :"), style, 10, 145);

    auto champ = [fenetre](const QString &valeur, int y) {
        auto *edit = new QLineEdit(valeur, fenetre);
        edit->setGeometry(170, y, 200, 25);
        return edit;
    };
    hostEdit = champ(db.hostName(), 50);
    baseEdit = champ(db.databaseName(), 80);
    userEdit = champ(db.userName(), 110);
    passwordEdit = champ(db.password(), 140);
    passwordEdit->setEchoMode(QLineEdit::Password);

    auto *valider
        = new Button(Couleurs::bleu(), true, 5.0, 5.0, QStringLiteral("Valider"), 185, 25, fenetre);
    valider->move(10, 180);
    auto *fermer
        = new Button(Couleurs::bleu(), true, 5.0, 5.0, QStringLiteral("Fermer"), 185, 25, fenetre);
    fermer->move(205, 180);
    connect(valider, &Button::clicked, this, &Entreprise::executeParametre);
    connect(fermer, &Button::clicked, fenetre, &QDialog::accept);
    fenetre->exec();
}

void Entreprise::executeParametre()
{
    db.setHostName(hostEdit->text());
    db.setDatabaseName(baseEdit->text());
    db.setUserName(userEdit->text());
    db.setPassword(passwordEdit->text());
    // The next command connects with the new values.
    db.close();

    if (ecrireParametres(
            { hostEdit->text(), baseEdit->text(), userEdit->text(), passwordEdit->text() })) {
        QMessageBox::information(dialog, QStringLiteral("Changement effectué"),
                                 QStringLiteral("Les paramêtres de connexion de la base de donnée "
                                                "ont été modifiés avec succes"));
    } else {
        QMessageBox::warning(
            dialog, QStringLiteral("Erreur d'enregistrement"),
            QStringLiteral("Les paramètres ont été appliqués pour cette session, "
                           "mais le fichier config/base.sni n'a pas pu être écrit"));
    }
    dialog->accept();
}
