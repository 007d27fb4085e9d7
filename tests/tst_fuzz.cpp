#include "support/banc.h"

#include <QLineEdit>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QTextEdit>

// Awkward inputs, generated from a seed, through every add form and every
// search: each one is either stored exactly (amounts as the number typed) after
// the success box, or stored not at all with a box that says which field is
// wrong and why. TABLORAN_FUZZ sets the number of inputs (a few hundred by
// default), TABLORAN_FUZZ_GRAINE the seed. A long run also needs
// QTEST_FUNCTION_TIMEOUT (milliseconds) and ctest's --timeout raised.

namespace {

// Pieces that texts are made of: quotes, markup, escapes, other scripts,
// invisible and control characters; now and then a character beyond 3-byte
// UTF-8, or half of one.
const QStringList morceaux = {
    "a",      "Zoé",     "O'Brien",     "\"",    "\\",
    "%",      "_",       "<b>gras</b>", "&amp;", "١٢٣",
    "\u200b", "\ufeff",  "\u202e",      "\t",    QString(QChar(1)),
    "\u00a0", "e\u0301", "中文",        "ß",     " ",
    "--",     ";",       "' OR 1=1 --", "\\%",   "Ω",
    "\uffff",
};
const QStringList horsBaseMorceaux = { "😀", "𝄞", QString(QChar(0xD83D)) };
// Texts that are no amount at all.
const QStringList pasMontants = {
    "abc", "12,5,3", "1.000,50", "1'000", "12abc", "e5",   ".",   "nan",
    "inf", "١٢٣",    "１２",     "12😀",   "-5",    "1e30", "--1", "0x10",
    "½",   "12 €",   "1,2.3",    "1e",    "+",     "٫5",   " ",
};
const QStringList espaces = { " ", "\u00a0", "\u202f", "\u2009", "\t" };

class Generateur
{
public:
    explicit Generateur(quint32 graine)
        : g(graine)
    {
    }
    int n(int borne) { return int(g.bounded(borne)); }
    bool pile(int pourcent) { return n(100) < pourcent; }
    QString parmi(const QStringList &liste) { return liste.at(n(int(liste.size()))); }

    // A text of a length around the column's width (or short).
    QString texte(int largeur)
    {
        const int longueurs[] = { n(6), n(20), largeur - 1, largeur, largeur + 1, n(2 * largeur) };
        const int longueur = longueurs[n(6)];
        QString t;
        while (t.size() < longueur)
            t += pile(50) ? parmi(morceaux) : QString(QChar(u'a' + n(26)));
        t.truncate(longueur);
        if (pile(8))
            t.insert(n(int(t.size()) + 1), parmi(horsBaseMorceaux));
        return t;
    }

    // An amount spelled one of many ways, and the number it means; or no
    // amount (NaN).
    QPair<QString, double> montant(bool marque)
    {
        if (pile(20))
            return { parmi(pasMontants), qQNaN() };
        QString entier = QString::number(pile(20) ? n(10) : g.bounded(quint64(1) << n(34)));
        QString fraction;
        for (int i = n(4); i > 0; --i)
            fraction += QChar(u'0' + n(10));
        const double valeur = (entier + '.' + fraction).toDouble();
        const QString separateur = pile(50) ? "," : ".";
        QString texte;
        if (pile(20)) { // 12345,6 as 1,23456e4
            texte = entier.left(1) + separateur + entier.mid(1) + fraction + (pile(50) ? "e" : "E")
                + QString::number(entier.size() - 1);
        } else {
            if (pile(40)) // thousands apart
                for (int i = int(entier.size()) - 3; i > 0; i -= 3)
                    entier.insert(i, parmi(espaces));
            texte = entier + (fraction.isEmpty() && pile(80) ? QString() : separateur + fraction);
        }
        if (pile(10))
            texte = parmi(espaces) + texte + " ";
        if (marque && pile(30))
            texte += parmi({ "F", "CFA", "FCFA", " F", "cfa" });
        return { texte, valeur };
    }

    QRandomGenerator g;
};

bool horsBase(const QString &texte)
{
    return std::any_of(texte.cbegin(), texte.cend(), [](QChar c) { return c.isSurrogate(); });
}

// Types the text into the field of that name; returns what the field holds.
QString taper(QDialog *d, const char *nom, const QString &texte)
{
    if (auto *ligne = d->findChild<QLineEdit *>(nom)) {
        ligne->setText(texte);
        return ligne->text();
    }
    auto *zone = nomme<QTextEdit>(d, nom);
    zone->setPlainText(texte);
    return zone->toPlainText();
}

// A refusal says why in a last line that names a field, or is the form's own
// box for a required field left empty.
bool refusExplique(const Boite &b)
{
    if (b.titre == "Champs mal remplis" || b.titre == "Erreur de remplissage")
        return true;
    const QString raison = b.texte.section('\n', -1);
    return b.texte.contains('\n')
        && (raison.startsWith("Le ") || raison.startsWith("La ") || raison.startsWith("L'"));
}

// The text with its invisible characters written out, for the report.
QString montre(const QString &t)
{
    QString s;
    QDebug(&s) << t; // quoted, with \uXXXX escapes
    return s;
}

// A field of a form: a text of about `largeur` characters, or an amount
// (largeur 0; -1: a currency mark may follow), and the column of the new row
// that must then hold it.
struct Champ
{
    const char *nom;
    int largeur;
    QString colonne;
};

// What a form was given, to be compared with what its new row holds.
struct Saisie
{
    QList<QPair<QString, QString>> textes;
    QList<QPair<QString, double>> nombres;
    QStringList tapes;
};

} // namespace

class TestFuzz : public QObject
{
    Q_OBJECT

private:
    Banc *banc = nullptr;
    Generateur *gen = nullptr;
    int entrees = 0;
    QMap<QString, int> fautes;
    QStringList exemples;

    void noter(const QString &sorte, const QString &detail)
    {
        ++fautes[sorte];
        if (exemples.size() < 20)
            exemples << sorte + ": " + detail;
    }

    // Fills an add form (`autres` sets its other widgets), validates it, and
    // checks what the box says against what the table holds.
    void essayer(const QString &panneau, const QString &valider, const QString &table,
                 const QList<Champ> &champs, const std::function<void(QDialog *, Saisie &)> &autres)
    {
        Saisie s;
        const int avant = banc->compte(table);
        banc->pilote.effacer();
        banc->lancer(panneau, "Ajouter", [&](QDialog *d) {
            for (const Champ &c : champs) {
                if (c.largeur > 0) {
                    s.textes << qMakePair(c.colonne, taper(d, c.nom, gen->texte(c.largeur)));
                    s.tapes << s.textes.last().second;
                } else {
                    const auto [texte, nombre] = gen->montant(c.largeur < 0);
                    s.nombres << qMakePair(c.colonne, nombre);
                    s.tapes << taper(d, c.nom, texte);
                }
            }
            autres(d, s);
            banc->pilote.boite();
            appuyer(d, valider);
            if (d->isVisible())
                d->reject();
        });
        ++entrees;
        const Boite b = banc->pilote.boites.value(0);
        const QString entree = montre(s.tapes.join(" | "));
        const int apres = banc->compte(table);
        if (b.icone != QMessageBox::Information || !b.titre.contains("reussi")) {
            if (apres != avant)
                noter("silent change", "refused but written: " + entree);
            if (!refusExplique(b))
                noter("unexplained refusal", b.titre + " / " + b.texte + " : " + entree);
            return;
        }
        if (apres != avant + 1)
            return noter("silent change", "success but no row: " + entree);
        const QString derniere = " FROM " + table + " ORDER BY id DESC LIMIT 1";
        for (const auto &[colonne, tape] : std::as_const(s.textes)) {
            if (banc->valeur("SELECT " + colonne + derniere).toString() != tape)
                noter("silent change", colonne + " : " + entree);
        }
        for (const auto &[colonne, nombre] : std::as_const(s.nombres)) {
            const double lu = banc->valeur("SELECT " + colonne + " + 0" + derniere).toDouble();
            if (!(qAbs(lu - nombre) <= 1e-9 * qMax(1.0, qAbs(nombre))))
                noter("amount miscounted",
                      QString("%1 %2 for %3 : ").arg(colonne).arg(lu).arg(nombre) + entree);
        }
    }

    void compte()
    {
        essayer(panneauCompte, "Ajouter", "compte",
                { { "valeurEdit", 0, "valeur" }, { "commentaireEdit", 40, "commentaire" } },
                [this](QDialog *d, Saisie &) {
                    nomme<QComboBox>(d, "sujetCombo")->setCurrentIndex(1 + gen->n(2));
                });
    }

    void commande()
    {
        const QString client = "(SELECT %1 FROM clients WHERE clients.id = client_id)";
        essayer(panneauCommandes, "Enregistrer", "commandes",
                { { "produitEdit", 60, "nom" },
                  { "clientNomEdit", 60, client.arg("nom") },
                  { "entrepriseEdit", 60, client.arg("entreprise") },
                  { "emailEdit", 60, client.arg("email") },
                  { "telEdit", 60, client.arg("tel") },
                  { "commandeCommentaireEdit", 40, "commentaire" },
                  { "prixEdit", -1, "prix_unitaire" } },
                [this](QDialog *d, Saisie &s) {
                    const int quantite = 1 + gen->n(20);
                    nomme<QSpinBox>(d, "quantiteBox")->setValue(quantite);
                    s.nombres << qMakePair(QString("prix_total"),
                                           s.nombres.first().second * quantite);
                });
    }

    void personne()
    {
        essayer(panneauEmployes, "Enregistrer", "employes",
                { { "nomEdit", 60, "nom" },
                  { "prenomEdit", 60, "prenom" },
                  { "domaineEdit", 255, "domaine" },
                  { "employeCommentaireEdit", 40, "commentaire" } },
                [this](QDialog *d, Saisie &s) {
                    // Days that do not exist too.
                    nomme<QComboBox>(d, "jourNaissanceBox")->setCurrentIndex(gen->n(31));
                    nomme<QComboBox>(d, "moisNaissanceBox")->setCurrentIndex(gen->n(12));
                    nomme<QComboBox>(d, "anneeNaissanceBox")->setCurrentText("2023");
                    s.textes << qMakePair(QString("nom_prenom"),
                                          s.textes[0].second + ' ' + s.textes[1].second);
                });
    }

    // A search by product, customer or person: never a server error, and a
    // text the registers cannot hold finds nothing.
    void recherche()
    {
        const int sorte = gen->n(3);
        bool trouve = false;
        banc->pilote.effacer();
        banc->pilote.fenetre([&](QWidget *w) {
            if (auto *box = qobject_cast<QMessageBox *>(w))
                return box->button(QMessageBox::Ok)->click();
            const QString page = textePage(w);
            trouve = page.contains("Identifiant = ") || page.contains("Nom = ")
                || page.contains("n° identifiant");
            qobject_cast<QDialog *>(w)->accept();
        });
        auto *champ = nomme<QLineEdit>(&banc->fenetre(),
                                       sorte < 2 ? "rechercheEdit" : "employeRechercheEdit");
        if (sorte < 2)
            nomme<QComboBox>(&banc->fenetre(), "clientCombo")->setCurrentIndex(sorte);
        champ->setText(gen->texte(30));
        Banc::clic(banc->bouton(sorte < 2 ? panneauCommandes : panneauEmployes,
                                sorte < 2 ? "Rechercher" : "Chercher"));
        ++entrees;
        const Boite b = banc->pilote.boites.value(0);
        const QString entree = QString("search %1 ").arg(sorte) + montre(champ->text());
        if (b.icone == QMessageBox::Warning || b.icone == QMessageBox::Critical)
            noter("unexplained refusal", b.texte + " : " + entree);
        else if (horsBase(champ->text()) && trouve)
            noter("silent change", "found with a character no register holds: " + entree);
    }

private Q_SLOTS:
    void awkwardInputsAreStoredExactlyOrRefusedWithAReason()
    {
        const int nombre = qEnvironmentVariableIsSet("TABLORAN_FUZZ")
            ? qEnvironmentVariableIntValue("TABLORAN_FUZZ")
            : 300;
        const quint32 graine = qEnvironmentVariableIsSet("TABLORAN_FUZZ_GRAINE")
            ? quint32(qEnvironmentVariableIntValue("TABLORAN_FUZZ_GRAINE"))
            : 20261206u;
        Banc b;
        Generateur g(graine);
        banc = &b;
        gen = &g;
        QVERIFY(b.fenetre().connexionCompte() && b.fenetre().connexionCommande()
                && b.fenetre().connexionEmploye());
        for (int i = 0; i < nombre; ++i) {
            const int choix = g.n(100);
            if (choix < 30)
                compte();
            else if (choix < 60)
                commande();
            else if (choix < 85)
                personne();
            else
                recherche();
            if (!b.pilote.anomalies().isEmpty())
                noter("unexplained refusal", b.pilote.anomalies().join(", "));
        }
        qInfo("seed %u: %d inputs, 0 crashes, %d silent changes, %d amounts miscounted, %d "
              "unexplained refusals; stored %d entries, %d orders, %d customers, %d persons",
              graine, entrees, fautes.value("silent change"), fautes.value("amount miscounted"),
              fautes.value("unexplained refusal"), b.compte("compte"), b.compte("commandes"),
              b.compte("clients"), b.compte("employes"));
        for (const QString &exemple : std::as_const(exemples))
            qInfo("%s", qPrintable(exemple));
        QCOMPARE(fautes, (QMap<QString, int>()));
    }
};

QTEST_MAIN(TestFuzz)
#include "tst_fuzz.moc"
