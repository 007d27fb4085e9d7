// Undo, and the reads of the history page.

#include "commun/historique.h"
#include "commun/schema.h"

#include <QLocale>
#include <QSqlQuery>

namespace historique {

namespace {

const QString debutAnnule = QStringLiteral("Annulé : ");
const QString debutRetabli = QStringLiteral("Rétabli : ");

// The undo of an operation, as the history page names it: undoing an undo
// puts the change back.
QString resumeAnnulation(const QString &resume)
{
    if (resume.startsWith(debutAnnule))
        return debutRetabli + resume.mid(debutAnnule.size());
    if (resume.startsWith(debutRetabli))
        return debutAnnule + resume.mid(debutRetabli.size());
    return debutAnnule + resume;
}

const QString choixEntree =
    QStringLiteral("SELECT id, numero, DATE_FORMAT(quand, '%d/%m/%Y %H:%i:%s') AS quand, poste, "
                   "utilisateur, registre, genre, resume, fichier FROM operations ");

Entree entreeLue(const Colonnes &c)
{
    return { c("id").toLongLong(),  c("numero").toLongLong(),    c("quand").toString(),
             c("poste").toString(), c("utilisateur").toString(), c("registre").toString(),
             c("genre").toString(), c("resume").toString(),      c("fichier").toString() };
}

// The operation the condition (one bound value) selects; DejaSupprime when none.
Issue uneEntree(const QSqlDatabase &db, const QString &condition, const QVariant &valeur,
                Entree *entree)
{
    QSqlQuery q(db);
    q.prepare(choixEntree + condition);
    q.addBindValue(valeur);
    if (!executer(q))
        return Issue::erreur(q);
    if (!q.next())
        return Issue::dejaSupprime();
    *entree = entreeLue(Colonnes(q));
    return Issue::ecrit();
}

// A statement of the undo, for one table of the operation.
bool executerPour(QSqlQuery &q, const QString &instruction, qint64 numero, const QString &table)
{
    q.prepare(instruction);
    q.addBindValue(numero);
    q.addBindValue(table);
    return executer(q);
}

struct Ecart
{
    QString table;
    QString cle;
    qint64 entree = 0;
};

// The rows the operation touched that no longer hold what it left, held
// until the undo ends so that nobody changes them meanwhile.
bool ecarts(qint64 numero, const QStringList &tables, QList<Ecart> *liste, QSqlQuery *erreur)
{
    for (const QString &table : tables) {
        if (!executerPour(*erreur,
                          QStringLiteral("SELECT h.id, h.cle FROM historique h LEFT JOIN %1 t ON "
                                         "t.id = h.cle WHERE h.operation = ? AND h.table_nom = ? "
                                         "AND NOT (BINARY IF(t.id IS NULL, NULL, %2) <=> BINARY "
                                         "h.apres) FOR UPDATE")
                              .arg(table, valeursJson(table, QStringLiteral("t."))),
                          numero, table))
            return false;
        while (erreur->next())
            liste->append({ table, erreur->value(1).toString(), erreur->value(0).toLongLong() });
    }
    return true;
}

// What the box says of the rows changed since: each with the later operation
// that changed it, its date and workstation.
QString texteEcarts(const QSqlDatabase &db, const QList<Ecart> &liste)
{
    QSqlQuery q(db);
    QStringList lignes;
    for (const Ecart &ecart : liste.mid(0, 10)) {
        QString ligne = QStringLiteral("%1 n°%2 : ").arg(nomLigne(ecart.table), ecart.cle);
        q.prepare(QStringLiteral("SELECT o.resume, DATE_FORMAT(o.quand, '%d/%m/%Y à %H:%i:%s') "
                                 "AS quand, o.poste FROM historique h JOIN operations o ON "
                                 "o.numero = h.operation WHERE h.table_nom = ? AND h.cle = ? "
                                 "AND h.id > ? ORDER BY h.id DESC LIMIT 1"));
        q.addBindValue(ecart.table);
        q.addBindValue(ecart.cle);
        q.addBindValue(ecart.entree);
        if (executer(q) && q.next()) {
            const Colonnes c(q);
            ligne += QStringLiteral("« %1 », le %2, poste %3")
                         .arg(c("resume").toString(), c("quand").toString(), c("poste").toString());
        } else {
            ligne += QStringLiteral("changé hors du programme");
        }
        lignes << ligne;
    }
    if (liste.size() > 10)
        lignes << QStringLiteral("et %1 autres lignes").arg(liste.size() - 10);
    return QStringLiteral("Ces lignes ont changé depuis :\n") + lignes.join(QLatin1Char('\n'))
        + QStringLiteral("\nRien n'a été modifié.");
}

// Puts every row of one table back as the operation found it.
Issue remettre(const QSqlDatabase &db, qint64 numero, const QString &table, Annulation *annulation)
{
    const QStringList colonnes = schema::colonnes(table);
    QStringList valeurs;
    QStringList affectations;
    for (const QString &colonne : colonnes) {
        valeurs << QStringLiteral("JSON_VALUE(h.avant, '$.%1')").arg(colonne);
        if (colonne != QLatin1String("id"))
            affectations << QStringLiteral("t.%1 = ").arg(colonne) + valeurs.last();
    }
    const QString ou = QStringLiteral(" WHERE h.operation = ? AND h.table_nom = ? ");
    QSqlQuery q(db);
    if (!executerPour(
            q,
            QStringLiteral("DELETE t FROM %1 t JOIN historique h ON h.cle = t.id").arg(table) + ou
                + QStringLiteral("AND h.avant IS NULL"),
            numero, table))
        return Issue::erreur(q, table);
    annulation->retirees += q.numRowsAffected();
    if (!executerPour(
            q,
            QStringLiteral("UPDATE %1 t JOIN historique h ON h.cle = t.id SET ").arg(table)
                + affectations.join(QStringLiteral(", ")) + ou
                + QStringLiteral("AND h.avant IS NOT NULL AND h.apres IS NOT NULL"),
            numero, table))
        return Issue::erreur(q, table);
    annulation->retablies += q.numRowsAffected();
    if (!executerPour(q,
                      QStringLiteral("INSERT INTO %1 (%2) SELECT ")
                              .arg(table, colonnes.join(QStringLiteral(", ")))
                          + valeurs.join(QStringLiteral(", "))
                          + QStringLiteral(" FROM historique h") + ou
                          + QStringLiteral("AND h.apres IS NULL ORDER BY h.id"),
                      numero, table))
        return Issue::erreur(q, table);
    annulation->remises += q.numRowsAffected();
    return Issue::ecrit();
}

// One attempt of the undo, inside its transaction.
Issue essaiAnnulation(const QSqlDatabase &db, const Entree &entree, Operation &operation,
                      Annulation *annulation)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT DISTINCT table_nom FROM historique WHERE operation = ?"));
    q.addBindValue(entree.numero);
    if (!executer(q))
        return Issue::erreur(q);
    QStringList tables;
    while (q.next()) {
        if (!schema::colonnes(q.value(0).toString()).isEmpty())
            tables << q.value(0).toString();
    }
    // Orders on an issued invoice stay as invoiced.
    if (tables.contains(QStringLiteral("commandes"))) {
        q.prepare(QStringLiteral(
            "SELECT h.cle, f.annee, f.numero FROM historique h JOIN commandes_facturees cf ON "
            "cf.commande_id = h.cle JOIN factures f ON f.id = cf.facture_id WHERE h.operation = ? "
            "AND h.table_nom = 'commandes' LIMIT 1"));
        q.addBindValue(entree.numero);
        if (!executer(q))
            return Issue::erreur(q);
        if (q.next())
            return Issue::refus(
                QString(),
                QStringLiteral("La commande n°%1 est sur la facture n° %2-%3, qui est émise : "
                               "elle ne peut pas changer. Rien n'a été modifié.")
                    .arg(q.value(0).toString(), q.value(1).toString(),
                         q.value(2).toString().rightJustified(4, QLatin1Char('0'))));
    }
    QList<Ecart> changees;
    if (!ecarts(entree.numero, tables, &changees, &q))
        return Issue::erreur(q);
    if (!changees.isEmpty())
        return Issue::conflit(texteEcarts(db, changees));

    *annulation = Annulation();
    annulation->resume = resumeAnnulation(entree.resume);
    for (const QString &table : tables) {
        const Issue issue = remettre(db, entree.numero, table, annulation);
        if (!issue.ok())
            return issue;
    }
    // The undo's own entries: each row from what the operation left to what
    // it found, so that undoing the undo makes the change again.
    q.prepare(QStringLiteral(
        "INSERT INTO historique (operation, quand, poste, utilisateur, table_nom, cle, action, "
        "avant, apres) SELECT ?, NOW(3), ?, CURRENT_USER(), table_nom, cle, CASE action WHEN "
        "'ajout' THEN 'suppression' WHEN 'suppression' THEN 'ajout' ELSE 'modification' END, "
        "apres, avant FROM historique WHERE operation = ? ORDER BY id"));
    q.addBindValue(operation.numero());
    q.addBindValue(poste());
    q.addBindValue(entree.numero);
    if (!executer(q))
        return Issue::erreur(q);
    return operation.clore(QStringLiteral("annulation"), annulation->resume, entree.numero);
}

} // namespace

QString Annulation::texte() const
{
    // "1 ligne remise", "3 lignes remises".
    const auto lignes = [](int n, const char *participe) {
        const QString s = n > 1 ? QStringLiteral("s") : QString();
        return QStringLiteral("%1 ligne%2 %3%2").arg(enNombre(n), s, QLatin1String(participe));
    };
    QStringList parties;
    if (remises > 0)
        parties << lignes(remises, "remise");
    if (retablies > 0)
        parties << lignes(retablies, "remise")
                + (retablies > 1 ? QStringLiteral(" à leurs valeurs d'avant")
                                 : QStringLiteral(" à ses valeurs d'avant"));
    if (retirees > 0)
        parties << lignes(retirees, "retirée");
    if (parties.isEmpty())
        parties << QStringLiteral("aucune ligne à changer");
    return resume + QLatin1Char('\n') + parties.join(QStringLiteral(", ")) + QLatin1Char('.');
}

Issue entrees(const QSqlDatabase &db, const QString &registre, qint64 apres, int nombre,
              QList<Entree> *liste)
{
    QStringList conditions;
    if (!registre.isEmpty())
        conditions << QStringLiteral("registre = ?");
    if (apres > 0)
        conditions << QStringLiteral("id < ?");
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(choixEntree
              + (conditions.isEmpty()
                     ? QString()
                     : QStringLiteral("WHERE ") + conditions.join(QStringLiteral(" AND ")))
              + QStringLiteral(" ORDER BY id DESC LIMIT ") + QString::number(qMax(nombre, 0)));
    if (!registre.isEmpty())
        q.addBindValue(registre);
    if (apres > 0)
        q.addBindValue(apres);
    if (!executer(q))
        return Issue::erreur(q);
    const Colonnes c(q);
    liste->clear();
    while (q.next())
        liste->append(entreeLue(c));
    return Issue::ecrit();
}

Issue derniere(const QSqlDatabase &db, Entree *entree)
{
    return uneEntree(db, QStringLiteral("WHERE poste = ? ORDER BY id DESC LIMIT 1"), poste(),
                     entree);
}

Issue entree(const QSqlDatabase &db, qint64 numero, Entree *entree)
{
    return uneEntree(db, QStringLiteral("WHERE numero = ?"), numero, entree);
}

Issue annuler(const QSqlDatabase &db, qint64 numero, Annulation *annulation)
{
    // The journal's entries never change: the operation is read once.
    Entree annulee;
    const Issue lue = entree(db, numero, &annulee);
    if (!lue.ok())
        return lue;
    // Its tables were replaced wholesale, not journaled row by row: undoing
    // it here would change nothing and say it was undone.
    if (annulee.genre == QLatin1String("restauration"))
        return Issue::refus(QString(),
                            QStringLiteral("Une restauration s'annule en rechargeant la "
                                           "sauvegarde faite juste avant elle."));
    // An invoice's number is never taken back: an invoice is cancelled by a
    // credit note, and a credit note stands.
    if (annulee.genre == QLatin1String("facture") || annulee.genre == QLatin1String("avoir"))
        return Issue::refus(QString(),
                            annulee.genre == QLatin1String("facture")
                                ? QStringLiteral("Une facture émise ne s'annule pas : son numéro "
                                                 "est donné pour toujours. Établissez un avoir "
                                                 "sur la page « Factures et avoirs ».")
                                : QStringLiteral("Un avoir émis ne s'annule pas : son numéro est "
                                                 "donné pour toujours, et la facture qu'il "
                                                 "annule le reste."));
    Operation operation(db, annulee.registre);
    return ::ecrire(Changement::Annulation, [&] {
        Transaction transaction(db);
        if (!transaction.ouverte())
            return transaction.issue();
        Issue issue = operation.commencer();
        if (issue.ok())
            issue = essaiAnnulation(db, annulee, operation, annulation);
        return issue.ok() ? operation.valider(transaction, issue) : issue;
    });
}

} // namespace historique
