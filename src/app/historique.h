#ifndef APP_HISTORIQUE_H
#define APP_HISTORIQUE_H

#include "commun/historique.h"

#include <QAbstractTableModel>
#include <QList>
#include <QSqlDatabase>

// The history page's list: the operations newest first, read by pages of
// 200 as the user scrolls down to them, each page older than the last row
// read, so that opening it costs one short read however long the journal is.
class ModeleHistorique : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int parPage = 200;

    ModeleHistorique(const QSqlDatabase &db, QObject *parent = nullptr);

    // Starts again from the newest operation, of one register (all of them
    // when empty), and reads the first page.
    Issue charger(const QString &registre);
    QString registre() const { return choisi; }
    const historique::Entree &entree(int ligne) const { return lignes.at(ligne); }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

Q_SIGNALS:
    // A later page could not be read: the list stops there.
    void lectureEchouee(const QString &raison);

private:
    Issue suite();

    QSqlDatabase db;
    QString choisi;
    QList<historique::Entree> lignes;
    bool fin = false;
};

#endif // APP_HISTORIQUE_H
