#include "app/entreprise.h"

#include "commun/base.h"
#include "commun/schema.h"

#include <QMessageBox>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <mysql.h>
#include <poll.h>

namespace {

} // namespace

bool Entreprise::connexionCompte()
{
    return passerPorte(compteConnecte, Section::Compte);
}

bool Entreprise::connexionCommande()
{
    return passerPorte(gestionConnecte, Section::Commandes);
}

bool Entreprise::connexionEmploye()
{
    return passerPorte(gestionConnecte, Section::Employes);
}

namespace {

// The tables each section works on, and the journal every change is written to.
QStringList tablesDe(int section)
{
    switch (section) {
    case 0:
        return QStringList { QStringLiteral("compte") } + schema::tablesJournal();
    case 1:
        return QStringList { QStringLiteral("commandes"), QStringLiteral("clients") }
        + schema::tablesFactures() + schema::tablesJournal();
    default:
        return QStringList { QStringLiteral("employes"), QStringLiteral("absence") }
        + schema::tablesJournal();
    }
}

// After a pause this long, the server is asked whether it still holds the
// connection: a machine restarted, or a router that forgot an idle link, close
// nothing on this side.
const qint64 pauseDouteuse = 30 * 1000;

// True when the server still holds the connection. Between two commands the
// server never speaks first: anything waiting on the socket, or its end, means
// the server closed the connection (killed, restarted, timed out), which is
// learnt without a word to the server. After a long pause, a ping (no
// statement) asks. Without the client library's handle, one statement does.
bool connexionVivante(QSqlDatabase &db, bool apresPause)
{
    const QVariant poignee = db.driver()->handle();
    // Qt names the handle's type after the structure behind the typedef.
    if (poignee.isValid()
        && (qstrcmp(poignee.typeName(), "MYSQL*") == 0
            || qstrcmp(poignee.typeName(), "st_mysql*") == 0)) {
        MYSQL *mysql = *static_cast<MYSQL *const *>(poignee.constData());
        if (!mysql)
            return false;
        const my_socket prise = mysql_get_socket(mysql);
        if (prise == MARIADB_INVALID_SOCKET)
            return false;
        pollfd attente { prise, POLLIN | POLLRDHUP, 0 };
        if (::poll(&attente, 1, 0) != 0)
            return false;
        return !apresPause || mysql_ping(mysql) == 0;
    }
    QSqlQuery ping(db);
    return executer(ping, QStringLiteral("SELECT 1"));
}

} // namespace

bool Entreprise::passerPorte(bool &drapeau, Section section)
{
    drapeau = false;
    // An open connection is kept while the server still holds it; after a
    // restart of the server, or a change of settings, it is opened again, and
    // everything the session had is sent again.
    if (db.isOpen()
        && !connexionVivante(
            db, !derniereCommande.isValid() || derniereCommande.elapsed() > pauseDouteuse))
        db.close();
    if (!db.isOpen()) {
        sectionsPretes.clear();
        if (!db.open())
            qWarning("Connexion impossible : %s", qPrintable(db.lastError().text()));
    }
    derniereCommande.start();
    // A table dropped under the program's feet is created again.
    if (tableDisparue())
        sectionsPretes.clear();

    QString probleme;
    if (db.isOpen() && !sectionsPretes.contains(section)) {
        if (schema::preparer(db, tablesDe(int(section)), &probleme)) {
            sectionsPretes.insert(section);
            convertirMoteurs(tablesDe(int(section)));
        } else
            qWarning("La base de donnée ne permet pas de travailler : %s", qPrintable(probleme));
    }
    drapeau = db.isOpen() && sectionsPretes.contains(section);
    if (drapeau)
        return true;
    QMessageBox::critical(this, QStringLiteral("Base de donnée inaccessible"),
                          QStringLiteral("Le programme n'a pas pu se connecter à la base de "
                                         "donnée.\nPour l'information, par défaut serveur = "
                                         "localhost, base_de_donnée = test, utilisateur = root et "
                                         "mot_de_passe est vide."));
    return false;
}
