#include "commun/base.h"
#include "commun/completeurs.h"
#include "commun/dialogues.h"
#include "app/entreprise.h"
#include "commun/saisie.h"
#include "commandes/etat.h"

#include <QComboBox>
#include <QCompleter>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSpinBox>
#include <QSqlQuery>
#include <QTextEdit>

#include <memory>

namespace {

// A case-insensitive completer over the first column of every row of a
// statement; nothing (and a box over `parent`) when the server refuses it.
QCompleter *completeurDe(const QString &requete, QSqlDatabase &db, QWidget *parent,
                         QObject *proprietaire)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!lire(q, requete, parent))
        return nullptr;
    return completeurDepuis(q, proprietaire);
}

// A text field that takes at most what its column holds (0: no limit).
QLineEdit *champ(QWidget *parent, const QString &nom, const QRect &place, int largeur,
                 QCompleter *completeur = nullptr)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(nom);
    edit->setGeometry(place);
    if (largeur > 0)
        edit->setMaxLength(largeur);
    if (completeur)
        edit->setCompleter(completeur);
    return edit;
}

// The total, unit price times quantity, as the server computes it; a null text
// when the server refuses, with its reason in `raison`.
QString prixTotal(QSqlDatabase &db, const QString &prix, int quantite, QString *raison)
{
    // The price is a plain number (digits and at most one point): it is
    // written into the statement as a decimal literal, so that the server
    // multiplies it exactly.
    static const QRegularExpression nombre(QStringLiteral("^[0-9]+(\\.[0-9]+)?$"));
    Q_ASSERT(nombre.match(prix).hasMatch());
    if (!nombre.match(prix).hasMatch())
        return QString();
    QSqlQuery q(db);
    // The server's own digits, not a double's: 99999999999999999999 * 3 stays exact.
    q.setNumericalPrecisionPolicy(QSql::HighPrecision);
    if (!executer(
            q, QStringLiteral("SELECT ") + prix + QStringLiteral(" * ") + QString::number(quantite))
        || !q.next()) {
        *raison = raisonRefus(q, QString());
        return QString();
    }
    // Written without the zeros that end its decimals: 12.50 * 3 is 37.5.
    QString total = q.value(0).toString();
    if (total.contains(QLatin1Char('.'))) {
        while (total.endsWith(QLatin1Char('0')))
            total.chop(1);
        if (total.endsWith(QLatin1Char('.')))
            total.chop(1);
    }
    return total;
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
    explicit VerrouClients(QSqlDatabase &db)
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
    QSqlDatabase &db;
    bool tenu = false;
};

} // namespace

void Entreprise::commandAjout()
{
    if (!connexionCommande())
        return;

    // The names offered while typing are read first: a refused read shows no form.
    auto noms = std::make_unique<QObject>();
    QCompleter *clients =
        completeurDe(QStringLiteral("SELECT nom FROM clients"), db, this, noms.get());
    QCompleter *produits = clients
        ? completeurDe(QStringLiteral("SELECT nom FROM commandes"), db, this, noms.get())
        : nullptr;
    QCompleter *entreprises = produits
        ? completeurDe(QStringLiteral("SELECT entreprise FROM clients"), db, this, noms.get())
        : nullptr;
    if (!entreprises)
        return;

    QDialog *fenetre = ouvrirDialogue(QStringLiteral("Ajouter une commande"), 400, 500);
    noms->setParent(fenetre);
    noms.release();
    etiquette(fenetre, QStringLiteral("Ajouter une commande"),
              QStringLiteral("color:red;font-size:24px;font-weight:bold;"), QRect(0, 10, 400, 30));
    EtatCommandes &etat = *etatCommandes;

    auto *produit =
        new QGroupBox(QStringLiteral("Informations sur le produit à commander"), fenetre);
    produit->setGeometry(10, 60, 380, 230);
    const QString styleProduit = QStringLiteral("color:blue;font-weight:bold;font-size:12px;");
    legende(produit, QStringLiteral("Nom du produit :  *"), styleProduit, 10, 25);
    legende(produit, QStringLiteral("Le poids  :"), styleProduit, 10, 55);
    legende(produit, QStringLiteral("La quantité :  *"), styleProduit, 10, 85);
    legende(produit, QStringLiteral("le prix unitaire :  *"), styleProduit, 10, 115);
    legende(produit, QStringLiteral("Commentaire :"), styleProduit, 10, 140);
    etat.produitEdit = champ(produit, QStringLiteral("produitEdit"), QRect(150, 20, 200, 25),
                             largeurs::nom, produits);
    etat.poidsBox = new QDoubleSpinBox(produit);
    etat.poidsBox->setObjectName(QStringLiteral("poidsBox"));
    etat.poidsBox->setGeometry(150, 50, 160, 25);
    etat.poidsBox->setRange(0.0, 1000.0);
    etat.poidsBox->setSingleStep(0.1);
    etat.uniteBox = new QComboBox(produit);
    etat.uniteBox->setObjectName(QStringLiteral("uniteBox"));
    etat.uniteBox->setGeometry(315, 50, 60, 25);
    etat.uniteBox->addItems({ QStringLiteral("g"), QStringLiteral("kg"), QStringLiteral("tonne") });
    etat.quantiteBox = new QSpinBox(produit);
    etat.quantiteBox->setObjectName(QStringLiteral("quantiteBox"));
    etat.quantiteBox->setGeometry(150, 80, 200, 25);
    etat.quantiteBox->setRange(1, 10000);
    etat.prixEdit = champ(produit, QStringLiteral("prixEdit"), QRect(150, 110, 200, 25), 0);
    etat.commandeCommentaireEdit = new QTextEdit(produit);
    etat.commandeCommentaireEdit->setObjectName(QStringLiteral("commandeCommentaireEdit"));
    etat.commandeCommentaireEdit->setGeometry(10, 160, 360, 60);

    auto *client = new QGroupBox(QStringLiteral("Informations sur le client"), fenetre);
    client->setGeometry(10, 300, 380, 150);
    const QString styleClient = QStringLiteral("font-size:12px;color:#b000b7;font-weight:bold;");
    legende(client, QStringLiteral("Nom du client : *"), styleClient, 10, 25);
    legende(client, QStringLiteral("Nom de l'entreprise :"), styleClient, 10, 55);
    legende(client, QStringLiteral("Email : *"), styleClient, 10, 85);
    legende(client, QStringLiteral("Numero : *"), styleClient, 10, 115);
    etat.clientNomEdit = champ(client, QStringLiteral("clientNomEdit"), QRect(150, 20, 200, 25),
                               largeurs::nom, clients);
    etat.entrepriseEdit = champ(client, QStringLiteral("entrepriseEdit"), QRect(150, 50, 200, 25),
                                largeurs::nom, entreprises);
    etat.emailEdit =
        champ(client, QStringLiteral("emailEdit"), QRect(150, 80, 200, 25), largeurs::nom);
    etat.telEdit =
        champ(client, QStringLiteral("telEdit"), QRect(150, 110, 200, 25), largeurs::nom);

    const QList<Button *> boutons =
        rangee(fenetre, { Couleurs::bleu(), true, 8.0, 16.0 },
               { QStringLiteral("Enregistrer"), QStringLiteral("Fermer") }, QPoint(10, 465),
               QSize(175, 30));
    connect(boutons.at(0), &Button::clicked, this, &Entreprise::validerCommand);
    connect(boutons.at(1), &Button::clicked, fenetre, &QDialog::accept);
    fenetre->exec();
}

void Entreprise::validerCommand()
{
    const EtatCommandes &etat = *etatCommandes;
    const QString nomProduit = etat.produitEdit->text();
    const QString prixSaisi = etat.prixEdit->text();
    const QString nomClient = etat.clientNomEdit->text();
    const QString entreprise = etat.entrepriseEdit->text();
    const QString email = etat.emailEdit->text();
    const QString tel = etat.telEdit->text();

    if (nomProduit.isEmpty() || prixSaisi.isEmpty() || nomClient.isEmpty() || email.isEmpty()
        || tel.isEmpty()) {
        QMessageBox::information(
            dialog, QStringLiteral("Champs mal remplis"),
            QStringLiteral("Vous devez remplir tous les champs obligatoire (précédé de *)"));
        return;
    }

    const QString commentaire = saisie(etat.commandeCommentaireEdit->toPlainText());
    // Both boxes keep the dialog open with what was typed; the second line says why.
    const auto clientRefuse = [this](const QString &raison) {
        QMessageBox::warning(dialog, QStringLiteral("Erreur d'enregistrement"),
                             QStringLiteral("Le client n'a pas pu être enregistré sur la base "
                                            "de donnée. (Commande également)\n")
                                 + raison);
    };
    const auto commandeRefusee = [this](const QString &raison) {
        QMessageBox::warning(
            this, QStringLiteral("Erreur d'enregistrement"),
            QStringLiteral("La commande n'a pas pu être enregistré dans la base de donnée\n")
                + raison);
    };

    // What the registers cannot hold is refused before anything is sent.
    QString raison =
        premierRefus({ { QStringLiteral("Le nom du produit"), nomProduit, largeurs::nom },
                       { QStringLiteral("Le commentaire"), commentaire, 0 } });
    const QString prix = raison.isEmpty() ? prixLu(prixSaisi, &raison) : QString();
    if (!raison.isEmpty()) {
        commandeRefusee(raison);
        return;
    }
    raison = premierRefus({ { QStringLiteral("Le nom du client"), nomClient, largeurs::nom },
                            { QStringLiteral("Le nom de l'entreprise"), entreprise, largeurs::nom },
                            { QStringLiteral("L'e-mail"), email, largeurs::nom },
                            { QStringLiteral("Le numéro de téléphone"), tel, largeurs::nom } });
    if (!raison.isEmpty()) {
        clientRefuse(raison);
        return;
    }
    const QString total = prixTotal(db, prix, etat.quantiteBox->value(), &raison);
    if (total.isNull()) {
        commandeRefusee(raison);
        return;
    }
    if (total.size() > largeurs::montant) {
        commandeRefusee(QStringLiteral("Le prix total s'écrit avec plus de %1 caractères")
                            .arg(largeurs::montant));
        return;
    }

    // The customer and its order are stored together or not at all: a customer
    // created for an order that the database refuses goes with it. Should
    // another workstation get in the way, the whole attempt runs once more: it
    // then finds the customer that workstation may have created.
    bool clientEnCause = true;
    const Issue issue = ecrire(Changement::Ajout, [&] {
        clientEnCause = true;
        const VerrouClients verrou(db);
        Transaction transaction(db);
        if (!transaction.ouverte()) {
            raison = transaction.erreur();
            return false;
        }
        QSqlQuery q(db);

        // The order belongs to the customer of that very name, letter for letter
        // (accents, case and trailing spaces count: Müller is not Muller), whose
        // company contains the typed one (an empty company matches any); the first
        // one found when there are several, a new one when there is none.
        q.prepare(
            QStringLiteral("SELECT id, nom, entreprise FROM clients WHERE nom = BINARY :nom "
                           "and IFNULL(entreprise, '') LIKE :entreprise ORDER BY id LIMIT 1"));
        q.bindValue(QStringLiteral(":nom"), nomClient);
        q.bindValue(QStringLiteral(":entreprise"), motifContient(entreprise));
        if (!executer(q)) {
            raison = raisonRefus(q, QString());
            return false;
        }
        QVariant clientId;
        if (q.next())
            clientId = q.value(0);

        if (!clientId.isValid()) {
            q.prepare(QStringLiteral("INSERT INTO clients SET nom=:nom, entreprise=:entreprise, "
                                     "email=:email, tel=:tel"));
            q.bindValue(QStringLiteral(":nom"), nomClient);
            q.bindValue(QStringLiteral(":entreprise"), saisie(entreprise));
            q.bindValue(QStringLiteral(":email"), email);
            q.bindValue(QStringLiteral(":tel"), tel);
            if (!executer(q)) {
                raison = raisonRefus(q, QStringLiteral("clients"));
                return false;
            }
            if (!q.lastInsertId().isValid()) {
                raison = QStringLiteral("Le serveur n'a pas donné de numéro au client");
                return false;
            }
            clientId = q.lastInsertId();
        }

        clientEnCause = false;
        q.prepare(QStringLiteral(
            "INSERT INTO commandes SET client_id=:client_id, nom=:nom, poids=:poids, "
            "poids_unite=:poids_unite, quantite=:quantite, prix_unitaire=:prix_unitaire, "
            "prix_total=:prix_total, commentaire=:commentaire, date_command=NOW()"));
        q.bindValue(QStringLiteral(":client_id"), clientId.toInt());
        q.bindValue(QStringLiteral(":nom"), nomProduit);
        q.bindValue(QStringLiteral(":poids"), etat.poidsBox->value());
        q.bindValue(QStringLiteral(":poids_unite"), etat.uniteBox->currentText());
        q.bindValue(QStringLiteral(":quantite"), etat.quantiteBox->value());
        q.bindValue(QStringLiteral(":prix_unitaire"), prix);
        q.bindValue(QStringLiteral(":prix_total"), total);
        q.bindValue(QStringLiteral(":commentaire"), commentaire);
        if (!executer(q)) {
            raison = raisonRefus(q, QStringLiteral("commandes"));
            return false;
        }
        if (!transaction.valider()) {
            raison = transaction.erreur();
            return false;
        }
        return true;
    });

    if (issue == Issue::Conflit) {
        conflitSignale(dialog);
        return;
    }
    if (issue == Issue::Refuse) {
        if (clientEnCause)
            clientRefuse(raison);
        else
            commandeRefusee(raison);
        return;
    }

    clientComboChange();
    QMessageBox::information(this, QStringLiteral("Enregistrement reussie"),
                             QStringLiteral("Votre commande a été enregistrée avec succes"));
    dialog->accept();
}
