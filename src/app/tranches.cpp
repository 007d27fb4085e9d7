#include "app/tranches.h"

#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <memory>

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
