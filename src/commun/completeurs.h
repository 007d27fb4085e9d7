#ifndef COMPLETEURS_H
#define COMPLETEURS_H

// The completers that offer stored names in the search fields and forms.

class QCompleter;
class QLineEdit;
class QObject;
class QSqlQuery;

// A case-insensitive completer over the texts of the given columns of every row
// of the query (already executed), in the order the server returns them.
QCompleter *completeurDepuis(QSqlQuery &requete, QObject *proprietaire, int colonnes = 1);

// Replaces the completer of a field with a case-insensitive one over the texts
// of the given columns of every row of the query (already executed). The old
// completer is released.
void remplacerCompleteur(QLineEdit *champ, QSqlQuery &requete, int colonnes = 1);

#endif // COMPLETEURS_H
