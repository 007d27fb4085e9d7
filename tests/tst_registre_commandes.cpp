#include "commandes/registre.h"
#include "support/base_de_test.h"

#include <QtTest>

class TestRegistreCommandes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
};

QTEST_GUILESS_MAIN(TestRegistreCommandes)
#include "tst_registre_commandes.moc"
