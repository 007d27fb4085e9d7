#ifndef EMPLOYES_REGISTRE_H
#define EMPLOYES_REGISTRE_H

// What the program knows of its staff and interns (tables `employes` and
// `absence`): values in, values and an outcome out. Nothing here opens a box
// or touches a widget.

#include "commun/base.h"
#include "commun/schema.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

class QSqlTableModel;

namespace employes {

// The two kinds of person, as the column `type` holds them.
enum Type { employe = 1, stagiaire = 2 };

// A day as chosen in the day, month and year lists: it may not exist (31 April).
struct Jour
{
    int annee = 0;
    int mois = 0; // 1 to 12
    int jour = 0;
    QDate date() const { return QDate(annee, mois, jour); }
};

struct Personne
{
    QVariant id;
    int type = employe;
    QString nom;
    QString prenom;
    QString sexe; // "M" or "F" (a grid edit may store another letter)
    QString domaine;
    QString commentaire;
    QDate naissance;
    QDate debut; // hiring date, or an intern's first day
    int duree = 0; // interns: the internship's length in months
    QDate fin; // interns: the start plus the duration in calendar months
};

struct Absence
{
    QVariant id;
    QVariant personneId;
    QDate date;
    int heures = 0;
    // Whose absence it is, for the lists.
    QString nom;
    QString prenom;
};

// The reason an add is refused when the name, the first name or the field of
// work is empty (the form tells it in a box of its own).
extern const QString champsObligatoires;

// Stores a new person of `personne.type` born on `naissance`, starting on
// `debut`; an intern also gets `duree` and the end date it gives. Refused,
// with the field and the reason and nothing written, when a required field is
// empty (reason champsObligatoires), a text is wider than its column, the name
// and the first name do not fit the combined name together, or a day does not
// exist. On success `personne` holds its number and its dates.
Issue ajouterPersonne(const QSqlDatabase &db, Personne &personne, const Jour &naissance,
                      const Jour &debut);

// The persons of a type (number, name and first name), in the server's order.
Issue personnes(const QSqlDatabase &db, int type, QList<Personne> *liste);

// Deletes a person with their absences, or nothing; DejaSupprime when another
// workstation deleted the person already (and the absence likewise below).
Issue supprimerPersonne(const QSqlDatabase &db, const QVariant &id);

// Deletes every person of a type with their absences, or nothing. With
// `bornes`, only the rows up to each table's bound go (rows added after the
// backup stay, and a person with an absence left stays with it).
Issue viderType(const QSqlDatabase &db, int type, const schema::Bornes &bornes = {});

// The grid of the persons of a type: edits wait in the model until they are
// saved. The rows are not loaded yet (chargerGrille).
std::unique_ptr<QSqlTableModel> grille(const QSqlDatabase &db, int type);

// Writes every pending edit of the grid, or none (see enregistrerGrille).
Issue enregistrer(QSqlTableModel &grille);

// Stores `absence.heures` hours on `jour` for the person `absence.personneId`.
// Refused, nothing written, when the day does not exist or the person no
// longer does (deleted by another workstation meanwhile). On success
// `absence` holds its number and its date.
Issue ajouterAbsence(const QSqlDatabase &db, Absence &absence, const Jour &jour);

// The absences of the persons of a type (number, day, hours, and the person's
// name and first name), in the server's order.
Issue absences(const QSqlDatabase &db, int type, QList<Absence> *liste);

Issue supprimerAbsence(const QSqlDatabase &db, const QVariant &id);

// The persons of a type whose name or first name holds `texte` (matched
// literally), or whose combined name is exactly `texte`, read as the page
// asks for them (each person once).
Issue chercher(const QSqlDatabase &db, int type, const QString &texte, Curseur<Personne> *trouves);

// A person's absences as the search page shows them: the days written by the
// server in French with their hours, one per line and lined up under the
// first, and the total of hours ("0" and no days when there is none).
struct Releve
{
    QString dates;
    QString total = QStringLiteral("0");
};

// The absences of the given persons, by person number; a person without
// absences has none in `releves`.
Issue releves(const QSqlDatabase &db, const QList<QVariant> &ids, QHash<int, Releve> *releves);

// The staff summary's figures, both types.
struct Effectifs
{
    int personnes = 0;
    int employesM = 0;
    int employesF = 0;
    int stagiairesM = 0;
    int stagiairesF = 0;
    // Every hour of absence, whoever's (a person whose sex is neither M nor F,
    // or who no longer exists, counts here only).
    QString heures;
    int heuresEmployesM = 0;
    int heuresEmployesF = 0;
    int heuresStagiairesM = 0;
    int heuresStagiairesF = 0;
};
Issue effectifs(const QSqlDatabase &db, Effectifs *effectifs);

// The names the search field offers for a type: each person's name, first
// name and combined name, in the server's order.
Issue nomsProposes(const QSqlDatabase &db, int type, QStringList *noms);

} // namespace employes

#endif // EMPLOYES_REGISTRE_H
