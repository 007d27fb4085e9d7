#include "support/banc.h"

class Testcommandes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void gateCreatesTables()
    {
        Banc banc;
    }
};

QTEST_MAIN(Testcommandes)
#include "tst_commandes.moc"
