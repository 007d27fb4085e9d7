#ifndef FICHIERS_H
#define FICHIERS_H

// Files: reading back what the program exports (CSV files, the text of PDF
// files), and writing and reading whole files.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The records of a CSV file as a spreadsheet reads it: ';' between fields,
// quoted fields with doubled quotes and line breaks, CRLF line ends. A
// byte-order mark at the start is left to the caller to check and remove.
QList<QStringList> lireCsv(const QByteArray &contenu);

// The text of a PDF file as pdftotext reads it (empty when it cannot).
QString textePdf(const QString &chemin);
// The number of pages and the page size pdfinfo reports ("595.276 x 841.89 pts (A4)").
QString infoPdf(const QString &chemin, const QString &champ);

// A whole file written, or read (empty when it cannot be).
bool ecrireFichier(const QString &chemin, const QByteArray &contenu);
QByteArray lireFichier(const QString &chemin);

#endif // FICHIERS_H
