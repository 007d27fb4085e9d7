#ifndef PROXY_H
#define PROXY_H

// A relay between the program and the run's server, which can lose what a
// network loses: the server's answer to a commit, the commit itself, or every
// new connection. It listens on 127.0.0.1 and forwards each connection to the
// server's socket (MYSQL_UNIX_PORT), in a thread of its own: the program's
// statements block the test's thread.

#include <QThread>

#include <atomic>

class Proxy
{
public:
    Proxy();
    ~Proxy();
    Proxy(const Proxy &) = delete;
    Proxy &operator=(const Proxy &) = delete;

    quint16 port() const { return numero; }

    // The next COMMIT a client sends reaches the server, then its answer is
    // dropped and the connection closed on both sides: stored, but the client
    // cannot know it.
    void perdreReponseAuCommit() { piege = ReponsePerdue; }
    // The next COMMIT is dropped and the connection closed: the server rolls back.
    void perdreCommit() { piege = CommitPerdu; }
    // New connections are closed at once: the server cannot be reached.
    void refuserConnexions(bool oui) { refus = oui; }
    // True while the armed fault has not met its COMMIT yet.
    bool arme() const { return piege != Aucun; }

private:
    enum Piege { Aucun, ReponsePerdue, CommitPerdu };
    void relier(class QTcpSocket *client);

    QThread fil;
    QObject *contexte;
    quint16 numero = 0;
    std::atomic<int> piege { Aucun };
    std::atomic<bool> refus { false };
};

#endif // PROXY_H
