#include "app/historique.h"
#include "app/entreprise.h"
#include "commun/dialogues.h"

#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QTableView>

using historique::Entree;

ModeleHistorique::ModeleHistorique(const QSqlDatabase &db, QObject *parent)
    : QAbstractTableModel(parent)
    , db(db)
{
}

Issue ModeleHistorique::charger(const QString &registre)
{
    beginResetModel();
    choisi = registre;
    lignes.clear();
    fin = false;
    endResetModel();
    return suite();
}

Issue ModeleHistorique::suite()
{
    QList<Entree> page;
    const Issue issue =
        historique::entrees(db, choisi, lignes.isEmpty() ? 0 : lignes.last().id, parPage, &page);
    // A page cut short is the last one; a refused read ends the list too, so
    // that scrolling does not ask again and again.
    fin = !issue.ok() || page.size() < parPage;
    if (!page.isEmpty()) {
        beginInsertRows({}, int(lignes.size()), int(lignes.size() + page.size()) - 1);
        lignes += page;
        endInsertRows();
    }
    return issue;
}

int ModeleHistorique::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(lignes.size());
}

int ModeleHistorique::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 4;
}

QVariant ModeleHistorique::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= lignes.size()
        || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const Entree &e = lignes.at(index.row());
    switch (index.column()) {
    case 0:
        return e.quand;
    case 1:
        return e.poste;
    case 2:
        return historique::nomRegistre(e.registre);
    default:
        return e.resume;
    }
}

QVariant ModeleHistorique::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const QStringList titres = { QStringLiteral("Date"), QStringLiteral("Poste"),
                                        QStringLiteral("Registre"),
                                        QStringLiteral("Modification") };
    return titres.value(section);
}

bool ModeleHistorique::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && !fin;
}

void ModeleHistorique::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent))
        return;
    const Issue issue = suite();
    if (!issue.ok())
        Q_EMIT lectureEchouee(issue.raison);
}

void Entreprise::afficherHistorique()
{
    if (!registresPrets())
        return;
    // The first page is read before the dialog is built: a refused read shows no page.
    auto *modele = new ModeleHistorique(db);
    if (!lectureReussie(this, modele->charger(QString()))) {
        delete modele;
        return;
    }
    QDialog *fenetre = ouvrirDialogue(QStringLiteral("Historique des modifications"), 820, 560);
    modele->setParent(fenetre);
    etiquette(fenetre, QStringLiteral("Historique des modifications"),
              QStringLiteral("color:green;font-size:25px;font-weight:bold;"),
              QRect(0, 10, 820, 30));
    auto *registre = new QComboBox(fenetre);
    registre->setObjectName(QStringLiteral("registre"));
    registre->setGeometry(10, 50, 250, 25);
    registre->addItem(QStringLiteral("Tous les registres"), QString());
    for (const QString &cle : historique::registres())
        registre->addItem(historique::nomRegistre(cle), cle);

    auto *vue = new QTableView(fenetre);
    vue->setObjectName(QStringLiteral("historique"));
    vue->setGeometry(10, 85, 800, 425);
    vue->setModel(modele);
    vue->setSelectionBehavior(QAbstractItemView::SelectRows);
    vue->setSelectionMode(QAbstractItemView::SingleSelection);
    vue->setEditTriggers(QAbstractItemView::NoEditTriggers);
    vue->verticalHeader()->hide();
    vue->horizontalHeader()->setStretchLastSection(true);
    for (const auto &[colonne, largeur] : { std::pair(0, 140), std::pair(1, 130), { 2, 110 } })
        vue->setColumnWidth(colonne, largeur);
    vueHistorique = vue;

    connect(registre, &QComboBox::currentIndexChanged, fenetre, [fenetre, registre, modele] {
        lectureReussie(fenetre, modele->charger(registre->currentData().toString()));
    });
    // A box is not opened from inside the view's own fetch.
    connect(
        modele, &ModeleHistorique::lectureEchouee, fenetre,
        [fenetre](const QString &raison) { lectureRefusee(fenetre, raison); },
        Qt::QueuedConnection);
    const QList<Button *> boutons =
        rangee(fenetre, StyleBouton { Couleurs::bleu(), true, 10.0, 10.0 },
               { QStringLiteral("Annuler la modification"), QStringLiteral("Fermer la page") },
               QPoint(10, 520), QSize(395, 28));
    connect(boutons.at(0), &Button::clicked, this, &Entreprise::annulerModification);
    connect(boutons.at(1), &Button::clicked, fenetre, &QDialog::accept);
    fenetre->exec();
}

void Entreprise::annulerModification()
{
    QTableView *vue = vueHistorique;
    auto *modele = vue ? qobject_cast<ModeleHistorique *>(vue->model()) : nullptr;
    if (!modele)
        return;
    const QModelIndexList choisies = vue->selectionModel()->selectedRows();
    if (choisies.isEmpty()) {
        boite(dialog, QMessageBox::Information, QStringLiteral("Annuler la modification"),
              QStringLiteral("Choisissez d'abord dans la liste la modification à annuler."));
        return;
    }
    // The entry is copied: the list is read again below.
    const Entree entree = modele->entree(choisies.first().row());
    annulerEntree(dialog, entree);
    lectureReussie(dialog, modele->charger(modele->registre()));
}

void Entreprise::annulerDerniere()
{
    // Ctrl+Z belongs to the home page: a dialog open keeps its own keys.
    if (dialog || !registresPrets())
        return;
    Entree entree;
    const Issue issue = historique::derniere(db, &entree);
    if (issue == Issue::DejaSupprime) {
        boite(this, QMessageBox::Information, QStringLiteral("Annuler la modification"),
              QStringLiteral("Aucune modification faite depuis ce poste n'est à annuler."));
        return;
    }
    if (lectureReussie(this, issue))
        annulerEntree(this, entree);
}

void Entreprise::annulerEntree(QWidget *parent, const Entree &entree)
{
    if (entree.genre == QLatin1String("restauration"))
        return annulerRestauration(parent, entree);
    // An issued invoice or credit note is never undone: no question is asked
    // before the box that says so.
    const bool definitive =
        entree.genre == QLatin1String("facture") || entree.genre == QLatin1String("avoir");
    if (!definitive
        && boite(
               parent, QMessageBox::Question, QStringLiteral("Annuler la modification"),
               QStringLiteral("Voulez-vous annuler la modification « %1 » du %2, poste %3 ?\nCette "
                              "annulation pourra elle-même être annulée.")
                   .arg(entree.resume, entree.quand, entree.poste),
               QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
            != QMessageBox::Yes)
        return;
    historique::Annulation annulation;
    const Issue issue = historique::annuler(db, entree.numero, &annulation);
    if (issue.ok()) {
        rafraichirCompleteurs();
        boite(parent, QMessageBox::Information, QStringLiteral("Modification annulée"),
              annulation.texte());
    } else if (issue == Issue::Conflit || issue == Issue::DejaSupprime) {
        boite(parent, QMessageBox::Warning, QStringLiteral("Annulation impossible"),
              issue == Issue::DejaSupprime
                  ? QStringLiteral("Cette modification n'est plus dans l'historique : il n'y a "
                                   "plus rien à annuler.")
                  : issue.raison.isEmpty()
                  ? QStringLiteral("Un autre poste a modifié les mêmes données au même moment.\n"
                                   "Rien n'a été modifié.")
                  : issue.raison);
    } else if (issue == Issue::Refuse) {
        // An invoice, a credit note, or orders an invoice holds: the reason says which.
        boite(parent, QMessageBox::Warning, QStringLiteral("Annulation impossible"), issue.raison);
    } else if (historique::incertain(issue)) {
        boite(parent, QMessageBox::Warning, QStringLiteral("Annulation incertaine"), issue.raison);
    } else {
        boite(parent, QMessageBox::Warning, QStringLiteral("Annulation échouée"),
              QStringLiteral("Le serveur a refusé l'annulation : rien n'a été modifié.\n\n"
                             "Message du serveur : %1")
                  .arg(issue.raison));
    }
}
