#include "commandes/registre.h"
#include "commandes/factures.h"
#include "commun/historique.h"

#include "commun/grilles.h"
#include "commun/saisie.h"

#include <QJsonObject>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlTableModel>

#include <initializer_list>

namespace commandes {

namespace {
// The register as the journal names it.
const QString registre = QStringLiteral("commandes");

} // namespace

namespace {

const QString champsObligatoires =
    QStringLiteral("Vous devez remplir tous les champs obligatoire (précédé de *)");

// The first field that cannot be stored as typed, as a refusal naming it.
Issue refusDe(std::initializer_list<Champ> champs)
{
    for (const Champ &champ : champs) {
        const QString raison = premierRefus({ champ });
        if (!raison.isEmpty())
            return Issue::refus(champ.nom, raison);
    }
    return Issue::ecrit();
}

// The total, unit price times quantity, as the server computes it, in
// `total`; Erreur when the server refuses.
Issue prixTotal(const QSqlDatabase &db, const QString &prix, int quantite, QString *total)
{
    // The price is a plain number (digits and at most one point): it is
    // written into the statement as a decimal literal, so that the server
    // multiplies it exactly.
    static const QRegularExpression nombre(QStringLiteral("^[0-9]+(\\.[0-9]+)?$"));
    if (!nombre.match(prix).hasMatch())
        return Issue::refus(QStringLiteral("Le prix unitaire"),
                            QStringLiteral("Le prix unitaire n'est pas un nombre"));
    QSqlQuery q(db);
    // The server's own digits, not a double's: 99999999999999999999 * 3 stays exact.
    q.setNumericalPrecisionPolicy(QSql::HighPrecision);
    // A whole price is written as a decimal too: as an integer, a price of 19
    // digits would overflow the server's 64-bit product.
    const QString decimal = prix.contains(QLatin1Char('.')) ? prix : prix + QStringLiteral(".0");
    if (!executer(q,
                  QStringLiteral("SELECT ") + decimal + QStringLiteral(" * ")
                      + QString::number(quantite))
        || !q.next())
        return Issue::erreur(q);
    // Written without the zeros that end its decimals: 12.50 * 3 is 37.5.
    *total = q.value(0).toString();
    if (total->contains(QLatin1Char('.'))) {
        while (total->endsWith(QLatin1Char('0')))
            total->chop(1);
        if (total->endsWith(QLatin1Char('.')))
            total->chop(1);
    }
    if (total->size() > largeurs::montant)
        return Issue::refus(QStringLiteral("Le prix total"),
                            QStringLiteral("Le prix total s'écrit avec plus de %1 caractères")
                                .arg(largeurs::montant));
    return Issue::ecrit();
}

// What the user typed, checked in the order the form reads: a refusal, or
// the unit price and total to store in `prix` and `total`.
Issue verifier(const QSqlDatabase &db, const Commande &c, QString *prix, QString *total)
{
    const Client &client = c.client;
    if (c.nom.isEmpty() || c.prixUnitaire.isEmpty() || client.nom.isEmpty()
        || client.email.isEmpty() || client.tel.isEmpty())
        return Issue::refus(QString(), champsObligatoires);
    Issue issue = refusDe({ { QStringLiteral("Le nom du produit"), c.nom, largeurs::nom },
                            { QStringLiteral("Le commentaire"), c.commentaire, 0 } });
    if (!issue.ok())
        return issue;
    QString raison;
    *prix = prixLu(c.prixUnitaire, &raison);
    if (prix->isNull())
        return Issue::refus(QStringLiteral("Le prix unitaire"), raison);
    issue =
        refusDe({ { QStringLiteral("Le nom du client"), client.nom, largeurs::nom },
                  { QStringLiteral("Le nom de l'entreprise"), client.entreprise, largeurs::nom },
                  { QStringLiteral("L'e-mail"), client.email, largeurs::nom },
                  { QStringLiteral("Le numéro de téléphone"), client.tel, largeurs::nom } });
    if (!issue.ok())
        return issue;
    return prixTotal(db, *prix, c.quantite, total);
}

// A failure of the server while it stores the customer.
Issue duClient(Issue issue)
{
    issue.champ = champClient;
    return issue;
}

// Holds, from construction to destruction, the server's lock under which a
// workstation looks a customer up and creates it when it is missing: two
// workstations entering an order for the same new customer at the same moment
// then create it once. The lock is named after the database, so that the
// registers of another database are not held up; it goes with the connection
// should the program stop. A server that refuses such locks (a cluster node)
// leaves the look-up unguarded.
class VerrouClients
{
public:
    explicit VerrouClients(const QSqlDatabase &db)
        : db(db)
    {
        QSqlQuery q(db);
        tenu = executer(q,
                        QStringLiteral("SELECT GET_LOCK(CONCAT('tabloran-clients-', "
                                       "MD5(DATABASE())), 10)"))
            && q.next() && q.value(0).toInt() == 1;
    }
    ~VerrouClients()
    {
        if (!tenu)
            return;
        QSqlQuery q(db);
        executer(q,
                 QStringLiteral("DO RELEASE_LOCK(CONCAT('tabloran-clients-', MD5(DATABASE())))"));
    }
    VerrouClients(const VerrouClients &) = delete;
    VerrouClients &operator=(const VerrouClients &) = delete;

private:
    const QSqlDatabase &db;
    bool tenu = false;
};

// The number of the customer the order belongs to, found or created.
Issue numeroDuClient(const QSqlDatabase &db, const Client &client, historique::Operation &operation)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT id, nom, entreprise FROM clients WHERE nom = BINARY :nom "
                             "and IFNULL(entreprise, '') LIKE :entreprise ORDER BY id LIMIT 1"));
    q.bindValue(QStringLiteral(":nom"), client.nom);
    q.bindValue(QStringLiteral(":entreprise"), motifContient(client.entreprise));
    if (!executer(q))
        return duClient(Issue::erreur(q));
    if (q.next())
        return Issue::ecrit(Colonnes(q)(QStringLiteral("id")));

    q.prepare(QStringLiteral("INSERT INTO clients SET nom=:nom, entreprise=:entreprise, "
                             "email=:email, tel=:tel"));
    q.bindValue(QStringLiteral(":nom"), client.nom);
    q.bindValue(QStringLiteral(":entreprise"), saisie(client.entreprise));
    q.bindValue(QStringLiteral(":email"), client.email);
    q.bindValue(QStringLiteral(":tel"), client.tel);
    if (!executer(q))
        return duClient(Issue::erreur(q, QStringLiteral("clients")));
    if (!q.lastInsertId().isValid())
        return duClient(
            Issue::erreur(QStringLiteral("Le serveur n'a pas donné de numéro au client")));
    const Issue journal = operation.ajout(QStringLiteral("clients"), q.lastInsertId());
    return journal.ok() ? Issue::ecrit(q.lastInsertId()) : duClient(journal);
}

// An order as the history names it: "(Alpha, 3 × riz)".
QString enClair(const QString &client, const QJsonValue &quantite, const QJsonValue &produit)
{
    return QStringLiteral("(%1, %2 × %3)")
        .arg(client, quantite.toVariant().toString(), produit.toString());
}

// The added order (and its customer, when it was new) in the journal.
Issue journaliserAjout(historique::Operation &operation, const Commande &commande,
                       const QVariant &id)
{
    Issue issue = operation.ajout(QStringLiteral("commandes"), id);
    if (!issue.ok())
        return issue;
    issue = operation.clore(
        QStringLiteral("ajout"),
        QStringLiteral("Commande n°%1 ajoutée %2")
            .arg(id.toString(), enClair(commande.client.nom, commande.quantite, commande.nom)));
    return issue.ok() ? Issue::ecrit(id) : issue;
}

Issue insererCommande(const QSqlDatabase &db, const Commande &c, const QVariant &clientId,
                      const QString &prix, const QString &total)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral(
        "INSERT INTO commandes SET client_id=:client_id, nom=:nom, poids=:poids, "
        "poids_unite=:poids_unite, quantite=:quantite, prix_unitaire=:prix_unitaire, "
        "prix_total=:prix_total, commentaire=:commentaire, date_command=NOW()"));
    q.bindValue(QStringLiteral(":client_id"), clientId.toInt());
    q.bindValue(QStringLiteral(":nom"), c.nom);
    q.bindValue(QStringLiteral(":poids"), c.poids);
    q.bindValue(QStringLiteral(":poids_unite"), c.unite);
    q.bindValue(QStringLiteral(":quantite"), c.quantite);
    q.bindValue(QStringLiteral(":prix_unitaire"), prix);
    q.bindValue(QStringLiteral(":prix_total"), total);
    q.bindValue(QStringLiteral(":commentaire"), saisie(c.commentaire));
    if (!executer(q))
        return Issue::erreur(q, QStringLiteral("commandes"));
    return Issue::ecrit(q.lastInsertId());
}

// Runs a statement that reads, for a cursor over its rows.
std::shared_ptr<QSqlQuery> lecture(const QSqlDatabase &db, const QString &instruction,
                                   const QVariantHash &valeurs, Issue *issue)
{
    auto q = std::make_shared<QSqlQuery>(db);
    q->setForwardOnly(true);
    q->prepare(instruction);
    for (auto v = valeurs.cbegin(); v != valeurs.cend(); ++v)
        q->bindValue(v.key(), v.value());
    *issue = executer(*q) ? Issue::ecrit() : Issue::erreur(*q);
    return q;
}

Issue nombre(const QSqlDatabase &db, const QString &instruction, int *n)
{
    QSqlQuery q(db);
    if (!executer(q, instruction))
        return Issue::erreur(q);
    *n = qMax(q.size(), 0);
    return Issue::ecrit();
}

// Runs the statements in order. With an `id`, the first one deletes that row:
// DejaSupprime when there was none left to delete.
Issue executerTout(const QSqlDatabase &db, const QStringList &instructions, const QVariant &id)
{
    QSqlQuery q(db);
    for (const QString &instruction : instructions) {
        q.prepare(instruction);
        if (id.isValid())
            q.bindValue(QStringLiteral(":id"), id);
        if (!executer(q))
            return Issue::erreur(q);
        if (id.isValid() && instruction == instructions.first() && q.numRowsAffected() == 0)
            return Issue::dejaSupprime();
    }
    return Issue::ecrit();
}

} // namespace

bool clientEnCause(const Issue &issue)
{
    static const QStringList champs = { champClient, QStringLiteral("Le nom du client"),
                                        QStringLiteral("Le nom de l'entreprise"),
                                        QStringLiteral("L'e-mail"),
                                        QStringLiteral("Le numéro de téléphone") };
    return !issue.ok() && champs.contains(issue.champ);
}

Issue ajouter(const QSqlDatabase &db, const Commande &commande)
{
    QString prix, total;
    const Issue verification = verifier(db, commande, &prix, &total);
    if (!verification.ok())
        return verification;

    // The lock spans the look-up, the writes and the commit: another
    // workstation looking up the same customer waits until it is stored.
    // Should another workstation get in the way, the whole attempt runs once
    // more: it then finds the customer that workstation may have created.
    historique::Operation operation(db, registre);
    return ecrire(Changement::Ajout, [&] {
        const VerrouClients verrou(db);
        Transaction transaction(db);
        if (!transaction.ouverte())
            return duClient(transaction.issue());
        const Issue debut = operation.commencer();
        if (!debut.ok())
            return debut;
        const Issue client = numeroDuClient(db, commande.client, operation);
        if (!client.ok())
            return client;
        Issue issue = insererCommande(db, commande, client.id, prix, total);
        if (issue.ok())
            issue = journaliserAjout(operation, commande, issue.id);
        return issue.ok() ? operation.valider(transaction, issue) : issue;
    });
}

Issue nombreCommandes(const QSqlDatabase &db, int *n)
{
    return nombre(db, QStringLiteral("SELECT id FROM commandes"), n);
}

Issue nombreClients(const QSqlDatabase &db, int *n)
{
    return nombre(db, QStringLiteral("SELECT id FROM clients"), n);
}

Issue commandesAvecClient(const QSqlDatabase &db, QList<Commande> *commandes)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!executer(
            q,
            QStringLiteral("SELECT commandes.id, commandes.nom, clients.nom AS client FROM "
                           "commandes INNER JOIN clients ON clients.id=commandes.client_id;")))
        return Issue::erreur(q);
    const Colonnes colonne(q);
    commandes->clear();
    while (q.next()) {
        Commande c;
        c.id = colonne(QStringLiteral("id"));
        c.nom = colonne(QStringLiteral("nom")).toString();
        c.client.nom = colonne(QStringLiteral("client")).toString();
        commandes->append(c);
    }
    return Issue::ecrit();
}

Issue clients(const QSqlDatabase &db, QList<Client> *clients)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!executer(q, QStringLiteral("SELECT id, nom, entreprise FROM clients")))
        return Issue::erreur(q);
    const Colonnes colonne(q);
    clients->clear();
    while (q.next()) {
        clients->append({ colonne(QStringLiteral("id")), colonne(QStringLiteral("nom")).toString(),
                          colonne(QStringLiteral("entreprise")).toString(), QString(), QString() });
    }
    return Issue::ecrit();
}

Issue supprimerCommande(const QSqlDatabase &db, const QVariant &id)
{
    return historique::ecrire(
        db, Changement::Suppression, registre, [&](historique::Operation &operation) {
            Issue issue = refusFacturees(db, QStringLiteral("cf.commande_id = ?"), { id }, true);
            if (issue.ok())
                issue =
                    operation.avant(QStringLiteral("commandes"), historique::Action::Suppression,
                                    QStringLiteral("id = ?"), { id });
            if (!issue.ok())
                return issue;
            QJsonObject commande;
            issue = operation.ligne(QStringLiteral("commandes"), false, &commande);
            if (issue.ok()) {
                issue =
                    executerTout(db, { QStringLiteral("DELETE FROM commandes WHERE id=:id") }, id);
            }
            if (!issue.ok())
                return issue;
            QSqlQuery q(db);
            q.prepare(QStringLiteral("SELECT nom FROM clients WHERE id = ?"));
            q.addBindValue(commande.value(QLatin1String("client_id")).toVariant());
            if (!executer(q))
                return Issue::erreur(q);
            const QString client = q.next() ? q.value(0).toString() : QStringLiteral("?");
            return operation.clore(
                QStringLiteral("suppression"),
                QStringLiteral("Commande n°%1 supprimée %2")
                    .arg(id.toString(),
                         enClair(client, commande.value(QLatin1String("quantite")),
                                 commande.value(QLatin1String("nom")))));
        });
}

Issue supprimerClient(const QSqlDatabase &db, const QVariant &id)
{
    // A customer goes with all its orders, or not at all.
    return historique::ecrire(
        db, Changement::Suppression, registre, [&](historique::Operation &operation) {
            int commandes = 0;
            Issue issue = refusFacturees(db,
                                         QStringLiteral("cf.commande_id IN (SELECT id FROM "
                                                        "commandes WHERE client_id = ?)"),
                                         { id }, true);
            if (issue.ok())
                issue = operation.avant(QStringLiteral("clients"), historique::Action::Suppression,
                                        QStringLiteral("id = ?"), { id });
            if (issue.ok()) {
                issue =
                    operation.avant(QStringLiteral("commandes"), historique::Action::Suppression,
                                    QStringLiteral("client_id = ?"), { id }, &commandes);
            }
            if (issue.ok()) {
                issue =
                    executerTout(db,
                                 { QStringLiteral("DELETE FROM clients WHERE id=:id"),
                                   QStringLiteral("DELETE FROM commandes WHERE client_id=:id") },
                                 id);
            }
            if (!issue.ok())
                return issue;
            QJsonObject client;
            issue = operation.ligne(QStringLiteral("clients"), false, &client);
            if (!issue.ok())
                return issue;
            const QString nom = client.value(QLatin1String("nom")).toString();
            return operation.clore(QStringLiteral("suppression"),
                                   QStringLiteral("Client %1 supprimé avec %2 commande%3")
                                       .arg(nom)
                                       .arg(commandes)
                                       .arg(commandes > 1 ? QStringLiteral("s") : QString()));
        });
}

Issue viderCommandes(const QSqlDatabase &db, const schema::Bornes &bornes)
{
    return historique::ecrire(
        db, Changement::Vidage, registre, [&](historique::Operation &operation) {
            const QString condition = schema::dansBorne(bornes, QStringLiteral("commandes"));
            int lignes = 0;
            Issue issue = refusVidage(db);
            if (issue.ok())
                issue = operation.avant(QStringLiteral("commandes"),
                                        historique::Action::Suppression, condition, {}, &lignes);
            if (issue.ok()) {
                issue = executerTout(
                    db, { QStringLiteral("DELETE FROM commandes WHERE ") + condition }, QVariant());
            }
            return issue.ok() ? operation.clore(QStringLiteral("vidage"),
                                                QStringLiteral("Commandes vidées (%1 commandes)")
                                                    .arg(historique::enNombre(lignes)))
                              : issue;
        });
}

Issue viderClients(const QSqlDatabase &db, const schema::Bornes &bornes)
{
    // Emptying the customers empties the orders too: both tables or neither.
    // A customer keeps only the orders added after the bound, and stays with them.
    const QString commandes = schema::dansBorne(bornes, QStringLiteral("commandes"));
    const QString clients = schema::dansBorne(bornes, QStringLiteral("clients"))
        + QStringLiteral(" AND NOT EXISTS (SELECT 1 FROM commandes WHERE commandes.client_id = "
                         "clients.id AND NOT (")
        + commandes + QStringLiteral("))");
    return historique::ecrire(
        db, Changement::Vidage, registre, [&](historique::Operation &operation) {
            int nombreCommandes = 0;
            int nombreClients = 0;
            Issue issue = refusVidage(db);
            if (issue.ok())
                issue = operation.avant(QStringLiteral("clients"), historique::Action::Suppression,
                                        clients, {}, &nombreClients);
            if (issue.ok()) {
                issue =
                    operation.avant(QStringLiteral("commandes"), historique::Action::Suppression,
                                    commandes, {}, &nombreCommandes);
            }
            if (issue.ok()) {
                issue = executerTout(db,
                                     { QStringLiteral("DELETE FROM commandes WHERE ") + commandes,
                                       QStringLiteral("DELETE FROM clients WHERE ") + clients },
                                     QVariant());
            }
            return issue.ok() ? operation.clore(QStringLiteral("vidage"),
                                                QStringLiteral("Clients et commandes vidés (%1 "
                                                               "clients, %2 commandes)")
                                                    .arg(historique::enNombre(nombreClients),
                                                         historique::enNombre(nombreCommandes)))
                              : issue;
        });
}

Issue charger(const QSqlDatabase &db, Vue vue, std::unique_ptr<QSqlQueryModel> *modele)
{
    if (vue == Vue::CommandesEtClients) {
        auto jointure = std::make_unique<QSqlQueryModel>();
        jointure->setQuery(
            QStringLiteral("SELECT commandes.nom, poids, poids_unite, quantite, "
                           "prix_unitaire, prix_total, commentaire, date_command, clients.nom, "
                           "clients.entreprise, clients.email, clients.tel, commandes.id FROM "
                           "commandes "
                           "RIGHT JOIN clients ON commandes.client_id = clients.id"),
            db);
        if (jointure->lastError().isValid()) {
            qWarning("La base de donnée a refusé la vue des commandes et clients : %s",
                     qPrintable(jointure->lastError().text()));
            return Issue::erreur(jointure->lastError().text(),
                                 jointure->lastError().nativeErrorCode());
        }
        *modele = std::move(jointure);
        return Issue::ecrit();
    }
    auto table = std::make_unique<QSqlTableModel>(nullptr, db);
    table->setTable(vue == Vue::Commandes ? QStringLiteral("commandes")
                                          : QStringLiteral("clients"));
    table->setEditStrategy(QSqlTableModel::OnManualSubmit);
    const Issue issue = chargerGrille(*table);
    if (issue.ok())
        *modele = std::move(table);
    return issue;
}

Issue enregistrer(QSqlTableModel &modele)
{
    // An order on an issued invoice is neither edited nor deleted.
    if (modele.tableName() == QLatin1String("commandes")) {
        const int colonne = modele.fieldIndex(QStringLiteral("id"));
        QVariantList ids;
        for (int rang = 0; rang < modele.rowCount(); ++rang) {
            for (int c = 0; c < modele.columnCount(); ++c) {
                if (modele.isDirty(modele.index(rang, c))) {
                    ids << modele.data(modele.index(rang, colonne));
                    break;
                }
            }
        }
        if (!ids.isEmpty()) {
            const Issue issue = refusFacturees(
                modele.database(),
                QStringLiteral("cf.commande_id IN (")
                    + QStringList(ids.size(), QStringLiteral("?")).join(QLatin1Char(','))
                    + QLatin1Char(')'),
                ids);
            if (!issue.ok())
                return issue;
        }
    }
    return enregistrerGrille(modele);
}

Curseur<Commande> rechercherProduits(const QSqlDatabase &db, const QString &texte, Issue *issue)
{
    // A text holding a character the registers cannot store matches no stored
    // name: it is not sent, and the search finds nothing.
    const bool cherchable = caractereHorsBase(texte).isNull();
    auto q = lecture(
        db,
        QStringLiteral("SELECT commandes.id, commandes.nom, poids, poids_unite, quantite, "
                       "prix_unitaire, prix_total, commentaire, date_command, clients.nom AS "
                       "client, entreprise, email, tel FROM commandes INNER JOIN clients ON "
                       "commandes.client_id = clients.id WHERE :cherchable AND commandes.nom "
                       "LIKE :motif"),
        { { QStringLiteral(":cherchable"), int(cherchable) },
          { QStringLiteral(":motif"),
            cherchable ? motifContient(texte) : QString(QLatin1String("")) } },
        issue);
    return Curseur<Commande>(q, [](const Colonnes &colonne) {
        Commande c;
        c.id = colonne(QStringLiteral("id"));
        c.nom = colonne(QStringLiteral("nom")).toString();
        c.poids = colonne(QStringLiteral("poids")).toFloat();
        c.unite = colonne(QStringLiteral("poids_unite")).toString();
        c.quantite = colonne(QStringLiteral("quantite")).toInt();
        c.prixUnitaire = colonne(QStringLiteral("prix_unitaire")).toString();
        c.prixTotal = colonne(QStringLiteral("prix_total")).toString();
        c.commentaire = colonne(QStringLiteral("commentaire")).toString();
        c.date = colonne(QStringLiteral("date_command")).toDateTime();
        c.client.nom = colonne(QStringLiteral("client")).toString();
        c.client.entreprise = colonne(QStringLiteral("entreprise")).toString();
        c.client.email = colonne(QStringLiteral("email")).toString();
        c.client.tel = colonne(QStringLiteral("tel")).toString();
        return c;
    });
}

Curseur<ClientEtCommandes> rechercherClients(const QSqlDatabase &db, const QString &texte,
                                             Issue *issue)
{
    const bool cherchable = caractereHorsBase(texte).isNull();
    // Each customer comes with the number of its orders, counted by the same statement.
    auto q = lecture(db,
                     QStringLiteral("SELECT id, nom, entreprise, email, tel, (SELECT COUNT(*) FROM "
                                    "commandes WHERE client_id = clients.id) AS nbre FROM clients "
                                    "WHERE :cherchable AND nom LIKE :motif"),
                     { { QStringLiteral(":cherchable"), int(cherchable) },
                       { QStringLiteral(":motif"),
                         cherchable ? motifContient(texte) : QString(QLatin1String("")) } },
                     issue);
    return Curseur<ClientEtCommandes>(q, [](const Colonnes &colonne) {
        return ClientEtCommandes { { colonne(QStringLiteral("id")),
                                     colonne(QStringLiteral("nom")).toString(),
                                     colonne(QStringLiteral("entreprise")).toString(),
                                     colonne(QStringLiteral("email")).toString(),
                                     colonne(QStringLiteral("tel")).toString() },
                                   colonne(QStringLiteral("nbre")).toInt() };
    });
}

Curseur<ClientEtCommandes> commandesParClient(const QSqlDatabase &db, Issue *issue)
{
    auto q = lecture(
        db,
        QStringLiteral("SELECT commandes.nom, clients.nom AS client, clients.entreprise, COUNT(*) "
                       "AS nbre FROM commandes INNER JOIN clients ON "
                       "clients.id=commandes.client_id GROUP BY commandes.client_id, "
                       "clients.nom, clients.entreprise ORDER BY nbre DESC"),
        {}, issue);
    return Curseur<ClientEtCommandes>(q, [](const Colonnes &colonne) {
        ClientEtCommandes ligne;
        ligne.client.nom = colonne(QStringLiteral("client")).toString();
        ligne.client.entreprise = colonne(QStringLiteral("entreprise")).toString();
        ligne.commandes = colonne(QStringLiteral("nbre")).toInt();
        return ligne;
    });
}

Issue noms(const QSqlDatabase &db, Noms quoi, QStringList *noms)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    const QString instruction = quoi == Noms::Produits ? QStringLiteral("SELECT nom FROM commandes")
        : quoi == Noms::Clients                        ? QStringLiteral("SELECT nom FROM clients")
                                : QStringLiteral("SELECT entreprise FROM clients");
    if (!executer(q, instruction))
        return Issue::erreur(q);
    const Colonnes colonne(q);
    const QString nom =
        quoi == Noms::Entreprises ? QStringLiteral("entreprise") : QStringLiteral("nom");
    noms->clear();
    while (q.next())
        noms->append(colonne(nom).toString());
    return Issue::ecrit();
}

} // namespace commandes
