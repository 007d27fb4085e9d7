#include "compte/registre.h"
#include "support/base_de_test.h"

#include <QtTest>

class TestRegistreCompte : public QObject
{
    Q_OBJECT

private Q_SLOTS:
};

QTEST_GUILESS_MAIN(TestRegistreCompte)
#include "tst_registre_compte.moc"
