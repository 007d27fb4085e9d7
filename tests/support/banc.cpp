#include "banc.h"
#include "base_de_test.h"
#include "commun/progression.h"

#include "app/apparence.h"
#include "commun/pages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCompleter>
#include <QGroupBox>
#include <QProgressDialog>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTextDocument>

Pilote::Pilote()
{
    QTimer::singleShot(5, this, &Pilote::surveiller);
}

void Pilote::dialogue(std::function<void(QDialog *)> action)
{
    attentes << [action](QWidget *fenetre) {
        auto *d = qobject_cast<QDialog *>(fenetre);
        const QString erreur = QStringLiteral("a dialog was expected, not «%1»");
        if (!d || qobject_cast<QMessageBox *>(fenetre))
            QFAIL(qPrintable(erreur.arg(fenetre->windowTitle())));
        action(d);
    };
}

QMessageBox *Pilote::noter(QWidget *fenetre)
{
    auto *box = qobject_cast<QMessageBox *>(fenetre);
    const QString erreur = QStringLiteral("a message box was expected, not «%1»");
    if (!box) {
        QTest::qFail(qPrintable(erreur.arg(fenetre->windowTitle())), __FILE__, __LINE__);
        return nullptr;
    }
    boites << Boite { box->icon(), box->windowTitle(), box->text(),
                      box->parentWidget() ? box->parentWidget()->windowTitle() : QString() };
    return box;
}

void Pilote::boite(QMessageBox::StandardButton reponse)
{
    attentes << [this, reponse](QWidget *fenetre) {
        QMessageBox *box = noter(fenetre);
        QAbstractButton *bouton = box ? box->button(reponse) : nullptr;
        if (box && !bouton)
            QFAIL(qPrintable(QStringLiteral("the box «%1» has no such button").arg(box->text())));
        if (bouton)
            bouton->click();
    };
}

void Pilote::entree()
{
    attentes << [this](QWidget *fenetre) {
        if (QMessageBox *box = noter(fenetre))
            QTest::keyClick(box, Qt::Key_Return);
    };
}

QStringList Pilote::vues() const
{
    QStringList lues;
    for (const Boite &b : boites)
        lues << QStringLiteral("-IWCQ").at(int(b.icone)) + ' ' + b.titre + ": " + b.texte;
    return lues;
}

QStringList Pilote::anomalies() const
{
    QStringList liste = inattendus;
    if (!attentes.isEmpty())
        liste << QStringLiteral("%1 expected window(s) never appeared").arg(attentes.size());
    return liste;
}

void Pilote::effacer()
{
    boites.clear();
    inattendus.clear();
    attentes.clear();
}

void Pilote::surveiller()
{
    // Scheduled again first: it also runs inside the event loops the handlers open.
    QTimer::singleShot(5, this, &Pilote::surveiller);

    QWidget *fenetre = QApplication::activeModalWidget();
    if (!fenetre || !fenetre->isVisible())
        return;
    if (progressionLibre && qobject_cast<QProgressDialog *>(fenetre))
        return;
    vus.removeAll(nullptr);
    if (vus.contains(fenetre))
        return;
    vus << fenetre;

    const QPointer<QWidget> garde(fenetre);
    if (attentes.isEmpty()) {
        auto *box = qobject_cast<QMessageBox *>(fenetre);
        inattendus << QStringLiteral("unexpected window «%1» %2")
                          .arg(fenetre->windowTitle(), box ? box->text() : QString());
    } else {
        attentes.takeFirst()(fenetre);
        if (garde && garde->isVisible())
            inattendus << QStringLiteral("window «%1» was left open").arg(garde->windowTitle());
    }
    if (garde && garde->isVisible()) {
        if (auto *d = qobject_cast<QDialog *>(garde.data()))
            d->reject();
        else
            garde->close();
    }
}

Banc::Banc(const char *parametres, bool demarrerMaintenant)
{
    ancienDossier = QDir::currentPath();
    QDir::setCurrent(dossier.path());
    // The program's data (backups) and configuration folders are the test's own.
    qputenv("XDG_DATA_HOME", QFile::encodeName(dossier.path() + QStringLiteral("/donnees")));
    // No progress window a test did not expect on a busy machine; its tests set their delay.
    Progression::delai = 60 * 1000;
    preparerApplication(*qApp);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dossier.filePath(QStringLiteral("xdg-config"))));

    if (parametres) {
        QDir().mkdir(QStringLiteral("config"));
        QFile fichier(QStringLiteral("config/base.sni"));
        fichier.open(QIODevice::WriteOnly);
        fichier.write(QString::fromUtf8(parametres).replace(QStringLiteral("%1"), nom).toUtf8());
    }
    if (demarrerMaintenant)
        demarrer();
}

Banc::~Banc()
{
    principale.reset();
    QDir::setCurrent(ancienDossier);
}

void Banc::demarrer()
{
    principale = std::make_unique<Entreprise>();
    principale->show();
    QVERIFY(QTest::qWaitForWindowExposed(principale.get()));
}

Button *Banc::bouton(const QString &groupe, const QString &texte)
{
    return boutonGroupe(principale.get(), groupe, texte);
}

void Banc::clic(QAbstractButton *bouton)
{
    QVERIFY(bouton);
    QTest::mouseClick(bouton, Qt::LeftButton, {}, bouton->rect().center());
}

void Banc::lancer(const QString &groupe, const QString &texte,
                  std::function<void(QDialog *)> action,
                  const QList<QMessageBox::StandardButton> &reponses)
{
    if (action)
        pilote.dialogue(action);
    for (QMessageBox::StandardButton reponse : reponses)
        pilote.boite(reponse);
    clic(bouton(groupe, texte));
}

void parametrer(Banc &banc, const QList<QPair<const char *, QString>> &champs)
{
    banc.lancer(QString(), QStringLiteral("Modifier les paramètres"),
                [champs](QDialog *d) {
                    for (const auto &[nom, texte] : champs)
                        nomme<QLineEdit>(d, nom)->setText(texte);
                    appuyer(d, QStringLiteral("Valider"));
                },
                { QMessageBox::Ok });
}

Button *boutonGroupe(QWidget *fenetre, const QString &groupe, const QString &texte)
{
    QWidget *racine = groupe.isEmpty() ? fenetre : nullptr;
    for (QGroupBox *g : fenetre->findChildren<QGroupBox *>()) {
        if (!racine && g->title() == groupe)
            racine = g;
    }
    if (!racine)
        return nullptr;
    for (Button *b : racine->findChildren<Button *>(Qt::FindDirectChildrenOnly)) {
        if (b->text() == texte)
            return b;
    }
    return nullptr;
}

void appuyer(QWidget *fenetre, const QString &texte)
{
    Banc::clic(boutonTexte(fenetre, texte));
}

Button *boutonTexte(QWidget *racine, const QString &texte)
{
    for (Button *b : racine->findChildren<Button *>()) {
        if (b->text() == texte)
            return b;
    }
    return nullptr;
}

QLabel *etiquetteDebut(QWidget *racine, const QString &debut)
{
    const QList<QLabel *> etiquettes = racine->findChildren<QLabel *>();
    const auto l = std::find_if(etiquettes.cbegin(), etiquettes.cend(),
                                [&](QLabel *l) { return l->text().startsWith(debut); });
    return l == etiquettes.cend() ? nullptr : *l;
}

QStringList elements(QComboBox *liste)
{
    QStringList textes;
    for (int i = 0; i < liste->count(); ++i)
        textes << liste->itemText(i);
    return textes;
}

QStringList propositions(QLineEdit *champ)
{
    auto *modele = champ && champ->completer()
        ? qobject_cast<QStringListModel *>(champ->completer()->model())
        : nullptr;
    return modele ? modele->stringList() : QStringList();
}

QSqlDatabase connexionServeur(const QString &nom, const QString &base, const QString &utilisateur,
                              const QString &motDePasse)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"), nom);
    db.setHostName(QStringLiteral("localhost"));
    db.setDatabaseName(base);
    db.setUserName(utilisateur);
    db.setPassword(motDePasse);
    if (!db.open())
        qWarning("%s", qPrintable(db.lastError().text()));
    return db;
}

void dansLOrdre(const QString &texte, const QStringList &attendus)
{
    qsizetype depuis = 0;
    for (const QString &attendu : attendus) {
        const qsizetype trouve = texte.indexOf(attendu, depuis);
        QVERIFY2(trouve >= 0, qPrintable(QStringLiteral("missing, or out of order: ") + attendu));
        depuis = trouve + attendu.size();
    }
}

QString texteVisible(const QString &richText)
{
    QTextDocument document;
    document.setHtml(richText);
    return document.toPlainText();
}

QString textePage(QWidget *racine)
{
    auto *page = racine->findChild<PageResultat *>();
    if (!page)
        return QString();
    page->completer();
    return page->toPlainText();
}

bool operator==(const Boite &a, const Boite &b)
{
    return a.icone == b.icone && a.titre == b.titre && a.texte == b.texte;
}

char *toString(const Boite &boite)
{
    return QTest::toString(
        QStringLiteral("%1 «%2» «%3»")
            .arg(QStringLiteral("-IWCQ").mid(int(boite.icone), 1), boite.titre, boite.texte));
}

Boite attendue(QMessageBox::Icon icone, const QString &titre, const QString &texte)
{
    return Boite { icone, titre, texte, QString() };
}

void vuesCommencent(const Pilote &pilote, const QStringList &debuts)
{
    QCOMPARE(pilote.anomalies(), QStringList());
    const QStringList vues = pilote.vues();
    QCOMPARE(vues.size(), debuts.size());
    for (int i = 0; i < vues.size(); ++i)
        QVERIFY2(vues[i].startsWith(debuts[i]),
                 qPrintable(vues[i] + QStringLiteral("\ndoes not start with\n") + debuts[i]));
}
