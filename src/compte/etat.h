#ifndef COMPTE_ETAT_H
#define COMPTE_ETAT_H

#include "compte/registre.h"

#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QLineEdit>
#include <QPointer>
#include <QSqlTableModel>
#include <QTextEdit>

// What the account book's open dialog holds, for the slot that validates it.
struct EtatCompte
{
    // Add
    QPointer<QComboBox> sujetCombo;
    QPointer<QLineEdit> valeurEdit;
    QPointer<QTextEdit> commentaireEdit;
    // Delete: the entries carry their number
    QPointer<QComboBox> sujetListe;
    // Display and edit
    QPointer<QSqlTableModel> tableModel;
    // Balance report: its period
    QPointer<QComboBox> periode;
    QPointer<QDateEdit> du;
    QPointer<QDateEdit> au;

    // The period the report's list shows, on today's date; the whole book
    // when no report is open.
    compte::Periode periodeChoisie() const
    {
        if (!periode || !du || !au)
            return {};
        return compte::periode(periode->currentIndex(), QDate::currentDate(), du->date(),
                               au->date());
    }
};

#endif // COMPTE_ETAT_H
