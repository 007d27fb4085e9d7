#include "commun/exports.h"

#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSaveFile>
#include <QStandardPaths>

QString demanderFichier(QWidget *parent, const QString &titre, const QString &nom,
                        const QString &extension, const QString &filtre)
{
    return demanderFichierNomme(parent, titre,
                                nom + QLatin1Char('-')
                                    + QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")),
                                extension, filtre);
}

QString demanderFichierNomme(QWidget *parent, const QString &titre, const QString &fichier,
                             const QString &extension, const QString &filtre)
{
    // The documents folder, or the home folder of a user who has none.
    QString dossier = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QFileInfo(dossier).isDir())
        dossier = QDir::homePath();
    const QString proposition = QDir(dossier).filePath(fichier + QLatin1Char('.') + extension);
    QFileDialog dialogue(parent, titre, proposition, filtre);
    dialogue.setAcceptMode(QFileDialog::AcceptSave);
    dialogue.setFileMode(QFileDialog::AnyFile);
    dialogue.setDefaultSuffix(extension);
    dialogue.selectFile(proposition);
    if (dialogue.exec() != QDialog::Accepted || dialogue.selectedFiles().isEmpty())
        return QString();
    return dialogue.selectedFiles().constFirst();
}

namespace {

void echec(QWidget *parent, const QString &chemin, const QString &raison)
{
    QMessageBox::warning(parent, QStringLiteral("Exportation impossible"),
                         QStringLiteral("Le fichier « %1 » n'a pas pu être enregistré :\n%2")
                             .arg(QDir::toNativeSeparators(chemin), raison));
}

} // namespace

bool enregistrer(QWidget *parent, const QString &chemin,
                 const std::function<bool(QIODevice &)> &ecrire)
{
    // Written beside the file, and put in its place only once whole.
    QSaveFile fichier(chemin);
    if (!fichier.open(QIODevice::WriteOnly)) {
        echec(parent, chemin, fichier.errorString());
        return false;
    }
    if (!ecrire(fichier)) {
        fichier.cancelWriting();
        return false;
    }
    if (!fichier.commit()) {
        echec(parent, chemin, fichier.errorString());
        return false;
    }
    return true;
}
