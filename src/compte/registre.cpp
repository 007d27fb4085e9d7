#include "compte/registre.h"
#include "commun/grilles.h"
#include "commun/historique.h"
#include "commun/saisie.h"
#include "compte/import.h"

#include <QJsonObject>
#include <QLocale>
#include <QMap>
#include <QSqlQuery>
#include <QSqlTableModel>

namespace compte {

namespace {

const QString table = QStringLiteral("compte");

// Why the typed entry cannot be stored, naming the field; a null issue's
// `raison` when it can. The amount comes back as read.
Issue refusDeSaisie(const Ecriture &ecriture, QString *montant)
{
    if (ecriture.sujet != QLatin1String("Gain") && ecriture.sujet != QStringLiteral("Dépense")) {
        return Issue::refus(champSujet,
                            QStringLiteral("Veuillez specifier si il s'agit d'une dépense ou "
                                           "d'un gain"));
    }
    // Written the way the server sums it: the report counts what was typed.
    QString raison;
    *montant = montantLu(ecriture.valeur, champMontant, false, &raison);
    if (montant->isNull())
        return Issue::refus(champMontant, raison);
    raison = premierRefus({ { champCommentaire, ecriture.commentaire, 0 } });
    if (!raison.isEmpty())
        return Issue::refus(champCommentaire, raison);
    return Issue::ecrit();
}

// The condition that keeps the entries of the period, after `lien` (" WHERE "
// or " AND "); none for the whole book. Its days are bound by lierPeriode.
QString dansPeriode(const Periode &periode, const QString &lien)
{
    return periode.tout() ? QString()
                          : lien + QStringLiteral("date_insert >= :debut AND date_insert < :apres");
}

void lierPeriode(QSqlQuery &requete, const Periode &periode)
{
    if (periode.tout())
        return;
    // The last day is in the period up to its last second, 31 December 9999
    // too (the server has no day after it).
    const QDate lendemain = periode.fin.addDays(1);
    requete.bindValue(QStringLiteral(":debut"), periode.debut);
    requete.bindValue(QStringLiteral(":apres"),
                      lendemain.year() <= 9999 ? QDateTime(lendemain, QTime(0, 0))
                                               : QDateTime(periode.fin, QTime(23, 59, 59, 999)));
}

// A read's statement run at once, its rows read as they are asked for.
std::shared_ptr<QSqlQuery> lecture(const QSqlDatabase &db, const QString &instruction,
                                   const QString &sujet, Issue *issue, const Periode &periode = {})
{
    auto requete = std::make_shared<QSqlQuery>(db);
    requete->setForwardOnly(true);
    requete->prepare(instruction);
    if (!sujet.isNull())
        requete->bindValue(QStringLiteral(":sujet"), sujet);
    lierPeriode(*requete, periode);
    *issue = executer(*requete) ? Issue::ecrit() : Issue::erreur(*requete);
    return requete;
}

LigneBilan ligneBilan(const Colonnes &c)
{
    return { c("valeur").toString(), c("commentaire").toString(), c("quand").toString() };
}

// The totals, gains first. Servers that refuse an order inside GROUP BY get
// the same two sums with ORDER BY.
Issue lireTotaux(const QSqlDatabase &db, Bilan *bilan, const Periode &periode)
{
    QSqlQuery requete(db);
    requete.setForwardOnly(true);
    const QString debut = QStringLiteral("SELECT sujet, SUM(valeur) AS total FROM compte")
        + dansPeriode(periode, QStringLiteral(" WHERE "));
    const auto lire = [&](const QString &fin, bool seul) {
        requete.prepare(debut + fin);
        lierPeriode(requete, periode);
        return seul ? executer(requete) : requete.exec();
    };
    if (!lire(QStringLiteral(" GROUP BY sujet DESC"), false)
        && !lire(QStringLiteral(" GROUP BY sujet ORDER BY sujet DESC"), true))
        return Issue::erreur(requete);
    const Colonnes c(requete);
    while (requete.next()) {
        const QString sujet = c("sujet").toString();
        if (sujet == QLatin1String("Gain"))
            bilan->totalGains = texteNombre(c("total"));
        else if (sujet == QStringLiteral("Dépense"))
            bilan->totalDepenses = texteNombre(c("total"));
    }
    return Issue::ecrit();
}

// The difference as the server writes it, and the first and last days of the
// period's entries.
Issue lireDifferenceEtDates(const QSqlDatabase &db, Bilan *bilan, const Periode &periode)
{
    QSqlQuery requete(db);
    requete.setForwardOnly(true);
    // The totals are numbers the server wrote, never typed text.
    if (!executer(requete,
                  QStringLiteral("SELECT ") + bilan->totalGains + QStringLiteral("- ")
                      + bilan->totalDepenses + QStringLiteral(" AS difference")))
        return Issue::erreur(requete);
    if (requete.next())
        bilan->difference = texteNombre(Colonnes(requete)("difference"));

    requete.prepare(QStringLiteral("SELECT DATE_FORMAT(MIN(date_insert), '%d %M %Y') AS premiere, "
                                   "DATE_FORMAT(MAX(date_insert), '%d %M %Y') AS derniere FROM "
                                   "compte")
                    + dansPeriode(periode, QStringLiteral(" WHERE ")));
    lierPeriode(requete, periode);
    if (!executer(requete))
        return Issue::erreur(requete);
    const Colonnes c(requete);
    if (requete.next()) {
        bilan->premiereDate = c("premiere").toString();
        bilan->derniereDate = c("derniere").toString();
    }
    return Issue::ecrit();
}

bool moisEntier(const Periode &p)
{
    return p.debut.day() == 1 && p.fin == p.debut.addMonths(1).addDays(-1);
}

bool anneeEntiere(const Periode &p)
{
    return p.debut == QDate(p.debut.year(), 1, 1) && p.fin == QDate(p.debut.year(), 12, 31);
}

// The days of the period's first and last entries (of the whole book's for
// the whole book); invalid when it has none.
Issue etendue(const QSqlDatabase &db, Periode *periode)
{
    QSqlQuery requete(db);
    requete.setForwardOnly(true);
    requete.prepare(QStringLiteral("SELECT DATE(MIN(date_insert)) AS premier, "
                                   "DATE(MAX(date_insert)) AS dernier FROM compte")
                    + dansPeriode(*periode, QStringLiteral(" WHERE ")));
    lierPeriode(requete, *periode);
    if (!executer(requete))
        return Issue::erreur(requete);
    const Colonnes c(requete);
    if (requete.next())
        *periode = { c("premier").toDate(), c("dernier").toDate() };
    return Issue::ecrit();
}

// The server's sums of the period's amounts, per bucket ("2026-01", or
// "2026-01-15" by day) and kind ("Gain" or "Dépense").
Issue sommes(const QSqlDatabase &db, const Periode &periode, const QString &format,
             QMap<QString, QMap<QString, double>> *totaux)
{
    QSqlQuery requete(db);
    requete.setForwardOnly(true);
    requete.prepare(QStringLiteral("SELECT DATE_FORMAT(date_insert, '%1') AS cle, sujet, "
                                   "SUM(valeur) AS total FROM compte")
                        .arg(format)
                    + dansPeriode(periode, QStringLiteral(" WHERE "))
                    + QStringLiteral(" GROUP BY cle, sujet"));
    lierPeriode(requete, periode);
    if (!executer(requete))
        return Issue::erreur(requete);
    const Colonnes c(requete);
    while (requete.next())
        (*totaux)[c("cle").toString()][c("sujet").toString()] = c("total").toDouble();
    return Issue::ecrit();
}

// An entry as the check for entries already in the book compares it: its
// day, kind, amount as a number ("12.50" as "12.5") and label.
QString cle(const QDate &jour, const QString &sujet, const QString &valeur,
            const QString &commentaire)
{
    QString montant = montantLu(valeur, QString(), true, nullptr);
    if (montant.isNull())
        montant = valeur;
    else if (montant.contains(QLatin1Char('.'))) {
        while (montant.endsWith(QLatin1Char('0')))
            montant.chop(1);
        if (montant.endsWith(QLatin1Char('.')))
            montant.chop(1);
    }
    return jour.toString(Qt::ISODate) + QChar(0x1F) + sujet + QChar(0x1F) + montant + QChar(0x1F)
        + commentaire;
}

// How many entries of each key the book holds over the days of `ecritures`,
// held until the import ends so that no workstation adds one meanwhile.
Issue presentes(const QSqlDatabase &db, const QList<Ecriture> &ecritures,
                QHash<QString, int> *nombres)
{
    QDate premier = ecritures.first().date.date();
    QDate dernier = premier;
    for (const Ecriture &e : ecritures) {
        premier = std::min(premier, e.date.date());
        dernier = std::max(dernier, e.date.date());
    }
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT DATE(date_insert) AS jour, sujet, valeur, commentaire FROM "
                             "compte WHERE date_insert >= ? AND date_insert < ? FOR UPDATE"));
    q.addBindValue(premier.toString(Qt::ISODate));
    q.addBindValue(dernier.addDays(1).toString(Qt::ISODate));
    if (!executer(q))
        return Issue::erreur(q);
    const Colonnes c(q);
    while (q.next()) {
        ++(*nombres)[cle(c("jour").toDate(), c("sujet").toString(), c("valeur").toString(),
                         c("commentaire").toString())];
    }
    return Issue::ecrit();
}

// The statement's entries not in the book yet, added; their numbers in `ids`.
Issue ajouterNouvelles(const QSqlDatabase &db, const QList<Ecriture> &ecritures, QVariantList *ids,
                       BilanImport *bilan)
{
    QHash<QString, int> dansLeLivre;
    Issue issue = presentes(db, ecritures, &dansLeLivre);
    if (!issue.ok())
        return issue;
    QHash<QString, int> dansLeFichier;
    QSqlQuery requete(db);
    requete.prepare(QStringLiteral("INSERT INTO compte (sujet, valeur, commentaire, date_insert) "
                                   "VALUES (?, ?, ?, ?)"));
    for (const Ecriture &e : ecritures) {
        const QString k = cle(e.date.date(), e.sujet, e.valeur, e.commentaire);
        if (++dansLeFichier[k] <= dansLeLivre.value(k)) {
            ++bilan->presentes;
            continue;
        }
        requete.addBindValue(e.sujet);
        requete.addBindValue(e.valeur);
        requete.addBindValue(saisie(e.commentaire));
        requete.addBindValue(e.date.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
        if (!executer(requete))
            return Issue::erreur(requete, table);
        ids->append(requete.lastInsertId());
    }
    bilan->ajoutees = int(ids->size());
    return Issue::ecrit();
}

} // namespace

QStringList choixDePeriode()
{
    return { QStringLiteral("Tout"),
             QStringLiteral("Ce mois-ci"),
             QStringLiteral("Le mois dernier"),
             QStringLiteral("Cette année"),
             QStringLiteral("L'année dernière"),
             QStringLiteral("Du … au …") };
}

Periode periode(int choix, const QDate &aujourdhui, const QDate &du, const QDate &au)
{
    const QDate mois(aujourdhui.year(), aujourdhui.month(), 1);
    const int annee = aujourdhui.year();
    switch (choix) {
    case 1:
        return { mois, mois.addMonths(1).addDays(-1) };
    case 2:
        return { mois.addMonths(-1), mois.addDays(-1) };
    case 3:
        return { QDate(annee, 1, 1), QDate(annee, 12, 31) };
    case 4:
        return { QDate(annee - 1, 1, 1), QDate(annee - 1, 12, 31) };
    case 5:
        return { qMin(du, au), qMax(du, au) };
    default:
        return {};
    }
}

QString libelle(const Periode &p)
{
    if (p.tout())
        return QString();
    if (moisEntier(p)) {
        const QString mois =
            QLocale(QLocale::French).toString(p.debut, QStringLiteral("MMMM yyyy"));
        // "d'avril", "d'août", "d'octobre"
        return (QStringLiteral("aeiou").contains(mois.at(0)) ? QStringLiteral("d'")
                                                             : QStringLiteral("de "))
            + mois;
    }
    if (anneeEntiere(p))
        return QStringLiteral("de l'année %1").arg(p.debut.year());
    const QString jour = QStringLiteral("dd/MM/yyyy");
    return QStringLiteral("du %1 au %2").arg(p.debut.toString(jour), p.fin.toString(jour));
}

QString partieFichier(const Periode &p)
{
    const QString jour = QStringLiteral("yyyy-MM-dd");
    if (p.tout())
        return QDate::currentDate().toString(jour);
    if (moisEntier(p))
        return p.debut.toString(QStringLiteral("yyyy-MM"));
    if (anneeEntiere(p))
        return QString::number(p.debut.year());
    return p.debut.toString(jour) + QStringLiteral("-au-") + p.fin.toString(jour);
}

Issue ajouter(const QSqlDatabase &db, const Ecriture &ecriture)
{
    QString montant;
    const Issue refus = refusDeSaisie(ecriture, &montant);
    if (!refus.ok())
        return refus;
    const QDateTime date = ecriture.date.isValid() ? ecriture.date : QDateTime::currentDateTime();

    // In a transaction: should the server stop answering, the entry it may
    // still write is undone with the lost connection.
    return historique::ecrire(db, Changement::Ajout, table, [&](historique::Operation &operation) {
        QSqlQuery requete(db);
        requete.prepare(QStringLiteral("INSERT INTO compte SET sujet = :sujet, valeur = :valeur, "
                                       "commentaire = :commentaire, date_insert = :date_insert;"));
        requete.bindValue(QStringLiteral(":sujet"), ecriture.sujet);
        requete.bindValue(QStringLiteral(":valeur"), montant);
        // No comment is stored as an empty text, not as NULL.
        requete.bindValue(QStringLiteral(":commentaire"), saisie(ecriture.commentaire));
        requete.bindValue(QStringLiteral(":date_insert"),
                          date.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
        if (!executer(requete))
            return Issue::erreur(requete, table);
        const QVariant id = requete.lastInsertId();
        Issue issue = operation.ajout(table, id);
        if (issue.ok()) {
            issue = operation.clore(QStringLiteral("ajout"),
                                    QStringLiteral("Écriture n°%1 ajoutée (%2, %3)")
                                        .arg(id.toString(), ecriture.sujet, montant));
        }
        return issue.ok() ? Issue::ecrit(id) : issue;
    });
}

Issue entrees(const QSqlDatabase &db, QList<Ecriture> *liste)
{
    Issue issue;
    const auto requete =
        lecture(db, QStringLiteral("SELECT id, sujet, valeur FROM compte"), QString(), &issue);
    if (!issue.ok())
        return issue;
    const Colonnes c(*requete);
    liste->clear();
    if (requete->size() > 0)
        liste->reserve(requete->size());
    while (requete->next()) {
        liste->append(
            { c("id"), c("sujet").toString(), c("valeur").toString(), QString(), QDateTime() });
    }
    return issue;
}

Issue supprimer(const QSqlDatabase &db, const QVariant &id)
{
    return historique::ecrire(
        db, Changement::Suppression, table, [&](historique::Operation &operation) {
            Issue issue = operation.avant(table, historique::Action::Suppression,
                                          QStringLiteral("id = ?"), { id });
            if (!issue.ok())
                return issue;
            QJsonObject ligne;
            issue = operation.ligne(table, false, &ligne);
            if (!issue.ok())
                return issue;
            QSqlQuery requete(db);
            requete.prepare(QStringLiteral("DELETE FROM compte WHERE id = :id"));
            requete.bindValue(QStringLiteral(":id"), id);
            if (!executer(requete))
                return Issue::erreur(requete, table);
            if (requete.numRowsAffected() == 0)
                return Issue::dejaSupprime();
            return operation.clore(QStringLiteral("suppression"),
                                   QStringLiteral("Écriture n°%1 supprimée (%2, %3)")
                                       .arg(id.toString(),
                                            ligne.value(QLatin1String("sujet")).toString(),
                                            ligne.value(QLatin1String("valeur")).toString()));
        });
}

Issue vider(const QSqlDatabase &db, const schema::Bornes &bornes)
{
    const Issue issue =
        historique::ecrire(db, Changement::Vidage, table, [&](historique::Operation &operation) {
            const QString condition = schema::dansBorne(bornes, table);
            int lignes = 0;
            const Issue journal =
                operation.avant(table, historique::Action::Suppression, condition, {}, &lignes);
            if (!journal.ok())
                return journal;
            QSqlQuery requete(db);
            if (!executer(requete, QStringLiteral("DELETE FROM compte WHERE ") + condition))
                return Issue::erreur(requete, table);
            return operation.clore(
                QStringLiteral("vidage"),
                QStringLiteral("Compte vidé (%1 entrées)").arg(historique::enNombre(lignes)));
        });
    if (!issue.ok())
        return issue;
    // Numbering starts again at 1: the key stops at 65,535, and a book emptied
    // after that many entries must still take new ones. The statement ends
    // any transaction, so it runs once the emptying is committed. Should the
    // server refuse it, the book is empty all the same; only the numbering
    // goes on from where it was (the refusal is logged).
    QSqlQuery requete(db);
    if (!executer(requete, QStringLiteral("ALTER TABLE compte AUTO_INCREMENT = 1")))
        qWarning("La numérotation du livre de comptes n'a pas été remise à 1");
    return issue;
}

std::unique_ptr<QSqlTableModel> grille(const QSqlDatabase &db, Issue *issue)
{
    auto modele = std::make_unique<QSqlTableModel>(nullptr, db);
    modele->setTable(table);
    modele->setEditStrategy(QSqlTableModel::OnManualSubmit);
    modele->setSort(modele->fieldIndex(QStringLiteral("date_insert")), Qt::DescendingOrder);
    *issue = chargerGrille(*modele);
    if (!issue->ok())
        modele.reset();
    return modele;
}

Issue enregistrer(QSqlTableModel &modele)
{
    return enregistrerGrille(modele);
}

Issue lireBilan(const QSqlDatabase &db, Bilan *bilan, const Periode &periode)
{
    const QString instruction =
        QStringLiteral("SELECT id, sujet, valeur, commentaire, DATE_FORMAT(date_insert, "
                       "'le %d %M %Y à %Hh%imin') AS quand FROM compte WHERE sujet = :sujet")
        + dansPeriode(periode, QStringLiteral(" AND "));
    Issue issue;
    const auto depenses = lecture(db, instruction, QStringLiteral("Dépense"), &issue, periode);
    if (!issue.ok())
        return issue;
    const auto gains = lecture(db, instruction, QStringLiteral("Gain"), &issue, periode);
    if (!issue.ok())
        return issue;
    bilan->depenses = Curseur<LigneBilan>(depenses, ligneBilan);
    bilan->gains = Curseur<LigneBilan>(gains, ligneBilan);
    issue = lireTotaux(db, bilan, periode);
    return issue.ok() ? lireDifferenceEtDates(db, bilan, periode) : issue;
}

Issue evolution(const QSqlDatabase &db, const Periode &choisie, QList<Point> *points)
{
    points->clear();
    Periode periode = choisie;
    // Over the whole book, or days chosen over more than ten years (up to
    // thousands of months): from the first entry to the last one.
    if (periode.tout() || periode.debut.addYears(10) < periode.fin) {
        const Issue issue = etendue(db, &periode);
        if (!issue.ok() || periode.tout())
            return issue;
    }
    const bool parJour = periode.fin < periode.debut.addMonths(1);
    QMap<QString, QMap<QString, double>> totaux;
    const Issue issue = sommes(
        db, periode, parJour ? QStringLiteral("%Y-%m-%d") : QStringLiteral("%Y-%m"), &totaux);
    if (!issue.ok())
        return issue;
    const QLocale francais(QLocale::French);
    double solde = 0;
    QDate d = parJour ? periode.debut : QDate(periode.debut.year(), periode.debut.month(), 1);
    for (; d <= periode.fin; d = parJour ? d.addDays(1) : d.addMonths(1)) {
        const auto somme = totaux.value(
            d.toString(parJour ? QStringLiteral("yyyy-MM-dd") : QStringLiteral("yyyy-MM")));
        Point point;
        point.debut = d;
        point.etiquette = parJour ? d.toString(QStringLiteral("dd/MM"))
                                  : francais.toString(d, QStringLiteral("MMM yyyy"));
        point.gains = somme.value(QStringLiteral("Gain"));
        point.depenses = somme.value(QStringLiteral("Dépense"));
        solde += point.gains - point.depenses;
        point.solde = solde;
        points->append(point);
    }
    return issue;
}

Issue importer(const QSqlDatabase &db, const QList<LigneReleve> &lignes, const QString &nomFichier,
               BilanImport *bilan)
{
    // What reaches the server is checked here again, as typed entries are.
    QList<Ecriture> ecritures;
    int refusees = 0;
    for (const LigneReleve &ligne : lignes) {
        if (ligne.role != LigneReleve::Donnee)
            continue;
        if (!ligne.raison.isEmpty()) {
            ++refusees;
            continue;
        }
        Ecriture e = ligne.ecriture;
        const Issue refus = refusDeSaisie(e, &e.valeur);
        if (!refus.ok() || !e.date.isValid())
            return refus.ok() ? Issue::refus(QString(), QStringLiteral("Date invalide")) : refus;
        ecritures << e;
    }
    *bilan = { 0, 0, refusees };
    if (ecritures.isEmpty())
        return Issue::ecrit();
    return historique::ecrire(db, Changement::Ajout, table, [&](historique::Operation &operation) {
        *bilan = { 0, 0, refusees };
        QVariantList ids;
        Issue issue = ajouterNouvelles(db, ecritures, &ids, bilan);
        if (!issue.ok() || ids.isEmpty())
            return issue;
        issue = operation.ajouts(table, ids);
        if (!issue.ok())
            return issue;
        return operation.clore(QStringLiteral("import"),
                               QStringLiteral("Relevé « %1 » importé (%2 entrée%3)")
                                   .arg(nomFichier, historique::enNombre(bilan->ajoutees),
                                        bilan->ajoutees > 1 ? QStringLiteral("s") : QString()));
    });
}

} // namespace compte
