#ifndef COMPTE_ETAT_H
#define COMPTE_ETAT_H

#include <QComboBox>
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
};

#endif // COMPTE_ETAT_H
