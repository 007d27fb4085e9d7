#include "support/banc.h"

class Testcompte : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void gateCreatesTables()
    {
        Banc banc;
    }
};

QTEST_MAIN(Testcompte)
#include "tst_compte.moc"
