#include "commun/completeurs.h"

#include <QCompleter>
#include <QLineEdit>
#include <QSqlQuery>
#include <QStringList>

QCompleter *completeurDepuis(QSqlQuery &requete, QObject *proprietaire, int colonnes)
{
    QStringList textes;
    while (requete.next()) {
        for (int c = 0; c < colonnes; ++c)
            textes << requete.value(c).toString();
    }
    auto *completeur = new QCompleter(textes, proprietaire);
    completeur->setCaseSensitivity(Qt::CaseInsensitive);
    return completeur;
}

void remplacerCompleteur(QLineEdit *champ, QSqlQuery &requete, int colonnes)
{
    // Owned by the field: the field deletes the completer it replaces.
    champ->setCompleter(completeurDepuis(requete, champ, colonnes));
}
