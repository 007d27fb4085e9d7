#include "app/ui.h"

#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QSqlQuery>
#include <QVBoxLayout>

#include <memory>

QLabel *etiquette(QWidget *parent, const QString &texte, const QString &style, const QRect &place,
                  Qt::Alignment alignement)
{
    auto *label = new QLabel(texte, parent);
    label->setStyleSheet(style);
    label->setGeometry(place);
    label->setAlignment(alignement);
    return label;
}

QLabel *legende(QWidget *parent, const QString &texte, const QString &style, int x, int y)
{
    auto *label = new QLabel(texte, parent);
    label->setTextFormat(Qt::PlainText);
    if (!style.isEmpty())
        label->setStyleSheet(style);
    label->move(x, y);
    return label;
}

int idDepuisEntree(const QString &entree, const QString &prefixe)
{
    const QRegularExpression motif(QLatin1Char('^') + QRegularExpression::escape(prefixe)
                                   + QStringLiteral("([0-9]+)"));
    const QRegularExpressionMatch trouve = motif.match(entree);
    return trouve.hasMatch() ? trouve.captured(1).toInt(nullptr, 10) : 0;
}

QCompleter *completeurDepuis(QSqlQuery &requete, QObject *proprietaire, int colonnes)
{
    QStringList textes;
    while (requete.next()) {
        for (int c = 0; c < colonnes; ++c)
            textes << requete.value(c).toString();
    }
    auto *completeur = new QCompleter(textes, proprietaire);
    completeur->setCaseSensitivity(Qt::CaseInsensitive);
    return completeur;
}

void remplacerCompleteur(QLineEdit *champ, QSqlQuery &requete, int colonnes)
{
    // Owned by the field: the field deletes the completer it replaces.
    champ->setCompleter(completeurDepuis(requete, champ, colonnes));
}

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

void pageParTranches(QScrollArea *zone, const QString &premiere, std::function<QString()> suivante,
                     std::function<QLabel *(const QString &)> etiquette, const QMargins &marges)
{
    auto *conteneur = new QWidget;
    auto *colonne = new QVBoxLayout(conteneur);
    colonne->setContentsMargins(marges);
    colonne->setSpacing(0);
    colonne->addWidget(etiquette(premiere));
    colonne->addStretch();
    zone->setWidgetResizable(true);
    zone->setWidget(conteneur);

    auto fini = std::make_shared<bool>(false);
    QScrollBar *barre = zone->verticalScrollBar();
    QObject::connect(barre, &QScrollBar::valueChanged, conteneur, [=](int position) {
        if (*fini || position < barre->maximum())
            return;
        const QString texte = suivante();
        if (texte.isEmpty()) {
            *fini = true;
            return;
        }
        colonne->insertWidget(colonne->count() - 1, etiquette(texte));
    });
}
