#ifndef EXPORTS_H
#define EXPORTS_H

// What every way of taking data out of the program shares: a file name asked
// in Qt's save dialog, progress that can be cancelled, and files written whole
// or not at all.

#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <memory>

class QIODevice;
class QProgressDialog;
class QWidget;

// Long work tells how far it has gone: once it is likely to last more than a
// second, a progress window with a cancel button appears.
class Avancement
{
public:
    Avancement(QWidget *parent, const QString &texte);
    ~Avancement();

    // A new stage of the work: what is done, and in how many steps.
    void etape(const QString &texte, int total);
    // The steps done so far; false once the reader has cancelled.
    bool avancer(int faits);
    bool annule() const;

private:
    std::unique_ptr<QProgressDialog> fenetre;
    QElapsedTimer chrono;
};

// Qt's save dialog, proposing <nom>-<yyyy-MM-dd>.<extension> in the user's
// documents folder (or home folder when there is none). Empty when the user
// gives up.
QString demanderFichier(QWidget *parent, const QString &titre, const QString &nom,
                        const QString &extension, const QString &filtre);

// Writes a file whole or not at all: `ecrire` fills it and returns false when
// the work was cancelled. A file that cannot be written (folder read-only,
// disk full) is told in a warning box naming the file and the reason; in
// every failure nothing stays under that name.
bool enregistrer(QWidget *parent, const QString &chemin,
                 const std::function<bool(QIODevice &)> &ecrire);

#endif // EXPORTS_H
