#ifndef BASE_DE_TEST_H
#define BASE_DE_TEST_H

// A test's database: fresh, named after the test; for a register test, without any window,
// with the registers' tables and the program's own connection; another one plays a second
// workstation.

#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

// "t12_replaydeadlock": the running test's name and data tag, unique within the run.
QString nomDeBaseDeTest();

// A fresh, empty database of the run's server, named after the test, and a
// connection of the test's own to set it up and check it; dropped at the end.
class BaseVide
{
public:
    BaseVide();
    ~BaseVide();
    BaseVide(const BaseVide &) = delete;
    BaseVide &operator=(const BaseVide &) = delete;

    QString nom;
    // The name of the test's own connection.
    QString connexionVerification() const { return nom + QStringLiteral("_verification"); }

    // SQL on the test's own connection; a refused statement is logged.
    QSqlQuery sql(const QString &requete, const QVariantList &valeurs = {});
    QVariant valeur(const QString &requete, const QVariantList &valeurs = {});
    QList<QVariantList> lignes(const QString &requete, const QVariantList &valeurs = {});
    int compte(const QString &table);

private:
    QSqlDatabase verification;
};

// The same with the registers' tables and the program's own connection, as
// the program's gates leave it.
class BaseDeTest : public BaseVide
{
public:
    BaseDeTest();
    ~BaseDeTest();

    // The connection the registers are given.
    QSqlDatabase db;
    // Another workstation on the same database, with the same session.
    QSqlDatabase autre();

private:
    QSqlDatabase ouvrir(const QString &connexion);
    QStringList connexions;
};

#endif // BASE_DE_TEST_H
