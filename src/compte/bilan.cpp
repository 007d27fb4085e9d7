#include "commun/base.h"
#include "commun/dialogues.h"
#include "app/entreprise.h"
#include "commun/pages.h"
#include "commun/saisie.h"

#include <QDialog>
#include <QSqlQuery>

#include <functional>
#include <memory>

namespace {

constexpr int entreesParTranche = 100;

// The entries of one kind, read by their statement, which is run at once and
// read as the page is shown. False when the server refused it.
bool entreesDuBilan(QSqlQuery &requete, const QString &sujet, QWidget *parent)
{
    requete.setForwardOnly(true);
    requete.prepare(
        QStringLiteral("SELECT id, sujet, valeur, commentaire, DATE_FORMAT(date_insert, "
                       "'le %d %M %Y à %Hh%imin') FROM compte WHERE sujet = :sujet"));
    requete.bindValue(QStringLiteral(":sujet"), sujet);
    return lire(requete, parent);
}

// The lines of one kind of entry, slice by slice: "=> Vous avez dépensé 30F
// pour "loyer" le 05 mars 2013 à 09h25min", each followed by an empty line,
// shown exactly as stored, whatever characters the comments hold.
std::function<QString()> lignesDuBilan(std::shared_ptr<QSqlQuery> requete, const QString &debut)
{
    return [requete, debut] {
        QString lignes;
        for (int n = 0; n < entreesParTranche && requete->next(); ++n) {
            lignes += debut + requete->value(2).toString() + QStringLiteral("F pour \"")
                + requete->value(3).toString() + QStringLiteral("\" ")
                + requete->value(4).toString() + QStringLiteral("\n\n");
        }
        return lignes.isEmpty()
            ? lignes
            : textePreserve(QStringLiteral("font-size:12px;color:blue;"), lignes);
    };
}

} // namespace

void Entreprise::bilan()
{
    if (!connexionCompte())
        return;

    // Everything the report shows is read first: a refused read shows no
    // report. The entries stay with their statements, to be written out as
    // the page is shown.
    auto depenses = std::make_shared<QSqlQuery>(db);
    auto gains = std::make_shared<QSqlQuery>(db);
    if (!entreesDuBilan(*depenses, QStringLiteral("Dépense"), this)
        || !entreesDuBilan(*gains, QStringLiteral("Gain"), this))
        return;

    // Totals, the gains first. Servers that refuse an order inside GROUP BY
    // get the same two sums with ORDER BY.
    QSqlQuery requete(db);
    requete.setForwardOnly(true);
    QString totalGains = QStringLiteral("0");
    QString totalDepenses = QStringLiteral("0");
    if (!requete.exec(QStringLiteral("SELECT sujet, SUM(valeur) FROM compte GROUP BY sujet DESC"))
        && !lire(requete,
                 QStringLiteral("SELECT sujet, SUM(valeur) FROM compte GROUP BY sujet ORDER BY "
                                "sujet DESC"),
                 this))
        return;
    while (requete.next()) {
        const QString sujet = requete.value(0).toString();
        if (sujet == QLatin1String("Gain"))
            totalGains = texteNombre(requete.value(1));
        else if (sujet == QStringLiteral("Dépense"))
            totalDepenses = texteNombre(requete.value(1));
    }

    // The difference, as the server writes it.
    QString difference;
    if (!lire(requete,
              QStringLiteral("SELECT ") + totalGains + QStringLiteral("- ") + totalDepenses, this))
        return;
    if (requete.next())
        difference = texteNombre(requete.value(0));

    QString premiereDate, derniereDate;
    if (!lire(requete,
              QStringLiteral("SELECT DATE_FORMAT(MIN(date_insert), '%d %M %Y'), "
                             "DATE_FORMAT(MAX(date_insert), '%d %M %Y') FROM compte"),
              this))
        return;
    if (requete.next()) {
        premiereDate = requete.value(0).toString();
        derniereDate = requete.value(1).toString();
    }

    // A deficit is told without its minus sign.
    QString verdict;
    if (difference.toDouble() >= 0) {
        verdict = QStringLiteral("Vous avez fait une économie de <strong "
                                 "style='text-decoration:underline;'>")
            + difference + QStringLiteral("F</strong>");
    } else {
        verdict = QStringLiteral("Vous n'avez pas fait d'économie.<br/>Le bilan de vos dépenses "
                                 "s'élève à <strong style='text-decoration:underline;'>")
            + difference.mid(1) + QStringLiteral("F</strong>");
    }

    // The page, top to bottom; headings and verdict centred.
    auto contenu = std::make_shared<Contenu>();
    contenu->ajouter(
        blocStyle(QStringLiteral("font-size:20px;font-weight:bold;color:green;text-align:center;"),
                  QStringLiteral("<span style='text-decoration:underline;'>Bilan de dépenses "
                                 "et/ou de gains</span>")));
    const QString styleTitre = QStringLiteral("font-size:14px;font-weight:bold;text-align:center;");
    contenu->ajouter(blocStyle(styleTitre, QStringLiteral("Vos dépenses")));
    contenu->ajouter(lignesDuBilan(depenses, QStringLiteral("=> Vous avez dépensé ")));
    contenu->ajouter(blocStyle(styleTitre, QStringLiteral("Vos Gains")));
    contenu->ajouter(lignesDuBilan(gains, QStringLiteral("=> Vous avez gagné ")));
    contenu->ajouter(
        blocStyle(QStringLiteral("color:blue;font-size:20px;font-weight:bold;text-align:center;"),
                  QStringLiteral("Bilan")));
    contenu->ajouter(
        blocStyle(QStringLiteral("color:orange;font-size:13px;"),
                  QStringLiteral("Toutes vos dépenses s'élèvent à <strong>") + totalDepenses
                      + QStringLiteral("F</strong> et <br/>Tous vos gains s'élèvent à <strong>")
                      + totalGains + QStringLiteral("F</strong><br/> à partir de la date du ")
                      + html(premiereDate) + QStringLiteral(" jusqu'au ") + html(derniereDate)));
    contenu->ajouter(
        blocStyle(QStringLiteral("color:#a90bab;font-size:14px;text-align:center;"), verdict));

    QDialog *fenetre = ouvrirDialogue(QStringLiteral("Bilan de vos gains et dépenses"), 450, 500);
    auto *page = new PageResultat(contenu, fenetre);
    page->setGeometry(0, 0, 450, 460);
    rangeeDePage(fenetre, { Couleurs::bleu(), true, 5.0, 15.0 }, QStringLiteral("Fermer la page"),
                 QRect(10, 470, 430, 25), contenu, QStringLiteral("bilan"));
    fenetre->exec();
}
