#ifndef COMMANDES_REGISTRE_H
#define COMMANDES_REGISTRE_H

// What the program knows about orders and their customers: every read and
// write of the tables `commandes` and `clients`, without any window.

#include "commun/base.h"
#include "commun/schema.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

class QSqlQueryModel;
class QSqlTableModel;

namespace commandes {

struct Client
{
    QVariant id;
    QString nom, entreprise, email, tel;
};

// One product ordered by one customer.
struct Commande
{
    QVariant id;
    QVariant clientId;
    QString nom;
    double poids = 0;
    QString unite;
    int quantite = 1;
    // As typed when the order is added ("1 500 FCFA"); as stored when read.
    QString prixUnitaire;
    // Computed by the server when the order is added.
    QString prixTotal;
    QString commentaire;
    QDateTime date;
    Client client;
};

// A customer with the number of its orders.
struct ClientEtCommandes
{
    Client client;
    int commandes = 0;
};

// Stores the order as typed, for the customer of that very name (letter for
// letter: accents, case and trailing spaces count) whose company contains the
// typed one (an empty company matches any); the first one when there are
// several, a new customer, with the typed details, when there is none. The
// customer and its order are stored together or not at all.
// - Ecrit: `id` is the order's number.
// - Refuse: a required field is empty (`champ` empty), or a field cannot be
//   stored as typed (`champ` names it, `raison` says why).
// - Erreur: the server refused; `champ` is champClient when it refused the
//   customer.
// - Conflit: another workstation was in the way each time; nothing written.
Issue ajouter(const QSqlDatabase &db, const Commande &commande);

// What `champ` holds when the customer could not be stored.
inline const QString champClient = QStringLiteral("Le client");

// Whether the outcome of ajouter is the customer's fault (its details, or the
// server refusing to store it) rather than the order's.
bool clientEnCause(const Issue &issue);

// How many orders, customers are stored.
Issue nombreCommandes(const QSqlDatabase &db, int *nombre);
Issue nombreClients(const QSqlDatabase &db, int *nombre);

// The orders that have a customer (with its name), and every customer, in
// the order the server returns them: the entries one may delete.
Issue commandesAvecClient(const QSqlDatabase &db, QList<Commande> *commandes);
Issue clients(const QSqlDatabase &db, QList<Client> *clients);

// Deletes one order; its customer stays. DejaSupprime when another
// workstation deleted it already (the customer likewise below).
Issue supprimerCommande(const QSqlDatabase &db, const QVariant &id);
// Deletes a customer with all its orders, or nothing.
Issue supprimerClient(const QSqlDatabase &db, const QVariant &id);

// Deletes every order; customers stay. With `bornes`, only the rows up to
// each table's bound go (rows added after the backup stay, and a customer
// with an order left stays with it).
Issue viderCommandes(const QSqlDatabase &db, const schema::Bornes &bornes = {});
// Deletes every customer and every order, or nothing.
Issue viderClients(const QSqlDatabase &db, const schema::Bornes &bornes = {});

// What the display shows: a table that can be edited, or both joined (read only).
enum class Vue { Commandes, Clients, CommandesEtClients };

// The rows of a view, loaded in a model without a parent: a QSqlTableModel
// whose edits wait for enregistrer() for the two tables, a read-only model for
// the joined view (every customer, with each of its orders; the order's
// number last, hidden by the display).
Issue charger(const QSqlDatabase &db, Vue vue, std::unique_ptr<QSqlQueryModel> *modele);

// Writes every pending edit of a table's grid, all or none (see enregistrerGrille).
Issue enregistrer(QSqlTableModel &modele);

// The orders (with their customer) whose product name contains `texte`, and
// the customers (with their number of orders) whose name contains it:
// literally, '%' and '_' included.
Curseur<Commande> rechercherProduits(const QSqlDatabase &db, const QString &texte, Issue *issue);
Curseur<ClientEtCommandes> rechercherClients(const QSqlDatabase &db, const QString &texte,
                                             Issue *issue);

// Every customer that has orders, with the number of its orders, the most
// active first.
Curseur<ClientEtCommandes> commandesParClient(const QSqlDatabase &db, Issue *issue);

// The names the completers offer, in the order the server returns them,
// duplicates kept.
enum class Noms { Produits, Clients, Entreprises };
Issue noms(const QSqlDatabase &db, Noms quoi, QStringList *noms);

} // namespace commandes

#endif // COMMANDES_REGISTRE_H
