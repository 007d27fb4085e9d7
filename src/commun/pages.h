#ifndef PAGES_H
#define PAGES_H

// Result pages: read-only rich text that appears at once whatever its length,
// wraps at the page's width, and can be printed or saved as PDF.

#include "commun/dialogues.h"

#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTextBrowser>
#include <QTimer>

#include <functional>
#include <memory>

class QDialog;
class QPagedPaintDevice;
class QTextDocument;
class Progression;

// The rows of a result written out at a time: a slice is parsed and laid out
// in a few milliseconds, well within what the reader notices.
constexpr int rangsParTranche = 20;

// What a page shows, as self-contained HTML slices in reading order: fixed
// pieces, and sources of rows read a slice at a time. Each slice is read once
// and kept, so that the page on screen and its printed copies hold the same
// text.
class Contenu
{
public:
    // A fixed piece of HTML.
    void ajouter(const QString &html);
    // Rows read slice by slice: `suivante` gives the HTML of the next rows,
    // empty once there are no more.
    void ajouter(std::function<QString()> suivante);
    // HTML printed above the page: what the dialog shows beside it, such as
    // its heading.
    void setEnTete(const QString &html) { enTete_ = html; }
    QString enTete() const { return enTete_; }

    // The slice at that place, read when first asked for; false past the last one.
    bool tranche(int numero, QString *html);
    // Every slice, read to the end.
    QStringList toutes();
    // A slice is being read (and its source may be showing a box): asked
    // again meanwhile, the content gives no new slice.
    bool enLecture() const { return lecture; }

private:
    struct Piece
    {
        QString html;
        std::function<QString()> suivante;
    };
    QList<Piece> pieces;
    int pieceCourante = 0;
    QStringList lues;
    QString enTete_;
    bool lecture = false;
};

// A block of HTML with its CSS declarations ("color:blue;font-size:12px;").
QString blocStyle(const QString &style, const QString &html);
// Text shown exactly as stored (line breaks, quotes, markup-like characters
// and all), with its CSS declarations.
QString textePreserve(const QString &style, const QString &texte);

// The page on screen. Its first screen is laid out when it is shown, at its
// width; the rest is
// added in short steps while the program is idle, so that the reader never
// waits and every line can be reached by scrolling. Lines wrap at the page's
// width: there is never a horizontal scroll bar.
class PageResultat : public QTextBrowser
{
    Q_OBJECT

public:
    PageResultat(std::shared_ptr<Contenu> contenu, QWidget *parent);

    std::shared_ptr<Contenu> contenu() const { return contenu_; }
    // Every slice is on the page.
    bool estComplete() const { return complete_; }
    // Adds every slice still missing at once.
    void completer();

Q_SIGNALS:
    // The first screen has been painted.
    void premierEcranAffiche();
    void pageComplete();

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void premierEcran();
    bool ajouterTranche();
    void remplirUnPeu();

    std::shared_ptr<Contenu> contenu_;
    int suivante = 0;
    bool complete_ = false;
    bool affichee = false;
    QTimer remplissage;
};

// The whole content laid out for sheets of paper of the device's page size:
// false when the reader cancelled.
bool peindreContenu(Contenu &contenu, QPagedPaintDevice *appareil, Progression &progression);

// "Imprimer": Qt's print preview of the whole content, from which it can be printed.
void apercuImpression(QWidget *parent, const std::shared_ptr<Contenu> &contenu);

// "Exporter en PDF": asks for a file name (proposing <nom>-<date>.pdf in the
// documents folder) and writes the whole content as an A4 PDF, numbered sheets,
// searchable text. True when a file was written.
bool exporterPdf(QWidget *parent, const std::shared_ptr<Contenu> &contenu, const QString &nom);

// Writes the whole content as an A4 PDF to that file; a file that cannot be
// written is told in a warning box, and nothing half-written stays under its name.
bool ecrirePdf(QWidget *parent, Contenu &contenu, const QString &chemin);

// The bottom row of a page: "Imprimer", "Exporter en PDF" (proposing
// <nomFichier>-<date>.pdf) and the page's closing button, which closes it; the
// three share the place and look the closing button had alone. Returns the
// closing button.
Button *rangeeDePage(QDialog *page, const StyleBouton &style, const QString &fermer,
                     const QRect &place, const std::shared_ptr<Contenu> &contenu,
                     const QString &nomFichier);

#endif // PAGES_H
