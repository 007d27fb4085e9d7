#include "support/banc.h"

#include <QAbstractScrollArea>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QSqlQuery>
#include <QStyle>
#include <QTableView>
#include <QTextEdit>

// The program on a desktop: every text of every window reads whole in the
// program's font, and the keyboard drives the dialogs.
namespace {

const QString &compte = panneauCompte;
const QString &commandes = panneauCommandes;
const QString &employes = panneauEmployes;

QString decrire(QWidget *w, const QString &texte)
{
    return QStringLiteral("%1 \"%2\" %3x%4")
        .arg(QString::fromLatin1(w->metaObject()->className()), texte)
        .arg(w->width())
        .arg(w->height());
}

bool dansUneZoneDefilante(QWidget *w, QWidget *racine)
{
    for (QWidget *p = w->parentWidget(); p && p != racine; p = p->parentWidget()) {
        if (qobject_cast<QAbstractScrollArea *>(p))
            return true;
    }
    return false;
}

// What a user cannot read whole in a window: a label, Button or combo entry
// wider or taller than its widget, a caption that another widget covers.
QStringList textesCaches(QWidget *racine)
{
    QStringList caches;
    for (QLabel *label : racine->findChildren<QLabel *>()) {
        if (!label->isVisibleTo(racine) || label->text().isEmpty()
            || dansUneZoneDefilante(label, racine))
            continue;
        const QSize besoin = label->wordWrap()
            ? QSize(label->width(), label->heightForWidth(label->width()))
            : label->sizeHint();
        if (besoin.width() > label->width() || besoin.height() > label->height())
            caches << decrire(label, label->text())
                    + QStringLiteral(" needs %1x%2").arg(besoin.width()).arg(besoin.height());
        // Where the text is drawn, in the parent's coordinates.
        const QRect texte = QStyle::alignedRect(label->layoutDirection(), label->alignment(),
                                                besoin.boundedTo(label->size()), label->rect())
                                .translated(label->pos());
        for (QWidget *autre :
             label->parentWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (autre != label && autre->isVisibleTo(racine) && !autre->isWindow()
                && autre->geometry().intersects(texte))
                caches << decrire(label, label->text()) + QStringLiteral(" under ")
                        + decrire(autre, autre->objectName());
        }
    }
    for (Button *b : racine->findChildren<Button *>()) {
        const QFontMetrics mesure(b->font());
        if (b->isVisibleTo(racine)
            && (mesure.horizontalAdvance(b->text()) + 4 > b->width()
                || mesure.height() > b->height()))
            caches << decrire(b, b->text());
    }
    for (QComboBox *liste : racine->findChildren<QComboBox *>()) {
        if (!liste->isVisibleTo(racine) || dansUneZoneDefilante(liste, racine))
            continue;
        // The width the combo asks for to show its longest entry, arrow and frame included.
        if (liste->sizeHint().width() > liste->width())
            caches << decrire(liste, liste->currentText())
                    + QStringLiteral(" needs %1").arg(liste->sizeHint().width());
    }
    return caches;
}

// One of each register, with names as long as real ones.
void remplir(Banc &banc)
{
    QVERIFY(banc.fenetre().connexionCompte());
    QVERIFY(banc.fenetre().connexionCommande());
    QVERIFY(banc.fenetre().connexionEmploye());
    banc.sql("INSERT INTO compte VALUES (1, 'Dépense', '1250.75', 'Réparation de la camionnette', "
             "'2026-03-05 09:25:00')");
    banc.sql("INSERT INTO clients VALUES (1, 'Lefèvre Hélène', 'Établissements Durand', "
             "'helene.lefevre@durand.fr', '01 23 45 67 89')");
    banc.sql("INSERT INTO commandes VALUES (1, 1, 'Pâte feuilletée', 2.5, 'kg', 12, '3.40', "
             "'40.80', 'Livrer avant midi', '2026-03-05 09:25:00')");
    for (int type : { 1, 2 })
        banc.sql("INSERT INTO employes SET type=?, nom='Lefèvre', prenom='Hélène', "
                 "nom_prenom='Lefèvre Hélène', sexe='F', domaine='Comptabilité', "
                 "date_naissance='1985-05-04', date_embouche='2012-01-02', "
                 "duree=IF(type=2, 6, NULL), date_fin=IF(type=2, '2012-07-02', NULL), "
                 "commentaire='Temps partiel'",
                 { type });
    banc.sql("INSERT INTO absence (employe_id, date_absence, nbre_heure) VALUES (1, "
             "'2026-03-05', 4), (2, '2026-03-06', 3)");
}

// A key pressed where the keyboard's focus is in the dialog.
void touche(QDialog *d, Qt::Key cle)
{
    QWidget *cible = d->focusWidget() ? d->focusWidget() : d;
    QTest::keyClick(cible, cle);
}

} // namespace

class TestBureau : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyTextReadsWhole_data()
    {
        QTest::addColumn<QString>("groupe");
        QTest::addColumn<QString>("bouton");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("recherche");
        const auto ligne = [](const QString &groupe, const QString &bouton, int type = 0,
                              const QString &recherche = QString()) {
            QTest::newRow(qPrintable(groupe.left(8) + QLatin1Char(' ') + bouton
                                     + (type ? QStringLiteral(" stagiaire") : QString())))
                << groupe << bouton << type << recherche;
        };
        ligne(QString(), QStringLiteral("Infos sur la base de donnée"));
        ligne(QString(), QStringLiteral("Modifier les paramètres"));
        for (const char *b : { "Ajouter", "Supprimer", "Afficher/Modifier", "Bilan" })
            ligne(compte, QString::fromUtf8(b));
        for (const char *b :
             { "Ajouter", "Supprimer", "Vider", "Informations", "Afficher et/ou modifier" })
            ligne(commandes, QString::fromUtf8(b));
        ligne(commandes, QStringLiteral("Rechercher"), 0, QStringLiteral("Pâte feuilletée"));
        for (int type : { 0, 1 }) {
            for (const char *b :
                 { "Ajouter", "Supprimer", "Ajouter une absence", "Supprimer une absence",
                   "Afficher et/ou modifier", "Informations" })
                ligne(employes, QString::fromUtf8(b), type);
            ligne(employes, QStringLiteral("Chercher"), type, QStringLiteral("Lefèvre"));
        }
    }

    void everyTextReadsWhole()
    {
        QFETCH(QString, groupe);
        QFETCH(QString, bouton);
        QFETCH(int, type);
        QFETCH(QString, recherche);
        Banc banc;
        remplir(banc);
        Entreprise &f = banc.fenetre();
        const QList<QComboBox *> listes = f.findChildren<QComboBox *>();
        for (QComboBox *liste : listes) {
            if (liste->itemText(1) == QStringLiteral("Stagiaire"))
                liste->setCurrentIndex(type);
        }
        for (QLineEdit *champ : f.findChildren<QLineEdit *>())
            champ->setText(recherche);
        if (groupe.isEmpty() && bouton.startsWith(QStringLiteral("Infos")))
            QVERIFY2(textesCaches(&f).isEmpty(),
                     qPrintable(textesCaches(&f).join(QLatin1Char('\n'))));

        // Escape closes each dialog, as its "Fermer" button does.
        QStringList caches { QStringLiteral("<no dialog>") };
        QPointer<QDialog> dialogue;
        banc.lancer(groupe, bouton, [&](QDialog *d) {
            caches = textesCaches(d);
            dialogue = d;
            touche(d, Qt::Key_Escape);
        });
        QVERIFY2(caches.isEmpty(), qPrintable(caches.join(QLatin1Char('\n'))));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        QVERIFY(!dialogue);
    }

    void enterPressesTheMainAction()
    {
        Banc banc;
        remplir(banc);

        // A new entry of the account book, from its amount field.
        banc.lancer(compte, QStringLiteral("Ajouter"), [&](QDialog *d) {
            nomme<QComboBox>(d, "sujetCombo")->setCurrentIndex(1);
            nomme<QLineEdit>(d, "valeurEdit")->setText(QStringLiteral("20"));
            nomme<QLineEdit>(d, "valeurEdit")->setFocus();
            banc.pilote.boite();
            touche(d, Qt::Key_Return);
            touche(d, Qt::Key_Escape);
        });
        QCOMPARE(banc.compte(QStringLiteral("compte")), 2);

        // In a comment, Enter is a line break; elsewhere in the form it adds.
        banc.lancer(employes, QStringLiteral("Ajouter"), [&](QDialog *d) {
            nomme<QLineEdit>(d, "nomEdit")->setText(QStringLiteral("Martin"));
            nomme<QLineEdit>(d, "prenomEdit")->setText(QStringLiteral("Paul"));
            nomme<QLineEdit>(d, "domaineEdit")->setText(QStringLiteral("vente"));
            auto *commentaire = nomme<QTextEdit>(d, "employeCommentaireEdit");
            commentaire->setFocus();
            QTest::keyClicks(commentaire, QStringLiteral("ligne 1"));
            touche(d, Qt::Key_Return);
            QTest::keyClicks(commentaire, QStringLiteral("ligne 2"));
            QCOMPARE(banc.compte(QStringLiteral("employes")), 2);
            nomme<QLineEdit>(d, "domaineEdit")->setFocus();
            banc.pilote.boite();
            touche(d, Qt::Key_Enter);
            touche(d, Qt::Key_Escape);
        });
        QCOMPARE(banc.valeur(QStringLiteral("SELECT commentaire FROM employes WHERE nom = "
                                            "'Martin'"))
                     .toString(),
                 QStringLiteral("ligne 1\nligne 2"));

        // A delete dialog's main action asks first; "Non" is the default.
        banc.lancer(compte, QStringLiteral("Supprimer"), [&](QDialog *d) {
            banc.pilote.entree();
            touche(d, Qt::Key_Return);
            QCOMPARE(banc.compte(QStringLiteral("compte")), 2);
            banc.pilote.boite(QMessageBox::Yes);
            banc.pilote.boite();
            touche(d, Qt::Key_Return);
        });
        QCOMPARE(banc.compte(QStringLiteral("compte")), 1);

        // On a result or information page, Enter closes it; printing or a
        // backup waits for a click.
        QPointer<QDialog> page;
        for (const auto &[groupe, bouton] :
             { std::pair(compte, QStringLiteral("Bilan")),
               std::pair(QString(), QStringLiteral("Infos sur la base de donnée")) }) {
            banc.lancer(groupe, bouton, [&](QDialog *d) {
                page = d;
                touche(d, Qt::Key_Return);
            });
            QVERIFY(!page);
        }

        // In a grid, Enter belongs to the cells: only Valider writes.
        banc.lancer(compte, QStringLiteral("Afficher/Modifier"), [&](QDialog *d) {
            auto *grille = nomme<QTableView>(d, "grille");
            grille->model()->setData(grille->model()->index(0, 3), QStringLiteral("Pneus"));
            grille->setFocus();
            const qsizetype vues = banc.pilote.boites.size();
            touche(d, Qt::Key_Return);
            QCOMPARE(banc.pilote.boites.size(), vues);
            QCOMPARE(banc.valeur(QStringLiteral("SELECT COUNT(*) FROM compte WHERE commentaire "
                                                "= 'Pneus'"))
                         .toInt(),
                     0);
            boutonTexte(d, QStringLiteral("Valider"))->setFocus();
            banc.pilote.boite();
            touche(d, Qt::Key_Return);
            touche(d, Qt::Key_Escape);
        });
        QCOMPARE(
            banc.valeur(QStringLiteral("SELECT GROUP_CONCAT(commentaire) FROM compte")).toString(),
            QStringLiteral("Pneus"));

        const QStringList titres { QStringLiteral("Ajout reussi avec succes"),
                                   QString(),
                                   QStringLiteral("Confirmation"),
                                   QStringLiteral("Confirmation"),
                                   QStringLiteral("Suppression reussie"),
                                   QStringLiteral("Modifications reussies") };
        QCOMPARE(banc.pilote.boites.size(), titres.size());
        for (int i = 0; i < titres.size(); ++i) {
            if (!titres.at(i).isEmpty())
                QCOMPARE(banc.pilote.boites.at(i).titre, titres.at(i));
        }
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }

    // Tab runs through the staff form as it reads: row by row, each from the
    // left, every field and button once, without stopping in the comment.
    void tabFollowsReadingOrder()
    {
        Banc banc;
        QVERIFY(banc.fenetre().connexionEmploye());
        for (QComboBox *liste : banc.fenetre().findChildren<QComboBox *>()) {
            if (liste->itemText(1) == QStringLiteral("Stagiaire"))
                liste->setCurrentIndex(1);
        }
        QStringList parcours, oublies, desordre;
        banc.lancer(employes, QStringLiteral("Ajouter"), [&](QDialog *d) {
            QWidgetList vus;
            for (QWidget *w = d->focusWidget(); w && !vus.contains(w); w = d->focusWidget()) {
                if (!vus.isEmpty()) {
                    const QPoint avant = vus.last()->mapTo(d, QPoint());
                    const QPoint ici = w->mapTo(d, QPoint());
                    if (ici.y() < avant.y() - 5
                        || (qAbs(ici.y() - avant.y()) <= 5 && ici.x() < avant.x()))
                        desordre << w->objectName();
                }
                vus << w;
                parcours << w->objectName();
                touche(d, Qt::Key_Tab);
            }
            for (QWidget *w : d->findChildren<QWidget *>()) {
                const bool champ = qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w)
                    || qobject_cast<QTextEdit *>(w) || qobject_cast<QSpinBox *>(w)
                    || qobject_cast<Button *>(w);
                if (champ && !qobject_cast<QAbstractSpinBox *>(w->parentWidget())
                    && !vus.contains(w))
                    oublies << w->objectName() + QLatin1Char(' ') + w->metaObject()->className();
            }
            touche(d, Qt::Key_Escape);
        });
        QVERIFY(!parcours.isEmpty());
        QCOMPARE(parcours.first(), QStringLiteral("nomEdit"));
        QCOMPARE(oublies, QStringList());
        QCOMPARE(desordre, QStringList());
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }
};

QTEST_MAIN(TestBureau)
#include "tst_bureau.moc"
