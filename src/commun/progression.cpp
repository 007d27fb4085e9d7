#include "commun/progression.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLocale>
#include <QProgressDialog>

#include <algorithm>

namespace {

class FenetreProgression : public QProgressDialog
{
public:
    FenetreProgression(QWidget *parent, bool annulable)
        : QProgressDialog(parent)
        , annulable(annulable)
    {
    }

protected:
    // Escape cancels what may be cancelled, and nothing else.
    void reject() override
    {
        if (annulable)
            Q_EMIT canceled();
    }
    void closeEvent(QCloseEvent *evenement) override
    {
        if (annulable)
            QProgressDialog::closeEvent(evenement);
        else
            evenement->ignore();
    }

private:
    bool annulable;
};

} // namespace

int Progression::delai = 1000;

Progression::Progression(QWidget *parent, const QString &titre, const QString &texte,
                         bool annulable)
    : parent(parent)
    , titre(titre)
    , texte(texte)
    , peutAnnuler(annulable)
{
    QObject::connect(&minuteur, &QTimer::timeout, &minuteur, [this] {
        if (!fenetre)
            montrer();
        else
            rafraichir();
    });
    minuteur.start(delai);
    chrono.start();
}

Progression::~Progression()
{
    delete fenetre.data();
}

void Progression::etape(const QString &nouveau, qint64 nouveauTotal)
{
    texte = nouveau;
    total = nouveauTotal;
    fait = 0;
    rafraichir();
}

bool Progression::avancer(qint64 faits)
{
    fait = faits;
    // The timer cannot fire while the work holds the thread: the delay is
    // checked here.
    if (!fenetre && !annulation && chrono.elapsed() >= delai)
        montrer();
    // Lets the window answer the user, and its timer show the progress.
    if (visible())
        QCoreApplication::processEvents();
    return !annulation;
}

void Progression::suivre(qint64 faitMaintenant, qint64 totalMaintenant)
{
    fait = faitMaintenant;
    total = totalMaintenant;
}

bool Progression::visible() const
{
    return fenetre && fenetre->isVisible();
}

void Progression::montrer()
{
    auto *d = new FenetreProgression(parent, peutAnnuler);
    fenetre = d;
    minuteur.start(200);
    d->setWindowTitle(titre);
    d->setWindowModality(Qt::ApplicationModal);
    d->setAutoReset(false);
    d->setAutoClose(false);
    d->setMinimumDuration(0);
    if (peutAnnuler) {
        d->setCancelButtonText(QStringLiteral("Annuler"));
        QObject::connect(d, &QProgressDialog::canceled, d, [this] {
            annulation = true;
            if (surAnnulation)
                surAnnulation();
        });
    } else {
        d->setCancelButton(nullptr);
        d->setWindowFlag(Qt::WindowCloseButtonHint, false);
    }
    rafraichir();
    d->show();
}

void Progression::rafraichir()
{
    if (!fenetre)
        return;
    QString etiquette = texte;
    if (total <= 0 && fait > 0) {
        etiquette +=
            QStringLiteral("\n%1 écrits").arg(QLocale(QLocale::French).formattedDataSize(fait));
    }
    fenetre->setLabelText(etiquette);
    if (total > 0) {
        fenetre->setRange(0, 1000);
        fenetre->setValue(int(std::min<qint64>(1000, fait * 1000 / total)));
    } else {
        fenetre->setRange(0, 0);
    }
}
