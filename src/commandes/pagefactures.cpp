#include "commandes/facturation.h"

#include "commun/dialogues.h"
#include "commun/exports.h"
#include "commun/grilles.h"
#include "commun/pages.h"
#include "commun/saisie.h"

#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QPdfWriter>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QTableView>

using commandes::Facture;

namespace facturation {

namespace {

// Typed text on the page: escaped, its line breaks kept.
QString texte(const QString &t)
{
    return html(t).replace(QLatin1Char('\n'), QStringLiteral("<br/>"));
}

QString enTete(const Facture &f, const QByteArray &logo)
{
    const commandes::Identite &e = f.emetteur;
    QStringList identite = {
        QStringLiteral("<b style='font-size:16px;'>%1</b>").arg(texte(e.nom))
    };
    for (const QString &ligne :
         { e.forme, e.adresse, e.tel.isEmpty() ? QString() : QStringLiteral("Tél. ") + e.tel,
           e.email }) {
        if (!ligne.isEmpty())
            identite << texte(ligne);
    }
    const QString image = logo.isEmpty()
        ? QString()
        : QStringLiteral("<img height='70' src='data:image;base64,%1'/>")
              .arg(QString::fromLatin1(logo.toBase64()));
    const QString titre = f.avoir()
        ? QStringLiteral("AVOIR n° %1, annule la facture n° %2").arg(f.numeroTexte(), f.annule)
        : QStringLiteral("FACTURE n° %1").arg(f.numeroTexte());
    QStringList client = { QStringLiteral("<b>%1</b>").arg(texte(f.client.nom)) };
    for (const QString &ligne : { f.client.entreprise, f.adresse, f.client.email, f.client.tel }) {
        if (!ligne.isEmpty())
            client << texte(ligne);
    }
    return QStringLiteral(
               "<table width='100%'><tr><td>%1</td><td align='right'>%2</td></tr></table>"
               "<h2>%3</h2><p>Date : %4</p><table width='100%'><tr><td width='50%'>"
               "</td><td style='border:1px solid black;'>Client :<br/>%5</td></tr>"
               "</table><br/>")
        .arg(image, identite.join(QStringLiteral("<br/>")), titre,
             f.date.toString(QStringLiteral("dd/MM/yyyy")), client.join(QStringLiteral("<br/>")));
}

QString tableLignes(const Facture &f)
{
    const QString &devise = f.emetteur.devise;
    QString lignes;
    for (const commandes::LigneFacture &l : f.lignes) {
        lignes += QStringLiteral("<tr><td>%1</td><td>%2 %3</td><td align='right'>%4</td>"
                                 "<td align='right'>%5</td><td align='right'>%6</td></tr>")
                      .arg(texte(l.produit))
                      .arg(l.poids)
                      .arg(texte(l.unite))
                      .arg(l.quantite)
                      .arg(commandes::enMontant(l.prixUnitaire, devise),
                           commandes::enMontant(l.total, devise));
    }
    return QStringLiteral("<table width='100%' border='1' cellspacing='0' cellpadding='4'>"
                          "<thead><tr><th>Produit</th><th>Poids</th><th>Quantité</th>"
                          "<th>Prix unitaire</th><th>Total</th></tr></thead>%1</table>")
        .arg(lignes);
}

QString pied(const Facture &f)
{
    QStringList totaux;
    for (const QString &ligne : lignesTotaux(f))
        totaux << texte(ligne);
    totaux.last() = QStringLiteral("<b>%1</b>").arg(totaux.last());
    QStringList numeros;
    if (!f.emetteur.registreCommerce.isEmpty())
        numeros << QStringLiteral("Registre du commerce : ") + texte(f.emetteur.registreCommerce);
    if (!f.emetteur.identifiantFiscal.isEmpty())
        numeros << QStringLiteral("Identifiant fiscal : ") + texte(f.emetteur.identifiantFiscal);
    return QStringLiteral("<p align='right'>%1</p><p>%2</p><hr/><p align='center' "
                          "style='font-size:11px;'>%3 — %4</p>")
        .arg(totaux.join(QStringLiteral("<br/>")), texte(f.emetteur.conditions),
             texte(f.emetteur.nom), numeros.join(QStringLiteral(" — ")));
}

std::shared_ptr<Contenu> contenuFacture(const Facture &f, const QByteArray &logo)
{
    auto contenu = std::make_shared<Contenu>();
    contenu->ajouter(htmlFacture(f, logo));
    return contenu;
}

// Asks where to write the PDF, proposing its number's name in the documents folder.
void exporter(QWidget *parent, const Facture &f, const QByteArray &logo)
{
    QString dossier = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QFileInfo(dossier).isDir())
        dossier = QDir::homePath();
    const QString proposition = QDir(dossier).filePath(nomFichier(f));
    QFileDialog dialogue(parent, QStringLiteral("Exporter en PDF"), proposition,
                         QStringLiteral("Documents PDF (*.pdf)"));
    dialogue.setAcceptMode(QFileDialog::AcceptSave);
    dialogue.setDefaultSuffix(QStringLiteral("pdf"));
    dialogue.selectFile(proposition);
    if (dialogue.exec() == QDialog::Accepted && !dialogue.selectedFiles().isEmpty())
        ecrireFacture(parent, f, logo, dialogue.selectedFiles().constFirst());
}

// The invoice's page: the document, "Imprimer", "Exporter en PDF", "Fermer la page".
void ouvrir(QWidget *parent, const QSqlDatabase &db, const QVariant &id)
{
    Facture f;
    commandes::Identite actuelle;
    Issue issue = commandes::facture(db, id, &f);
    if (issue.ok())
        issue = commandes::identite(db, &actuelle);
    if (issue == Issue::DejaSupprime)
        return dejaSupprimeSignale(parent);
    if (!lectureReussie(parent, issue))
        return;
    const auto contenu = contenuFacture(f, actuelle.logo);
    QDialog *page = nouveauDialogue(
        parent,
        (f.avoir() ? QStringLiteral("Avoir n° ") : QStringLiteral("Facture n° ")) + f.numeroTexte(),
        700, 640);
    auto *vue = new PageResultat(contenu, page);
    vue->setGeometry(0, 0, 700, 590);
    const QList<Button *> boutons =
        rangee(page, { Couleurs::bleu(), true, 5.0, 5.0 },
               { QStringLiteral("Imprimer"), QStringLiteral("Exporter en PDF"),
                 QStringLiteral("Fermer la page") },
               QPoint(10, 600), QSize(220, 30));
    const QByteArray logo = actuelle.logo;
    QObject::connect(boutons.at(0), &Button::clicked, page,
                     [page, contenu] { apercuImpression(page, contenu); });
    QObject::connect(boutons.at(1), &Button::clicked, page,
                     [page, f, logo] { exporter(page, f, logo); });
    QObject::connect(boutons.at(2), &Button::clicked, page, &QDialog::accept);
    actionPrincipale(boutons.at(2));
    page->exec();
}

} // namespace

QString htmlFacture(const Facture &f, const QByteArray &logo)
{
    return enTete(f, logo) + tableLignes(f) + pied(f);
}

QString nomFichier(const Facture &f)
{
    return (f.avoir() ? QStringLiteral("avoir-") : QStringLiteral("facture-")) + f.numeroTexte()
        + QStringLiteral(".pdf");
}

bool ecrireFacture(QWidget *parent, const Facture &f, const QByteArray &logo, const QString &chemin)
{
    return ecrirePdf(parent, *contenuFacture(f, logo), chemin);
}

namespace {

// The list, filtered by `texte`, in the page's model; the numbers in the
// first column's data.
bool remplir(QWidget *page, const QSqlDatabase &db, const QString &texte,
             QStandardItemModel *modele)
{
    QList<Facture> liste;
    if (!lectureReussie(page, commandes::factures(db, texte, &liste)))
        return false;
    modele->removeRows(0, modele->rowCount());
    for (const Facture &f : liste) {
        const QString statut = f.avoir() ? QStringLiteral("avoir de la facture ") + f.annule
            : f.annuleePar.isEmpty()     ? QStringLiteral("émise")
                                         : QStringLiteral("annulée par ") + f.annuleePar;
        QList<QStandardItem *> cellules;
        for (const QString &valeur :
             { f.numeroTexte(), f.date.toString(QStringLiteral("dd/MM/yyyy")),
               f.client.entreprise.isEmpty()
                   ? f.client.nom
                   : QStringLiteral("%1 (%2)").arg(f.client.nom, f.client.entreprise),
               commandes::enMontant(f.total, f.emetteur.devise), statut })
            cellules << new QStandardItem(valeur);
        cellules.first()->setData(f.id, Qt::UserRole);
        modele->appendRow(cellules);
    }
    return true;
}

// The number of the chosen row's invoice; invalid, with a box, when none is chosen.
QVariant choisie(QWidget *page, QTableView *vue)
{
    const QModelIndexList rangs = vue->selectionModel()->selectedRows();
    if (rangs.isEmpty()) {
        boite(page, QMessageBox::Information, QStringLiteral("Aucune facture choisie"),
              QStringLiteral("Choisissez d'abord une facture dans la liste."));
        return {};
    }
    return rangs.first().siblingAtColumn(0).data(Qt::UserRole);
}

void avoirSur(QWidget *page, const QSqlDatabase &db, QTableView *vue)
{
    const QVariant id = choisie(page, vue);
    if (!id.isValid()
        || !confirmer(page, QStringLiteral("Établir un avoir"),
                      QStringLiteral("L'avoir annulera la facture n° %1 : ses commandes pourront "
                                     "être modifiées et facturées de nouveau. Continuer ?")
                          .arg(vue->selectionModel()->selectedRows().first().data().toString())))
        return;
    Facture avoir;
    const Issue issue = commandes::etablirAvoir(db, id, &avoir);
    if (issue.ok())
        boite(page, QMessageBox::Information, QStringLiteral("Avoir établi"),
              QStringLiteral("L'avoir n° %1 annule la facture n° %2 : ses commandes peuvent être "
                             "facturées de nouveau.")
                  .arg(avoir.numeroTexte(), avoir.annule));
    else if (issue == Issue::Conflit)
        conflitSignale(page, issue.raison);
    else if (!issueIncertaineSignalee(page, issue))
        boite(page, QMessageBox::Warning, QStringLiteral("Avoir refusé"), issue.raison);
}

} // namespace

void pageFactures(QWidget *parent, const QSqlDatabase &db)
{
    QDialog *page = nouveauDialogue(parent, QStringLiteral("Factures et avoirs"), 860, 600);
    auto *modele = new QStandardItemModel(0, 5, page);
    modele->setHorizontalHeaderLabels({ QStringLiteral("Numéro"), QStringLiteral("Date"),
                                        QStringLiteral("Client"), QStringLiteral("Total"),
                                        QStringLiteral("Statut") });
    if (!remplir(parent, db, QString(), modele))
        return page->deleteLater();
    etiquette(page, QStringLiteral("Factures et avoirs"),
              QStringLiteral("color:green;font-size:22px;text-decoration:underline;"),
              QRect(0, 10, 860, 30));
    auto *recherche = new QLineEdit(page);
    recherche->setObjectName(QStringLiteral("recherche"));
    recherche->setPlaceholderText(QStringLiteral("Rechercher par numéro ou par client"));
    recherche->setGeometry(10, 50, 840, 28);
    auto *vue = new QTableView(page);
    vue->setObjectName(QStringLiteral("factures"));
    vue->setModel(modele);
    vue->setSelectionBehavior(QAbstractItemView::SelectRows);
    vue->setSelectionMode(QAbstractItemView::SingleSelection);
    vue->setEditTriggers(QAbstractItemView::NoEditTriggers);
    vue->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    vue->setColumnWidth(4, 230);
    vue->setGeometry(10, 85, 840, 455);
    const QList<Button *> boutons =
        rangee(page, { Couleurs::bleu(), true, 5.0, 5.0 },
               { QStringLiteral("Ouvrir"), QStringLiteral("Établir un avoir"),
                 QStringLiteral("Exporter en CSV"), QStringLiteral("Fermer la page") },
               QPoint(10, 552), QSize(202, 35));
    const auto recharger = [page, db, recherche, modele] {
        remplir(page, db, recherche->text(), modele);
    };
    QObject::connect(recherche, &QLineEdit::textChanged, page, recharger);
    QObject::connect(boutons.at(0), &Button::clicked, page, [page, db, vue] {
        const QVariant id = choisie(page, vue);
        if (id.isValid())
            ouvrir(page, db, id);
    });
    QObject::connect(boutons.at(1), &Button::clicked, page, [page, db, vue, recharger] {
        avoirSur(page, db, vue);
        recharger();
    });
    QObject::connect(boutons.at(2), &Button::clicked, page,
                     [page, vue] { exporterCsv(page, vue, QStringLiteral("factures")); });
    QObject::connect(boutons.at(3), &Button::clicked, page, &QDialog::accept);
    page->exec();
}

} // namespace facturation
