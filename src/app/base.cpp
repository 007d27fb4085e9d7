#include "app/base.h"

#include <QMessageBox>
#include <QSqlError>

namespace {

// MariaDB's code for "Table ... doesn't exist".
const QLatin1String tableInconnue("1146");
bool tableManquante = false;

void noter(const QString &quoi, const QSqlError &erreur)
{
    if (erreur.nativeErrorCode() == tableInconnue)
        tableManquante = true;
    qWarning("La base de donnée a refusé «%s» : %s", qPrintable(quoi.simplified().left(200)),
             qPrintable(erreur.text()));
}

} // namespace

bool executer(QSqlQuery &requete)
{
    if (requete.exec())
        return true;
    noter(requete.lastQuery(), requete.lastError());
    return false;
}

bool executer(QSqlQuery &requete, const QString &instruction)
{
    if (requete.exec(instruction))
        return true;
    noter(instruction, requete.lastError());
    return false;
}

QString messageServeur(const QSqlQuery &requete)
{
    return requete.lastError().text();
}

void lectureRefusee(QWidget *parent, const QString &message)
{
    QMessageBox::warning(parent, QStringLiteral("Erreur de la base de donnée"),
                         QStringLiteral("La base de donnée a refusé la demande :\n") + message);
}

bool lire(QSqlQuery &requete, QWidget *parent)
{
    if (executer(requete))
        return true;
    lectureRefusee(parent, messageServeur(requete));
    return false;
}

bool lire(QSqlQuery &requete, const QString &instruction, QWidget *parent)
{
    if (executer(requete, instruction))
        return true;
    lectureRefusee(parent, messageServeur(requete));
    return false;
}

bool tableDisparue()
{
    const bool disparue = tableManquante;
    tableManquante = false;
    return disparue;
}

Transaction::Transaction(const QSqlDatabase &connexion)
    : db(connexion)
{
    active = db.transaction();
    if (!active) {
        message = db.lastError().text();
        noter(QStringLiteral("START TRANSACTION"), db.lastError());
    }
}

Transaction::~Transaction()
{
    annuler();
}

bool Transaction::valider()
{
    if (!active)
        return false;
    if (db.commit()) {
        active = false;
        return true;
    }
    message = db.lastError().text();
    noter(QStringLiteral("COMMIT"), db.lastError());
    annuler();
    return false;
}

void Transaction::annuler()
{
    if (!active)
        return;
    active = false;
    // A rollback the server refuses leaves nothing to undo on our side: the
    // connection has lost the transaction, and the server drops it itself.
    if (!db.rollback())
        noter(QStringLiteral("ROLLBACK"), db.lastError());
}
