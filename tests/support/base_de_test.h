#ifndef BASE_DE_TEST_H
#define BASE_DE_TEST_H

// A register test's database, without any window: fresh, named after the test, with the
// registers' tables and the program's own connection; another one plays a second workstation.

#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

// "t12_replaydeadlock": the running test's name and data tag, unique within the run.
QString nomDeBaseDeTest();

class BaseDeTest
{
public:
    BaseDeTest();
    ~BaseDeTest();
    BaseDeTest(const BaseDeTest &) = delete;
    BaseDeTest &operator=(const BaseDeTest &) = delete;

    QString nom;
    // The connection the registers are given, as the program's gates leave it.
    QSqlDatabase db;
    // Another workstation on the same database, with the same session.
    QSqlDatabase autre();

    // SQL on a connection of the test's own, to set up and check the database.
    QSqlQuery sql(const QString &requete, const QVariantList &valeurs = {});
    QVariant valeur(const QString &requete, const QVariantList &valeurs = {});
    QList<QVariantList> lignes(const QString &requete, const QVariantList &valeurs = {});
    int compte(const QString &table);

private:
    QSqlDatabase ouvrir(const QString &connexion);
    QSqlDatabase verification;
    QStringList connexions;
};

#endif // BASE_DE_TEST_H
