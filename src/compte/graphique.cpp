#include "app/entreprise.h"
#include "commun/dialogues.h"
#include "commun/exports.h"
#include "commun/saisie.h"
#include "compte/etat.h"
#include "compte/registre.h"

#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCursor>
#include <QDialog>
#include <QFileInfo>
#include <QLineSeries>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>

namespace {

constexpr int largeur = 780;
constexpr int hauteur = 520;

// The value axis from the lowest to the highest figure drawn, zero included,
// its numbers written as the program writes them (1500000, 0.3).
QValueAxis *axeDesMontants(const QList<compte::Point> &points)
{
    double bas = 0, haut = 0;
    for (const compte::Point &p : points) {
        bas = std::min({ bas, p.gains, p.depenses, p.solde });
        haut = std::max({ haut, p.gains, p.depenses, p.solde });
    }
    auto *axe = new QValueAxis;
    axe->setRange(bas, haut > bas ? haut : bas + 1);
    axe->applyNiceNumbers();
    axe->setLabelFormat(QStringLiteral("%.15g"));
    return axe;
}

// The buckets' names under their bars, upright when they are many; on a long
// period every second or third one, so that they stay readable.
QCategoryAxis *axeDesPeriodes(const QStringList &categories)
{
    auto *axe = new QCategoryAxis;
    axe->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axe->setRange(-0.5, std::max<qsizetype>(categories.size(), 1) - 0.5);
    const qsizetype pas = std::max<qsizetype>(1, (categories.size() + 23) / 24);
    for (qsizetype n = 0; n < categories.size(); n += pas)
        axe->append(categories.at(n), n);
    if (categories.size() > 8)
        axe->setLabelsAngle(-90);
    axe->setGridLineVisible(false);
    return axe;
}

// Gains (green) and expenses (red) as bars per bucket, the balance carried
// from the period's start as a line; the exact figure of a bar in a tooltip.
QChart *graphiqueEvolution(const QList<compte::Point> &points, const QString &titre)
{
    auto *gains = new QBarSet(QStringLiteral("Gains"));
    gains->setColor(QColor(0x2e, 0x9d, 0x3f));
    auto *depenses = new QBarSet(QStringLiteral("Dépenses"));
    depenses->setColor(QColor(0xd6, 0x2b, 0x2b));
    auto *solde = new QLineSeries;
    solde->setName(QStringLiteral("Solde depuis le début de la période"));
    solde->setPen(QPen(QColor(0x1f, 0x4e, 0xb4), 2));
    QStringList categories;
    for (int n = 0; n < points.size(); ++n) {
        *gains << points.at(n).gains;
        *depenses << points.at(n).depenses;
        solde->append(n, points.at(n).solde);
        categories << points.at(n).etiquette;
    }
    auto *barres = new QBarSeries;
    barres->append(gains);
    barres->append(depenses);
    QObject::connect(barres, &QBarSeries::hovered, barres,
                     [categories](bool dessus, int index, QBarSet *barre) {
                         if (!dessus)
                             return QToolTip::hideText();
                         QToolTip::showText(QCursor::pos(),
                                            QStringLiteral("%1, %2 : %3F")
                                                .arg(barre->label(), categories.value(index),
                                                     texteNombre(barre->at(index))));
                     });

    auto *graphique = new QChart;
    graphique->setTitle(titre);
    graphique->addSeries(barres);
    graphique->addSeries(solde);
    QCategoryAxis *axeX = axeDesPeriodes(categories);
    QValueAxis *axeY = axeDesMontants(points);
    graphique->addAxis(axeX, Qt::AlignBottom);
    graphique->addAxis(axeY, Qt::AlignLeft);
    for (QAbstractSeries *serie : graphique->series()) {
        serie->attachAxis(axeX);
        serie->attachAxis(axeY);
    }
    graphique->legend()->setAlignment(Qt::AlignBottom);
    return graphique;
}

// The chart as drawn, on a landscape A4 sheet.
bool peindrePdf(QChartView *vue, QIODevice &fichier, const QString &titre)
{
    QPdfWriter pdf(&fichier);
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                  QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
    pdf.setCreator(QStringLiteral("TABLORAN"));
    pdf.setTitle(titre);
    QPainter peintre;
    if (!peintre.begin(&pdf))
        return false;
    vue->render(&peintre, QRectF(0, 0, pdf.width(), pdf.height()), vue->viewport()->rect(),
                Qt::KeepAspectRatio);
    return peintre.end();
}

} // namespace

void Entreprise::graphiqueBilan()
{
    if (!connexionCompte())
        return;
    QWidget *parent = dialog ? static_cast<QWidget *>(dialog) : this;
    const compte::Periode periode = etatCompte->periodeChoisie();
    QList<compte::Point> points;
    if (!lectureReussie(parent, compte::evolution(db, periode, &points)))
        return;

    const QString titre = QStringLiteral("Évolution de vos dépenses et gains");
    QDialog *fenetre = nouveauDialogue(parent, titre, largeur, hauteur);
    auto *vue = new QChartView(
        graphiqueEvolution(points, (titre + QLatin1Char(' ') + compte::libelle(periode)).trimmed()),
        fenetre);
    vue->setRenderHint(QPainter::Antialiasing);
    vue->setGeometry(0, 0, largeur, hauteur - 40);

    const QString fichier = QStringLiteral("graphique-") + compte::partieFichier(periode);
    const QList<Button *> boutons =
        rangee(fenetre, { Couleurs::bleu(), true, 5.0, 15.0 },
               { QStringLiteral("Exporter en image"), QStringLiteral("Exporter en PDF"),
                 QStringLiteral("Fermer la page") },
               QPoint(10, hauteur - 32), QSize((largeur - 40) / 3, 25));
    connect(boutons.at(0), &Button::clicked, fenetre, [fenetre, vue, fichier] {
        const QString chemin =
            demanderFichierNomme(fenetre, QStringLiteral("Exporter en image"), fichier,
                                 QStringLiteral("png"), QStringLiteral("Images PNG (*.png)"));
        if (!chemin.isEmpty())
            enregistrer(fenetre, chemin,
                        [vue](QIODevice &f) { return vue->grab().save(&f, "PNG"); });
    });
    connect(boutons.at(1), &Button::clicked, fenetre, [fenetre, vue, fichier] {
        const QString chemin =
            demanderFichierNomme(fenetre, QStringLiteral("Exporter en PDF"), fichier,
                                 QStringLiteral("pdf"), QStringLiteral("Documents PDF (*.pdf)"));
        if (!chemin.isEmpty())
            enregistrer(fenetre, chemin, [vue, chemin](QIODevice &f) {
                return peindrePdf(vue, f, QFileInfo(chemin).completeBaseName());
            });
    });
    connect(boutons.at(2), &Button::clicked, fenetre, &QDialog::accept);
    actionPrincipale(boutons.at(2));
    fenetre->exec();
}
