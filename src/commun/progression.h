#ifndef PROGRESSION_H
#define PROGRESSION_H

// The progress window of every long task (exports, printing, backups,
// restorations): it appears only once the work has lasted `delai`, shows the
// current stage and how far it has gone, and blocks the rest of the program
// meanwhile. A cancellable one has an "Annuler" button (Escape and the
// window's close button cancel too); the other says nothing of stopping and
// refuses to close.
//
// Work comes in two kinds. Work that keeps the program's own thread busy
// (writing a CSV, laying out pages) calls avancer() between its steps, which
// shows the window when it is due and lets it answer the user. Work that
// runs elsewhere while the caller waits in an event loop (a program started)
// calls suivre(), and the window's own timer does the rest; such work hears
// of a cancellation through surAnnulation.

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>

class QProgressDialog;
class QWidget;

class Progression
{
public:
    // A window titled `titre` over `parent`, telling `texte` until a stage
    // says otherwise.
    Progression(QWidget *parent, const QString &titre, const QString &texte, bool annulable);
    // A cancellable one, whose stages tell the work.
    Progression(QWidget *parent, const QString &titre)
        : Progression(parent, titre, titre, true)
    {
    }
    ~Progression();
    Progression(const Progression &) = delete;
    Progression &operator=(const Progression &) = delete;

    // A new stage: what is done, in how many steps (0: unknown, the bar then
    // just moves and the text tells how much data has been written).
    void etape(const QString &texte, qint64 total);
    // Work in the program's own thread: the steps of this stage done so far.
    // False once the user has cancelled.
    bool avancer(qint64 faits);
    // Work awaited in an event loop: done so far out of a total (0: unknown,
    // `fait` then counts the bytes written).
    void suivre(qint64 fait, qint64 total);

    bool annulee() const { return annulation; }
    bool visible() const;
    bool annulable() const { return peutAnnuler; }

    // Called when the user cancels.
    std::function<void()> surAnnulation;

    // How long work runs before the window appears, in milliseconds.
    static int delai;

private:
    void montrer();
    void rafraichir();

    QWidget *parent;
    QString titre;
    QString texte;
    bool peutAnnuler;
    bool annulation = false;
    qint64 fait = 0;
    qint64 total = 0;
    QElapsedTimer chrono;
    QTimer minuteur;
    QPointer<QProgressDialog> fenetre;
};

#endif // PROGRESSION_H
