#ifndef COMMANDES_ETAT_H
#define COMMANDES_ETAT_H

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPointer>
#include <QSpinBox>
#include <QSqlTableModel>
#include <QTextEdit>

// What the orders section's open dialog holds, for the slots that validate it.
struct EtatCommandes
{
    // Add an order with its customer
    QPointer<QLineEdit> produitEdit;
    QPointer<QDoubleSpinBox> poidsBox;
    QPointer<QComboBox> uniteBox;
    QPointer<QSpinBox> quantiteBox;
    QPointer<QLineEdit> prixEdit;
    QPointer<QTextEdit> commandeCommentaireEdit;
    QPointer<QLineEdit> clientNomEdit;
    QPointer<QLineEdit> entrepriseEdit;
    QPointer<QLineEdit> emailEdit;
    QPointer<QLineEdit> telEdit;
    // Display and edit orders or customers
    QPointer<QSqlTableModel> commandModel;
    // Delete: the kind ("commande" or "client") and the entries, which carry their number
    QPointer<QComboBox> produitBox;
    QPointer<QComboBox> elementBox;
    // Empty: orders only, or customers and orders
    QPointer<QComboBox> videBox;
};

#endif // COMMANDES_ETAT_H
