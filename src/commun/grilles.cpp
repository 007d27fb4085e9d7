#include "commun/grilles.h"
#include "commun/base.h"
#include "commun/exports.h"
#include "commun/historique.h"
#include "commun/progression.h"
#include "commun/saisie.h"
#include "commun/schema.h"

#include <QDate>
#include <QDateTime>
#include <QHeaderView>
#include <QIODevice>
#include <QLineEdit>
#include <QMultiHash>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlTableModel>
#include <QStyledItemDelegate>
#include <QTableView>

namespace {

// What the cell's column holds, in characters, in the table under the grid
// (through its sorting proxy): -1 when it is no typed text or no table.
int largeurCellule(const QModelIndex &index)
{
    const QAbstractItemModel *modele = index.model();
    if (const auto *tri = qobject_cast<const QSortFilterProxyModel *>(modele))
        modele = tri->sourceModel();
    const auto *table = qobject_cast<const QSqlTableModel *>(modele);
    return table
        ? schema::largeurTexte(table->tableName(), table->record().fieldName(index.column()))
        : -1;
}

// The grid's editors take at most what their column holds.
class DelegueGrille : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        QWidget *editeur = QStyledItemDelegate::createEditor(parent, option, index);
        const int largeur = largeurCellule(index);
        if (auto *ligne = qobject_cast<QLineEdit *>(editeur); ligne && largeur > 0)
            ligne->setMaxLength(largeur);
        return editeur;
    }
};

} // namespace

TriDeGrille::TriDeGrille(QObject *parent)
    : QSortFilterProxyModel(parent)
{
    // An edited cell stays where it is; rows move only when a header is clicked.
    setDynamicSortFilter(false);
    setSortLocaleAware(true);
    connect(this, &QAbstractItemModel::modelReset, this, &TriDeGrille::apresRechargement);
}

void TriDeGrille::toutCharger()
{
    QAbstractItemModel *modele = sourceModel();
    while (modele && modele->canFetchMore(QModelIndex()))
        modele->fetchMore(QModelIndex());
}

void TriDeGrille::sort(int colonne, Qt::SortOrder ordre)
{
    // Rows still to be loaded would come in unsorted at the end.
    if (colonne >= 0)
        toutCharger();
    QSortFilterProxyModel::sort(colonne, ordre);
}

void TriDeGrille::apresRechargement()
{
    // After a save the model reloads its rows: the grid keeps its order.
    if (sortColumn() < 0)
        return;
    toutCharger();
    invalidate();
}

bool TriDeGrille::lessThan(const QModelIndex &gauche, const QModelIndex &droite) const
{
    const QVariant a = gauche.data(sortRole());
    const QVariant b = droite.data(sortRole());
    if (a.isNull() || b.isNull())
        return a.isNull() && !b.isNull();
    bool na = false;
    bool nb = false;
    const double x = a.toString().toDouble(&na);
    const double y = b.toString().toDouble(&nb);
    if (na && nb)
        return x < y;
    if (na != nb)
        return na;
    return QSortFilterProxyModel::lessThan(gauche, droite);
}

TriDeGrille *triable(QTableView *grille, QAbstractItemModel *modele)
{
    auto *tri = new TriDeGrille(grille);
    tri->setSourceModel(modele);
    grille->setModel(tri);
    limiterSaisie(grille);
    // No order chosen yet: the model's own.
    grille->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    grille->horizontalHeader()->setSortIndicatorShown(true);
    grille->setSortingEnabled(true);
    return tri;
}

void limiterSaisie(QTableView *grille)
{
    grille->setItemDelegate(new DelegueGrille(grille));
}

QAbstractItemModel *modeleDe(QTableView *grille)
{
    if (auto *tri = qobject_cast<QSortFilterProxyModel *>(grille->model()))
        return tri->sourceModel();
    return grille->model();
}

QString champCsv(const QString &texte)
{
    if (!texte.contains(QLatin1Char(';')) && !texte.contains(QLatin1Char('"'))
        && !texte.contains(QLatin1Char('\n')) && !texte.contains(QLatin1Char('\r')))
        return texte;
    QString champ = texte;
    champ.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + champ + QLatin1Char('"');
}

QString texteCsv(const QVariant &valeur)
{
    if (valeur.isNull())
        return QString();
    switch (valeur.typeId()) {
    case QMetaType::Double:
        return QString::number(valeur.toDouble(), 'g', 15);
    case QMetaType::Float:
        return QString::number(valeur.toFloat(), 'g', 6);
    case QMetaType::QDateTime:
        return valeur.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    case QMetaType::QDate:
        return valeur.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    default:
        break;
    }
    // A text the spreadsheet would read as a formula is written as text: a
    // leading quote. Numbers stored as text ("-150") stay numbers.
    QString texte = valeur.toString();
    static const QString debutsFormule = QStringLiteral("=+-@\t\r");
    bool nombre = false;
    texte.toDouble(&nombre);
    if (!texte.isEmpty() && debutsFormule.contains(texte.front()) && !nombre)
        texte.prepend(QLatin1Char('\''));
    return texte;
}

bool ecrireCsv(QTableView *grille, QIODevice &sortie, Progression &progression)
{
    QAbstractItemModel *modele = grille->model();
    progression.etape(QStringLiteral("Lecture des lignes…"), 1);
    if (auto *tri = qobject_cast<TriDeGrille *>(modele))
        tri->toutCharger();
    while (modele->canFetchMore(QModelIndex()))
        modele->fetchMore(QModelIndex());

    // The columns as the grid shows them, from left to right.
    const QHeaderView *entetes = grille->horizontalHeader();
    QList<int> colonnes;
    for (int visuelle = 0; visuelle < entetes->count(); ++visuelle) {
        const int colonne = entetes->logicalIndex(visuelle);
        if (!grille->isColumnHidden(colonne))
            colonnes << colonne;
    }

    const QString finDeLigne = QStringLiteral("\r\n");
    QStringList champs;
    for (int colonne : std::as_const(colonnes))
        champs << champCsv(modele->headerData(colonne, Qt::Horizontal).toString());
    QByteArray tampon("\xEF\xBB\xBF");
    tampon += (champs.join(QLatin1Char(';')) + finDeLigne).toUtf8();

    const int lignes = modele->rowCount();
    progression.etape(QStringLiteral("Écriture des lignes…"), lignes);
    for (int ligne = 0; ligne < lignes; ++ligne) {
        champs.clear();
        for (int colonne : std::as_const(colonnes))
            champs << champCsv(texteCsv(modele->index(ligne, colonne).data(Qt::EditRole)));
        tampon += (champs.join(QLatin1Char(';')) + finDeLigne).toUtf8();
        if (tampon.size() > 1 << 16 || ligne + 1 == lignes) {
            if (sortie.write(tampon) != tampon.size())
                return true; // the file tells its error when it is committed
            tampon.clear();
            if (!progression.avancer(ligne + 1))
                return false;
        }
    }
    if (!tampon.isEmpty())
        sortie.write(tampon);
    return true;
}

bool exporterCsv(QWidget *parent, QTableView *grille, const QString &nom)
{
    const QString chemin =
        demanderFichier(parent, QStringLiteral("Exporter en CSV"), nom, QStringLiteral("csv"),
                        QStringLiteral("Fichiers CSV (*.csv)"));
    if (chemin.isEmpty())
        return false;
    return enregistrer(parent, chemin, [&](QIODevice &fichier) {
        Progression progression(parent, QStringLiteral("Exportation en CSV"));
        return ecrireCsv(grille, fichier, progression);
    });
}

namespace {

// An edit typed into the grid and not yet written, with the key of its row as stored.
struct Modification
{
    QVariant cle;
    int colonne;
    QVariant valeur;
};

// An edited row as the grid loaded it, every column, by the names of the fields.
struct LigneChargee
{
    QVariant cle;
    QSqlRecord valeurs;
};

struct Attente
{
    QList<Modification> modifications;
    QList<LigneChargee> lignes;
};

int colonneCle(const QSqlTableModel &modele)
{
    const QSqlIndex cle = modele.primaryKey();
    return cle.isEmpty() ? 0 : modele.fieldIndex(cle.fieldName(0));
}

QString nomCle(const QSqlTableModel &modele)
{
    const QSqlIndex cle = modele.primaryKey();
    return cle.isEmpty() ? modele.record().fieldName(0) : cle.fieldName(0);
}

Attente enAttente(const QSqlTableModel &modele)
{
    Attente attente;
    if (!modele.isDirty())
        return attente;
    const int cle = colonneCle(modele);
    for (int ligne = 0; ligne < modele.rowCount(); ++ligne) {
        bool modifiee = false;
        // The stored key, not the grid's: the key itself may have been edited.
        const QVariant id = modele.QSqlQueryModel::data(modele.index(ligne, cle));
        for (int colonne = 0; colonne < modele.columnCount(); ++colonne) {
            const QModelIndex index = modele.index(ligne, colonne);
            if (!modele.isDirty(index))
                continue;
            modifiee = true;
            attente.modifications.append({ id, colonne, modele.data(index, Qt::EditRole) });
        }
        if (!modifiee || id.isNull())
            continue;
        QSqlRecord valeurs = modele.record();
        for (int colonne = 0; colonne < valeurs.count(); ++colonne)
            valeurs.setValue(colonne, modele.QSqlQueryModel::data(modele.index(ligne, colonne)));
        attente.lignes.append({ id, valeurs });
    }
    return attente;
}

bool memeValeur(const QVariant &a, const QVariant &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    return a == b;
}

// The edited rows that another workstation changed or deleted since the grid
// loaded them, as they are stored now. With `verrouiller`, inside a
// transaction, the rows are also held until it ends, so that nobody changes
// them between this check and the writing.
bool changeesAilleurs(const QSqlTableModel &modele, const QList<LigneChargee> &lignes,
                      bool verrouiller, Conflit *conflit, QString *code)
{
    if (lignes.isEmpty())
        return true;
    const QSqlDriver *pilote = modele.database().driver();
    const QString cle = nomCle(modele);
    QStringList marques;
    for (int i = 0; i < lignes.size(); ++i)
        marques << QStringLiteral("?");
    QSqlQuery q(modele.database());
    q.prepare(QStringLiteral("SELECT * FROM ")
              + pilote->escapeIdentifier(modele.tableName(), QSqlDriver::TableName)
              + QStringLiteral(" WHERE ") + pilote->escapeIdentifier(cle, QSqlDriver::FieldName)
              + QStringLiteral(" IN (") + marques.join(QLatin1Char(',')) + QLatin1Char(')')
              + (verrouiller ? QStringLiteral(" FOR UPDATE") : QString()));
    for (const LigneChargee &ligne : lignes)
        q.addBindValue(ligne.cle);
    if (!executer(q)) {
        *code = q.lastError().nativeErrorCode();
        return false;
    }
    QHash<QString, QSqlRecord> stockees;
    while (q.next())
        stockees.insert(q.value(cle).toString(), q.record());
    for (const LigneChargee &ligne : lignes) {
        const QString id = ligne.cle.toString();
        const auto stockee = stockees.constFind(id);
        if (stockee == stockees.constEnd()) {
            conflit->supprimees << id;
            continue;
        }
        for (int colonne = 0; colonne < ligne.valeurs.count(); ++colonne) {
            if (!memeValeur(ligne.valeurs.value(colonne),
                            stockee->value(ligne.valeurs.fieldName(colonne)))) {
                conflit->modifiees << id;
                break;
            }
        }
    }
    return true;
}

// Whether the grid's connection still answers: a grid reloaded over a lost
// connection would come back empty, and the user's edits with it.
bool connexionRepond(const QSqlTableModel &modele)
{
    QSqlQuery q(modele.database());
    return executer(q, QStringLiteral("SELECT 1"));
}

// Reloads the stored rows and types the edits into them again, except on the
// rows named in `conflit`: those show what is stored now. Without
// `recharger` (the connection is lost), the rows stay as the grid loaded them
// and every edit is typed again over them.
void reprendre(QSqlTableModel &modele, const QList<Modification> &modifications,
               const Conflit &conflit, bool recharger)
{
    if (!recharger) {
        modele.revertAll();
    } else if (!modele.select()) {
        qWarning("La grille n'a pas pu être rechargée : %s", qPrintable(modele.lastError().text()));
        return;
    }
    const int cle = colonneCle(modele);
    QMultiHash<QString, Modification> restantes;
    for (const Modification &m : modifications) {
        const QString id = m.cle.toString();
        if (!conflit.modifiees.contains(id) && !conflit.supprimees.contains(id))
            restantes.insert(id, m);
    }
    for (int ligne = 0; !restantes.isEmpty(); ++ligne) {
        while (ligne >= modele.rowCount() && modele.canFetchMore())
            modele.fetchMore();
        if (ligne >= modele.rowCount())
            break;
        const QString id = modele.index(ligne, cle).data().toString();
        for (const Modification &m : restantes.values(id))
            modele.setData(modele.index(ligne, m.colonne), m.valeur, Qt::EditRole);
        restantes.remove(id);
    }
}

const QString connexionPerdue =
    QStringLiteral("La connexion à la base de donnée a été perdue : rien n'a été enregistré, et "
                   "vos modifications restent en attente dans la grille.");

QString numeros(const QStringList &ids)
{
    QStringList noms;
    for (const QString &id : ids)
        noms << QStringLiteral("n°") + id;
    return noms.join(QStringLiteral(", "));
}

} // namespace

bool Conflit::vide() const
{
    return modifiees.isEmpty() && supprimees.isEmpty();
}

QString Conflit::texte() const
{
    QStringList lignes;
    if (!modifiees.isEmpty())
        lignes << QStringLiteral("Modifiés par un autre poste : ") + numeros(modifiees);
    if (!supprimees.isEmpty())
        lignes << QStringLiteral("Supprimés par un autre poste : ") + numeros(supprimees);
    return QStringLiteral("Un autre poste a changé ces éléments depuis leur affichage :\n")
        + lignes.join(QLatin1Char('\n'))
        + QStringLiteral("\nRien n'a été enregistré. La grille montre maintenant leurs valeurs "
                         "actuelles ; vos autres modifications restent en attente.");
}

Issue chargerGrille(QSqlTableModel &modele)
{
    if (modele.select())
        return Issue::ecrit();
    qWarning("La base de donnée a refusé la lecture de %s : %s", qPrintable(modele.tableName()),
             qPrintable(modele.lastError().text()));
    return Issue::erreur(modele.lastError().text(), modele.lastError().nativeErrorCode());
}

// Amounts edited in the grid are written the way the server sums them, and
// what a column cannot hold is refused before anything is sent: false then,
// with the reason, naming the column and the row's number.
static bool preparerModifications(QSqlTableModel &modele, QString *raison)
{
    if (!modele.isDirty())
        return true;
    const int cle = colonneCle(modele);
    for (int ligne = 0; ligne < modele.rowCount(); ++ligne) {
        for (int colonne = 0; colonne < modele.columnCount(); ++colonne) {
            const QModelIndex index = modele.index(ligne, colonne);
            if (!modele.isDirty(index))
                continue;
            const QVariant valeur = modele.data(index, Qt::EditRole);
            if (valeur.isNull() || valeur.typeId() != QMetaType::QString)
                continue;
            const QString nom = modele.record().fieldName(colonne);
            const QString texte = valeur.toString();
            const QString ou = QStringLiteral(" (n°%1)").arg(
                modele.QSqlQueryModel::data(modele.index(ligne, cle)).toString());
            if (nom == QLatin1String("valeur") || nom == QLatin1String("prix_unitaire")
                || nom == QLatin1String("prix_total")) {
                const QString montant = nom == QLatin1String("prix_unitaire")
                    ? prixLu(texte, raison)
                    : montantLu(texte,
                                nom == QLatin1String("valeur") ? QStringLiteral("Le montant")
                                                               : QStringLiteral("Le prix total"),
                                nom != QLatin1String("valeur"), raison);
                if (montant.isNull()) {
                    *raison += ou;
                    return false;
                }
                if (montant != texte)
                    modele.setData(index, montant, Qt::EditRole);
                continue;
            }
            const int largeur = schema::largeurTexte(modele.tableName(), nom);
            if (largeur < 0)
                continue;
            *raison = premierRefus({ { QStringLiteral("La colonne ") + nom, texte, largeur } });
            if (!raison->isEmpty()) {
                *raison += ou;
                return false;
            }
        }
    }
    return true;
}

namespace {

// The edited rows as they are, in the operation that journals the grid's
// save, before the edits are sent.
Issue journaliserAvant(historique::Operation &operation, const QSqlTableModel &modele,
                       const Attente &attente)
{
    QStringList marques;
    QVariantList cles;
    for (const LigneChargee &ligne : attente.lignes) {
        marques << QStringLiteral("?");
        cles << ligne.cle;
    }
    if (cles.isEmpty())
        return Issue::ecrit();
    return operation.avant(
        modele.tableName(), historique::Action::Modification,
        QStringLiteral("id IN (") + marques.join(QLatin1Char(',')) + QLatin1Char(')'), cles);
}

// The edited rows as stored once the edits are sent; a row given another
// number counts as deleted under its old one and added under its new one.
Issue journaliserApres(historique::Operation &operation, const QSqlTableModel &modele,
                       const Attente &attente)
{
    const QString table = modele.tableName();
    Issue issue = operation.apres(table);
    const int cle = colonneCle(modele);
    for (const Modification &m : attente.modifications) {
        if (issue.ok() && m.colonne == cle && m.valeur != m.cle)
            issue = operation.ajout(table, m.valeur);
    }
    QString resume;
    if (issue.ok())
        issue = operation.modifications(table, &resume);
    return issue.ok() ? operation.clore(QStringLiteral("modification"), resume) : issue;
}

// One attempt at writing the edits: `conflit` gets the rows changed
// elsewhere, when there are some.
Issue ecrireModifications(QSqlTableModel &modele, const Attente &attente, Conflit *conflit)
{
    historique::Operation operation(modele.database(), historique::registreDe(modele.tableName()));
    Transaction transaction(modele.database());
    QString code;
    if (!transaction.ouverte())
        return transaction.issue();
    Issue issue = operation.commencer();
    if (!issue.ok())
        return issue;
    // The rows are journaled before they are checked: the transaction then
    // writes, and on a cluster a node that applies another workstation's
    // change to them rolls it back, where a transaction that has only read
    // them would go on over the value it read.
    issue = journaliserAvant(operation, modele, attente);
    if (!issue.ok())
        return issue;
    if (!changeesAilleurs(modele, attente.lignes, true, conflit, &code))
        return Issue::erreur(QStringLiteral("la vérification des lignes a été refusée"), code);
    // Nothing is written over a change the user has not seen.
    if (!conflit->vide())
        return Issue::conflit();
    if (!modele.submitAll()) {
        issue = Issue::erreur(modele.lastError().text(), modele.lastError().nativeErrorCode());
        qWarning("La base de donnée a refusé les modifications de %s : %s",
                 qPrintable(modele.tableName()), qPrintable(issue.raison));
        return issue;
    }
    issue = journaliserApres(operation, modele, attente);
    return issue.ok() ? operation.valider(transaction, issue) : issue;
}

} // namespace

Issue enregistrerGrille(QSqlTableModel &modele)
{
    QString refus;
    if (!preparerModifications(modele, &refus))
        return Issue::refus(QString(), refus);
    const Attente attente = enAttente(modele);
    Conflit conflit;
    const Issue issue = ecrireModifications(modele, attente, &conflit);
    if (issue.ok())
        return issue;
    // The model counts the rows it sent before the failure as written: once
    // they are undone, they are reloaded as stored and the edits made pending
    // again, except on the rows another workstation changed meanwhile.
    if (!connexionRepond(modele)) {
        reprendre(modele, attente.modifications, Conflit(), false);
        return Issue::erreur(historique::incertain(issue) ? issue.raison : connexionPerdue,
                             issue.code);
    }
    QString ignore;
    if (conflit.vide() && !changeesAilleurs(modele, attente.lignes, false, &conflit, &ignore))
        conflit = Conflit();
    reprendre(modele, attente.modifications, conflit, true);
    if (!conflit.vide())
        return Issue::conflit(conflit.texte());
    if (conflitEntrePostes(issue.code) || issue == Issue::Conflit)
        return Issue::conflit();
    return issue;
}
