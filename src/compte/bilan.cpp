#include "app/entreprise.h"
#include "commun/dialogues.h"
#include "commun/pages.h"
#include "commun/saisie.h"
#include "compte/registre.h"

#include <QDialog>

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

    // The page, top to bottom; headings and verdict centred.
    auto contenu = std::make_shared<Contenu>();
    contenu->ajouter(
        blocStyle(QStringLiteral("font-size:20px;font-weight:bold;color:green;text-align:center;"),
                  QStringLiteral("<span style='text-decoration:underline;'>Bilan de dépenses "
                                 "et/ou de gains</span>")));
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

    QDialog *fenetre = ouvrirDialogue(QStringLiteral("Bilan de vos gains et dépenses"), 450, 500);
    auto *page = new PageResultat(contenu, fenetre);
    page->setGeometry(0, 0, 450, 460);
    rangeeDePage(fenetre, { Couleurs::bleu(), true, 5.0, 15.0 }, QStringLiteral("Fermer la page"),
                 QRect(10, 470, 430, 25), contenu, QStringLiteral("bilan"));
    fenetre->exec();
}
