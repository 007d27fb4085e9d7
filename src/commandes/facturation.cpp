#include "commandes/facturation.h"

#include "commun/dialogues.h"
#include "commun/historique.h"
#include "commun/saisie.h"

#include <QDateEdit>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTableWidget>

using commandes::Facture;
using commandes::Identite;

namespace facturation {

namespace {

const QString styleLegende = QStringLiteral("color:black;font-size:13px;");
const QString styleTitre =
    QStringLiteral("color:green;font-size:22px;font-weight:bold;text-decoration:underline;");

// A field with its caption on its left, at height `y`.
template<class Champ>
Champ *champ(QDialog *d, const char *nom, const QString &legendeTexte, int y, int hauteur = 26)
{
    legende(d, legendeTexte, styleLegende, 10, y + 4);
    auto *c = new Champ(d);
    c->setObjectName(QLatin1String(nom));
    c->setGeometry(190, y, 320, hauteur);
    return c;
}

// What a box says of a write that did not end well; nothing for a success.
void signalerEchec(QWidget *parent, const QString &titre, const Issue &issue)
{
    if (issue == Issue::Conflit)
        conflitSignale(parent, issue.raison);
    else if (!issue.ok() && !issueIncertaineSignalee(parent, issue))
        boite(parent, QMessageBox::Warning, titre, issue.raison);
}

// The logo shown in the dialog, from its bytes.
void montrerLogo(QLabel *apercu, const QByteArray &logo)
{
    QPixmap image;
    if (logo.isEmpty() || !image.loadFromData(logo))
        apercu->setText(QStringLiteral("(aucun logo)"));
    else
        apercu->setPixmap(image.scaled(120, 50, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

// Asks for an image file; its bytes in `logo` when it is one.
void choisirLogo(QDialog *d, QByteArray *logo, QLabel *apercu)
{
    QFileDialog dialogue(d, QStringLiteral("Choisir un logo"), QString(),
                         QStringLiteral("Images (*.png *.jpg *.jpeg *.bmp *.gif)"));
    dialogue.setFileMode(QFileDialog::ExistingFile);
    if (dialogue.exec() != QDialog::Accepted || dialogue.selectedFiles().isEmpty())
        return;
    QFile fichier(dialogue.selectedFiles().constFirst());
    const QByteArray octets = fichier.open(QIODevice::ReadOnly) ? fichier.readAll() : QByteArray();
    if (QImage::fromData(octets).isNull()) {
        boite(d, QMessageBox::Warning, QStringLiteral("Logo refusé"),
              QStringLiteral("Le fichier « %1 » n'est pas une image que le programme sait lire.")
                  .arg(fichier.fileName()));
        return;
    }
    *logo = octets;
    montrerLogo(apercu, *logo);
}

struct ChampsIdentite
{
    QLineEdit *nom, *forme, *tel, *email, *registre, *fiscal, *taux, *sansTaxe, *devise;
    QPlainTextEdit *adresse, *conditions;
};

ChampsIdentite champsIdentite(QDialog *d, const Identite &i)
{
    ChampsIdentite c;
    c.nom = champ<QLineEdit>(d, "nom", QStringLiteral("Nom *"), 50);
    c.forme = champ<QLineEdit>(d, "forme", QStringLiteral("Forme juridique"), 82);
    c.adresse = champ<QPlainTextEdit>(d, "adresse", QStringLiteral("Adresse"), 114, 56);
    c.tel = champ<QLineEdit>(d, "tel", QStringLiteral("Téléphone"), 176);
    c.email = champ<QLineEdit>(d, "email", QStringLiteral("E-mail"), 208);
    c.registre = champ<QLineEdit>(d, "registre", QStringLiteral("Registre du commerce"), 240);
    c.fiscal = champ<QLineEdit>(d, "fiscal", QStringLiteral("Identifiant fiscal"), 272);
    c.taux = champ<QLineEdit>(d, "taux", QStringLiteral("Taux de taxe (%)"), 304);
    c.sansTaxe = champ<QLineEdit>(d, "sansTaxe", QStringLiteral("Texte sans taxe"), 336);
    c.devise = champ<QLineEdit>(d, "devise", QStringLiteral("Monnaie"), 368);
    c.conditions =
        champ<QPlainTextEdit>(d, "conditions", QStringLiteral("Conditions de paiement"), 400, 56);
    c.nom->setText(i.nom);
    c.forme->setText(i.forme);
    c.adresse->setPlainText(i.adresse);
    c.tel->setText(i.tel);
    c.email->setText(i.email);
    c.registre->setText(i.registreCommerce);
    c.fiscal->setText(i.identifiantFiscal);
    c.taux->setText(commandes::texteTaux(i.taux));
    c.sansTaxe->setText(i.sansTaxe);
    c.devise->setText(i.devise);
    c.conditions->setPlainText(i.conditions);
    return c;
}

// The form read into an identity; Refuse when the rate is no rate.
Issue identiteLue(const ChampsIdentite &c, const QByteArray &logo, Identite *i)
{
    QString raison;
    i->taux = commandes::tauxLu(c.taux->text(), &raison);
    if (i->taux < 0)
        return Issue::refus(QStringLiteral("Le taux"), raison);
    i->nom = c.nom->text().trimmed();
    i->forme = c.forme->text().trimmed();
    i->adresse = c.adresse->toPlainText().trimmed();
    i->tel = c.tel->text().trimmed();
    i->email = c.email->text().trimmed();
    i->registreCommerce = c.registre->text().trimmed();
    i->identifiantFiscal = c.fiscal->text().trimmed();
    i->sansTaxe = c.sansTaxe->text().trimmed();
    i->devise = c.devise->text().trimmed();
    i->conditions = c.conditions->toPlainText().trimmed();
    i->logo = logo;
    return Issue::ecrit();
}

} // namespace

void dialogueIdentite(QWidget *parent, const QSqlDatabase &db)
{
    Identite lue;
    if (!lectureReussie(parent, commandes::identite(db, &lue)))
        return;
    QDialog *d = nouveauDialogue(parent, QStringLiteral("Identité de l'entreprise"), 520, 600);
    etiquette(d, QStringLiteral("Identité de l'entreprise"), styleTitre, QRect(0, 10, 520, 30));
    const ChampsIdentite champs = champsIdentite(d, lue);
    auto logo = std::make_shared<QByteArray>(lue.logo);
    legende(d, QStringLiteral("Logo"), styleLegende, 10, 480);
    auto *apercu = new QLabel(d);
    apercu->setObjectName(QStringLiteral("logo"));
    apercu->setGeometry(190, 466, 120, 50);
    montrerLogo(apercu, *logo);
    const StyleBouton style { Couleurs::bleu(), true, 5.0, 5.0 };
    const QList<Button *> logos = {
        bouton(d, style, QStringLiteral("Choisir un logo"), QRect(320, 466, 190, 22)),
        bouton(d, style, QStringLiteral("Retirer le logo"), QRect(320, 494, 190, 22))
    };
    QObject::connect(logos.at(0), &Button::clicked, d,
                     [d, logo, apercu] { choisirLogo(d, logo.get(), apercu); });
    QObject::connect(logos.at(1), &Button::clicked, d, [logo, apercu] {
        logo->clear();
        montrerLogo(apercu, *logo);
    });
    const QList<Button *> boutons =
        rangee(d, style, { QStringLiteral("Enregistrer"), QStringLiteral("Fermer la page") },
               QPoint(10, 545), QSize(245, 35));
    QObject::connect(boutons.at(0), &Button::clicked, d, [d, db, champs, logo] {
        Identite i;
        Issue issue = identiteLue(champs, *logo, &i);
        if (issue.ok())
            issue = commandes::enregistrerIdentite(db, i);
        if (issue.ok())
            boite(d, QMessageBox::Information, QStringLiteral("Identité enregistrée"),
                  QStringLiteral("L'identité de l'entreprise a été enregistrée : elle sera "
                                 "imprimée sur les prochaines factures."));
        else
            signalerEchec(d, QStringLiteral("Identité non enregistrée"), issue);
    });
    QObject::connect(boutons.at(1), &Button::clicked, d, &QDialog::accept);
    actionPrincipale(boutons.at(0));
    d->exec();
}

namespace {

// The lines of the invoice, as a grid to read.
QTableWidget *grilleLignes(QDialog *d, const Facture &f)
{
    auto *grille = new QTableWidget(int(f.lignes.size()), 5, d);
    grille->setObjectName(QStringLiteral("lignes"));
    grille->setHorizontalHeaderLabels({ QStringLiteral("Produit"), QStringLiteral("Poids"),
                                        QStringLiteral("Quantité"), QStringLiteral("Prix unitaire"),
                                        QStringLiteral("Total") });
    grille->setEditTriggers(QAbstractItemView::NoEditTriggers);
    const QString &devise = f.emetteur.devise;
    for (int n = 0; n < f.lignes.size(); ++n) {
        const commandes::LigneFacture &l = f.lignes.at(n);
        const QStringList cellules = { l.produit, QStringLiteral("%1 %2").arg(l.poids).arg(l.unite),
                                       QString::number(l.quantite),
                                       commandes::enMontant(l.prixUnitaire, devise),
                                       commandes::enMontant(l.total, devise) };
        for (int c = 0; c < cellules.size(); ++c)
            grille->setItem(n, c, new QTableWidgetItem(cellules.at(c)));
    }
    grille->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    grille->setGeometry(10, 220, 740, 230);
    return grille;
}

} // namespace

// The totals as the invoice prints them, one a line.
QStringList lignesTotaux(const Facture &f)
{
    const QString &devise = f.emetteur.devise;
    QStringList lignes = { QStringLiteral("Total hors taxe : ")
                           + commandes::enMontant(f.totalHt, devise) };
    if (f.emetteur.taux > 0)
        lignes << QStringLiteral("Taxe (%1 %) : %2")
                      .arg(commandes::texteTaux(f.emetteur.taux),
                           commandes::enMontant(f.taxe, devise));
    else
        lignes << (f.emetteur.sansTaxe.isEmpty() ? QStringLiteral("Pas de taxe")
                                                 : f.emetteur.sansTaxe);
    lignes << QStringLiteral("Total : ") + commandes::enMontant(f.total, devise);
    return lignes;
}

void nouvelleFacture(QWidget *parent, const QSqlDatabase &db, const QList<QVariant> &commandes)
{
    Facture f;
    const Issue prete = commandes::preparerFacture(db, commandes, &f);
    if (prete == Issue::Refuse) {
        boite(parent, QMessageBox::Warning, QStringLiteral("Facturation impossible"), prete.raison);
        return;
    }
    if (!lectureReussie(parent, prete))
        return;
    QDialog *d = nouveauDialogue(parent, QStringLiteral("Nouvelle facture"), 760, 600);
    etiquette(d, QStringLiteral("Nouvelle facture"), styleTitre, QRect(0, 10, 760, 30));
    const QStringList client = { QStringLiteral("Client : ") + f.client.nom,
                                 QStringLiteral("Entreprise : ") + f.client.entreprise,
                                 QStringLiteral("E-mail : ") + f.client.email,
                                 QStringLiteral("Téléphone : ") + f.client.tel };
    QLabel *fiche = etiquette(d, client.join(QLatin1Char('\n')), styleLegende,
                              QRect(10, 50, 360, 90), Qt::AlignLeft | Qt::AlignTop);
    fiche->setTextFormat(Qt::PlainText);
    fiche->setObjectName(QStringLiteral("client"));
    legende(d, QStringLiteral("Adresse du client"), styleLegende, 380, 50);
    auto *adresse = new QPlainTextEdit(d);
    adresse->setObjectName(QStringLiteral("adresse"));
    adresse->setGeometry(380, 72, 370, 70);
    legende(d, QStringLiteral("Date de la facture"), styleLegende, 10, 160);
    auto *date = new QDateEdit(QDate::currentDate(), d);
    date->setObjectName(QStringLiteral("date"));
    date->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    date->setCalendarPopup(true);
    date->setGeometry(190, 156, 150, 26);
    grilleLignes(d, f);
    QLabel *totaux = etiquette(d, lignesTotaux(f).join(QLatin1Char('\n')), styleLegende,
                               QRect(380, 460, 370, 70), Qt::AlignRight | Qt::AlignTop);
    totaux->setTextFormat(Qt::PlainText);
    totaux->setObjectName(QStringLiteral("totaux"));
    const QList<Button *> boutons =
        rangee(d, { Couleurs::bleu(), true, 5.0, 5.0 },
               { QStringLiteral("Émettre la facture"), QStringLiteral("Annuler") }, QPoint(10, 550),
               QSize(365, 35));
    QObject::connect(boutons.at(0), &Button::clicked, d, [d, db, commandes, adresse, date] {
        Facture emise;
        const Issue issue = commandes::facturer(db, commandes, date->date(),
                                                adresse->toPlainText().trimmed(), &emise);
        if (!issue.ok())
            return signalerEchec(d, QStringLiteral("Facture non émise"), issue);
        boite(d, QMessageBox::Information, QStringLiteral("Facture émise"),
              QStringLiteral("La facture n° %1 a été émise pour %2 (%3).\nElle est sur la page "
                             "« Factures et avoirs », d'où elle s'imprime.")
                  .arg(emise.numeroTexte(), emise.client.nom,
                       commandes::enMontant(emise.total, emise.emetteur.devise)));
        d->accept();
    });
    QObject::connect(boutons.at(1), &Button::clicked, d, &QDialog::reject);
    d->exec();
}

} // namespace facturation
