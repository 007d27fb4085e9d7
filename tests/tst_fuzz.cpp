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

struct Figures
{
    int entrees = 0, changements = 0, montantsFaux = 0, refusInexpliques = 0, refusATort = 0;
    QStringList exemples;
    void noter(int &compteur, const QString &quoi)
    {
        ++compteur;
        if (exemples.size() < 20)
            exemples << quoi;
    }
};

class Generateur
{
public:
    explicit Generateur(quint32 graine)
        : g(graine)
    {
    }
    int n(int borne) { return int(g.bounded(borne)); }
    bool pile(int pourcent) { return n(100) < pourcent; }

    // A text of a length around the column's width (or short).
    QString texte(int largeur)
    {
        const int longueurs[] = { n(6), n(20), largeur - 1, largeur, largeur + 1, n(2 * largeur) };
        const int longueur = longueurs[n(6)];
        QString t;
        while (t.size() < longueur)
            t += pile(50) ? morceaux.at(n(int(morceaux.size()))) : QString(QChar(u'a' + n(26)));
        t.truncate(longueur);
        if (pile(8))
            t.insert(n(int(t.size()) + 1), horsBaseMorceaux.at(n(int(horsBaseMorceaux.size()))));
        return t;
    }

    // An amount spelled one of many ways, and the number it means; or no
    // amount (an invalid number, NaN).
    QPair<QString, double> montant(bool marque)
    {
        if (pile(20))
            return { pasMontants.at(n(int(pasMontants.size()))), qQNaN() };
        QString entier = QString::number(pile(20) ? n(10) : g.bounded(quint64(1) << n(34)));
        QString fraction;
        for (int i = n(4); i > 0; --i)
            fraction += QChar(u'0' + n(10));
        const double valeur = (entier + '.' + fraction).toDouble();
        const QString separateur = pile(50) ? "," : ".";
        QString texte;
        const int k = 1 + n(3);
        if (pile(20) && entier.size() > k) { // 12345,6 as 1,23456e4
            texte = entier.left(entier.size() - k) + separateur + entier.right(k) + fraction
                + (pile(50) ? "e" : "E") + QString::number(k);
        } else if (pile(15) && fraction.size() >= k) { // 12,345 as 12345e-3
            texte = entier + fraction.left(k) + (fraction.size() > k ? separateur : QString())
                + fraction.mid(k) + "e-" + QString::number(k);
        } else {
            if (pile(40)) // thousands apart
                for (int i = int(entier.size()) - 3; i > 0; i -= 3)
                    entier.insert(i, espaces.at(n(int(espaces.size()))));
            texte = (pile(10) ? "00" : "") + entier
                + (fraction.isEmpty() && pile(80) ? QString() : separateur + fraction);
        }
        if (pile(10))
            texte = espaces.at(n(int(espaces.size()))) + texte + " ";
        if (marque && pile(30))
            texte += QStringList { "F", "CFA", "FCFA", " F", "cfa" }.at(n(5));
        return { texte, valeur };
    }

    QRandomGenerator g;
};

bool horsBase(const QString &texte)
{
    return std::any_of(texte.cbegin(), texte.cend(), [](QChar c) { return c.isSurrogate(); });
}

// Types the text into the field; returns what the field holds.
QString taper(QLineEdit *champ, const QString &texte)
{
    champ->setText(texte);
    return champ->text();
}

QString taper(QTextEdit *champ, const QString &texte)
{
    champ->setPlainText(texte);
    return champ->toPlainText();
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

QString montre(const QString &t)
{
    QString s;
    for (QChar c : t)
        s += c.isPrint() && !c.isSurrogate() ? QString(c)
                                             : QString("\\u%1").arg(c.unicode(), 4, 16, QChar('0'));
    return s;
}

} // namespace

class TestFuzz : public QObject
{
    Q_OBJECT

private:
    Banc *banc = nullptr;
    Generateur *gen = nullptr;
    Figures f;
    QWidget *racine() { return &banc->fenetre(); }

    // Presses a home-page button whose dialog `remplir` fills and validates;
    // returns the box that answered, or an empty box when none came.
    Boite ajouter(const QString &panneau, const QString &bouton,
                  const std::function<void(QDialog *)> &remplir, const QString &valider)
    {
        banc->pilote.effacer();
        banc->lancer(panneau, bouton, [&](QDialog *d) {
            remplir(d);
            banc->pilote.boite();
            appuyer(d, valider);
            if (d->isVisible())
                d->reject();
        });
        return banc->pilote.boites.value(0);
    }

    // Counts what an add that the user was told of did to the table.
    void juger(const Boite &b, bool attendu, int avant, const QString &table,
               const std::function<void()> &verifier, const QString &entree)
    {
        ++f.entrees;
        const bool reussi = b.icone == QMessageBox::Information && b.titre.contains("reussi");
        const int apres = banc->compte(table);
        if (reussi) {
            if (apres != avant + 1)
                f.noter(f.changements, "success but no row: " + entree);
            else if (!attendu)
                f.noter(f.changements, "stored what cannot be stored as typed: " + entree);
            else
                verifier();
        } else {
            if (apres != avant)
                f.noter(f.changements, "refused but written: " + entree);
            if (!refusExplique(b))
                f.noter(f.refusInexpliques, b.titre + " / " + b.texte + " : " + entree);
            else if (attendu)
                f.noter(f.refusATort, b.texte.section('\n', -1) + " : " + entree);
        }
    }

    void memeNombre(const QString &requete, double attendu, const QString &entree)
    {
        const double lu = banc->valeur(requete).toDouble();
        if (qAbs(lu - attendu) > 1e-9 * qMax(1.0, qAbs(attendu)))
            f.noter(f.montantsFaux, QString("%1 read %2 for %3").arg(entree).arg(lu).arg(attendu));
    }

    void memeTexte(const QString &requete, const QString &tape, const QString &entree)
    {
        if (banc->valeur(requete).toString() != tape)
            f.noter(f.changements, "changed: " + entree);
    }

    void compte()
    {
        const auto [valeur, nombre] = gen->montant(false);
        QString commentaire = gen->texte(40);
        const int avant = banc->compte("compte");
        const Boite b = ajouter(
            "Faites le bilan de vos dépenses", "Ajouter",
            [&](QDialog *d) {
                nomme<QComboBox>(d, "sujetCombo")->setCurrentIndex(1 + gen->n(2));
                nomme<QLineEdit>(d, "valeurEdit")->setText(valeur);
                commentaire = taper(nomme<QTextEdit>(d, "commentaireEdit"), commentaire);
            },
            "Ajouter");
        const QString entree = montre(valeur + " | " + commentaire);
        juger(
            b, nombre > 0 && !horsBase(commentaire), avant, "compte",
            [&] {
                memeNombre("SELECT valeur + 0 FROM compte ORDER BY id DESC LIMIT 1", nombre,
                           entree);
                memeTexte("SELECT commentaire FROM compte ORDER BY id DESC LIMIT 1", commentaire,
                          entree);
            },
            entree);
    }

    void commande()
    {
        const auto [prix, nombre] = gen->montant(true);
        QStringList textes = {
            gen->texte(60), gen->texte(60), gen->pile(30) ? QString() : gen->texte(60),
            gen->texte(60), gen->texte(60), gen->texte(40)
        };
        if (gen->pile(30) && banc->compte("clients")) // an existing customer's name
            textes[1] = banc->valeur("SELECT nom FROM clients ORDER BY RAND() LIMIT 1").toString();
        const int quantite = 1 + gen->n(20);
        const int avant = banc->compte("commandes");
        const Boite b = ajouter(
            "gestion commandes/clients", "Ajouter",
            [&](QDialog *d) {
                const char *champs[] = { "produitEdit", "clientNomEdit", "entrepriseEdit",
                                         "emailEdit", "telEdit" };
                for (int i = 0; i < 5; ++i)
                    textes[i] = taper(nomme<QLineEdit>(d, champs[i]), textes[i]);
                nomme<QLineEdit>(d, "prixEdit")->setText(prix);
                nomme<QSpinBox>(d, "quantiteBox")->setValue(quantite);
                textes[5] = taper(nomme<QTextEdit>(d, "commandeCommentaireEdit"), textes[5]);
            },
            "Enregistrer");
        const QString entree = montre(prix + " | " + textes.join(" | "));
        const bool remplis = !textes[0].isEmpty() && !textes[1].isEmpty() && !textes[3].isEmpty()
            && !textes[4].isEmpty() && !prix.isEmpty();
        juger(
            b, remplis && nombre >= 0 && !horsBase(textes.join(QString())), avant, "commandes",
            [&] {
                const QString derniere = "FROM commandes ORDER BY id DESC LIMIT 1";
                memeNombre("SELECT prix_unitaire + 0 " + derniere, nombre, entree);
                memeNombre("SELECT prix_total + 0 " + derniere, nombre * quantite, entree);
                memeTexte("SELECT nom " + derniere, textes[0], entree);
                memeTexte("SELECT commentaire " + derniere, textes[5], entree);
                memeTexte(
                    "SELECT clients.nom FROM commandes JOIN clients ON clients.id = client_id "
                    "ORDER BY commandes.id DESC LIMIT 1",
                    textes[1], entree);
            },
            entree);
    }

    void personne()
    {
        QStringList textes = { gen->texte(60), gen->texte(60), gen->texte(255), gen->texte(40) };
        const int jour = 1 + gen->n(31), mois = 1 + gen->n(12);
        const int avant = banc->compte("employes");
        const Boite b = ajouter(
            "Gestions des employés et des stagiaires", "Ajouter",
            [&](QDialog *d) {
                const char *champs[] = { "nomEdit", "prenomEdit", "domaineEdit" };
                for (int i = 0; i < 3; ++i)
                    textes[i] = taper(nomme<QLineEdit>(d, champs[i]), textes[i]);
                textes[3] = taper(nomme<QTextEdit>(d, "employeCommentaireEdit"), textes[3]);
                nomme<QComboBox>(d, "jourNaissanceBox")->setCurrentIndex(jour - 1);
                nomme<QComboBox>(d, "moisNaissanceBox")->setCurrentIndex(mois - 1);
                nomme<QComboBox>(d, "anneeNaissanceBox")->setCurrentText("2023");
            },
            "Enregistrer");
        const QString entree = montre(textes.join(" | ") + QString(" | %1/%2").arg(jour).arg(mois));
        const bool attendu = !textes[0].isEmpty() && !textes[1].isEmpty() && !textes[2].isEmpty()
            && !horsBase(textes.join(QString())) && textes[0].size() + textes[1].size() < 120
            && QDate::isValid(2023, mois, jour);
        juger(
            b, attendu, avant, "employes",
            [&] {
                const QString derniere = " FROM employes ORDER BY id DESC LIMIT 1";
                const QStringList colonnes = { "nom", "prenom", "domaine", "commentaire" };
                for (int i = 0; i < 4; ++i)
                    memeTexte("SELECT " + colonnes[i] + derniere, textes[i], entree);
                memeTexte("SELECT nom_prenom" + derniere, textes[0] + ' ' + textes[1], entree);
            },
            entree);
    }

    // A search by product, customer or person: never a server error; a text
    // the registers cannot hold finds nothing, a stored name finds itself.
    void recherche()
    {
        const int sorte = gen->n(3);
        const char *tables[] = { "commandes", "clients", "employes" };
        QString texte = gen->texte(30);
        const bool stocke = gen->pile(40) && banc->compte(tables[sorte]);
        if (stocke)
            texte =
                banc->valeur(
                        QString("SELECT nom FROM %1 ORDER BY RAND() LIMIT 1").arg(tables[sorte]))
                    .toString();
        bool trouve = false;
        banc->pilote.effacer();
        banc->pilote.fenetre([&](QWidget *w) {
            if (auto *box = qobject_cast<QMessageBox *>(w)) {
                box->button(QMessageBox::Ok)->click();
                return;
            }
            const QString page = textePage(w);
            trouve = page.contains("Identifiant = ") || page.contains("Nom = ")
                || page.contains("n° identifiant");
            qobject_cast<QDialog *>(w)->accept();
        });
        QLineEdit *champ =
            nomme<QLineEdit>(racine(), sorte < 2 ? "rechercheEdit" : "employeRechercheEdit");
        if (sorte < 2)
            nomme<QComboBox>(racine(), "clientCombo")->setCurrentIndex(sorte);
        champ->setText(texte);
        texte = champ->text();
        Banc::clic(banc->bouton(sorte < 2 ? "gestion commandes/clients"
                                          : "Gestions des employés et des stagiaires",
                                sorte < 2 ? "Rechercher" : "Chercher"));
        ++f.entrees;
        const Boite b = banc->pilote.boites.value(0);
        const QString entree = QString("search %1 ").arg(sorte) + montre(texte);
        if (b.icone == QMessageBox::Warning || b.icone == QMessageBox::Critical)
            f.noter(f.refusInexpliques, b.texte + " : " + entree);
        else if (horsBase(texte) && trouve)
            f.noter(f.changements, "found with a character no register holds: " + entree);
        else if (stocke && !trouve)
            f.noter(f.refusATort, "a stored name not found: " + entree);
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
                f.noter(f.refusInexpliques, b.pilote.anomalies().join(", "));
        }
        qInfo("seed %u: %d inputs, 0 crashes, %d silent changes, %d amounts miscounted, %d "
              "unexplained refusals, %d refused wrongly; stored %d entries, %d orders, %d "
              "customers, %d persons",
              graine, f.entrees, f.changements, f.montantsFaux, f.refusInexpliques, f.refusATort,
              b.compte("compte"), b.compte("commandes"), b.compte("clients"), b.compte("employes"));
        for (const QString &exemple : std::as_const(f.exemples))
            qInfo("%s", qPrintable(exemple));
        QCOMPARE(f.changements + f.montantsFaux + f.refusInexpliques + f.refusATort, 0);
    }
};

QTEST_MAIN(TestFuzz)
#include "tst_fuzz.moc"
