#include "support/banc.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QSqlQuery>
#include <QStyle>
#include <QTableView>
#include <QTextEdit>

// On a desktop: every text of every window reads whole, and the keyboard drives the dialogs.
namespace {

bool dansUneZoneDefilante(QWidget *w, QWidget *racine)
{
    QWidget *p = w->parentWidget();
    while (p && p != racine && !qobject_cast<QAbstractScrollArea *>(p))
        p = p->parentWidget();
    return p && p != racine;
}

// Labels, Buttons and combo entries larger than their widget, captions another widget covers.
QStringList textesCaches(QWidget *racine)
{
    QStringList caches;
    const auto noter = [&caches](QWidget *w, const QString &texte, const QString &pourquoi) {
        caches << QString("%1 \"%2\" %3").arg(w->metaObject()->className(), texte, pourquoi);
    };
    for (QLabel *label : racine->findChildren<QLabel *>()) {
        if (!label->isVisibleTo(racine) || label->text().isEmpty()
            || dansUneZoneDefilante(label, racine))
            continue;
        const QSize besoin = label->wordWrap()
            ? QSize(label->width(), label->heightForWidth(label->width()))
            : label->sizeHint();
        if (besoin.width() > label->width() || besoin.height() > label->height())
            noter(label, label->text(), "too small");
        // Where the text is drawn, in the parent's coordinates.
        const QRect texte = QStyle::alignedRect(label->layoutDirection(), label->alignment(),
                                                besoin.boundedTo(label->size()), label->rect())
                                .translated(label->pos());
        for (QWidget *autre :
             label->parentWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (autre != label && autre->isVisibleTo(racine) && !autre->isWindow()
                && autre->geometry().intersects(texte))
                noter(label, label->text(), "under " + autre->objectName());
        }
    }
    for (Button *b : racine->findChildren<Button *>()) {
        const QFontMetrics m(b->font());
        if (b->isVisibleTo(racine)
            && (m.horizontalAdvance(b->text()) + 4 > b->width() || m.height() > b->height()))
            noter(b, b->text(), "too small");
    }
    // A combo's size hint holds its longest entry.
    for (QComboBox *liste : racine->findChildren<QComboBox *>()) {
        if (liste->isVisibleTo(racine) && !dansUneZoneDefilante(liste, racine)
            && liste->sizeHint().width() > liste->width())
            noter(liste, liste->currentText(), "too narrow");
    }
    return caches;
}

// One of each register, with names as long as real ones.
void remplir(Banc &banc)
{
    Entreprise &f = banc.fenetre();
    QVERIFY(f.connexionCompte() && f.connexionCommande() && f.connexionEmploye());
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

void choisirType(Entreprise &f, int type) // the staff section's employees (0) or interns (1)
{
    for (QComboBox *liste : f.findChildren<QComboBox *>())
        liste->setCurrentIndex(liste->itemText(1) == "Stagiaire" ? type : liste->currentIndex());
}

void touche(QDialog *d, Qt::Key cle) // where the dialog's keyboard focus is
{
    QTest::keyClick(d->focusWidget() ? d->focusWidget() : static_cast<QWidget *>(d), cle);
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
        const auto ligne = [](const QString &groupe, const QString &bouton, int type = 0) {
            QTest::addRow("%s %s %d", qPrintable(groupe.left(8)), qPrintable(bouton), type)
                << groupe << bouton << type;
        };
        for (const char *b : { "Infos sur la base de donnée", "Modifier les paramètres" })
            ligne(QString(), b);
        for (const char *b : { "Ajouter", "Supprimer", "Afficher/Modifier", "Bilan" })
            ligne(panneauCompte, b);
        for (const char *b : { "Ajouter", "Supprimer", "Vider", "Informations",
                               "Afficher et/ou modifier", "Rechercher" })
            ligne(panneauCommandes, b);
        for (int type : { 0, 1 }) {
            for (const char *b :
                 { "Ajouter", "Supprimer", "Ajouter une absence", "Supprimer une absence",
                   "Afficher et/ou modifier", "Informations", "Chercher" })
                ligne(panneauEmployes, b, type);
        }
    }

    void everyTextReadsWhole()
    {
        QFETCH(QString, groupe);
        QFETCH(QString, bouton);
        QFETCH(int, type);
        Banc banc;
        remplir(banc);
        Entreprise &f = banc.fenetre();
        choisirType(f, type);
        nomme<QLineEdit>(&f, "rechercheEdit")->setText("Pâte feuilletée");
        nomme<QLineEdit>(&f, "employeRechercheEdit")->setText("Lefèvre");
        if (groupe.isEmpty() && bouton.startsWith("Infos"))
            QVERIFY2(textesCaches(&f).isEmpty(), qPrintable(textesCaches(&f).join('\n')));
        // Escape closes each dialog; Enter closes a result or information page.
        const bool page = bouton == "Bilan" || bouton.startsWith("Infos");
        QStringList caches { "<no dialog>" };
        QPointer<QDialog> dialogue;
        banc.lancer(groupe, bouton, [&](QDialog *d) {
            caches = textesCaches(d);
            dialogue = d;
            touche(d, page ? Qt::Key_Return : Qt::Key_Escape);
        });
        QVERIFY2(caches.isEmpty(), qPrintable(caches.join('\n')));
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        QVERIFY(!dialogue);
    }

    // Tab runs through the staff form as it reads, every field and button once; Enter adds,
    // but in a comment it breaks the line.
    void tabAndEnterDriveTheForms()
    {
        Banc banc;
        remplir(banc);
        choisirType(banc.fenetre(), 1);
        QStringList oublies, desordre; // fields never reached, fields reached out of order
        banc.lancer(panneauEmployes, "Ajouter", [&](QDialog *d) {
            QWidgetList vus;
            QCOMPARE(d->focusWidget(), nomme<QLineEdit>(d, "nomEdit"));
            for (QWidget *w = d->focusWidget(); w && !vus.contains(w); w = d->focusWidget()) {
                const QPoint avant = vus.isEmpty() ? QPoint() : vus.last()->mapTo(d, QPoint());
                const QPoint ici = w->mapTo(d, QPoint());
                if (ici.y() < avant.y() - 5
                    || (qAbs(ici.y() - avant.y()) <= 5 && ici.x() < avant.x()))
                    desordre << w->objectName();
                vus << w;
                touche(d, Qt::Key_Tab);
            }
            for (QWidget *w : d->findChildren<QWidget *>()) {
                if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(d) && !vus.contains(w)
                    && !qobject_cast<QAbstractSpinBox *>(w->parentWidget()))
                    oublies << w->objectName() + ' ' + w->metaObject()->className();
            }
            nomme<QLineEdit>(d, "nomEdit")->setText("Martin");
            nomme<QLineEdit>(d, "prenomEdit")->setText("Paul");
            nomme<QLineEdit>(d, "domaineEdit")->setText("vente");
            auto *commentaire = nomme<QTextEdit>(d, "employeCommentaireEdit");
            commentaire->setFocus();
            QTest::keyClicks(commentaire, "ligne 1");
            touche(d, Qt::Key_Return);
            QTest::keyClicks(commentaire, "ligne 2");
            QCOMPARE(banc.compte("employes"), 2);
            nomme<QLineEdit>(d, "domaineEdit")->setFocus();
            banc.pilote.boite();
            touche(d, Qt::Key_Enter);
            touche(d, Qt::Key_Escape);
        });
        QCOMPARE(oublies + desordre, QStringList());
        QCOMPARE(banc.valeur("SELECT commentaire FROM employes WHERE nom = 'Martin'").toString(),
                 "ligne 1\nligne 2");
        // In a grid, Enter belongs to the cells: only Valider writes.
        const QString notes = "SELECT GROUP_CONCAT(commentaire) FROM compte";
        banc.lancer(panneauCompte, "Afficher/Modifier", [&](QDialog *d) {
            auto *grille = nomme<QTableView>(d, "grille");
            grille->model()->setData(grille->model()->index(0, 3), "Pneus");
            grille->setFocus();
            touche(d, Qt::Key_Return);
            QVERIFY(banc.valeur(notes).toString() != "Pneus");
            boutonTexte(d, "Valider")->setFocus();
            banc.pilote.boite();
            touche(d, Qt::Key_Return);
            touche(d, Qt::Key_Escape);
        });
        QCOMPARE(banc.valeur(notes).toString(), "Pneus");
        QCOMPARE(banc.pilote.anomalies(), QStringList());
    }
};

QTEST_MAIN(TestBureau)
#include "tst_bureau.moc"
