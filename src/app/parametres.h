#ifndef PARAMETRES_H
#define PARAMETRES_H

#include <QLineEdit>
#include <QPointer>
#include <QStringList>

// The settings dialog's fields, read back by "Valider".
struct EtatParametres
{
    QPointer<QLineEdit> hostEdit;
    QPointer<QLineEdit> baseEdit;
    QPointer<QLineEdit> userEdit;
    QPointer<QLineEdit> passwordEdit;
};

// The words of the settings file, as a stream reads them one after another:
// white space before a word is skipped, and white space at the very end yields
// one last, empty word.
QStringList motsParametres(const QString &contenu);

#endif // PARAMETRES_H
