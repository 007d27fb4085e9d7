#include "app/saisie.h"

#include <QLocale>

QString texteNombre(const QVariant &valeur)
{
    switch (valeur.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(valeur.toDouble(), 'g', 15);
    default:
        return valeur.toString();
    }
}

double lireNombre(const QString &texte, bool *ok)
{
    bool lu = false;
    double nombre = QLocale().toDouble(texte, &lu);
    if (!lu)
        nombre = texte.toDouble(&lu);
    if (ok)
        *ok = lu;
    return lu ? nombre : 0.0;
}

QString saisie(const QString &texte)
{
    return texte.isNull() ? QStringLiteral("") : texte;
}

QString html(const QString &texte)
{
    return texte.toHtmlEscaped();
}

QString motifContient(const QString &texte)
{
    QString echappe = texte;
    echappe.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    echappe.replace(QLatin1Char('%'), QStringLiteral("\\%"));
    echappe.replace(QLatin1Char('_'), QStringLiteral("\\_"));
    return QLatin1Char('%') + echappe + QLatin1Char('%');
}
