#include "employes/registre.h"
#include "support/base_de_test.h"

#include <QtTest>

class TestRegistreEmployes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
};

QTEST_GUILESS_MAIN(TestRegistreEmployes)
#include "tst_registre_employes.moc"
