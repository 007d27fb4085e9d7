#include "support/banc.h"

class Testemployes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void gateCreatesTables()
    {
        Banc banc;
    }
};

QTEST_MAIN(Testemployes)
#include "tst_employes.moc"
