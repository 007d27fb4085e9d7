#ifndef EMPLOYES_LISTES_H
#define EMPLOYES_LISTES_H

// Pieces shared by the staff dialogs: the date lists and the date they give,
// and the box shown instead of a dialog that would have nothing to offer.

#include "employes/registre.h"

#include <QComboBox>
#include <QCompleter>
#include <QDate>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
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

// The day the three lists show, as chosen: it may not exist (31 "Avril").
inline Jour jourChoisi(const QComboBox *jour, const QComboBox *moisListe, const QComboBox *annee)
{
    return { annee->currentText().toInt(), moisListe->currentIndex() + 1,
             jour->currentText().toInt() };
}

// Tells the user there is nothing to choose from, over the dialog that is
// then never shown, and releases that dialog.
inline void aucuneDonnee(QDialog *page, const QString &texte)
{
    QMessageBox::information(page, QStringLiteral("Aucune donnée"), texte);
    delete page;
}

// A list at a fixed place whose entries are the persons, each as "n°12 Martin
// Anne" carrying its number.
inline QComboBox *listePersonnes(QWidget *parent, const QList<Personne> &personnes,
                                 const QRect &place)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(QStringLiteral("personneBox"));
    combo->setGeometry(place);
    for (const Personne &p : personnes) {
        combo->addItem(QStringLiteral("n°") + p.id.toString() + QLatin1Char(' ') + p.nom
                           + QLatin1Char(' ') + p.prenom,
                       p.id);
    }
    return combo;
}

// The search field offers these names, whatever the case typed.
inline void proposer(QLineEdit *champ, const QStringList &noms)
{
    auto *completeur = new QCompleter(noms, champ);
    completeur->setCaseSensitivity(Qt::CaseInsensitive);
    // The field deletes the completer it replaces.
    champ->setCompleter(completeur);
}

} // namespace employes

#endif // EMPLOYES_LISTES_H
