#ifndef HISTORIQUE_H
#define HISTORIQUE_H

// The journal of every change the program makes to the registers, and undo.
//
// Each command that changes rows is one operation: a number the program
// chooses before it writes, a row in `operations` (when, which workstation
// and server user, the register, a sentence a person reads) and a row in
// `historique` per register row it changed, with the row before and after as
// JSON text the server itself makes. Both are written in the transaction of
// the change: a change refused or rolled back leaves no entry, and no entry
// exists without its change. Undo puts every row of an operation back as it
// was, unless one of them changed since.

#include "commun/base.h"

#include <QJsonObject>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include <functional>

namespace historique {

// This workstation as the journal names it: the machine's host name.
QString poste();
// Names this workstation otherwise (a test plays a second workstation).
void nommerPoste(const QString &nom);

// The register a table belongs to ("compte", "commandes", "employes"), as the
// journal and the history page's list name it; "base" for a restoration.
QString registreDe(const QString &table);
// How the history page names a register ("Comptes").
QString nomRegistre(const QString &registre);
// The registers in the order the history page lists them.
QStringList registres();

// A count as the history writes it: "1 250", a plain space between thousands.
QString enNombre(qint64 n);

// What a row of a table is called in the history ("Écriture", "écritures"),
// and the ending its participles take ("e", or nothing for a customer).
QString nomLigne(const QString &table, bool pluriel = false);
QString accord(const QString &table);

// The server's expression for the values of a row of `table` as one JSON
// text (its columns read with `prefixe`, "t." or none): the same values
// always give the same text, which is how undo sees that a row changed since.
QString valeursJson(const QString &table, const QString &prefixe);

enum class Action { Ajout, Modification, Suppression };

// One command's changes, journaled as they are made, inside the transaction
// of the change.
class Operation
{
public:
    // Numbered at once: the number stays when the write is run again, and
    // says afterwards whether it was stored.
    Operation(const QSqlDatabase &db, const QString &registre);

    qint64 numero() const { return n; }

    // Before the rows of `table` that `condition` selects (with `valeurs`
    // bound to its '?') are deleted or edited: their values now, and in
    // `lignes` how many they are. The server copies them itself, however many.
    Issue avant(const QString &table, Action action, const QString &condition,
                const QVariantList &valeurs = {}, int *lignes = nullptr);
    // After a row was added: its values as stored.
    Issue ajout(const QString &table, const QVariant &id);
    // The same for many rows added at once.
    Issue ajouts(const QString &table, const QVariantList &ids);
    // After the rows journaled by avant(…, Modification, …) were edited: their
    // values now. A row no longer under its key was deleted.
    Issue apres(const QString &table);
    // The operation's own row, written first in each attempt's transaction,
    // so that clore() can tell that the transaction is still the one that
    // made the change: a cluster node may roll it back without a word.
    Issue commencer();
    // The operation itself, once its rows are journaled: its kind ("ajout",
    // "modification", "suppression", "vidage", "annulation", "restauration")
    // and the sentence the history page shows.
    Issue clore(const QString &genre, const QString &resume, const QVariant &annulee = {},
                const QString &fichier = {});

    // Commits the transaction of the change. When the answer to the commit
    // is lost with the connection, the journal, read on a new connection,
    // tells whether the change was stored: `issue` then, or an Erreur that
    // says nothing was, or that it cannot be known yet and what to check.
    Issue valider(Transaction &transaction, const Issue &issue) const;

    // A row journaled in `table` (the first; none when there is none),
    // before the change or after it.
    // Like every statement of the change, a read refused here ends the
    // attempt: the server may have rolled the transaction back already, and
    // whatever ran after it would be written on its own.
    Issue ligne(const QString &table, bool apres, QJsonObject *ligne) const;
    // What edits changed in `table`, as the history page says it
    // ("Écriture n°7 modifiée : valeur 1500 → 1600").
    Issue modifications(const QString &table, QString *resume) const;

private:
    QSqlDatabase db;
    QString registre;
    qint64 n;
    bool commencee = false;
};

// Whether the outcome of a write cannot be known yet: the answer to its
// commit was lost, and the server cannot be asked (Operation::valider).
bool incertain(const Issue &issue);

// The write path of a change that is journaled: each attempt in a transaction
// of its own, where `corps` makes the change and journals it through the
// operation (closing it last); committed when it says Ecrit, by
// Operation::valider. Run again under the rule of ::ecrire.
Issue ecrire(const QSqlDatabase &db, Changement changement, const QString &registre,
             const std::function<Issue(Operation &)> &corps);

// How an operation appears on the history page.
struct Entree
{
    qint64 id = 0;
    qint64 numero = 0;
    QString quand; // "07/12/2026 10:04:05"
    QString poste;
    QString utilisateur;
    QString registre;
    QString genre;
    QString resume;
    // A restoration: the backup of the data taken just before it.
    QString fichier;
};

// Up to `nombre` operations, newest first, older than the entry `apres`
// (0: the newest), of one register (all of them when empty).
Issue entrees(const QSqlDatabase &db, const QString &registre, qint64 apres, int nombre,
              QList<Entree> *liste);
// The newest operation made from this workstation; DejaSupprime when none.
Issue derniere(const QSqlDatabase &db, Entree *entree);
// The operation of that number; DejaSupprime when the journal has it no more.
Issue entree(const QSqlDatabase &db, qint64 numero, Entree *entree);

// What an undo did.
struct Annulation
{
    QString resume; // the undo as the history page names it
    int remises = 0; // rows put back
    int retirees = 0; // rows added by the operation, removed
    int retablies = 0; // rows given their values back
    // What the information box says came back.
    QString texte() const;
};

// Undoes the operation as a whole, in one transaction, journaled as an
// operation of its own (undoing it again redoes the change):
// - Ecrit: every row is back as it was before the operation;
// - Conflit: a row it touched changed since; nothing is written, and
//   `raison` names those rows and the later operation that changed them;
// - DejaSupprime: the journal no longer holds that operation.
// A restoration is not undone here (Refuse): its backup is loaded instead.
Issue annuler(const QSqlDatabase &db, qint64 numero, Annulation *annulation);

} // namespace historique

#endif // HISTORIQUE_H
