#ifndef SAUVEGARDE_OUTILS_H
#define SAUVEGARDE_OUTILS_H

// The command-line tools of the MariaDB client (mariadb-dump writes the
// backups), started on the program's own server. They get the connection's settings on
// their command line, except the password, which they read from an option
// file that only the user can read and that is removed as soon as they are
// done.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

class Progression;
class QSqlDatabase;

namespace sauvegarde {

// The arguments that name the server to the command-line tools, the password
// excepted: user, host, and for the local host the socket the program's own
// connection uses.
QStringList argumentsConnexion(const QSqlDatabase &db);

// How a tool's run ended.
struct Execution
{
    bool reussi = false;
    // Stopped by the user through the progress window.
    bool annule = false;
    // Why it failed: the tool's or the server's own message, in short.
    QString message;
};

// Runs the first of the tools `noms` found on this machine on the
// connection's server, with `suite` after the connection arguments. `sortie`
// (if any) receives what it writes, and returns why it cannot take it (the
// tool is then stopped), or nothing. The user's clicks wait until
// the progress window shows; cancelling it stops the tool.
Execution lancerOutil(const QStringList &noms, const QSqlDatabase &db, const QStringList &suite,
                      Progression *progression,
                      const std::function<QString(const QByteArray &)> &sortie);

// Called with the program and arguments of every tool started (for the tests).
void observerProcessus(std::function<void(const QString &, const QStringList &)> observateur);

} // namespace sauvegarde

#endif // SAUVEGARDE_OUTILS_H
