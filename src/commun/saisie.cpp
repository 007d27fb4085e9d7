#include "commun/saisie.h"

#include <QDate>
#include <QRegularExpression>

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

QString montantLu(const QString &texte, const QString &champ, bool zeroPermis, QString *raison)
{
    const auto refus = [&](const QString &pourquoi) {
        if (raison)
            *raison = champ + pourquoi;
        return QString();
    };
    // Spaces of every kind group the thousands, or surround the number.
    QString t;
    for (const QChar c : texte) {
        if (!c.isSpace())
            t += c;
    }
    if (t.isEmpty())
        return refus(QStringLiteral(" est vide"));
    static const QRegularExpression forme(
        QStringLiteral("^([+-]?)([0-9]*)(?:[.,]([0-9]*))?(?:[eE]([+-]?[0-9]+))?$"));
    const QRegularExpressionMatch m = forme.match(t);
    const QString entier = m.captured(2);
    const QString fraction = m.captured(3);
    if (!m.hasMatch() || (entier.isEmpty() && fraction.isEmpty()))
        return refus(QStringLiteral(" n'est pas un nombre : écrivez par exemple 1500 ou 12,50"));

    const QString chiffres = entier + fraction;
    const bool nul = !chiffres.contains(QRegularExpression(QStringLiteral("[1-9]")));
    const bool negatif = m.captured(1) == QLatin1String("-") && !nul;
    if (negatif || (nul && !zeroPermis)) {
        return refus(zeroPermis ? QStringLiteral(" ne peut pas être négatif")
                                : QStringLiteral(" doit être plus grand que 0"));
    }
    if (nul)
        return QStringLiteral("0");

    // The exponent moves the decimal point; the digits stay as typed, so that
    // 12,50 keeps its two decimals.
    const QString exposant = m.captured(4);
    const QString tropLong =
        QStringLiteral(" s'écrit avec plus de %1 caractères").arg(largeurs::montant);
    bool lu = false;
    const int decalage = exposant.isEmpty() ? 0 : exposant.toInt(&lu);
    if (!exposant.isEmpty() && (!lu || decalage > 100 || decalage < -100))
        return refus(tropLong);
    const int point = int(entier.size()) + decalage;
    QString nombre;
    if (point <= 0)
        nombre = QStringLiteral("0.") + QString(-point, QLatin1Char('0')) + chiffres;
    else if (point >= chiffres.size())
        nombre = chiffres + QString(point - chiffres.size(), QLatin1Char('0'));
    else
        nombre = chiffres.left(point) + QLatin1Char('.') + chiffres.mid(point);
    // No zero in front of the units: 007 is 7, .5 is 0.5.
    qsizetype zeros = 0;
    while (zeros + 1 < nombre.size() && nombre.at(zeros) == QLatin1Char('0')
           && nombre.at(zeros + 1) != QLatin1Char('.'))
        ++zeros;
    nombre.remove(0, zeros);
    if (nombre.size() > largeurs::montant)
        return refus(tropLong);
    return nombre;
}

QString prixLu(const QString &texte, QString *raison)
{
    static const QRegularExpression marque(QStringLiteral("(F|CFA|FCFA)\\s*$"),
                                           QRegularExpression::CaseInsensitiveOption);
    QString nombre = texte;
    nombre.remove(marque);
    return montantLu(nombre, QStringLiteral("Le prix unitaire"), true, raison);
}

QString caractereHorsBase(const QString &texte)
{
    for (qsizetype i = 0; i < texte.size(); ++i) {
        const QChar c = texte.at(i);
        if (!c.isSurrogate())
            continue;
        if (c.isHighSurrogate() && i + 1 < texte.size() && texte.at(i + 1).isLowSurrogate())
            return texte.mid(i, 2);
        return QStringLiteral("U+%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
    }
    return QString();
}

QString premierRefus(std::initializer_list<Champ> champs)
{
    for (const Champ &champ : champs) {
        const QString horsBase = caractereHorsBase(champ.texte);
        if (!horsBase.isNull()) {
            return champ.nom
                + QStringLiteral(" contient un caractère que la base ne peut pas enregistrer : ")
                + horsBase;
        }
        if (champ.largeur > 0 && champ.texte.size() > champ.largeur)
            return champ.nom + QStringLiteral(" dépasse %1 caractères").arg(champ.largeur);
        if (champ.largeur == 0 && champ.texte.toUtf8().size() > largeurs::octetsCommentaire) {
            return champ.nom
                + QStringLiteral(" est trop long : la base en garde au plus 65 535 octets");
        }
    }
    return QString();
}

QString refusNomPrenom(const QString &nom, const QString &prenom)
{
    if (nom.size() + 1 + prenom.size() <= largeurs::nomPrenom)
        return QString();
    return QStringLiteral("Le nom et le prénom, avec l'espace qui les sépare, dépassent %1 "
                          "caractères")
        .arg(largeurs::nomPrenom);
}

QString refusDate(int annee, int mois, int jour, const QString &champ)
{
    if (QDate::isValid(annee, mois, jour))
        return QString();
    static const char *const noms[] = { "janvier",   "février", "mars",     "avril",
                                        "mai",       "juin",    "juillet",  "août",
                                        "septembre", "octobre", "novembre", "décembre" };
    const QString nomMois =
        mois >= 1 && mois <= 12 ? QString::fromUtf8(noms[mois - 1]) : QString::number(mois);
    return QStringLiteral("Le %1 %2 %3 n'existe pas (%4)")
        .arg(jour)
        .arg(nomMois)
        .arg(annee)
        .arg(champ);
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
