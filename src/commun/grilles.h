#ifndef GRILLES_H
#define GRILLES_H

// What the grids share: edits wait in the model until "Valider" writes them
// all, or "Annuler" drops them; a click on a column's header sorts them; what
// they show can be exported as CSV.

#include "commun/base.h"

#include <QSortFilterProxyModel>
#include <QString>
#include <QStringList>

#include <functional>

class Progression;
class QIODevice;
class QSqlTableModel;
class QTableView;

// Sorts a grid by the column whose header is clicked (clicked again: the other
// way). The rows are sorted in a proxy between the model and the view: the
// model's rows and its pending edits stay as they are, so that Valider writes
// exactly the edits the user made. Until a header is clicked, the rows keep
// the model's order.
// Loads the grid's rows; Erreur, with the server's message, when it refuses
// (no grid is to be shown then).
Issue chargerGrille(QSqlTableModel &modele);

// The rows of a grid that another workstation changed or deleted since the
// grid loaded them, by their numbers.
struct Conflit
{
    QStringList modifiees;
    QStringList supprimees;
    bool vide() const;
    // What the box says: the entries, then that nothing was written.
    QString texte() const;
};

// Writes every pending edit of the grid in one transaction, only if every
// edited row still holds what the grid loaded: a row changed or deleted by
// another workstation meanwhile is never written over.
// - Ecrit: every edit is stored, and the grid shows the stored rows.
// - Conflit: nothing is written; `raison` names the entries changed elsewhere
//   (empty when another workstation was in the way of the writing itself); the
//   grid shows their current values and the user's other edits stay pending.
// - Refuse: an edit cannot be stored (`raison` names the column and the row);
//   nothing is sent.
// - Erreur: the server refused an edit; nothing is written, the rows are
//   reloaded and every edit is pending again, to be corrected and sent once
//   more. The server's message is then in `raison`; when the connection is
//   lost, the rows are not reloaded (they would come back empty) and `raison`
//   says the connection was lost.
// This is the grids' write path: a deadlock or a row held elsewhere is never
// run again (the rule of Changement::Grille) but told as a conflict.
// `verifier`, when given, is asked inside that transaction, with the numbers
// of the edited rows held, whether they may be written: what it refuses is
// told as it says, and nothing is written.
Issue enregistrerGrille(QSqlTableModel &modele,
                        const std::function<Issue(const QVariantList &cles)> &verifier = {});

class TriDeGrille : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit TriDeGrille(QObject *parent = nullptr);
    void sort(int colonne, Qt::SortOrder ordre = Qt::AscendingOrder) override;
    // Every row of the model is loaded.
    void toutCharger();

protected:
    // Numbers, stored as text or not, compare as numbers; other texts in the
    // user's language's order.
    bool lessThan(const QModelIndex &gauche, const QModelIndex &droite) const override;

private:
    void apresRechargement();
};

// Puts the model in the grid through a sorting proxy, and sorts by a click on
// a header. Returns the proxy (owned by the grid).
TriDeGrille *triable(QTableView *grille, QAbstractItemModel *modele);

// The grid's editors take at most what their column holds (the model is a
// table of the registers, or a sorting proxy over one).
void limiterSaisie(QTableView *grille);

// The model under the grid's sorting proxy, or the grid's model.
QAbstractItemModel *modeleDe(QTableView *grille);

// One CSV field: quoted, its quotes doubled, when it holds ';', '"' or a line break.
QString champCsv(const QString &texte);
// A value as the file holds it: numbers and texts as stored, dates as the
// database writes them, nothing for NULL. A text beginning like a formula
// (=, +, -, @, a tab or a carriage return) and that is no number gets a
// leading quote, so that a spreadsheet shows it as text and runs nothing.
QString texteCsv(const QVariant &valeur);

// Every row the grid shows (not only those on screen), its shown columns and
// their headers, in the grid's current order: UTF-8 with a byte-order mark,
// ';' between fields, CRLF line ends. False when the reader cancelled.
bool ecrireCsv(QTableView *grille, QIODevice &sortie, Progression &progression);

// "Exporter en CSV": asks for a file name (proposing <nom>-<date>.csv in the
// documents folder) and writes the grid to it. True when a file was written.
bool exporterCsv(QWidget *parent, QTableView *grille, const QString &nom);

#endif // GRILLES_H
