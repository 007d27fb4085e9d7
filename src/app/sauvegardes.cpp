#include "app/entreprise.h"
#include "commun/dialogues.h"
#include "commun/historique.h"
#include "commun/progression.h"
#include "commun/sauvegarde/sauvegarde.h"

#include <QDate>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QStandardPaths>

using namespace sauvegarde;

namespace {

const QString filtre = QStringLiteral("Sauvegardes SQL (*.sql);;Tous les fichiers (*)");

// The title of the progress windows of backups and restorations.
const QString patienter = QStringLiteral("Veuillez patienter");

// "compte, clients et commandes"
QString enumeration(const QStringList &mots)
{
    if (mots.size() < 2)
        return mots.join(QString());
    return mots.mid(0, mots.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" et ")
        + mots.last();
}

QString documents()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

// The box that tells how a restoration went.
void direRestauration(QWidget *parent, const QString &chemin, const Restauration &restauration)
{
    switch (restauration.issue) {
    case Restauration::Reussie:
        boite(parent, QMessageBox::Information, QStringLiteral("Restauration réussie"),
              QStringLiteral("Les données du fichier %1 ont été restaurées.\n\n%2")
                  .arg(chemin, texteRangs(restauration.rangs)));
        break;
    case Restauration::SecuriteImpossible:
        boite(parent, QMessageBox::Warning, QStringLiteral("Restauration annulée"),
              QStringLiteral("Les données actuelles n'ont pas pu être sauvegardées avant la "
                             "restauration : %1.\nAucune donnée n'a été modifiée.")
                  .arg(restauration.message));
        break;
    case Restauration::Retablie:
        boite(parent, QMessageBox::Warning, QStringLiteral("Restauration échouée"),
              QStringLiteral("Le serveur a refusé une partie du fichier %1 ; les données ont été "
                             "remises comme elles étaient avant la restauration.\n\nMessage du "
                             "serveur : %2")
                  .arg(chemin, restauration.message));
        break;
    case Restauration::NonRetablie:
        // The backup of the data is named whenever there is one.
        boite(parent, QMessageBox::Critical, QStringLiteral("Restauration échouée"),
              restauration.securite.isEmpty()
                  ? QStringLiteral("Le serveur a refusé une partie du fichier %1, et les données "
                                   "n'ont pas pu être remises comme elles étaient.\n\nMessage du "
                                   "serveur : %2")
                        .arg(chemin, restauration.message)
                  : QStringLiteral("Le serveur a refusé une partie du fichier %1, et les données "
                                   "n'ont pas pu être remises comme elles étaient. Elles sont "
                                   "sauvegardées dans le fichier %2.\n\nMessage du serveur : %3")
                        .arg(chemin, restauration.securite, restauration.message));
        break;
    }
}

// The file examined; false, after telling the user why it cannot be restored.
bool examinerFichier(QWidget *parent, const QString &chemin, Examen *examen)
{
    *examen = examiner(chemin);
    if (examen->refus.isEmpty())
        return true;
    boite(parent, QMessageBox::Warning, QStringLiteral("Restauration refusée"),
          QStringLiteral("Le fichier %1 ne peut pas être restauré : %2.\nAucune donnée n'a "
                         "été modifiée.")
              .arg(chemin, examen->refus));
    return false;
}

} // namespace

bool Entreprise::registresPrets()
{
    return connexionCompte() && connexionCommande() && connexionEmploye();
}

void Entreprise::rafraichirCompleteurs()
{
    clientComboChange();
    rafraichirCompleteurEmployes();
}

void Entreprise::sauvegarderBase()
{
    QWidget *parent = dialog ? static_cast<QWidget *>(dialog) : this;
    if (!registresPrets())
        return;
    const QString chemin = QFileDialog::getSaveFileName(
        parent, QStringLiteral("Sauvegarder les données"),
        documents() + QStringLiteral("/tabloran-")
            + QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".sql"),
        filtre);
    if (chemin.isEmpty())
        return;

    Resultat bilan;
    {
        Progression progression(parent, patienter,
                                QStringLiteral("Sauvegarde des données en cours…"), true);
        bilan = sauvegarder(db, tablesPresentes(db, tablesRegistres()), chemin, &progression);
    }
    switch (bilan.issue) {
    case Resultat::Reussi:
        boite(parent, QMessageBox::Information, QStringLiteral("Sauvegarde réussie"),
              QStringLiteral("Les données ont été sauvegardées dans le fichier :\n%1\n\n%2")
                  .arg(chemin, texteRangs(bilan.rangs)));
        break;
    case Resultat::Annule:
        boite(parent, QMessageBox::Information, QStringLiteral("Sauvegarde annulée"),
              QStringLiteral("La sauvegarde a été annulée : aucun fichier n'a été écrit."));
        break;
    case Resultat::Echoue:
        boite(parent, QMessageBox::Warning, QStringLiteral("Sauvegarde échouée"),
              QStringLiteral("Le fichier %1 n'a pas été écrit :\n%2").arg(chemin, bilan.message));
        break;
    }
}

void Entreprise::restaurerBase()
{
    QWidget *parent = dialog ? static_cast<QWidget *>(dialog) : this;
    if (!registresPrets())
        return;
    // The user's own backups, if there are any; else those the program wrote
    // before emptying a register.
    QString depart = documents();
    const QDir automatique(dossierAutomatique());
    if (QDir(depart).entryList({ QStringLiteral("tabloran-*.sql") }, QDir::Files).isEmpty()
        && !automatique.entryList({ QStringLiteral("*.sql") }, QDir::Files).isEmpty())
        depart = automatique.path();
    const QString chemin = QFileDialog::getOpenFileName(
        parent, QStringLiteral("Restaurer des données"), depart, filtre);
    if (chemin.isEmpty())
        return;

    Examen examen;
    if (!examinerFichier(parent, chemin, &examen))
        return;
    if (boite(parent, QMessageBox::Question, QStringLiteral("Confirmation de la restauration"),
              QStringLiteral("Voulez vous vraiment restaurer le fichier %1 ?\nLes données "
                             "actuelles des tables %2 seront remplacées par celles du fichier.")
                  .arg(chemin, enumeration(examen.tables)),
              QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        != QMessageBox::Yes)
        return;
    chargerSauvegarde(parent, chemin, examen);
}

void Entreprise::chargerSauvegarde(QWidget *parent, const QString &chemin, const Examen &examen,
                                   const QString &resume)
{
    Restauration restauration;
    {
        Progression progression(parent, patienter,
                                QStringLiteral("Restauration des données en cours…\nElle ne peut "
                                               "pas être interrompue."),
                                false);
        restauration = restaurer(db, chemin, examen, &progression, resume);
    }
    rafraichirCompleteurs();
    direRestauration(parent, chemin, restauration);
}

void Entreprise::annulerRestauration(QWidget *parent, const historique::Entree &entree)
{
    // No backup was taken when none of the file's tables existed yet.
    if (entree.fichier.isEmpty()) {
        boite(parent, QMessageBox::Warning, QStringLiteral("Annulation impossible"),
              QStringLiteral("Aucune sauvegarde n'a été faite avant la restauration « %1 » : "
                             "les tables n'existaient pas encore.\nAucune donnée n'a été "
                             "modifiée.")
                  .arg(entree.resume));
        return;
    }
    if (boite(parent, QMessageBox::Question, QStringLiteral("Annuler la modification"),
              QStringLiteral("Voulez-vous annuler la restauration « %1 » du %2, poste %3 ?\nLes "
                             "données seront remises comme elles étaient avant elle, depuis la "
                             "sauvegarde %4 : toute modification faite après la restauration "
                             "sera perdue.")
                  .arg(entree.resume, entree.quand, entree.poste, entree.fichier),
              QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        != QMessageBox::Yes)
        return;
    Examen examen;
    if (examinerFichier(parent, entree.fichier, &examen))
        chargerSauvegarde(parent, entree.fichier, examen,
                          QStringLiteral("Restauration annulée : ") + entree.resume);
}

bool Entreprise::sauvegardeAvantVider(QWidget *parent, const QStringList &tables,
                                      schema::Bornes *bornes)
{
    Resultat bilan;
    // The bounds are read before the backup: every row up to them is in it,
    // and the rows another workstation adds after them are not emptied.
    if (schema::plusHautsNumeros(db, tables, bornes, &bilan.message)) {
        Progression progression(parent, patienter,
                                QStringLiteral("Sauvegarde de sécurité en cours…"), true);
        bilan = sauvegardeAutomatique(db, QStringLiteral("avant-vider"), tables, &progression);
    }
    if (bilan.reussi())
        return true;
    boite(parent, QMessageBox::Warning, QStringLiteral("Vidage annulé"),
          QStringLiteral("La sauvegarde de sécurité de vos données n'a pas pu être écrite : "
                         "%1.\nRien n'a été vidé.")
              .arg(bilan.message));
    return false;
}

void Entreprise::convertirMoteurs(const QStringList &tables)
{
    QStringList aConvertir;
    QString probleme;
    if (!schema::sansTransactions(db, tables, &aConvertir, &probleme) || aConvertir.isEmpty())
        return;
    Resultat bilan;
    {
        Progression progression(this, patienter, QStringLiteral("Sauvegarde de sécurité en cours…"),
                                true);
        bilan =
            sauvegardeAutomatique(db, QStringLiteral("avant-conversion"), aConvertir, &progression);
    }
    QStringList converties;
    probleme = bilan.message;
    for (const QString &table : std::as_const(aConvertir)) {
        if (bilan.reussi() && schema::convertir(db, table, &probleme))
            converties << table;
    }
    if (!converties.isEmpty()) {
        const QString texte = converties.size() == 1
            ? QStringLiteral("La table %1 était enregistrée sans transactions : une écriture "
                             "refusée à mi-chemin pouvait en garder une partie. Elle a été "
                             "convertie au moteur InnoDB")
            : QStringLiteral("Les tables %1 étaient enregistrées sans transactions : une "
                             "écriture refusée à mi-chemin pouvait en garder une partie. Elles "
                             "ont été converties au moteur InnoDB");
        boite(this, QMessageBox::Information, QStringLiteral("Tables converties"),
              texte.arg(enumeration(converties))
                  + QStringLiteral(", après une sauvegarde de sécurité dans le fichier :\n")
                  + bilan.fichier);
    }
    QStringList restees;
    for (const QString &table : std::as_const(aConvertir)) {
        if (!converties.contains(table) && !moteursSignales.contains(table))
            restees << table;
    }
    if (restees.isEmpty())
        return;
    moteursSignales.unite(QSet<QString>(restees.cbegin(), restees.cend()));
    boite(this, QMessageBox::Warning, QStringLiteral("Tables sans transactions"),
          QStringLiteral("Enregistrées sans transactions : %1.\nLa conversion au moteur InnoDB a "
                         "échoué : %2.\nUne écriture refusée à mi-chemin peut y garder une "
                         "partie de ses lignes.")
              .arg(enumeration(restees), probleme));
}
