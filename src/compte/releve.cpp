#include "compte/releve.h"
#include "commun/dialogues.h"
#include "commun/historique.h"
#include "compte/import.h"

#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QTableView>

namespace compte {

namespace {

// The largest statement read: far more lines than the book can hold.
constexpr qint64 tailleMaximale = 16 * 1024 * 1024;
// The lines and columns the preview shows.
constexpr int lignesApercu = 20;
constexpr int colonnesMaximales = 40;

const QString styleLegende = QStringLiteral("font-size:13px;");

// The import dialog: the file's bytes, read once, and the reading the user
// sees applied to them.
class Import : public QObject
{
public:
    Import(QDialog *fenetre, const QByteArray &octets, const QString &nom)
        : QObject(fenetre)
        , fenetre(fenetre)
        , octets(octets)
        , nom(nom)
        , lecture(detecter(octets))
    {
        construire();
        montrerLecture();
        redessiner();
    }

    // Imports what the preview shows; true when the dialog may close.
    bool importer(const QSqlDatabase &db, BilanImport *bilan);

private:
    void construire();
    QComboBox *liste(const char *nomObjet, const QString &legendeTexte, const QStringList &choix,
                     const QRect &place);
    void montrerLecture();
    void lireChoix();
    void redessiner();
    void remplirColonnes();
    QString lectureDe(const LigneReleve &ligne) const;

    QDialog *fenetre;
    const QByteArray octets;
    const QString nom;
    Lecture lecture;
    Releve releve;
    QComboBox *separateur = nullptr;
    QComboBox *encodage = nullptr;
    QSpinBox *entete = nullptr;
    QComboBox *formatDate = nullptr;
    QComboBox *modeMontant = nullptr;
    QList<QComboBox *> colonnes; // date, label, amount, debit, credit
    QStandardItemModel *modele = nullptr;
};

const char separateurs[] = { ';', ',', '\t' };

QComboBox *Import::liste(const char *nomObjet, const QString &legendeTexte,
                         const QStringList &choix, const QRect &place)
{
    legende(fenetre, legendeTexte, styleLegende, place.x(), place.y() - 18);
    auto *l = new QComboBox(fenetre);
    l->setObjectName(QLatin1String(nomObjet));
    l->addItems(choix);
    l->setGeometry(place);
    connect(l, &QComboBox::currentIndexChanged, this, [this] {
        lireChoix();
        redessiner();
    });
    return l;
}

void Import::construire()
{
    etiquette(fenetre, QStringLiteral("Importer un relevé bancaire"),
              QStringLiteral("color:green;font-size:22px;font-weight:bold;"), QRect(0, 8, 780, 30));
    etiquette(fenetre, QStringLiteral("Fichier : ") + nom, styleLegende, QRect(10, 40, 760, 20),
              Qt::AlignLeft | Qt::AlignVCenter);
    separateur = liste("separateur", QStringLiteral("Séparateur"),
                       { QStringLiteral("; (point-virgule)"), QStringLiteral(", (virgule)"),
                         QStringLiteral("tabulation") },
                       QRect(10, 88, 170, 26));
    encodage = liste("encodage", QStringLiteral("Encodage"),
                     { QStringLiteral("UTF-8"), QStringLiteral("UTF-8 avec BOM"),
                       QStringLiteral("Windows-1252") },
                     QRect(190, 88, 170, 26));
    legende(fenetre, QStringLiteral("Ligne d'en-tête (0 : aucune)"), styleLegende, 370, 70);
    entete = new QSpinBox(fenetre);
    entete->setObjectName(QStringLiteral("entete"));
    entete->setRange(0, 999);
    entete->setGeometry(370, 88, 170, 26);
    connect(entete, &QSpinBox::valueChanged, this, [this] {
        lireChoix();
        redessiner();
    });
    formatDate = liste("formatDate", QStringLiteral("Format des dates"), formatsDate(),
                       QRect(550, 88, 170, 26));
    modeMontant = liste("modeMontant", QStringLiteral("Montants"),
                        { QStringLiteral("Un montant signé"), QStringLiteral("Débit et crédit") },
                        QRect(10, 146, 170, 26));
    const QStringList noms = { QStringLiteral("Date"), QStringLiteral("Libellé"),
                               QStringLiteral("Montant"), QStringLiteral("Débit"),
                               QStringLiteral("Crédit") };
    const char *objets[] = { "colonneDate", "colonneLibelle", "colonneMontant", "colonneDebit",
                             "colonneCredit" };
    for (int i = 0; i < noms.size(); ++i) {
        colonnes << liste(objets[i], QStringLiteral("Colonne ") + noms.at(i), {},
                          QRect(190 + (i < 2 ? i : i - 2) * 150, i < 2 ? 146 : 204, 140, 26));
    }
    // The debit and credit beside the amount they replace.
    colonnes.at(3)->move(340, 204);
    colonnes.at(4)->move(490, 204);
    modele = new QStandardItemModel(fenetre);
    auto *apercu = new QTableView(fenetre);
    apercu->setObjectName(QStringLiteral("apercu"));
    apercu->setModel(modele);
    apercu->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // What becomes of each line takes the width left.
    apercu->horizontalHeader()->setStretchLastSection(true);
    apercu->setGeometry(10, 240, 760, 310);
}

void Import::montrerLecture()
{
    const QList<QObject *> tous = { separateur, encodage, entete, formatDate, modeMontant };
    for (QObject *o : tous)
        o->blockSignals(true);
    separateur->setCurrentIndex(lecture.separateur == ',' ? 1 : lecture.separateur == '\t' ? 2 : 0);
    encodage->setCurrentIndex(int(lecture.encodage));
    entete->setValue(lecture.entete);
    formatDate->setCurrentIndex(int(formatsDate().indexOf(lecture.formatDate)));
    modeMontant->setCurrentIndex(int(lecture.mode));
    for (QObject *o : tous)
        o->blockSignals(false);
}

void Import::lireChoix()
{
    lecture.separateur = separateurs[std::max(0, separateur->currentIndex())];
    lecture.encodage = Encodage(std::max(0, encodage->currentIndex()));
    lecture.entete = entete->value();
    lecture.formatDate = formatDate->currentText();
    lecture.mode = ModeMontant(std::max(0, modeMontant->currentIndex()));
    int *cibles[] = { &lecture.colonneDate, &lecture.colonneLibelle, &lecture.colonneMontant,
                      &lecture.colonneDebit, &lecture.colonneCredit };
    // A column that this reading does not have shows no choice, and keeps
    // the one made for when it comes back.
    for (int i = 0; i < colonnes.size(); ++i) {
        if (colonnes.at(i)->currentIndex() >= 0)
            *cibles[i] = colonnes.at(i)->currentIndex();
    }
}

// The column lists name the columns as the file does, each kept on its choice.
void Import::remplirColonnes()
{
    const int nombre = std::min(releve.colonnes, colonnesMaximales);
    QStringList noms;
    for (int i = 0; i < nombre; ++i) {
        const QString nomColonne = releve.entetes.value(i);
        noms << QString::number(i + 1) + (nomColonne.isEmpty() ? QString() : " : " + nomColonne);
    }
    const int choisies[] = { lecture.colonneDate, lecture.colonneLibelle, lecture.colonneMontant,
                             lecture.colonneDebit, lecture.colonneCredit };
    for (int i = 0; i < colonnes.size(); ++i) {
        QComboBox *l = colonnes.at(i);
        l->blockSignals(true);
        l->clear();
        l->addItems(noms);
        l->setCurrentIndex(choisies[i] < nombre ? choisies[i] : -1);
        l->setEnabled(i < 2 || (i == 2) == (lecture.mode == ModeMontant::Signe));
        l->blockSignals(false);
    }
}

QString Import::lectureDe(const LigneReleve &ligne) const
{
    if (ligne.role == LigneReleve::Titre)
        return QStringLiteral("ignorée (avant l'en-tête)");
    if (ligne.role == LigneReleve::Entete)
        return QStringLiteral("en-tête");
    if (!ligne.raison.isEmpty())
        return QStringLiteral("refusée : ") + ligne.raison;
    const Ecriture &e = ligne.ecriture;
    return QStringLiteral("%1 de %2 le %3")
        .arg(e.sujet, e.valeur, e.date.date().toString(QStringLiteral("dd/MM/yyyy")));
}

void Import::redessiner()
{
    releve = lireReleve(octets, lecture);
    remplirColonnes();
    const int nombre = std::min(releve.colonnes, colonnesMaximales);
    const int lignes = int(std::min<qsizetype>(releve.lignes.size(), lignesApercu));
    modele->clear();
    modele->setColumnCount(nombre + 1);
    modele->setRowCount(lignes);
    for (int c = 0; c < nombre; ++c) {
        const QString nomColonne = releve.entetes.value(c);
        modele->setHorizontalHeaderItem(
            c,
            new QStandardItem(nomColonne.isEmpty() ? QStringLiteral("Colonne %1").arg(c + 1)
                                                   : nomColonne));
    }
    modele->setHorizontalHeaderItem(nombre, new QStandardItem(QStringLiteral("Lecture")));
    for (int r = 0; r < lignes; ++r) {
        const LigneReleve &ligne = releve.lignes.at(r);
        modele->setVerticalHeaderItem(r, new QStandardItem(QString::number(ligne.numero)));
        for (int c = 0; c < std::min<int>(nombre, int(ligne.cellules.size())); ++c)
            modele->setItem(r, c, new QStandardItem(ligne.cellules.at(c)));
        auto *etat = new QStandardItem(lectureDe(ligne));
        if (ligne.role == LigneReleve::Donnee && !ligne.raison.isEmpty())
            etat->setForeground(Qt::red);
        modele->setItem(r, nombre, etat);
    }
}

// "Ligne 14 : la date …", the first ones of the lines that cannot be read.
QString listeRefus(const QStringList &refus)
{
    QStringList montres = refus.mid(0, 15);
    if (refus.size() > 15)
        montres << QStringLiteral("… et %1 autres").arg(refus.size() - 15);
    return montres.join(QLatin1Char('\n'));
}

bool Import::importer(const QSqlDatabase &db, BilanImport *bilan)
{
    QStringList refus;
    int lisibles = 0;
    for (const LigneReleve &ligne : releve.lignes) {
        if (ligne.role != LigneReleve::Donnee)
            continue;
        if (ligne.raison.isEmpty())
            ++lisibles;
        else
            refus << QStringLiteral("Ligne %1 : %2").arg(ligne.numero).arg(ligne.raison);
    }
    if (lisibles == 0) {
        boite(fenetre, QMessageBox::Warning, QStringLiteral("Rien à importer"),
              QStringLiteral("Aucune ligne du relevé ne se lit avec ces réglages.\n")
                  + listeRefus(refus));
        return false;
    }
    if (!refus.isEmpty()
        && boite(fenetre, QMessageBox::Question, QStringLiteral("Lignes illisibles"),
                 QStringLiteral("Ces lignes ne peuvent pas être lues :\n%1\n\nImporter les %2 "
                                "autres lignes ?")
                     .arg(listeRefus(refus))
                     .arg(lisibles),
                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            != QMessageBox::Yes)
        return false;
    const Issue issue = compte::importer(db, releve.lignes, nom, bilan);
    if (issue.ok())
        return true;
    if (issue == Issue::Conflit)
        conflitSignale(fenetre, issue.raison);
    else if (!issueIncertaineSignalee(fenetre, issue))
        boite(fenetre, QMessageBox::Warning, QStringLiteral("Import échoué"),
              QStringLiteral("Rien n'a été importé.\n") + issue.raison);
    return false;
}

// The whole file, once; a null array when it cannot be read (the user was told).
QByteArray lireFichier(QWidget *parent, const QString &chemin)
{
    QFile fichier(chemin);
    QString raison;
    if (!fichier.open(QIODevice::ReadOnly))
        raison = fichier.errorString();
    else if (fichier.size() > tailleMaximale)
        raison = QStringLiteral("Le fichier dépasse 16 Mo : ce n'est pas un relevé.");
    QByteArray octets = raison.isEmpty() ? fichier.read(tailleMaximale + 1) : QByteArray();
    if (raison.isEmpty() && octets.size() > tailleMaximale)
        raison = QStringLiteral("Le fichier dépasse 16 Mo : ce n'est pas un relevé.");
    if (!raison.isEmpty()) {
        boite(parent, QMessageBox::Warning, QStringLiteral("Lecture impossible"),
              QStringLiteral("Le fichier %1 ne peut pas être lu.\n").arg(chemin) + raison);
        return QByteArray();
    }
    return octets.isNull() ? QByteArray("") : octets;
}

} // namespace

bool importerReleve(QWidget *parent, const QSqlDatabase &db)
{
    const QString chemin = QFileDialog::getOpenFileName(
        parent, QStringLiteral("Importer un relevé"),
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
        QStringLiteral("Relevés (*.csv *.txt)"));
    if (chemin.isEmpty())
        return false;
    const QByteArray octets = lireFichier(parent, chemin);
    if (octets.isNull())
        return false;

    QDialog *fenetre =
        nouveauDialogue(parent, QStringLiteral("Importer un relevé bancaire"), 780, 600);
    auto *import = new Import(fenetre, octets, QFileInfo(chemin).fileName());
    const StyleBouton style { Couleurs::bleu(), true, 10.0, 10.0 };
    const QList<Button *> boutons =
        rangee(fenetre, style, { QStringLiteral("Importer"), QStringLiteral("Annuler") },
               QPoint(10, 562), QSize(375, 28));
    bool ajoutees = false;
    QObject::connect(boutons.at(0), &Button::clicked, fenetre, [&, fenetre, import] {
        BilanImport bilan;
        if (!import->importer(db, &bilan))
            return;
        ajoutees = bilan.ajoutees > 0;
        boite(fenetre, QMessageBox::Information, QStringLiteral("Import terminé"),
              QStringLiteral("Entrées ajoutées : %1\nLignes déjà présentes, ignorées : %2\n"
                             "Lignes refusées : %3")
                  .arg(bilan.ajoutees)
                  .arg(bilan.presentes)
                  .arg(bilan.refusees));
        fenetre->accept();
    });
    QObject::connect(boutons.at(1), &Button::clicked, fenetre, &QDialog::reject);
    fenetre->exec();
    return ajoutees;
}

} // namespace compte
