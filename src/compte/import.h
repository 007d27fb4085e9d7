#ifndef COMPTE_IMPORT_H
#define COMPTE_IMPORT_H

// Bank statements read into entries of the account book: how the bytes of a
// statement file are decoded and cut into lines and columns, how each line
// becomes an entry or says why it cannot, and how the reading of a file is
// guessed. Nothing here opens a box or touches the server.

#include "compte/registre.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace compte {

enum class Encodage { Utf8, Utf8Bom, Windows1252 };
enum class ModeMontant { Signe, DebitCredit };

// How a statement is read. Columns count from 0; -1 is none.
struct Lecture
{
    char separateur = ';';
    Encodage encodage = Encodage::Utf8;
    // The line of the column names (1 for the first line; 0: none). The
    // lines before it (a title block) are skipped.
    int entete = 0;
    QString formatDate = QStringLiteral("dd/MM/yyyy");
    int colonneDate = 0;
    int colonneLibelle = 1;
    ModeMontant mode = ModeMontant::Signe;
    int colonneMontant = 2;
    int colonneDebit = -1;
    int colonneCredit = -1;
};

// The date formats a statement may use, as Lecture::formatDate names them.
QStringList formatsDate();

// One record of the file (which may span several lines when a quoted field
// holds line breaks).
struct LigneReleve
{
    enum Role { Titre, Entete, Donnee };
    int numero = 0; // the line of the file where it starts
    QStringList cellules; // as read, trimmed
    Role role = Donnee;
    // A line of data: the entry it gives (amount as the register stores
    // it, date at noon), or why it cannot be read.
    Ecriture ecriture;
    QString raison;
};

// A statement as read with one reading.
struct Releve
{
    QList<LigneReleve> lignes; // every non-blank record, in file order
    QStringList entetes; // the column names (empty without a header line)
    int colonnes = 0; // the widest record's number of columns
};

// The text of the file's bytes in that encoding; a byte-order mark is no text.
QString decoder(const QByteArray &octets, Encodage encodage);

// The file's records as read with `lecture`, each line of data turned into
// an entry or refused with the reason.
Releve lireReleve(const QByteArray &octets, const Lecture &lecture);

// The reading that suits the file best: its encoding (UTF-8 when its bytes
// are valid UTF-8), the separator giving the most lines of one width, the
// header line (the first with several names, followed by lines with a
// date), the date format and the columns, by their names or their content.
Lecture detecter(const QByteArray &octets);

} // namespace compte

#endif // COMPTE_IMPORT_H
