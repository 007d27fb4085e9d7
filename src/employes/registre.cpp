#include "employes/registre.h"
#include "commun/historique.h"

#include "commun/grilles.h"
#include "commun/saisie.h"

#include <QJsonObject>
#include <QSqlQuery>
#include <QSqlTableModel>

namespace employes {

const QString champsObligatoires =
    QStringLiteral("Vous devez remplir tous les champs obligatoires");

namespace {

const QString tablePersonnes = QStringLiteral("employes");
const QString tableAbsences = QStringLiteral("absence");
const QString personneSupprimee =
    QStringLiteral("Cette personne a été supprimée par un autre poste");

// Why the form cannot be stored as typed: the first field at fault, in the
// form's order; Ecrit when every field can be.
Issue refusPersonne(const Personne &p, const Jour &naissance, const Jour &debut)
{
    if (p.nom.isEmpty())
        return Issue::refus(QStringLiteral("Le nom"), champsObligatoires);
    if (p.prenom.isEmpty())
        return Issue::refus(QStringLiteral("Le prénom"), champsObligatoires);
    if (p.domaine.isEmpty())
        return Issue::refus(QStringLiteral("Le domaine"), champsObligatoires);
    const QList<Champ> champs = { { QStringLiteral("Le nom"), p.nom, largeurs::nom },
                                  { QStringLiteral("Le prénom"), p.prenom, largeurs::nom },
                                  { QStringLiteral("Le domaine"), p.domaine, largeurs::domaine },
                                  { QStringLiteral("Le commentaire"), p.commentaire, 0 } };
    for (const Champ &champ : champs) {
        const QString raison = premierRefus({ champ });
        if (!raison.isEmpty())
            return Issue::refus(champ.nom, raison);
    }
    QString raison = refusNomPrenom(p.nom, p.prenom);
    if (!raison.isEmpty())
        return Issue::refus(QStringLiteral("Le nom et le prénom"), raison);
    const QString champNaissance = QStringLiteral("date de naissance");
    raison = refusDate(naissance.annee, naissance.mois, naissance.jour, champNaissance);
    if (!raison.isEmpty())
        return Issue::refus(champNaissance, raison);
    const QString champDebut = QStringLiteral("date d'embouche ou debut de stage");
    raison = refusDate(debut.annee, debut.mois, debut.jour, champDebut);
    if (!raison.isEmpty())
        return Issue::refus(champDebut, raison);
    return Issue::ecrit();
}

// One statement that writes, bound beforehand: Ecrit with the new row's
// number, or the server's refusal.
Issue ecrit(QSqlQuery &requete, const QString &table)
{
    return executer(requete) ? Issue::ecrit(requete.lastInsertId()) : Issue::erreur(requete, table);
}

// Runs a read bound beforehand: Ecrit, or the server's refusal.
Issue lu(QSqlQuery &requete)
{
    return executer(requete) ? Issue::ecrit() : Issue::erreur(requete);
}

// The register as the journal names it.
const QString registre = QStringLiteral("employes");

QString nomDuType(int type)
{
    return type == stagiaire ? QStringLiteral("Stagiaire") : QStringLiteral("Employé");
}

// "3 absences", "1 absence".
QString combien(int n, const QString &nom)
{
    return QStringLiteral("%1 %2%3").arg(historique::enNombre(n), nom,
                                         n > 1 ? QStringLiteral("s") : QString());
}

} // namespace

Issue ajouterPersonne(const QSqlDatabase &db, Personne &personne, const Jour &naissance,
                      const Jour &debut)
{
    const Issue refus = refusPersonne(personne, naissance, debut);
    if (!refus.ok())
        return refus;
    Personne p = personne;
    p.commentaire = saisie(p.commentaire);
    p.naissance = naissance.date();
    p.debut = debut.date();
    const bool estStagiaire = p.type == stagiaire;
    // Calendar months: the day is lowered to the last day of a shorter month
    // (31 January + 1 month gives 28 February).
    p.fin = estStagiaire ? p.debut.addMonths(p.duree) : QDate();
    if (!estStagiaire)
        p.duree = 0;

    QString texte = QStringLiteral(
        "INSERT INTO employes SET type=:type, nom=:nom, prenom=:prenom, nom_prenom=:nom_prenom, "
        "sexe=:sexe, date_naissance=:date_naissance, date_embouche=:date_embouche, ");
    texte += QStringLiteral("domaine=:domaine,");
    if (estStagiaire)
        texte += QStringLiteral(" duree=:duree, date_fin=:date_fin, ");
    texte += QStringLiteral("commentaire=:commentaire");

    // In a transaction: should the server stop answering, the row it may still
    // write is undone with the lost connection.
    const Issue issue =
        historique::ecrire(db, Changement::Ajout, registre, [&](historique::Operation &operation) {
            QSqlQuery requete(db);
            requete.prepare(texte);
            requete.bindValue(QStringLiteral(":type"), estStagiaire ? stagiaire : employe);
            requete.bindValue(QStringLiteral(":nom"), p.nom);
            requete.bindValue(QStringLiteral(":prenom"), p.prenom);
            requete.bindValue(QStringLiteral(":domaine"), p.domaine);
            requete.bindValue(QStringLiteral(":nom_prenom"), p.nom + QLatin1Char(' ') + p.prenom);
            requete.bindValue(QStringLiteral(":sexe"), p.sexe);
            requete.bindValue(QStringLiteral(":date_naissance"), p.naissance);
            requete.bindValue(QStringLiteral(":date_embouche"), p.debut);
            requete.bindValue(QStringLiteral(":commentaire"), p.commentaire);
            if (estStagiaire) {
                requete.bindValue(QStringLiteral(":date_fin"), p.fin);
                requete.bindValue(QStringLiteral(":duree"), p.duree);
            }
            Issue issue = ecrit(requete, tablePersonnes);
            if (issue.ok())
                issue = operation.ajout(tablePersonnes, requete.lastInsertId());
            if (issue.ok()) {
                issue = operation.clore(QStringLiteral("ajout"),
                                        QStringLiteral("%1 %2 %3 ajouté (n°%4)")
                                            .arg(nomDuType(p.type), p.nom, p.prenom,
                                                 requete.lastInsertId().toString()));
            }
            return issue.ok() ? Issue::ecrit(requete.lastInsertId()) : issue;
        });
    if (issue.ok()) {
        p.id = issue.id;
        personne = p;
    }
    return issue;
}

Issue personnes(const QSqlDatabase &db, int type, QList<Personne> *liste)
{
    liste->clear();
    QSqlQuery requete(db);
    requete.setForwardOnly(true);
    requete.prepare(QStringLiteral("SELECT id, nom, prenom FROM employes WHERE type=:type"));
    requete.bindValue(QStringLiteral(":type"), type);
    const Issue issue = lu(requete);
    const Colonnes c(requete);
    while (issue.ok() && requete.next()) {
        Personne p;
        p.id = c(QStringLiteral("id"));
        p.type = type;
        p.nom = c(QStringLiteral("nom")).toString();
        p.prenom = c(QStringLiteral("prenom")).toString();
        liste->append(p);
    }
    return issue;
}

Issue supprimerPersonne(const QSqlDatabase &db, const QVariant &id)
{
    // The person goes with their absences, or neither goes.
    return historique::ecrire(
        db, Changement::Suppression, registre, [&](historique::Operation &operation) {
            int heures = 0;
            Issue issue = operation.avant(tablePersonnes, historique::Action::Suppression,
                                          QStringLiteral("id = ?"), { id });
            if (issue.ok()) {
                issue = operation.avant(tableAbsences, historique::Action::Suppression,
                                        QStringLiteral("employe_id = ?"), { id }, &heures);
            }
            if (!issue.ok())
                return issue;
            QSqlQuery requete(db);
            requete.prepare(QStringLiteral("DELETE FROM employes WHERE id=:id"));
            requete.bindValue(QStringLiteral(":id"), id);
            if (!executer(requete))
                return Issue::erreur(requete, tablePersonnes);
            if (requete.numRowsAffected() == 0)
                return Issue::dejaSupprime();
            requete.prepare(QStringLiteral("DELETE FROM absence WHERE employe_id=:id"));
            requete.bindValue(QStringLiteral(":id"), id);
            if (!executer(requete))
                return Issue::erreur(requete, tableAbsences);
            QJsonObject p;
            const Issue lue = operation.ligne(tablePersonnes, false, &p);
            if (!lue.ok())
                return lue;
            return operation.clore(QStringLiteral("suppression"),
                                   QStringLiteral("%1 %2 supprimé avec %3")
                                       .arg(nomDuType(p.value(QLatin1String("type")).toInt()),
                                            p.value(QLatin1String("nom_prenom")).toString(),
                                            combien(heures, QStringLiteral("absence"))));
        });
}

Issue viderType(const QSqlDatabase &db, int type, const schema::Bornes &bornes)
{
    // The absences of the type's persons go first, and with the persons or not
    // at all. A person keeps only the absences added after the bound, and
    // stays with them.
    const QString absences = schema::dansBorne(bornes, tableAbsences);
    // The persons that keep no absence once the type's absences are gone.
    const QString personnes = QStringLiteral("type = ? AND ")
        + schema::dansBorne(bornes, tablePersonnes)
        + QStringLiteral(" AND NOT EXISTS (SELECT 1 FROM absence WHERE absence.employe_id = "
                         "employes.id AND NOT (")
        + absences + QStringLiteral("))");
    return historique::ecrire(
        db, Changement::Vidage, registre, [&](historique::Operation &operation) {
            int nombrePersonnes = 0;
            int nombreAbsences = 0;
            Issue issue = operation.avant(tablePersonnes, historique::Action::Suppression,
                                          personnes, { type }, &nombrePersonnes);
            if (issue.ok()) {
                issue =
                    operation.avant(tableAbsences, historique::Action::Suppression,
                                    QStringLiteral("EXISTS (SELECT 1 FROM employes WHERE "
                                                   "employes.id = absence.employe_id AND type = "
                                                   "?) AND ")
                                        + absences,
                                    { type }, &nombreAbsences);
            }
            if (!issue.ok())
                return issue;
            QSqlQuery requete(db);
            requete.prepare(QStringLiteral("DELETE absence FROM absence INNER JOIN employes ON "
                                           "employes.id=absence.employe_id WHERE type=:type AND ")
                            + absences);
            requete.bindValue(QStringLiteral(":type"), type);
            if (!executer(requete))
                return Issue::erreur(requete, tableAbsences);
            requete.prepare(QStringLiteral("DELETE FROM employes WHERE type=:type AND ")
                            + schema::dansBorne(bornes, tablePersonnes)
                            + QStringLiteral(" AND NOT EXISTS (SELECT 1 FROM absence WHERE "
                                             "absence.employe_id = employes.id)"));
            requete.bindValue(QStringLiteral(":type"), type);
            if (!executer(requete))
                return Issue::erreur(requete, tablePersonnes);
            return operation.clore(QStringLiteral("vidage"),
                                   QStringLiteral("%1s vidés (%2, %3)")
                                       .arg(nomDuType(type),
                                            combien(nombrePersonnes, QStringLiteral("personne")),
                                            combien(nombreAbsences, QStringLiteral("absence"))));
        });
}

std::unique_ptr<QSqlTableModel> grille(const QSqlDatabase &db, int type)
{
    auto modele = std::make_unique<QSqlTableModel>(nullptr, db);
    modele->setTable(tablePersonnes);
    modele->setFilter(type == stagiaire ? QStringLiteral("type = 2") : QStringLiteral("type = 1"));
    modele->setEditStrategy(QSqlTableModel::OnManualSubmit);
    return modele;
}

Issue enregistrer(QSqlTableModel &grille)
{
    return enregistrerGrille(grille);
}

Issue ajouterAbsence(const QSqlDatabase &db, Absence &absence, const Jour &jour)
{
    const QString champ = QStringLiteral("date de l'absence");
    const QString raison = refusDate(jour.annee, jour.mois, jour.jour, champ);
    if (!raison.isEmpty())
        return Issue::refus(champ, raison);
    // In a transaction: should the server stop answering, the row it may still
    // write is undone with the lost connection.
    const Issue issue =
        historique::ecrire(db, Changement::Ajout, registre, [&](historique::Operation &operation) {
            // A person another workstation deleted meanwhile gets no absence: it
            // would be listed nowhere. The person is held until the commit.
            QSqlQuery requete(db);
            requete.prepare(QStringLiteral(
                "SELECT id, nom_prenom FROM employes WHERE id=:id LOCK IN SHARE MODE"));
            requete.bindValue(QStringLiteral(":id"), absence.personneId);
            if (!executer(requete))
                return Issue::erreur(requete);
            if (!requete.next())
                return Issue::refus(QStringLiteral("La personne"), personneSupprimee);
            const QString nom = requete.value(1).toString();
            requete.prepare(QStringLiteral("INSERT INTO absence SET employe_id=:employe_id, "
                                           "date_absence=:date_absence, nbre_heure=:nbre_heure"));
            requete.bindValue(QStringLiteral(":employe_id"), absence.personneId);
            requete.bindValue(QStringLiteral(":date_absence"), jour.date());
            requete.bindValue(QStringLiteral(":nbre_heure"), absence.heures);
            Issue issue = ecrit(requete, tableAbsences);
            const QVariant id = issue.id;
            if (issue.ok())
                issue = operation.ajout(tableAbsences, id);
            if (issue.ok()) {
                issue = operation.clore(
                    QStringLiteral("ajout"),
                    QStringLiteral("Absence n°%1 de %2 ajoutée (%3, %4 h)")
                        .arg(id.toString(), nom, jour.date().toString(QStringLiteral("dd/MM/yyyy")))
                        .arg(absence.heures));
            }
            return issue.ok() ? Issue::ecrit(id) : issue;
        });
    if (issue.ok()) {
        absence.id = issue.id;
        absence.date = jour.date();
    }
    return issue;
}

Issue absences(const QSqlDatabase &db, int type, QList<Absence> *liste)
{
    liste->clear();
    QSqlQuery requete(db);
    requete.setForwardOnly(true);
    requete.prepare(QStringLiteral("SELECT nbre_heure, date_absence, absence.id, nom, prenom FROM "
                                   "employes INNER JOIN absence ON "
                                   "absence.employe_id=employes.id WHERE type=:type"));
    requete.bindValue(QStringLiteral(":type"), type);
    const Issue issue = lu(requete);
    const Colonnes c(requete);
    while (issue.ok() && requete.next()) {
        Absence a;
        a.id = c(QStringLiteral("id"));
        a.date = c(QStringLiteral("date_absence")).toDate();
        a.heures = c(QStringLiteral("nbre_heure")).toInt();
        a.nom = c(QStringLiteral("nom")).toString();
        a.prenom = c(QStringLiteral("prenom")).toString();
        liste->append(a);
    }
    return issue;
}

Issue supprimerAbsence(const QSqlDatabase &db, const QVariant &id)
{
    return historique::ecrire(
        db, Changement::Suppression, registre, [&](historique::Operation &operation) {
            Issue issue = operation.avant(tableAbsences, historique::Action::Suppression,
                                          QStringLiteral("id = ?"), { id });
            if (!issue.ok())
                return issue;
            QSqlQuery requete(db);
            requete.prepare(QStringLiteral("DELETE FROM absence WHERE id=:id"));
            requete.bindValue(QStringLiteral(":id"), id);
            if (!executer(requete))
                return Issue::erreur(requete, tableAbsences);
            if (requete.numRowsAffected() == 0)
                return Issue::dejaSupprime();
            QJsonObject a;
            const Issue lue = operation.ligne(tableAbsences, false, &a);
            if (!lue.ok())
                return lue;
            return operation.clore(
                QStringLiteral("suppression"),
                QStringLiteral("Absence n°%1 supprimée (%2, %3 h)")
                    .arg(id.toString(), a.value(QLatin1String("date_absence")).toString(),
                         a.value(QLatin1String("nbre_heure")).toVariant().toString()));
        });
}

Issue chercher(const QSqlDatabase &db, int type, const QString &texte, Curseur<Personne> *trouves)
{
    auto requete = std::make_shared<QSqlQuery>(db);
    requete->setForwardOnly(true);
    // A text holding a character the registers cannot store matches no stored
    // name: it is not sent, and the search finds nobody.
    const bool cherchable = caractereHorsBase(texte).isNull();
    requete->prepare(QStringLiteral(
        "SELECT employes.id, type, nom, prenom, sexe, date_naissance, "
        "date_embouche, duree, date_fin, commentaire FROM employes LEFT "
        "JOIN absence ON employes.id=absence.employe_id WHERE type=:type AND :cherchable "
        "AND (nom LIKE :motif OR prenom LIKE :motif OR nom_prenom = :texte) GROUP "
        "BY employes.id"));
    requete->bindValue(QStringLiteral(":type"), type);
    requete->bindValue(QStringLiteral(":cherchable"), int(cherchable));
    requete->bindValue(QStringLiteral(":motif"),
                       cherchable ? motifContient(texte) : QString(QLatin1String("")));
    requete->bindValue(QStringLiteral(":texte"), cherchable ? texte : QString(QLatin1String("")));
    const Issue issue = lu(*requete);
    if (!issue.ok())
        return issue;
    *trouves = Curseur<Personne>(requete, [](const Colonnes &c) {
        Personne p;
        p.id = c(QStringLiteral("id"));
        p.type = c(QStringLiteral("type")).toInt();
        p.nom = c(QStringLiteral("nom")).toString();
        p.prenom = c(QStringLiteral("prenom")).toString();
        p.sexe = c(QStringLiteral("sexe")).toString();
        p.naissance = c(QStringLiteral("date_naissance")).toDate();
        p.debut = c(QStringLiteral("date_embouche")).toDate();
        p.duree = c(QStringLiteral("duree")).toInt();
        p.fin = c(QStringLiteral("date_fin")).toDate();
        p.commentaire = c(QStringLiteral("commentaire")).toString();
        return p;
    });
    return issue;
}

Issue releves(const QSqlDatabase &db, const QList<QVariant> &ids, QHash<int, Releve> *releves)
{
    releves->clear();
    if (ids.isEmpty())
        return Issue::ecrit();
    // The numbers come from the server, not from the user: they are written
    // into the list as numbers.
    QStringList liste;
    for (const QVariant &id : ids)
        liste << QString::number(id.toLongLong());
    const QString separateur = QStringLiteral("<br/>") + QStringLiteral("&nbsp;").repeated(28);
    QSqlQuery requete(db);
    requete.setForwardOnly(true);
    if (!executer(requete,
                  QStringLiteral("SELECT employe_id, SUM(nbre_heure) AS total, "
                                 "GROUP_CONCAT(DATE_FORMAT(date_absence, '%d %M %Y'), ' (', "
                                 "nbre_heure, ' heures)' SEPARATOR '")
                      + separateur
                      + QStringLiteral("') AS dates FROM absence WHERE employe_id IN (")
                      + liste.join(QLatin1Char(',')) + QStringLiteral(") GROUP BY employe_id")))
        return Issue::erreur(requete);
    const Colonnes c(requete);
    while (requete.next()) {
        Releve r;
        r.total = texteNombre(c(QStringLiteral("total")));
        r.dates = r.total == QLatin1String("0") ? QString() : c(QStringLiteral("dates")).toString();
        releves->insert(c(QStringLiteral("employe_id")).toInt(), r);
    }
    return Issue::ecrit();
}

Issue effectifs(const QSqlDatabase &db, Effectifs *effectifs)
{
    QSqlQuery requete(db);
    QString erreur;
    QString code;
    // The first column of the first row; a sum of no rows reads 0.
    const auto valeur = [&](const QString &instruction) -> QVariant {
        if (!erreur.isEmpty())
            return QVariant();
        if (!executer(requete, instruction)) {
            const Issue refus = Issue::erreur(requete);
            erreur = refus.raison;
            code = refus.code;
            return QVariant();
        }
        return requete.next() ? requete.value(0) : QVariant();
    };
    const auto nombre = [&](const QString &instruction) { return valeur(instruction).toInt(); };
    Effectifs b;
    b.personnes = nombre(QStringLiteral("SELECT COUNT(*) FROM employes"));
    b.employesM = nombre(QStringLiteral("SELECT COUNT(*) FROM employes WHERE type=1 AND sexe='M'"));
    b.employesF = nombre(QStringLiteral("SELECT COUNT(*) FROM employes WHERE type=1 AND sexe='F'"));
    b.stagiairesM =
        nombre(QStringLiteral("SELECT COUNT(*) FROM employes WHERE type=2 AND sexe='M'"));
    b.stagiairesF =
        nombre(QStringLiteral("SELECT COUNT(*) FROM employes WHERE type=2 AND sexe='F'"));
    b.heuresEmployesM =
        nombre(QStringLiteral("SELECT SUM(nbre_heure) FROM absence LEFT JOIN employes ON "
                              "employes.id=absence.employe_id WHERE type=1 AND sexe='M'"));
    b.heuresEmployesF =
        nombre(QStringLiteral("SELECT SUM(nbre_heure) FROM absence LEFT JOIN employes ON "
                              "employes.id=absence.employe_id WHERE type=1 AND sexe='F'"));
    b.heuresStagiairesM =
        nombre(QStringLiteral("SELECT SUM(nbre_heure) FROM absence LEFT JOIN employes ON "
                              "employes.id=absence.employe_id WHERE type=2 AND sexe='M'"));
    b.heuresStagiairesF =
        nombre(QStringLiteral("SELECT SUM(nbre_heure) FROM absence LEFT JOIN employes ON "
                              "employes.id=absence.employe_id WHERE type=2 AND sexe='F'"));
    const QVariant total = valeur(QStringLiteral("SELECT SUM(nbre_heure) FROM absence LEFT JOIN "
                                                 "employes ON employes.id=absence.employe_id"));
    b.heures = total.isNull() ? QStringLiteral("0") : texteNombre(total);
    if (!erreur.isEmpty())
        return Issue::erreur(erreur, code);
    *effectifs = b;
    return Issue::ecrit();
}

Issue nomsProposes(const QSqlDatabase &db, int type, QStringList *noms)
{
    noms->clear();
    QSqlQuery requete(db);
    requete.setForwardOnly(true);
    requete.prepare(
        QStringLiteral("SELECT nom, prenom, nom_prenom FROM employes WHERE type=:type"));
    requete.bindValue(QStringLiteral(":type"), type);
    const Issue issue = lu(requete);
    const Colonnes c(requete);
    while (issue.ok() && requete.next())
        *noms << c(QStringLiteral("nom")).toString() << c(QStringLiteral("prenom")).toString()
              << c(QStringLiteral("nom_prenom")).toString();
    return issue;
}

} // namespace employes
