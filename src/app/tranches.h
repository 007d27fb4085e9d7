#ifndef TRANCHES_H
#define TRANCHES_H

// Result pages that may list tens of thousands of rows: laying out that much
// rich text at once takes minutes, so the page shows its first slice at once
// and adds the next slice whenever the reader scrolls to the bottom. Every row
// stays reachable.

#include <QMargins>
#include <QString>

#include <functional>

class QLabel;
class QScrollArea;

constexpr int rangsParTranche = 200;

// Fills the scroll area with a column of labels: the first one holds
// `premiere`; `suivante` gives the text of the next slice, empty when there is
// no more; `etiquette` makes the label for one slice's text.
void pageParTranches(QScrollArea *zone, const QString &premiere, std::function<QString()> suivante,
                     std::function<QLabel *(const QString &)> etiquette, const QMargins &marges);

#endif // TRANCHES_H
