#ifndef EMPLOYES_LISTES_H
#define EMPLOYES_LISTES_H

// Pieces shared by the staff dialogs: the date lists and the date they give,
// and the box shown instead of a dialog that would have nothing to offer.

#include "commun/saisie.h"

#include <QComboBox>
#include <QDate>
#include <QDialog>
#include <QMessageBox>
#include <QSqlQuery>
#include <QStringList>

namespace employes {

// "01" to "31".
inline QStringList jours()
{
    QStringList liste;
    for (int jour = 1; jour <= 31; ++jour)
        liste << QStringLiteral("%1").arg(jour, 2, 10, QLatin1Char('0'));
    return liste;
}

// The month number is the item's index plus 1.
inline QStringList mois()
{
    return { QStringLiteral("Janvier"), QStringLiteral("Fevrier"),  QStringLiteral("Mars"),
             QStringLiteral("Avril"),   QStringLiteral("Mai"),      QStringLiteral("Juin"),
             QStringLiteral("Juillet"), QStringLiteral("Août"),     QStringLiteral("Septembre"),
             QStringLiteral("Octobre"), QStringLiteral("Novembre"), QStringLiteral("Décembre") };
}

// From the given year up to the current one, ascending.
inline QStringList annees(int premiere)
{
    QStringList liste;
    for (int annee = premiere; annee <= QDate::currentDate().year(); ++annee)
        liste << QString::number(annee);
    return liste;
}

// A list at a fixed place, holding the given texts (first one current).
inline QComboBox *liste(QWidget *parent, const QString &nom, const QStringList &textes,
                        const QRect &place)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(nom);
    combo->setGeometry(place);
    combo->addItems(textes);
    return combo;
}

// The date the three lists show. A day that the month does not have (31
// "Avril") gives an invalid date, which is stored as NULL and so refused by
// the NOT NULL date columns.
inline QDate dateChoisie(const QComboBox *jour, const QComboBox *moisListe, const QComboBox *annee)
{
    return QDate(annee->currentText().toInt(), moisListe->currentIndex() + 1,
                 jour->currentText().toInt());
}

// Why the day the three lists show does not exist ("Le 31 avril 2020
// n'existe pas (date d'absence)"); empty when it does.
inline QString refusDateChoisie(const QComboBox *jour, const QComboBox *moisListe,
                                const QComboBox *annee, const QString &champ)
{
    return refusDate(annee->currentText().toInt(), moisListe->currentIndex() + 1,
                     jour->currentText().toInt(), champ);
}

// Tells the user there is nothing to choose from, over the dialog that is
// then never shown, and releases that dialog.
inline void aucuneDonnee(QDialog *page, const QString &texte)
{
    QMessageBox::information(page, QStringLiteral("Aucune donnée"), texte);
    delete page;
}

// A list at a fixed place whose entries are the persons of the query (id,
// name, first name), each as "n°12 Martin Anne" carrying its number.
inline QComboBox *listePersonnes(QWidget *parent, QSqlQuery &personnes, const QRect &place)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(QStringLiteral("personneBox"));
    combo->setGeometry(place);
    while (personnes.next()) {
        combo->addItem(QStringLiteral("n°") + personnes.value(0).toString() + QLatin1Char(' ')
                           + personnes.value(1).toString() + QLatin1Char(' ')
                           + personnes.value(2).toString(),
                       personnes.value(0));
    }
    return combo;
}

} // namespace employes

#endif // EMPLOYES_LISTES_H
