#include "commun/pages.h"
#include "commun/exports.h"
#include "commun/progression.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

void Contenu::ajouter(const QString &html)
{
    if (!html.isEmpty())
        pieces.append({ html, {} });
}

void Contenu::ajouter(std::function<QString()> suivante)
{
    pieces.append({ QString(), std::move(suivante) });
}

bool Contenu::tranche(int numero, QString *html)
{
    while (!lecture && lues.size() <= numero && pieceCourante < pieces.size()) {
        Piece &piece = pieces[pieceCourante];
        if (!piece.suivante) {
            lues << piece.html;
            ++pieceCourante;
            continue;
        }
        lecture = true;
        const QString texte = piece.suivante();
        lecture = false;
        if (texte.isEmpty()) {
            // Done with these rows: whatever the source holds (a result set) goes now.
            piece.suivante = nullptr;
            ++pieceCourante;
        } else {
            lues << texte;
        }
    }
    if (numero < 0 || numero >= lues.size())
        return false;
    *html = lues.at(numero);
    return true;
}

QStringList Contenu::toutes()
{
    QString html;
    for (int numero = lues.size(); tranche(numero, &html); ++numero) { }
    return lues;
}

QString blocStyle(const QString &style, const QString &html)
{
    return QStringLiteral("<div style=\"") + style.toHtmlEscaped() + QStringLiteral("\">") + html
        + QStringLiteral("</div>");
}

QString textePreserve(const QString &style, const QString &texte)
{
    return QStringLiteral("<p style=\"margin:0px;white-space:pre-wrap;") + style.toHtmlEscaped()
        + QStringLiteral("\">") + texte.toHtmlEscaped() + QStringLiteral("</p>");
}

namespace {

// Roughly one screen of text: what the page lays out before it is shown.
constexpr int tailleEcran = 4000;
// The longest a step of filling holds the program while the page is shown.
constexpr int pasDeRemplissage = 8;

// Adds a slice at the end of a document, in blocks of its own: slices never
// run into one another. A slice that ends with a line break (entries followed
// by "<br/><br/>") has it replaced by the new block, so that the page reads
// as if it had been written in one piece, without a blank line more between
// two slices.
void ajouterHtml(QTextDocument *document, const QString &html)
{
    QTextCursor curseur(document);
    curseur.movePosition(QTextCursor::End);
    if (!document->isEmpty()) {
        if (document->characterAt(document->characterCount() - 2) == QChar::LineSeparator)
            curseur.deletePreviousChar();
        curseur.insertBlock(QTextBlockFormat(), QTextCharFormat());
    }
    curseur.insertHtml(html);
}

QPageLayout feuilleA4()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 10),
                       QPageLayout::Millimeter);
}

} // namespace

PageResultat::PageResultat(std::shared_ptr<Contenu> contenu, QWidget *parent)
    : QTextBrowser(parent)
    , contenu_(std::move(contenu))
{
    setOpenLinks(false);
    document()->setUndoRedoEnabled(false);
    // Lines wrap at the page's width, even a word longer than the line.
    setLineWrapMode(QTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The page keeps the colours of its dialog.
    viewport()->setBackgroundRole(QPalette::Window);

    remplissage.setInterval(0);
    connect(&remplissage, &QTimer::timeout, this, &PageResultat::remplirUnPeu);
}

void PageResultat::showEvent(QShowEvent *event)
{
    QTextBrowser::showEvent(event);
    if (suivante == 0 && !complete_)
        premierEcran();
}

void PageResultat::premierEcran()
{
    int ajoutes = 0;
    QString html;
    while (ajoutes < tailleEcran && contenu_->tranche(suivante, &html)) {
        ajouterHtml(document(), html);
        ajoutes += html.size();
        ++suivante;
    }
}

bool PageResultat::ajouterTranche()
{
    if (contenu_->enLecture())
        return false;
    QString html;
    if (!complete_ && contenu_->tranche(suivante, &html)) {
        ajouterHtml(document(), html);
        ++suivante;
        return true;
    }
    if (!complete_) {
        complete_ = true;
        remplissage.stop();
        Q_EMIT pageComplete();
    }
    return false;
}

void PageResultat::remplirUnPeu()
{
    QElapsedTimer chrono;
    chrono.start();
    while (chrono.elapsed() < pasDeRemplissage && ajouterTranche()) { }
}

void PageResultat::completer()
{
    while (ajouterTranche()) { }
}

void PageResultat::paintEvent(QPaintEvent *event)
{
    QTextBrowser::paintEvent(event);
    if (affichee)
        return;
    affichee = true;
    Q_EMIT premierEcranAffiche();
    // The rest comes once the first screen is up.
    if (!complete_)
        remplissage.start();
}

bool peindreContenu(Contenu &contenu, QPagedPaintDevice *appareil, Progression &progression)
{
    QStringList tranches = contenu.toutes();
    if (!contenu.enTete().isEmpty())
        tranches.prepend(contenu.enTete());

    // Laid out in screen units (1/96 inch) as the page on screen is, then
    // drawn at the device's resolution.
    const qreal echelleX = appareil->logicalDpiX() / 96.0;
    const qreal echelleY = appareil->logicalDpiY() / 96.0;
    const QSizeF feuille(appareil->width() / echelleX, appareil->height() / echelleY);
    const qreal pied = 24;
    const QSizeF corps(feuille.width(), feuille.height() - pied);

    QTextDocument document;
    document.setUndoRedoEnabled(false);
    document.setPageSize(corps);
    QTextOption retour = document.defaultTextOption();
    retour.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document.setDefaultTextOption(retour);
    // With its layout present, the document is laid out slice by slice as
    // they come in: the work can be followed and cancelled.
    QAbstractTextDocumentLayout *miseEnPage = document.documentLayout();
    progression.etape(QStringLiteral("Mise en page…"), tranches.size());
    for (int n = 0; n < tranches.size(); ++n) {
        ajouterHtml(&document, tranches.at(n));
        if (!progression.avancer(n + 1))
            return false;
    }

    const int pages = document.pageCount();
    progression.etape(QStringLiteral("Impression…"), pages);
    QPainter peintre;
    if (!peintre.begin(appareil))
        return false;
    peintre.scale(echelleX, echelleY);
    QFont police = QApplication::font();
    police.setPixelSize(11);
    for (int page = 0; page < pages; ++page) {
        if (page > 0 && !appareil->newPage())
            return false;
        const QRectF vue(QPointF(0, page * corps.height()), corps);
        peintre.save();
        peintre.translate(0, -vue.top());
        peintre.setClipRect(vue);
        QAbstractTextDocumentLayout::PaintContext contexte;
        contexte.clip = vue;
        contexte.palette.setColor(QPalette::Text, Qt::black);
        miseEnPage->draw(&peintre, contexte);
        peintre.restore();
        peintre.setFont(police);
        peintre.setPen(Qt::black);
        peintre.drawText(QRectF(QPointF(0, corps.height()), QSizeF(feuille.width(), pied)),
                         Qt::AlignHCenter | Qt::AlignBottom,
                         QStringLiteral("Page %1 sur %2").arg(page + 1).arg(pages));
        if (!progression.avancer(page + 1))
            return false;
    }
    return peintre.end();
}

void apercuImpression(QWidget *parent, const std::shared_ptr<Contenu> &contenu)
{
    QPrinter imprimante(QPrinter::HighResolution);
    imprimante.setPageLayout(feuilleA4());
    QPrintPreviewDialog apercu(&imprimante, parent);
    QObject::connect(&apercu, &QPrintPreviewDialog::paintRequested, &apercu,
                     [parent, contenu](QPrinter *sortie) {
                         Progression progression(parent, QStringLiteral("Impression"));
                         peindreContenu(*contenu, sortie, progression);
                     });
    apercu.exec(); // printing, or not, is the preview window's own business
}

bool exporterPdf(QWidget *parent, const std::shared_ptr<Contenu> &contenu, const QString &nom)
{
    const QString chemin =
        demanderFichier(parent, QStringLiteral("Exporter en PDF"), nom, QStringLiteral("pdf"),
                        QStringLiteral("Documents PDF (*.pdf)"));
    return !chemin.isEmpty() && ecrirePdf(parent, *contenu, chemin);
}

bool ecrirePdf(QWidget *parent, Contenu &contenu, const QString &chemin)
{
    return enregistrer(parent, chemin, [&](QIODevice &fichier) {
        QPdfWriter pdf(&fichier);
        pdf.setPageLayout(feuilleA4());
        pdf.setCreator(QStringLiteral("TABLORAN"));
        pdf.setTitle(QFileInfo(chemin).completeBaseName());
        Progression progression(parent, QStringLiteral("Exportation en PDF"));
        return peindreContenu(contenu, &pdf, progression);
    });
}

Button *rangeeDePage(QDialog *page, const StyleBouton &style, const QString &fermer,
                     const QRect &place, const std::shared_ptr<Contenu> &contenu,
                     const QString &nomFichier)
{
    const int ecart = 10;
    const QList<Button *> boutons = rangee(
        page, style, { QStringLiteral("Imprimer"), QStringLiteral("Exporter en PDF"), fermer },
        place.topLeft(), QSize((place.width() - 2 * ecart) / 3, place.height()), ecart);
    QObject::connect(boutons.at(0), &Button::clicked, page,
                     [page, contenu] { apercuImpression(page, contenu); });
    QObject::connect(boutons.at(1), &Button::clicked, page,
                     [page, contenu, nomFichier] { exporterPdf(page, contenu, nomFichier); });
    QObject::connect(boutons.at(2), &Button::clicked, page, &QDialog::accept);
    // The page's own action is to be closed; printing waits for a click.
    actionPrincipale(boutons.at(2));
    return boutons.at(2);
}
