#ifndef COMMANDES_PAGES_H
#define COMMANDES_PAGES_H

// Result pages of the orders section. A page may list tens of thousands of
// orders or customers; laying out that much rich text takes minutes, so the
// page shows its first slice at once and adds the next slice whenever the
// reader scrolls to the bottom. Every row stays reachable.

#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QString>
#include <QVBoxLayout>

#include <functional>
#include <memory>

namespace commandes {

// Rows per slice of a result page.
constexpr int rangsParTranche = 200;

// Fills the scroll area with a column of labels: the first one holds
// `premiere`; `suivante` gives the text of the next slice, empty when there
// is no more; `etiquette` makes the label for one slice's text.
inline void pageParTranches(QScrollArea *zone, const QString &premiere,
                            std::function<QString()> suivante,
                            std::function<QLabel *(const QString &)> etiquette,
                            const QMargins &marges)
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

} // namespace commandes

#endif // COMMANDES_PAGES_H
