// One workstation of the concurrency runs: a program window that adds orders
// and edits the same grid rows as the other workstation, as a user would, then
// prints what it saw on one line.
//   poste BASE NUMERO NOMBRE
// The server is the one the client library reaches for "localhost" (the
// socket of MYSQL_UNIX_PORT).

#include "commandes/factures.h"
#include "commun/base.h"
#include "commun/grilles.h"
#include "support/banc.h"
#include "support/fichiers.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QSqlQuery>
#include <QSqlTableModel>
#include <QTableView>

#include <cstdio>

namespace {

Button *boutonAccueil(Entreprise &fenetre, const QString &texte)
{
    return boutonGroupe(&fenetre, panneauCommandes, texte);
}

void taper(QDialog *d, const char *nom, const QString &texte)
{
    d->findChild<QLineEdit *>(QLatin1String(nom))->setText(texte);
}

// The tables and the counters the run edits, once the server this
// workstation talks to has them (on a cluster, once they have reached its node).
bool attendreBase(const QString &base)
{
    QSqlDatabase db = connexionServeur(QStringLiteral("attente"));
    bool pret = false;
    for (int essai = 0; essai < 200 && !pret; ++essai) {
        if (db.isOpen() || db.open()) {
            QSqlQuery q(db);
            pret = q.exec(QStringLiteral("SELECT COUNT(*) FROM %1.clients WHERE nom LIKE "
                                         "'Compteur %'")
                              .arg(base))
                && q.next() && q.value(0).toInt() == 3;
        }
        if (!pret)
            QTest::qWait(50);
    }
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("attente"));
    return pret;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString base = args.value(1);
    const int numero = args.value(2).toInt();
    const int nombre = args.value(3, QStringLiteral("200")).toInt();
    if (!attendreBase(base)) {
        std::printf("erreur=base\n");
        return 1;
    }

    QTemporaryDir dossier;
    QDir::setCurrent(dossier.path());
    if (!QDir().mkdir(QStringLiteral("config"))
        || !ecrireFichier(QStringLiteral("config/base.sni"),
                          "localhost " + base.toUtf8() + " root "))
        return 1;

    Entreprise fenetre;
    fenetre.show();
    Pilote pilote;
    int commandes = 0, refusCommandes = 0, grilles = 0, grillesRefusees = 0, autres = 0;
    // The invoices this workstation issues, each of its newest order, while
    // the other one issues its own: one series of numbers for both.
    int factures = 0, facturesRefusees = 0;
    QSqlDatabase facturation = connexionServeur(QStringLiteral("facturation"), base);
    QString probleme;
    if (!schema::preparer(facturation, schema::tablesRegistres(), &probleme))
        return 1;
    // An invoice told refused because the other workstation was in the way, or
    // because the server refused a statement (on a cluster, a transaction
    // another node's commit beat is sometimes told without its code), is asked
    // for again, as a user would.
    const auto facturer = [&](const QVariant &commande) {
        Issue issue;
        for (int essai = 0;
             essai < 20 && (essai == 0 || issue == Issue::Conflit || issue == Issue::Erreur);
             ++essai)
            issue = commandes::facturer(facturation, { commande }, QDate(2026, 6, 1), {}, nullptr);
        return issue.ok();
    };
    QStringList anomalies;
    // Counts the box that answered a save: done, or a conflict told; anything
    // else is an anomaly.
    auto compter = [&](const char *reussite, int &faites, int &refusees) {
        const QString titre = pilote.boites.isEmpty() ? QString() : pilote.boites.last().titre;
        if (titre == QLatin1String(reussite)) {
            ++faites;
        } else if (titre == QLatin1String("Conflit avec un autre poste")) {
            ++refusees;
        } else {
            ++autres;
            anomalies << QStringLiteral("boîte ") + titre;
            return false;
        }
        return true;
    };

    for (int i = 0; i < nombre; ++i) {
        // Half the orders are for ten customers that both workstations enter.
        const bool partage = i % 2 == 0;
        const QString client = partage
            ? QStringLiteral("Client %1").arg(i / 2 % 10)
            : QStringLiteral("Client du poste %1 n°%2").arg(numero).arg(i);
        anomalies << pilote.anomalies();
        pilote.effacer();
        pilote.dialogue([&](QDialog *d) {
            taper(d, "produitEdit", QStringLiteral("produit %1-%2").arg(numero).arg(i));
            taper(d, "prixEdit", QStringLiteral("150"));
            taper(d, "clientNomEdit", client);
            taper(d, "entrepriseEdit", partage ? QStringLiteral("Société") : QString());
            taper(d, "emailEdit", QStringLiteral("client@exemple.fr"));
            taper(d, "telEdit", QStringLiteral("0102030405"));
            // A conflict told leaves the form as typed: the user presses again.
            for (int essai = 0; essai < 5 && d->isVisible(); ++essai) {
                pilote.boite();
                appuyer(d, QStringLiteral("Enregistrer"));
                if (!compter("Enregistrement reussie", commandes, refusCommandes))
                    break;
            }
            if (d->isVisible())
                appuyer(d, QStringLiteral("Fermer"));
        });
        Banc::clic(boutonAccueil(fenetre, QStringLiteral("Ajouter")));

        if (i % 10 != 5)
            continue;
        QSqlQuery derniere(facturation);
        derniere.prepare(QStringLiteral("SELECT MAX(id) FROM commandes WHERE nom = ?"));
        derniere.addBindValue(QStringLiteral("produit %1-%2").arg(numero).arg(i));
        const bool emise = executer(derniere) && derniere.next() && facturer(derniere.value(0));
        ++(emise ? factures : facturesRefusees);
        // Both workstations add one to the same three counters in the
        // customers' grid: no save may be lost.
        nomme<QComboBox>(&fenetre, "commandCombo")->setCurrentIndex(1);
        anomalies << pilote.anomalies();
        pilote.effacer();
        pilote.dialogue([&](QDialog *d) {
            auto *m = qobject_cast<QSqlTableModel *>(
                modeleDe(d->findChild<QTableView *>(QStringLiteral("grille"))));
            for (int ligne = 0; ligne < m->rowCount(); ++ligne) {
                if (m->index(ligne, 1).data().toString().startsWith(QLatin1String("Compteur")))
                    m->setData(m->index(ligne, 4),
                               QString::number(m->index(ligne, 4).data().toInt() + 1));
            }
            // The user looks at the grid a moment before pressing Valider.
            QTest::qWait(20);
            pilote.boite();
            appuyer(d, QStringLiteral("Valider"));
            compter("Modification reussie", grilles, grillesRefusees);
            appuyer(d, QStringLiteral("Fermer la page"));
        });
        Banc::clic(boutonAccueil(fenetre, QStringLiteral("Afficher et/ou modifier")));
    }

    // Then every order of this workstation not invoiced yet, one invoice each, while the
    // other workstation does the same: one series, each number once, none skipped.
    QSqlQuery propres(facturation);
    propres.prepare(QStringLiteral("SELECT id FROM commandes WHERE nom LIKE ? AND id NOT IN "
                                   "(SELECT commande_id FROM commandes_facturees) ORDER BY id"));
    propres.addBindValue(QStringLiteral("produit %1-%").arg(numero));
    QVariantList restantes;
    for (bool lu = executer(propres); lu && propres.next();)
        restantes << propres.value(0);
    for (const QVariant &id : std::as_const(restantes))
        ++(facturer(id) ? factures : facturesRefusees);

    const Conflits vus = conflits();
    anomalies << pilote.anomalies();
    std::printf("commandes=%d commandes_refusees=%d grilles=%d grilles_refusees=%d "
                "rejoues=%d signales=%d autres=%d factures=%d factures_refusees=%d\n",
                commandes, refusCommandes, grilles, grillesRefusees, vus.rejoues, vus.signales,
                autres, factures, facturesRefusees);
    for (const QString &a : anomalies)
        std::printf("anomalie: %s\n", qPrintable(a));
    std::fflush(stdout);
    return 0;
}
