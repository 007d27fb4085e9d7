#include "support/proxy.h"

#include <QLocalSocket>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>

namespace {

// A client packet is a COM_QUERY (0x03) whose text is COMMIT.
bool estCommit(const QByteArray &paquet)
{
    return paquet.size() > 4 && paquet.at(4) == 0x03
        && paquet.mid(5).trimmed().compare("COMMIT", Qt::CaseInsensitive) == 0;
}

} // namespace

Proxy::Proxy()
    : contexte(new QObject)
{
    contexte->moveToThread(&fil);
    QObject::connect(&fil, &QThread::finished, contexte, &QObject::deleteLater);
    fil.start();
    QMetaObject::invokeMethod(
        contexte,
        [this] {
            auto *ecoute = new QTcpServer(contexte);
            if (!ecoute->listen(QHostAddress::LocalHost, 0))
                qFatal("the proxy cannot listen: %s", qPrintable(ecoute->errorString()));
            numero = ecoute->serverPort();
            QObject::connect(ecoute, &QTcpServer::newConnection, ecoute, [this, ecoute] {
                while (QTcpSocket *client = ecoute->nextPendingConnection()) {
                    if (refus) {
                        client->abort();
                        client->deleteLater();
                    } else {
                        relier(client);
                    }
                }
            });
        },
        Qt::BlockingQueuedConnection);
}

Proxy::~Proxy()
{
    fil.quit();
    fil.wait();
}

// Bytes both ways; the client's are cut into packets (3-byte little-endian
// length, sequence number, payload) to find the COMMIT.
void Proxy::relier(QTcpSocket *client)
{
    auto *serveur = new QLocalSocket(client);
    serveur->connectToServer(QString::fromLocal8Bit(qgetenv("MYSQL_UNIX_PORT")));
    if (!serveur->waitForConnected(3000))
        qWarning("the proxy cannot reach the server: %s", qPrintable(serveur->errorString()));
    auto tampon = std::make_shared<QByteArray>();
    auto avaler = std::make_shared<bool>(false);
    auto fermer = [client, serveur, ferme = std::make_shared<bool>(false)] {
        if (std::exchange(*ferme, true))
            return;
        serveur->abort();
        client->abort();
        client->deleteLater();
    };
    QObject::connect(serveur, &QLocalSocket::readyRead, client, [=] {
        const QByteArray lu = serveur->readAll();
        if (*avaler)
            fermer();
        else
            client->write(lu);
    });
    QObject::connect(client, &QTcpSocket::readyRead, client, [=] {
        tampon->append(client->readAll());
        while (tampon->size() >= 4) {
            const auto octet = [&](int i) { return int(uchar(tampon->at(i))); };
            const int taille = 4 + (octet(0) | octet(1) << 8 | octet(2) << 16);
            if (tampon->size() < taille)
                break;
            const QByteArray paquet = tampon->left(taille);
            tampon->remove(0, taille);
            if (estCommit(paquet)) {
                const int p = piege.exchange(Aucun);
                if (p == CommitPerdu)
                    return fermer();
                *avaler = p == ReponsePerdue;
            }
            serveur->write(paquet);
        }
    });
    QObject::connect(serveur, &QLocalSocket::disconnected, client, fermer);
    QObject::connect(client, &QTcpSocket::disconnected, client, fermer);
}
