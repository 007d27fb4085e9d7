#include "app/grilles.h"
#include "app/exports.h"

#include <QDate>
#include <QDateTime>
#include <QHeaderView>
#include <QIODevice>
#include <QTableView>

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
    // No order chosen yet: the model's own.
    grille->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    grille->horizontalHeader()->setSortIndicatorShown(true);
    grille->setSortingEnabled(true);
    return tri;
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
        return valeur.toString();
    }
}

bool ecrireCsv(QTableView *grille, QIODevice &sortie, Avancement &avancement)
{
    QAbstractItemModel *modele = grille->model();
    avancement.etape(QStringLiteral("Lecture des lignes…"), 1);
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
    avancement.etape(QStringLiteral("Écriture des lignes…"), lignes);
    for (int ligne = 0; ligne < lignes; ++ligne) {
        champs.clear();
        for (int colonne : std::as_const(colonnes))
            champs << champCsv(texteCsv(modele->index(ligne, colonne).data(Qt::EditRole)));
        tampon += (champs.join(QLatin1Char(';')) + finDeLigne).toUtf8();
        if (tampon.size() > 1 << 16 || ligne + 1 == lignes) {
            if (sortie.write(tampon) != tampon.size())
                return true; // the file tells its error when it is committed
            tampon.clear();
            if (!avancement.avancer(ligne + 1))
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
        Avancement avancement(parent, QStringLiteral("Exportation en CSV"));
        return ecrireCsv(grille, fichier, avancement);
    });
}
