#include "fichiers.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

QList<QStringList> lireCsv(const QByteArray &contenu)
{
    const QString texte = QString::fromUtf8(contenu);
    QList<QStringList> lignes;
    QStringList ligne;
    QString champ;
    bool entreGuillemets = false, champCommence = false;
    for (qsizetype i = 0; i < texte.size(); ++i) {
        const QChar c = texte.at(i);
        if (entreGuillemets) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < texte.size() && texte.at(i + 1) == QLatin1Char('"')) {
                    champ += c;
                    ++i;
                } else {
                    entreGuillemets = false;
                }
            } else {
                champ += c;
            }
        } else if (c == QLatin1Char('"') && champ.isEmpty()) {
            entreGuillemets = true;
            champCommence = true;
        } else if (c == QLatin1Char(';')) {
            ligne << champ;
            champ.clear();
            champCommence = true;
        } else if (c == QLatin1Char('\r') && i + 1 < texte.size()
                   && texte.at(i + 1) == QLatin1Char('\n')) {
            ligne << champ;
            lignes << ligne;
            ligne.clear();
            champ.clear();
            champCommence = false;
            ++i;
        } else {
            // A bare line feed outside quotes is not a record end: it stays visible.
            champ += c;
            champCommence = true;
        }
    }
    if (champCommence || !champ.isEmpty() || !ligne.isEmpty()) {
        ligne << champ;
        lignes << ligne;
    }
    return lignes;
}

QString textePdf(const QString &chemin)
{
    QProcess pdftotext;
    pdftotext.start(
        QStringLiteral("pdftotext"),
        { QStringLiteral("-enc"), QStringLiteral("UTF-8"), chemin, QStringLiteral("-") });
    if (!pdftotext.waitForFinished(60000) || pdftotext.exitCode() != 0)
        return QString();
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

QString infoPdf(const QString &chemin, const QString &champ)
{
    QProcess pdfinfo;
    pdfinfo.start(QStringLiteral("pdfinfo"), { chemin });
    if (!pdfinfo.waitForFinished(60000) || pdfinfo.exitCode() != 0)
        return QString();
    const QStringList lignes =
        QString::fromUtf8(pdfinfo.readAllStandardOutput()).split(QLatin1Char('\n'));
    for (const QString &ligne : lignes) {
        if (ligne.startsWith(champ + QLatin1Char(':')))
            return ligne.mid(champ.size() + 1).trimmed();
    }
    return QString();
}

bool ecrireFichier(const QString &chemin, const QByteArray &contenu)
{
    QFile fichier(chemin);
    return fichier.open(QIODevice::WriteOnly) && fichier.write(contenu) == contenu.size();
}

QByteArray lireFichier(const QString &chemin)
{
    QFile fichier(chemin);
    return fichier.open(QIODevice::ReadOnly) ? fichier.readAll() : QByteArray();
}
