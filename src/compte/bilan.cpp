#include "app/entreprise.h"
#include "commun/dialogues.h"
#include "commun/exports.h"
#include "commun/pages.h"
#include "commun/saisie.h"
#include "compte/etat.h"
#include "compte/registre.h"

#include <QDialog>
#include <QPointer>

#include <functional>
#include <memory>

namespace {

constexpr int entreesParTranche = 100;

// The lines of one kind of entry, slice by slice: "=> Vous avez dépensé 30F
// pour "loyer" le 05 mars 2013 à 09h25min", each followed by an empty line,
// shown exactly as stored, whatever characters the comments hold.
std::function<QString()> lignesDuBilan(Curseur<compte::LigneBilan> curseur, const QString &debut)
{
    return [curseur, debut]() mutable {
        QString lignes;
        for (const compte::LigneBilan &l : curseur.suivants(entreesParTranche)) {
            lignes += debut + l.valeur + QStringLiteral("F pour \"") + l.commentaire
                + QStringLiteral("\" ") + l.quand + QStringLiteral("\n\n");
        }
        return lignes.isEmpty()
            ? lignes
            : textePreserve(QStringLiteral("font-size:12px;color:blue;"), lignes);
    };
}

// Whether money was saved; a deficit is told without its minus sign.
QString verdict(const QString &difference)
{
    if (difference.toDouble() >= 0) {
        return QStringLiteral("Vous avez fait une économie de <strong "
                              "style='text-decoration:underline;'>")
            + difference + QStringLiteral("F</strong>");
    }
    return QStringLiteral("Vous n'avez pas fait d'économie.<br/>Le bilan de vos dépenses "
                          "s'élève à <strong style='text-decoration:underline;'>")
        + difference.mid(1) + QStringLiteral("F</strong>");
}

// The page of the report, top to bottom; headings and verdict centred. The
// whole book keeps its heading; a period is named in it.
std::shared_ptr<Contenu> pageDuBilan(const compte::Bilan &b, const compte::Periode &periode)
{
    auto contenu = std::make_shared<Contenu>();
    const QString titre = periode.tout() ? QStringLiteral("Bilan de dépenses et/ou de gains")
                                         : QStringLiteral("Bilan ") + compte::libelle(periode);
    contenu->ajouter(
        blocStyle(QStringLiteral("font-size:20px;font-weight:bold;color:green;text-align:center;"),
                  QStringLiteral("<span style='text-decoration:underline;'>") + html(titre)
                      + QStringLiteral("</span>")));
    const QString styleTitre = QStringLiteral("font-size:14px;font-weight:bold;text-align:center;");
    contenu->ajouter(blocStyle(styleTitre, QStringLiteral("Vos dépenses")));
    contenu->ajouter(lignesDuBilan(b.depenses, QStringLiteral("=> Vous avez dépensé ")));
    contenu->ajouter(blocStyle(styleTitre, QStringLiteral("Vos Gains")));
    contenu->ajouter(lignesDuBilan(b.gains, QStringLiteral("=> Vous avez gagné ")));
    contenu->ajouter(
        blocStyle(QStringLiteral("color:blue;font-size:20px;font-weight:bold;text-align:center;"),
                  QStringLiteral("Bilan")));
    contenu->ajouter(blocStyle(
        QStringLiteral("color:orange;font-size:13px;"),
        QStringLiteral("Toutes vos dépenses s'élèvent à <strong>") + b.totalDepenses
            + QStringLiteral("F</strong> et <br/>Tous vos gains s'élèvent à <strong>")
            + b.totalGains + QStringLiteral("F</strong><br/> à partir de la date du ")
            + html(b.premiereDate) + QStringLiteral(" jusqu'au ") + html(b.derniereDate)));
    contenu->ajouter(blocStyle(QStringLiteral("color:#a90bab;font-size:14px;text-align:center;"),
                               verdict(b.difference)));
    return contenu;
}

// The report's page as shown now: the page on screen, what it prints.
struct Affichage
{
    std::shared_ptr<Contenu> contenu;
    QPointer<PageResultat> page;
    // The whole book's page, read when the report opened.
    QPointer<PageResultat> tout;
    // The period of the page on screen, which names its PDF file.
    compte::Periode periode;
};

// Puts that page in the dialog, in place of the one it had. A long page
// takes a while to be freed: the whole book's is only set aside for when it
// is chosen again (it goes with the dialog); any other goes once the next
// page is on screen.
void montrer(Affichage &affichage, PageResultat *page, QDialog *fenetre)
{
    QPointer<PageResultat> ancienne = affichage.page;
    affichage.page = page;
    affichage.contenu = page->contenu();
    page->setParent(fenetre);
    page->setGeometry(0, 35, 450, 460);
    page->show();
    if (!ancienne)
        return;
    ancienne->setParent(nullptr);
    if (ancienne == affichage.tout)
        return;
    if (page == affichage.tout)
        return ancienne->deleteLater();
    QObject::connect(page, &PageResultat::premierEcranAffiche, ancienne.data(),
                     &QObject::deleteLater);
    QObject::connect(page, &QObject::destroyed, ancienne.data(), &QObject::deleteLater);
}

// The list of periods above the page, and the two days of "Du … au …"
// (from the first of this month to today until chosen), shown with it.
void rangeeDePeriode(QDialog *fenetre, EtatCompte &etat)
{
    legende(fenetre, QStringLiteral("Période"), QString(), 10, 10);
    etat.periode = new QComboBox(fenetre);
    etat.periode->setObjectName(QStringLiteral("periode"));
    etat.periode->addItems(compte::choixDePeriode());
    etat.periode->setGeometry(70, 5, 140, 25);
    const QDate aujourdhui = QDate::currentDate();
    int x = 220;
    for (QPointer<QDateEdit> *jour : { &etat.du, &etat.au }) {
        auto *champ = new QDateEdit(
            jour == &etat.du ? aujourdhui.addDays(1 - aujourdhui.day()) : aujourdhui, fenetre);
        champ->setObjectName(jour == &etat.du ? QStringLiteral("du") : QStringLiteral("au"));
        champ->setLocale(QLocale(QLocale::French));
        champ->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
        champ->setCalendarPopup(true);
        champ->setGeometry(x, 5, 105, 25);
        champ->hide();
        x += 115;
        *jour = champ;
    }
}

// The bottom row: "Imprimer" and "Exporter en PDF" the page on screen,
// "Graphique", "Fermer la page". Returns "Graphique".
Button *rangeeDuBilan(QDialog *fenetre, const std::shared_ptr<Affichage> &affichage)
{
    const StyleBouton style { Couleurs::bleu(), true, 5.0, 15.0 };
    const QList<Button *> boutons =
        rangee(fenetre, style,
               { QStringLiteral("Imprimer"), QStringLiteral("Exporter en PDF"),
                 QStringLiteral("Graphique"), QStringLiteral("Fermer la page") },
               QPoint(10, 505), QSize(100, 25));
    QObject::connect(boutons.at(0), &Button::clicked, fenetre,
                     [fenetre, affichage] { apercuImpression(fenetre, affichage->contenu); });
    QObject::connect(boutons.at(1), &Button::clicked, fenetre, [fenetre, affichage] {
        const QString chemin = demanderFichierNomme(
            fenetre, QStringLiteral("Exporter en PDF"),
            QStringLiteral("bilan-") + compte::partieFichier(affichage->periode),
            QStringLiteral("pdf"), QStringLiteral("Documents PDF (*.pdf)"));
        if (!chemin.isEmpty())
            ecrirePdf(fenetre, *affichage->contenu, chemin);
    });
    QObject::connect(boutons.at(3), &Button::clicked, fenetre, &QDialog::accept);
    actionPrincipale(boutons.at(3));
    return boutons.at(2);
}

} // namespace

void Entreprise::bilan()
{
    if (!connexionCompte())
        return;

    // Everything the report shows is read first: a refused read shows no
    // report. The entries are written out as the page is shown.
    compte::Bilan b;
    if (!lectureReussie(this, compte::lireBilan(db, &b)))
        return;

    QDialog *fenetre = ouvrirDialogue(QStringLiteral("Bilan de vos gains et dépenses"), 450, 535);
    EtatCompte &etat = *etatCompte;
    rangeeDePeriode(fenetre, etat);
    auto affichage = std::make_shared<Affichage>();
    affichage->tout = new PageResultat(pageDuBilan(b, {}), fenetre);
    connect(fenetre, &QObject::destroyed, affichage->tout, &QObject::deleteLater);
    montrer(*affichage, affichage->tout, fenetre);

    connect(rangeeDuBilan(fenetre, affichage), &Button::clicked, this, &Entreprise::graphiqueBilan);

    // Another period: the report of its entries in place of the page.
    const auto changer = [this, fenetre, affichage] {
        const bool duAu =
            etatCompte->periode->currentIndex() == compte::choixDePeriode().size() - 1;
        etatCompte->du->setVisible(duAu);
        etatCompte->au->setVisible(duAu);
        const compte::Periode periode = etatCompte->periodeChoisie();
        compte::Bilan lu;
        if (periode.tout())
            montrer(*affichage, affichage->tout, fenetre);
        else if (lectureReussie(fenetre, compte::lireBilan(db, &lu, periode)))
            montrer(*affichage, new PageResultat(pageDuBilan(lu, periode), fenetre), fenetre);
        else
            return;
        affichage->periode = periode;
    };
    connect(etat.periode, &QComboBox::currentIndexChanged, fenetre, changer);
    connect(etat.du, &QDateEdit::dateChanged, fenetre, changer);
    connect(etat.au, &QDateEdit::dateChanged, fenetre, changer);
    fenetre->exec();
}
