#ifndef COMMANDES_FACTURATION_H
#define COMMANDES_FACTURATION_H

// The windows of the invoices: the business's identity, a new invoice from
// orders, the page of invoices and credit notes, and an invoice as an A4
// document to print or export as PDF.

#include "commandes/factures.h"

#include <QList>
#include <QSqlDatabase>
#include <QVariant>

#include <memory>

class Contenu;
class QWidget;

namespace facturation {

// "Identité de l'entreprise": typed once, printed on every invoice.
void dialogueIdentite(QWidget *parent, const QSqlDatabase &db);

// "Nouvelle facture" for the chosen orders: refused with a box saying why
// when they cannot be invoiced together, issued on "Émettre la facture".
void nouvelleFacture(QWidget *parent, const QSqlDatabase &db, const QList<QVariant> &commandes);

// "Factures et avoirs": every invoice and credit note, newest first.
void pageFactures(QWidget *parent, const QSqlDatabase &db);

// The totals as the invoice prints them, one a line: before tax, the tax
// (its rate and amount, or the text printed when there is none), the total.
QStringList lignesTotaux(const commandes::Facture &facture);

// The invoice as the printed sheets show it (what users typed escaped).
QString htmlFacture(const commandes::Facture &facture, const QByteArray &logo);

// Writes the invoice as an A4 PDF to that file; false, with a box, when it cannot.
bool ecrireFacture(QWidget *parent, const commandes::Facture &facture, const QByteArray &logo,
                   const QString &chemin);

// The file name proposed for it: "facture-2026-0001.pdf", "avoir-A2026-0001.pdf".
QString nomFichier(const commandes::Facture &facture);

} // namespace facturation

#endif // COMMANDES_FACTURATION_H
