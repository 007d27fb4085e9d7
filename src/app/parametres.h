#ifndef PARAMETRES_H
#define PARAMETRES_H

#include <QLineEdit>
#include <QPointer>

// The settings dialog's fields, read back by "Valider".
struct EtatParametres
{
    QPointer<QLineEdit> hostEdit;
    QPointer<QLineEdit> baseEdit;
    QPointer<QLineEdit> userEdit;
    QPointer<QLineEdit> passwordEdit;
};

#endif // PARAMETRES_H
