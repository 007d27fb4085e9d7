#include "commandes/factures.h"

#include "commun/historique.h"
#include "commun/saisie.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QSet>
#include <QSqlQuery>
#include <QThread>

#include <limits>

namespace commandes {

namespace {

const QString registre = QStringLiteral("commandes");
// Each issuing already runs again once after a conflict; several
// workstations issuing at the same moment may need a few more.
const int essaisNumerotation = 6;

// `n` question marks, for an IN list of bound values.
QString marques(qsizetype n)
{
    return QStringList(n, QStringLiteral("?")).join(QLatin1Char(','));
}

QString numeroDe(const QString &serie, int annee, int numero)
{
    return QStringLiteral("%1%2-%3").arg(serie).arg(annee).arg(
        QString::number(numero).rightJustified(4, QLatin1Char('0')));
}

// A statement with its values bound in order.
bool executerAvec(QSqlQuery &q, const QString &instruction, const QVariantList &valeurs)
{
    q.prepare(instruction);
    for (const QVariant &valeur : valeurs)
        q.addBindValue(valeur);
    return executer(q);
}

// A failure that another workstation's issuing at the same moment explains
// (the number or the order was just taken): run again, where the check
// then tells what happened.
Issue erreurNumerotation(const QSqlQuery &q, const QString &table)
{
    Issue issue = Issue::erreur(q, table);
    if (issue.code == QLatin1String("1062"))
        issue.code = QStringLiteral("1213");
    return issue;
}

QJsonObject enJson(const Identite &i)
{
    return { { "nom", i.nom },
             { "forme", i.forme },
             { "adresse", i.adresse },
             { "tel", i.tel },
             { "email", i.email },
             { "registre_commerce", i.registreCommerce },
             { "identifiant_fiscal", i.identifiantFiscal } };
}

Identite deJson(const QString &texte)
{
    const QJsonObject o = QJsonDocument::fromJson(texte.toUtf8()).object();
    Identite i;
    i.nom = o.value(QLatin1String("nom")).toString();
    i.forme = o.value(QLatin1String("forme")).toString();
    i.adresse = o.value(QLatin1String("adresse")).toString();
    i.tel = o.value(QLatin1String("tel")).toString();
    i.email = o.value(QLatin1String("email")).toString();
    i.registreCommerce = o.value(QLatin1String("registre_commerce")).toString();
    i.identifiantFiscal = o.value(QLatin1String("identifiant_fiscal")).toString();
    return i;
}

Issue refusIdentite(const Identite &i)
{
    const QString raison = premierRefus(
        { { QStringLiteral("Le nom"), i.nom, 100 },
          { QStringLiteral("La forme juridique"), i.forme, largeurs::nom },
          { QStringLiteral("L'adresse"), i.adresse, 0 },
          { QStringLiteral("Le téléphone"), i.tel, largeurs::nom },
          { QStringLiteral("L'e-mail"), i.email, 100 },
          { QStringLiteral("Le registre du commerce"), i.registreCommerce, largeurs::nom },
          { QStringLiteral("L'identifiant fiscal"), i.identifiantFiscal, largeurs::nom },
          { QStringLiteral("Le texte sans taxe"), i.sansTaxe, 0 },
          { QStringLiteral("La monnaie"), i.devise, largeurs::unite },
          { QStringLiteral("Les conditions de paiement"), i.conditions, 0 } });
    if (!raison.isEmpty())
        return Issue::refus(raison.section(QLatin1Char(' '), 0, 1), raison);
    if (i.nom.trimmed().isEmpty())
        return Issue::refus(QStringLiteral("Le nom"),
                            QStringLiteral("Le nom de l'entreprise est obligatoire"));
    if (i.taux < 0 || i.taux > 10000)
        return Issue::refus(QStringLiteral("Le taux"),
                            QStringLiteral("Le taux de taxe va de 0 à 100 %"));
    return Issue::ecrit();
}

} // namespace

Issue identite(const QSqlDatabase &db, Identite *identite)
{
    QSqlQuery q(db);
    if (!executer(q, QStringLiteral("SELECT * FROM entreprise WHERE id = 1")))
        return Issue::erreur(q);
    *identite = Identite();
    if (!q.next())
        return Issue::ecrit();
    const Colonnes c(q);
    Identite &i = *identite;
    i.nom = c("nom").toString();
    i.forme = c("forme").toString();
    i.adresse = c("adresse").toString();
    i.tel = c("tel").toString();
    i.email = c("email").toString();
    i.registreCommerce = c("registre_commerce").toString();
    i.identifiantFiscal = c("identifiant_fiscal").toString();
    i.taux = c("taux_taxe").toInt();
    i.sansTaxe = c("sans_taxe").toString();
    i.devise = c("devise").toString();
    i.conditions = c("conditions").toString();
    i.logo = QByteArray::fromBase64(c("logo").toString().toLatin1());
    return Issue::ecrit();
}

Issue enregistrerIdentite(const QSqlDatabase &db, const Identite &i)
{
    const Issue refus = refusIdentite(i);
    if (!refus.ok())
        return refus;
    return historique::ecrire(
        db, Changement::Ajout, registre, [&](historique::Operation &operation) {
            int avant = 0;
            Issue issue =
                operation.avant(QStringLiteral("entreprise"), historique::Action::Modification,
                                QStringLiteral("id = 1"), {}, &avant);
            if (!issue.ok())
                return issue;
            QSqlQuery q(db);
            const QString colonnes = QStringLiteral(
                "nom, forme, adresse, tel, email, registre_commerce, identifiant_fiscal, "
                "taux_taxe, sans_taxe, devise, conditions, logo");
            QStringList maj;
            for (const QString &colonne : colonnes.split(QStringLiteral(", ")))
                maj << colonne + QStringLiteral(" = VALUES(") + colonne + QLatin1Char(')');
            if (!executerAvec(
                    q,
                    QStringLiteral("INSERT INTO entreprise (id, ") + colonnes
                        + QStringLiteral(") VALUES (1, ") + marques(12)
                        + QStringLiteral(") ON DUPLICATE KEY UPDATE ")
                        + maj.join(QStringLiteral(", ")),
                    { i.nom, saisie(i.forme), saisie(i.adresse), saisie(i.tel), saisie(i.email),
                      saisie(i.registreCommerce), saisie(i.identifiantFiscal), i.taux,
                      saisie(i.sansTaxe), i.devise.isEmpty() ? QStringLiteral("F") : i.devise,
                      saisie(i.conditions),
                      i.logo.isEmpty() ? QVariant()
                                       : QVariant(QString::fromLatin1(i.logo.toBase64())) }))
                return Issue::erreur(q, QStringLiteral("entreprise"));
            issue = avant > 0 ? operation.apres(QStringLiteral("entreprise"))
                              : operation.ajout(QStringLiteral("entreprise"), 1);
            return issue.ok() ? operation.clore(QStringLiteral("modification"),
                                                QStringLiteral("Identité de l'entreprise "
                                                               "enregistrée (%1)")
                                                    .arg(i.nom))
                              : issue;
        });
}

int tauxLu(const QString &texte, QString *raison)
{
    QString t = texte.trimmed();
    if (t.endsWith(QLatin1Char('%')))
        t.chop(1);
    const QString nombre = montantLu(t, QStringLiteral("Le taux de taxe"), true, raison);
    if (nombre.isNull())
        return -1;
    QString fraction = nombre.section(QLatin1Char('.'), 1);
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    const QString entier = nombre.section(QLatin1Char('.'), 0, 0);
    if (fraction.size() > 2 || entier.size() > 3 || entier.toInt() * 100 > 10000) {
        *raison = QStringLiteral("Le taux de taxe est un pourcentage de 0 à 100 avec au plus deux "
                                 "décimales");
        return -1;
    }
    const int taux = entier.toInt() * 100 + fraction.leftJustified(2, QLatin1Char('0')).toInt();
    if (taux > 10000) {
        *raison = QStringLiteral("Le taux de taxe ne peut pas dépasser 100 %");
        return -1;
    }
    return taux;
}

QString texteTaux(int taux)
{
    QString texte = QString::number(taux / 100);
    if (taux % 100 != 0) {
        QString fraction = QString::number(taux % 100).rightJustified(2, QLatin1Char('0'));
        if (fraction.endsWith(QLatin1Char('0')))
            fraction.chop(1);
        texte += QLatin1Char(',') + fraction;
    }
    return texte;
}

QString enMontant(qint64 centimes, const QString &devise)
{
    const bool negatif = centimes < 0;
    const quint64 valeur = negatif ? quint64(0) - quint64(centimes) : quint64(centimes);
    QString texte = historique::enNombre(qint64(valeur / 100));
    if (valeur % 100 != 0)
        texte +=
            QLatin1Char(',') + QString::number(valeur % 100).rightJustified(2, QLatin1Char('0'));
    if (negatif)
        texte.prepend(QLatin1Char('-'));
    return devise.isEmpty() ? texte : texte + QLatin1Char(' ') + devise;
}

bool enCentimes(const QString &prix, qint64 *centimes)
{
    QString raison;
    const QString nombre = prixLu(prix, &raison);
    if (nombre.isNull())
        return false;
    QString fraction = nombre.section(QLatin1Char('.'), 1);
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    const QString entier = nombre.section(QLatin1Char('.'), 0, 0);
    bool lu = entier.isEmpty();
    const qint64 unites = entier.isEmpty() ? 0 : entier.toLongLong(&lu);
    if (!lu || fraction.size() > 2 || unites > std::numeric_limits<qint64>::max() / 100 - 1)
        return false;
    *centimes = unites * 100 + fraction.leftJustified(2, QLatin1Char('0')).toLongLong();
    return true;
}

qint64 taxeDe(qint64 totalHt, int taux)
{
    const __int128 produit = __int128(totalHt) * taux;
    __int128 taxe = produit / 10000;
    const __int128 reste = produit % 10000;
    if ((reste < 0 ? -reste : reste) * 2 >= 10000)
        taxe += produit < 0 ? -1 : 1;
    return qint64(taxe);
}

QString Facture::numeroTexte() const
{
    return numeroDe(serie, annee, numero);
}

namespace {

// Whether the totals of `facture`, computed from its lines and rate, stay
// within what is stored.
bool calculerTotaux(Facture *facture)
{
    qint64 somme = 0;
    for (const LigneFacture &ligne : facture->lignes) {
        if (__builtin_add_overflow(somme, ligne.total, &somme))
            return false;
    }
    facture->totalHt = somme;
    // The rate is at most 100 %: the tax is never larger than the total.
    facture->taxe = taxeDe(somme, facture->emetteur.taux);
    return !__builtin_add_overflow(somme, facture->taxe, &facture->total);
}

// The orders as lines of one invoice, with their customer; held until the
// transaction ends when `verrou`.
Issue lireCommandes(const QSqlDatabase &db, const QList<QVariant> &ids, bool verrou,
                    Facture *facture)
{
    if (ids.isEmpty())
        return Issue::refus(QStringLiteral("Les commandes"),
                            QStringLiteral("Choisissez au moins une commande à facturer."));
    QSqlQuery q(db);
    if (!executerAvec(q,
                      QStringLiteral("SELECT c.id, c.client_id, c.nom, c.poids, c.poids_unite, "
                                     "c.quantite, c.prix_unitaire, k.id AS client, k.nom AS "
                                     "client_nom, k.entreprise, k.email, k.tel FROM commandes c "
                                     "LEFT JOIN clients k ON k.id = c.client_id WHERE c.id IN (")
                          + marques(ids.size()) + QStringLiteral(") ORDER BY c.id")
                          + (verrou ? QStringLiteral(" FOR UPDATE") : QString()),
                      QVariantList(ids.cbegin(), ids.cend())))
        return Issue::erreur(q);
    const Colonnes c(q);
    facture->lignes.clear();
    QVariantList clients;
    while (q.next()) {
        LigneFacture ligne { c("id"), c("nom").toString(), c("poids").toDouble(),
                             c("poids_unite").toString(), c("quantite").toInt() };
        if (!clients.contains(c("client_id")))
            clients << c("client_id");
        if (!enCentimes(c("prix_unitaire").toString(), &ligne.prixUnitaire)
            || __builtin_mul_overflow(ligne.prixUnitaire, qint64(ligne.quantite), &ligne.total))
            return Issue::refus(
                QStringLiteral("Le prix unitaire"),
                QStringLiteral("Le prix unitaire de la commande n°%1 (%2) ne "
                               "peut pas être facturé : il a plus de deux "
                               "décimales ou il est trop grand.")
                    .arg(ligne.commandeId.toString(), c("prix_unitaire").toString()));
        if (c("client").isNull())
            return Issue::refus(QStringLiteral("Le client"),
                                QStringLiteral("Le client de la commande n°%1 n'existe plus.")
                                    .arg(ligne.commandeId.toString()));
        facture->client = { c("client"), c("client_nom").toString(), c("entreprise").toString(),
                            c("email").toString(), c("tel").toString() };
        facture->lignes << ligne;
    }
    if (clients.size() > 1)
        return Issue::refus(QStringLiteral("Les commandes"),
                            QStringLiteral("Ces commandes sont celles de %1 clients différents : "
                                           "une facture ne concerne qu'un seul client.")
                                .arg(clients.size()));
    QSet<qint64> choisies;
    for (const QVariant &id : ids)
        choisies << id.toLongLong();
    if (facture->lignes.size() != choisies.size())
        return Issue::refus(QStringLiteral("Les commandes"),
                            QStringLiteral("Une des commandes choisies n'existe plus : un autre "
                                           "poste l'a supprimée."));
    return Issue::ecrit();
}

// The business that issues the invoice: it must have been named first, since
// an issued invoice never changes.
Issue emetteur(const QSqlDatabase &db, Identite *identite)
{
    const Issue issue = commandes::identite(db, identite);
    if (issue.ok() && identite->nom.isEmpty())
        return Issue::refus(QStringLiteral("L'identité de l'entreprise"),
                            QStringLiteral("L'entreprise n'a pas encore de nom : saisissez d'abord "
                                           "son identité (bouton « Identité de l'entreprise » de "
                                           "la page « Infos sur la base de donnée »)."));
    return issue;
}

// The next number of a series and year, taken: the counter's row is held
// until the transaction ends, so that another workstation waits for it.
Issue prochainNumero(const QSqlDatabase &db, const QString &serieLue, int annee, int *numero)
{
    const QString serie = saisie(serieLue);
    QSqlQuery q(db);
    if (!executerAvec(q,
                      QStringLiteral("INSERT INTO compteurs_factures (serie, annee, dernier) "
                                     "VALUES (?, ?, 0) ON DUPLICATE KEY UPDATE dernier = dernier"),
                      { serie, annee })
        || !executerAvec(q,
                         QStringLiteral("SELECT dernier FROM compteurs_factures WHERE serie = ? "
                                        "AND annee = ? FOR UPDATE"),
                         { serie, annee })
        || !q.next())
        return erreurNumerotation(q, QStringLiteral("compteurs_factures"));
    *numero = q.value(0).toInt() + 1;
    if (!executerAvec(q,
                      QStringLiteral("UPDATE compteurs_factures SET dernier = ? WHERE serie = ? "
                                     "AND annee = ?"),
                      { *numero, serie, annee }))
        return erreurNumerotation(q, QStringLiteral("compteurs_factures"));
    return Issue::ecrit();
}

// Stores the invoice under its number, with its lines; Ecrit with its id.
Issue inserer(const QSqlDatabase &db, Facture *f)
{
    Issue issue = prochainNumero(db, f->serie, f->date.year(), &f->numero);
    if (!issue.ok())
        return issue;
    f->annee = f->date.year();
    QSqlQuery q(db);
    if (!executerAvec(
            q,
            QStringLiteral("INSERT INTO factures (serie, annee, numero, date_facture, facture_id, "
                           "client_id, client_nom, client_entreprise, client_email, client_tel, "
                           "client_adresse, emetteur, taux_taxe, sans_taxe, devise, conditions, "
                           "total_ht, taxe, total) VALUES (")
                + marques(19) + QLatin1Char(')'),
            { saisie(f->serie), f->annee, f->numero, f->date, f->factureId, f->client.id,
              f->client.nom, f->client.entreprise, f->client.email, f->client.tel,
              saisie(f->adresse),
              QString::fromUtf8(QJsonDocument(enJson(f->emetteur)).toJson(QJsonDocument::Compact)),
              f->emetteur.taux, saisie(f->emetteur.sansTaxe), f->emetteur.devise,
              saisie(f->emetteur.conditions), f->totalHt, f->taxe, f->total }))
        return erreurNumerotation(q, QStringLiteral("factures"));
    f->id = q.lastInsertId();
    for (const LigneFacture &l : f->lignes) {
        if (!executerAvec(q,
                          QStringLiteral("INSERT INTO lignes_facture (facture_id, commande_id, "
                                         "produit, poids, unite, quantite, prix_unitaire, total) "
                                         "VALUES (")
                              + marques(8) + QLatin1Char(')'),
                          { f->id, l.commandeId, saisie(l.produit), l.poids, saisie(l.unite),
                            l.quantite, l.prixUnitaire, l.total }))
            return Issue::erreur(q, QStringLiteral("lignes_facture"));
    }
    return Issue::ecrit(f->id);
}

// Runs the issuing of a number again while other workstations are in the way.
Issue numeroter(const QSqlDatabase &db, const std::function<Issue(historique::Operation &)> &corps)
{
    Issue issue;
    for (int essai = 0; essai < essaisNumerotation; ++essai) {
        issue = historique::ecrire(db, Changement::Ajout, registre, corps);
        if (issue != Issue::Conflit)
            break;
        // Workstations that keep meeting on the series' last number wait a
        // little, each its own time, before the next attempt: on a cluster
        // the one that commits first wins every time they start together.
        QThread::msleep(QRandomGenerator::global()->bounded(5, 20 + 20 * essai));
    }
    return issue;
}

const QString choixFacture = QStringLiteral(
    "SELECT f.*, a.annee AS a_annee, a.numero AS a_numero, o.annee AS o_annee, o.numero AS "
    "o_numero FROM factures f LEFT JOIN factures a ON a.facture_id = f.id LEFT JOIN factures o "
    "ON o.id = f.facture_id ");

Facture factureLue(const Colonnes &c)
{
    Facture f;
    f.id = c("id");
    f.serie = c("serie").toString();
    f.annee = c("annee").toInt();
    f.numero = c("numero").toInt();
    f.date = c("date_facture").toDate();
    f.factureId = c("facture_id");
    f.client = { c("client_id"), c("client_nom").toString(), c("client_entreprise").toString(),
                 c("client_email").toString(), c("client_tel").toString() };
    f.adresse = c("client_adresse").toString();
    f.emetteur = deJson(c("emetteur").toString());
    f.emetteur.taux = c("taux_taxe").toInt();
    f.emetteur.sansTaxe = c("sans_taxe").toString();
    f.emetteur.devise = c("devise").toString();
    f.emetteur.conditions = c("conditions").toString();
    f.totalHt = c("total_ht").toLongLong();
    f.taxe = c("taxe").toLongLong();
    f.total = c("total").toLongLong();
    if (!c("a_numero").isNull())
        f.annuleePar = numeroDe(QStringLiteral("A"), c("a_annee").toInt(), c("a_numero").toInt());
    if (!c("o_numero").isNull())
        f.annule = numeroDe(QString(), c("o_annee").toInt(), c("o_numero").toInt());
    return f;
}

} // namespace

Issue refusFacturees(const QSqlDatabase &db, const QString &condition, const QVariantList &valeurs,
                     bool verrou)
{
    QSqlQuery q(db);
    if (!executerAvec(q,
                      QStringLiteral("SELECT cf.commande_id, f.annee, f.numero FROM "
                                     "commandes_facturees cf JOIN factures f ON f.id = "
                                     "cf.facture_id WHERE ")
                          + condition + QStringLiteral(" ORDER BY cf.commande_id LIMIT 1")
                          + (verrou ? QStringLiteral(" FOR UPDATE") : QString()),
                      valeurs))
        return Issue::erreur(q);
    if (!q.next())
        return Issue::ecrit();
    return Issue::refus(
        QStringLiteral("La commande"),
        QStringLiteral("La commande n°%1 est sur la facture n° %2, qui est émise : elle ne peut "
                       "être ni modifiée, ni supprimée, ni facturée de nouveau. Pour la changer, "
                       "établissez d'abord un avoir sur cette facture (page « Factures »).")
            .arg(q.value(0).toString(),
                 numeroDe(QString(), q.value(1).toInt(), q.value(2).toInt())));
}

Issue refusVidage(const QSqlDatabase &db)
{
    QSqlQuery q(db);
    if (!executer(q, QStringLiteral("SELECT COUNT(*) FROM factures")) || !q.next())
        return Issue::erreur(q);
    if (q.value(0).toLongLong() == 0)
        return Issue::ecrit();
    return Issue::refus(QStringLiteral("Les commandes"),
                        QStringLiteral("%1 factures et avoirs ont été émis : les commandes qu'ils "
                                       "contiennent ne peuvent pas être effacées. Le vidage est "
                                       "refusé tant que des factures existent.")
                            .arg(historique::enNombre(q.value(0).toLongLong())));
}

Issue preparerFacture(const QSqlDatabase &db, const QList<QVariant> &commandes, Facture *facture)
{
    *facture = Facture();
    Issue issue = lireCommandes(db, commandes, false, facture);
    if (issue.ok())
        issue = refusFacturees(db,
                               QStringLiteral("cf.commande_id IN (") + marques(commandes.size())
                                   + QLatin1Char(')'),
                               QVariantList(commandes.cbegin(), commandes.cend()));
    if (issue.ok())
        issue = emetteur(db, &facture->emetteur);
    if (issue.ok() && !calculerTotaux(facture))
        return Issue::refus(QStringLiteral("Le total"),
                            QStringLiteral("Le total de cette facture est trop grand."));
    facture->date = QDate::currentDate();
    return issue;
}

Issue facturer(const QSqlDatabase &db, const QList<QVariant> &commandes, const QDate &date,
               const QString &adresse, Facture *emise)
{
    const QString raison = premierRefus({ { QStringLiteral("L'adresse du client"), adresse, 0 } });
    if (!raison.isEmpty())
        return Issue::refus(QStringLiteral("L'adresse du client"), raison);
    if (!date.isValid())
        return Issue::refus(QStringLiteral("La date"), QStringLiteral("La date n'existe pas"));
    Facture f;
    const Issue issue = numeroter(db, [&](historique::Operation &operation) {
        f = Facture();
        Issue etape = lireCommandes(db, commandes, true, &f);
        if (etape.ok())
            etape = refusFacturees(db,
                                   QStringLiteral("cf.commande_id IN (") + marques(commandes.size())
                                       + QLatin1Char(')'),
                                   QVariantList(commandes.cbegin(), commandes.cend()), true);
        if (etape.ok())
            etape = emetteur(db, &f.emetteur);
        if (!etape.ok())
            return etape;
        if (!calculerTotaux(&f))
            return Issue::refus(QStringLiteral("Le total"),
                                QStringLiteral("Le total de cette facture est trop grand."));
        f.date = date;
        f.adresse = adresse;
        etape = inserer(db, &f);
        QSqlQuery q(db);
        for (int n = 0; etape.ok() && n < f.lignes.size(); ++n) {
            if (!executerAvec(q,
                              QStringLiteral("INSERT INTO commandes_facturees (commande_id, "
                                             "facture_id) VALUES (?, ?)"),
                              { f.lignes.at(n).commandeId, f.id }))
                etape = erreurNumerotation(q, QStringLiteral("commandes_facturees"));
        }
        if (etape.ok())
            etape = operation.ajout(QStringLiteral("factures"), f.id);
        if (!etape.ok())
            return etape;
        etape = operation.clore(QStringLiteral("facture"),
                                QStringLiteral("Facture n° %1 émise (%2, %3 commande%4, %5)")
                                    .arg(f.numeroTexte(), f.client.nom)
                                    .arg(f.lignes.size())
                                    .arg(f.lignes.size() > 1 ? QStringLiteral("s") : QString(),
                                         enMontant(f.total, f.emetteur.devise)));
        return etape.ok() ? Issue::ecrit(f.id) : etape;
    });
    if (issue.ok() && emise)
        *emise = f;
    return issue;
}

Issue etablirAvoir(const QSqlDatabase &db, const QVariant &factureId, Facture *avoir)
{
    Facture a;
    const Issue issue = numeroter(db, [&](historique::Operation &operation) {
        QSqlQuery q(db);
        if (!executerAvec(q, QStringLiteral("SELECT id FROM factures WHERE id = ? FOR UPDATE"),
                          { factureId }))
            return Issue::erreur(q);
        Facture f;
        Issue etape = facture(db, factureId, &f);
        if (!etape.ok())
            return etape;
        if (f.avoir())
            return Issue::refus(QStringLiteral("L'avoir"),
                                QStringLiteral("L'avoir n° %1 ne peut pas être annulé : seule une "
                                               "facture s'annule par un avoir.")
                                    .arg(f.numeroTexte()));
        if (!f.annuleePar.isEmpty())
            return Issue::refus(QStringLiteral("La facture"),
                                QStringLiteral("La facture n° %1 est déjà annulée par l'avoir "
                                               "n° %2.")
                                    .arg(f.numeroTexte(), f.annuleePar));
        a = f;
        a.serie = QStringLiteral("A");
        a.date = QDate::currentDate();
        a.factureId = f.id;
        a.annule = f.numeroTexte();
        a.annuleePar.clear();
        for (LigneFacture &ligne : a.lignes) {
            ligne.prixUnitaire = -ligne.prixUnitaire;
            ligne.total = -ligne.total;
        }
        a.totalHt = -f.totalHt;
        a.taxe = -f.taxe;
        a.total = -f.total;
        etape = inserer(db, &a);
        if (etape.ok()
            && !executerAvec(q,
                             QStringLiteral("DELETE FROM commandes_facturees WHERE "
                                            "facture_id = ?"),
                             { f.id }))
            etape = Issue::erreur(q, QStringLiteral("commandes_facturees"));
        if (etape.ok())
            etape = operation.ajout(QStringLiteral("factures"), a.id);
        if (etape.ok())
            etape = operation.clore(QStringLiteral("avoir"),
                                    QStringLiteral("Avoir n° %1 établi : annule la facture n° %2 "
                                                   "(%3)")
                                        .arg(a.numeroTexte(), f.numeroTexte(), f.client.nom));
        return etape.ok() ? Issue::ecrit(a.id) : etape;
    });
    if (issue.ok() && avoir)
        *avoir = a;
    return issue;
}

Issue facture(const QSqlDatabase &db, const QVariant &id, Facture *facture)
{
    QSqlQuery q(db);
    if (!executerAvec(q, choixFacture + QStringLiteral("WHERE f.id = ?"), { id }))
        return Issue::erreur(q);
    if (!q.next())
        return Issue::dejaSupprime();
    *facture = factureLue(Colonnes(q));
    if (!executerAvec(q,
                      QStringLiteral("SELECT * FROM lignes_facture WHERE facture_id = ? ORDER BY "
                                     "id"),
                      { id }))
        return Issue::erreur(q);
    const Colonnes c(q);
    while (q.next()) {
        facture->lignes << LigneFacture { c("commande_id"),       c("produit").toString(),
                                          c("poids").toDouble(),  c("unite").toString(),
                                          c("quantite").toInt(),  c("prix_unitaire").toLongLong(),
                                          c("total").toLongLong() };
    }
    return Issue::ecrit();
}

Issue factures(const QSqlDatabase &db, const QString &texte, QList<Facture> *liste)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    // A text holding a character the tables cannot store matches nothing.
    const bool cherchable = caractereHorsBase(texte).isNull();
    const QString motif = cherchable ? motifContient(texte) : QString(QLatin1String(""));
    if (!executerAvec(q,
                      choixFacture
                          + QStringLiteral(
                              "WHERE ? AND (CONCAT(f.serie, f.annee, '-', IF(f.numero < 10000, "
                              "LPAD(f.numero, 4, '0'), f.numero)) LIKE ? OR f.client_nom LIKE ? "
                              "OR IFNULL(f.client_entreprise, '') LIKE ?) ORDER BY f.date_facture "
                              "DESC, f.id DESC"),
                      { int(cherchable), motif, motif, motif }))
        return Issue::erreur(q);
    const Colonnes c(q);
    liste->clear();
    while (q.next())
        liste->append(factureLue(c));
    return Issue::ecrit();
}

} // namespace commandes
