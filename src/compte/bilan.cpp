#include "app/base.h"
#include "app/dialogues.h"
#include "app/entreprise.h"
#include "app/saisie.h"

#include <QDialog>
#include <QLabel>
#include <QScrollArea>
#include <QSqlQuery>
#include <QVBoxLayout>

namespace {

// The lines of one kind of entry: "=> Vous avez dépensé 30F pour "loyer" le 05 mars
// 2013 à 09h25min", each followed by an empty line. False when the server
// refused the statement.
bool lignesDuBilan(QSqlQuery &requete, const QString &sujet, const QString &debut, QString *lignes)
{
    requete.prepare(
        QStringLiteral("SELECT id, sujet, valeur, commentaire, DATE_FORMAT(date_insert, "
                       "'le %d %M %Y à %Hh%imin') FROM compte WHERE sujet = :sujet"));
    requete.bindValue(QStringLiteral(":sujet"), sujet);
    if (!executer(requete))
        return false;
    while (requete.next()) {
        *lignes += debut + requete.value(2).toString() + QStringLiteral("F pour \"")
            + requete.value(3).toString() + QStringLiteral("\" ") + requete.value(4).toString()
            + QStringLiteral("\n\n");
    }
    return true;
}

// A list of entries: shown exactly as stored, whatever characters the comments hold.
QLabel *listeDuBilan(const QString &lignes)
{
    auto *liste = new QLabel;
    liste->setTextFormat(Qt::PlainText);
    liste->setText(lignes);
    liste->setStyleSheet(QStringLiteral("font-size:12px;color:blue;"));
    liste->setWordWrap(true);
    return liste;
}

QLabel *titreDuBilan(const QString &texte, const QString &style)
{
    auto *titre = new QLabel(texte);
    titre->setStyleSheet(style);
    return titre;
}

} // namespace

void Entreprise::bilan()
{
    if (!connexionCompte())
        return;

    // Everything the report shows is read first: a refused read shows no report.
    QSqlQuery requete(db);
    requete.setForwardOnly(true);
    QString lignesDepenses, lignesGains;
    if (!lignesDuBilan(requete, QStringLiteral("Dépense"), QStringLiteral("=> Vous avez dépensé "),
                       &lignesDepenses)
        || !lignesDuBilan(requete, QStringLiteral("Gain"), QStringLiteral("=> Vous avez gagné "),
                          &lignesGains)) {
        lectureRefusee(this, messageServeur(requete));
        return;
    }

    // Totals, the gains first. Servers that refuse an order inside GROUP BY
    // get the same two sums with ORDER BY.
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

    QDialog *fenetre = ouvrirDialogue(QStringLiteral("Bilan de vos gains et dépenses"), 450, 500);

    auto *entete = new QLabel(QStringLiteral("<span style='text-decoration:underline;'>Bilan de "
                                             "dépenses et/ou de gains</span>"));
    entete->setTextFormat(Qt::RichText);
    entete->setStyleSheet(QStringLiteral("font-size:20px;font-weight:bold;color:green;"));
    entete->setAlignment(Qt::AlignHCenter);
    const QString styleTitre = QStringLiteral("font-size:14px;font-weight:bold;");
    QLabel *titreDepenses = titreDuBilan(QStringLiteral("Vos dépenses"), styleTitre);
    QLabel *titreGains = titreDuBilan(QStringLiteral("Vos Gains"), styleTitre);
    QLabel *depenses = listeDuBilan(lignesDepenses);
    QLabel *gains = listeDuBilan(lignesGains);

    QLabel *titreBilan = titreDuBilan(
        QStringLiteral("Bilan"), QStringLiteral("color:blue;font-size:20px;font-weight:bold;"));
    auto *totaux = new QLabel;
    totaux->setTextFormat(Qt::RichText);
    totaux->setStyleSheet(QStringLiteral("color:orange;font-size:13px;"));
    totaux->setWordWrap(true);
    totaux->setText(QStringLiteral("Toutes vos dépenses s'élèvent à <strong>") + totalDepenses
                    + QStringLiteral("F</strong> et <br/>Tous vos gains s'élèvent à <strong>")
                    + totalGains + QStringLiteral("F</strong><br/> à partir de la date du ")
                    + html(premiereDate) + QStringLiteral(" jusqu'au ") + html(derniereDate));

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
    auto *conclusion = new QLabel(verdict);
    conclusion->setTextFormat(Qt::RichText);
    conclusion->setStyleSheet(QStringLiteral("color:#a90bab;font-size:14px;"));

    auto *disposition = new QVBoxLayout;
    for (QLabel *label :
         { entete, titreDepenses, depenses, titreGains, gains, titreBilan, totaux, conclusion })
        disposition->addWidget(label);
    disposition->addSpacing(10);
    disposition->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    auto *page = new QWidget;
    page->setLayout(disposition);
    auto *defilement = new QScrollArea(fenetre);
    defilement->setWidget(page);
    defilement->setGeometry(0, 0, 450, 460);

    Button *fermer = bouton(fenetre, { Couleurs::bleu(), true, 5.0, 15.0 },
                            QStringLiteral("Fermer la page"), QRect(10, 470, 430, 25));
    connect(fermer, &Button::clicked, fenetre, &QDialog::accept);

    fenetre->exec();
}
