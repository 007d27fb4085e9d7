#include "support/base_de_test.h"

#include "commun/schema.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlRecord>
#include <QtTest>

namespace {

int numeroBase = 0;

QSqlDatabase connexionA(const QString &connexion, const QString &base)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"), connexion);
    db.setHostName(QStringLiteral("localhost"));
    db.setDatabaseName(base);
    db.setUserName(QStringLiteral("root"));
    if (!db.open())
        qFatal("no test server: %s", qPrintable(db.lastError().text()));
    return db;
}

} // namespace

QString nomDeBaseDeTest()
{
    QString nom = QString::fromLatin1(QTest::currentTestFunction());
    if (const char *tag = QTest::currentDataTag())
        nom += QLatin1Char('_') + QString::fromUtf8(tag);
    nom = nom.toLower().replace(QRegularExpression(QStringLiteral("[^a-z0-9_]")),
                                QStringLiteral("_"));
    return QStringLiteral("t%1_%2").arg(++numeroBase).arg(nom.left(50));
}

BaseVide::BaseVide()
    : nom(nomDeBaseDeTest())
{
    {
        QSqlDatabase admin = connexionA(nom + QStringLiteral("_admin"), QString());
        QSqlQuery q(admin);
        q.exec(QStringLiteral("DROP DATABASE IF EXISTS ") + nom);
        if (!q.exec(QStringLiteral("CREATE DATABASE ") + nom))
            qFatal("cannot create the test database: %s", qPrintable(q.lastError().text()));
    }
    QSqlDatabase::removeDatabase(nom + QStringLiteral("_admin"));
    verification = connexionA(connexionVerification(), nom);
}

BaseVide::~BaseVide()
{
    QSqlQuery(verification).exec(QStringLiteral("DROP DATABASE IF EXISTS ") + nom);
    verification = QSqlDatabase();
    QSqlDatabase::removeDatabase(connexionVerification());
}

BaseDeTest::BaseDeTest()
{
    db = ouvrir(nom + QStringLiteral("_programme"));
}

BaseDeTest::~BaseDeTest()
{
    // The workstations' connections go first: a test that failed while
    // another workstation held rows would otherwise keep the database from
    // being dropped, and the run would wait for it.
    db = QSqlDatabase();
    for (const QString &connexion : std::as_const(connexions)) {
        QSqlDatabase::database(connexion, false).close();
        QSqlDatabase::removeDatabase(connexion);
    }
}

QSqlDatabase BaseDeTest::ouvrir(const QString &connexion)
{
    connexions << connexion;
    QSqlDatabase ouverte = connexionA(connexion, nom);
    QString probleme;
    if (!schema::preparer(ouverte, schema::tablesRegistres(), &probleme))
        qFatal("the registers cannot work: %s", qPrintable(probleme));
    return ouverte;
}

QSqlDatabase BaseDeTest::autre()
{
    return ouvrir(nom + QStringLiteral("_autre%1").arg(connexions.size()));
}

QSqlQuery BaseVide::sql(const QString &requete, const QVariantList &valeurs)
{
    QSqlQuery q(verification);
    q.prepare(requete);
    for (const QVariant &v : valeurs)
        q.addBindValue(v);
    if (!q.exec())
        qWarning("refused: %s: %s", qPrintable(requete), qPrintable(q.lastError().text()));
    return q;
}

QVariant BaseVide::valeur(const QString &requete, const QVariantList &valeurs)
{
    QSqlQuery q = sql(requete, valeurs);
    return q.next() ? q.value(0) : QVariant();
}

QList<QVariantList> BaseVide::lignes(const QString &requete, const QVariantList &valeurs)
{
    QSqlQuery q = sql(requete, valeurs);
    QList<QVariantList> toutes;
    while (q.next()) {
        QVariantList ligne;
        for (int i = 0; i < q.record().count(); ++i)
            ligne << q.value(i);
        toutes << ligne;
    }
    return toutes;
}

int BaseVide::compte(const QString &table)
{
    return valeur(QStringLiteral("SELECT COUNT(*) FROM ") + table).toInt();
}
