#ifndef COMMANDES_FACTURES_H
#define COMMANDES_FACTURES_H

// Invoices made from orders, and the credit notes that cancel them: the
// business's identity printed on them, their numbering (one series a year,
// without gap or repeat, whatever the number of workstations), and the rule
// that an issued invoice and the orders it holds never change. No window here.

#include "commandes/registre.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

namespace commandes {

// The business as its invoices name it.
struct Identite
{
    QString nom, forme, adresse, tel, email, registreCommerce, identifiantFiscal;
    // The tax rate in hundredths of a percent (18 % is 1800); 0 for none.
    int taux = 0;
    // Printed instead of the tax when the rate is 0.
    QString sansTaxe;
    QString devise = QStringLiteral("F");
    // The payment terms, printed on every invoice.
    QString conditions;
    // The logo image's bytes; empty for none.
    QByteArray logo;
};

// The identity stored, or an empty one (currency "F") before it was typed.
Issue identite(const QSqlDatabase &db, Identite *identite);
// Stores it (journaled as a change of the orders' register). Refuse names the
// field that cannot be stored as typed.
Issue enregistrerIdentite(const QSqlDatabase &db, const Identite &identite);

// A typed tax rate in percent ("18", "19,25", "0") in hundredths of a
// percent; -1 with `raison` when it is no rate from 0 to 100 with at most two
// decimals.
int tauxLu(const QString &texte, QString *raison);
// A rate as typed: 1925 gives "19,25", 1800 "18".
QString texteTaux(int taux);

// An amount in cents as printed: "4 500 F", "12,50 F", "-4 500 F".
QString enMontant(qint64 centimes, const QString &devise);
// A stored price ("1500", "12.5", "1 500 F") in cents; false when it has
// more than two decimals or is too large.
bool enCentimes(const QString &prix, qint64 *centimes);
// The tax on a total before tax, rounded once to the cent (half away from zero).
qint64 taxeDe(qint64 totalHt, int taux);

struct LigneFacture
{
    QVariant commandeId;
    QString produit;
    double poids = 0;
    QString unite;
    int quantite = 0;
    qint64 prixUnitaire = 0; // cents
    qint64 total = 0; // cents
};

// An invoice (serie "") or a credit note (serie "A"), as issued.
struct Facture
{
    QVariant id;
    QString serie;
    int annee = 0;
    int numero = 0;
    QDate date;
    Client client;
    QString adresse;
    Identite emetteur;
    QList<LigneFacture> lignes;
    qint64 totalHt = 0, taxe = 0, total = 0;
    // A credit note: the invoice it cancels ("2026-0001"); an invoice: the
    // credit note that cancelled it, empty while it is in force.
    QString annule, annuleePar;
    QVariant factureId;

    // "2026-0001", "A2026-0001".
    QString numeroTexte() const;
    bool avoir() const { return !serie.isEmpty(); }
};

// What the invoice of these orders would hold, read now (the dialog shows
// it): Refuse, with the reason, when they belong to several customers, when
// one is invoiced already or no longer exists, when a price cannot be
// invoiced, or before the business's identity was typed.
Issue preparerFacture(const QSqlDatabase &db, const QList<QVariant> &commandes, Facture *facture);

// Issues the invoice of these orders, dated `date`, for the customer at
// `adresse`: in one transaction, the next number of the year's series, the
// invoice with a copy of its lines and of the customer's details, and the
// orders held by it. Ecrit with `emise` filled; Refuse as preparerFacture.
Issue facturer(const QSqlDatabase &db, const QList<QVariant> &commandes, const QDate &date,
               const QString &adresse, Facture *emise);

// Cancels an invoice by a credit note of today, numbered in the series
// A<yyyy>: the same lines with negative amounts. Its orders can be invoiced
// again. Refuse when it is a credit note or cancelled already.
Issue etablirAvoir(const QSqlDatabase &db, const QVariant &factureId, Facture *avoir);

// One invoice or credit note, whole.
Issue facture(const QSqlDatabase &db, const QVariant &id, Facture *facture);

// Every invoice and credit note whose number or customer contains `texte`
// (all of them when empty), newest first, without their lines.
Issue factures(const QSqlDatabase &db, const QString &texte, QList<Facture> *liste);

// Refuse, naming the invoice, when one of the orders chosen by `condition`
// (on commandes_facturees `cf`, `valeurs` bound) is held by an invoice in
// force; with `verrou`, the links read are held until the transaction ends.
Issue refusFacturees(const QSqlDatabase &db, const QString &condition,
                     const QVariantList &valeurs = {}, bool verrou = false);

// Refuse, saying why, while invoices or credit notes exist: emptying the
// orders would take away what they hold.
Issue refusVidage(const QSqlDatabase &db);

} // namespace commandes

#endif // COMMANDES_FACTURES_H
