#include "commun/sauvegarde/outils.h"
#include "commun/progression.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace sauvegarde {

namespace {

std::function<void(const QString &, const QStringList &)> observateur;

// A value of an option file: quoted, with its backslashes, quotes and line
// breaks escaped.
QByteArray valeurOption(const QString &texte)
{
    QByteArray v;
    for (const char c : texte.toUtf8()) {
        switch (c) {
        case '\\':
            v += "\\\\";
            break;
        case '"':
            v += "\\\"";
            break;
        case '\n':
            v += "\\n";
            break;
        case '\r':
            v += "\\r";
            break;
        case '\t':
            v += "\\t";
            break;
        default:
            v += c;
        }
    }
    return '"' + v + '"';
}

// What a tool says of its failure: the client repeats the whole refused
// statement before the server's message, which is all the user needs.
QString messageOutil(const QByteArray &erreurs)
{
    const QStringList lignes = QString::fromUtf8(erreurs).split(QLatin1Char('\n'));
    QStringList serveur;
    for (const QString &ligne : lignes) {
        if (ligne.startsWith(QLatin1String("ERROR ")))
            serveur << ligne.trimmed();
    }
    const QString message =
        serveur.isEmpty() ? QString::fromUtf8(erreurs).trimmed() : serveur.join(QLatin1Char('\n'));
    return message.size() > 600 ? message.left(600) + QStringLiteral("…") : message;
}

// The first of the programs found.
QString outil(const QStringList &noms)
{
    for (const QString &nom : noms) {
        const QString chemin = QStandardPaths::findExecutable(nom);
        if (!chemin.isEmpty())
            return chemin;
    }
    return {};
}

// The file of options that gives a tool the connection's password: only the
// user can read it, and it goes with `options`. Why it cannot be written, or
// nothing.
QString ecrireOptions(QTemporaryFile &options, const QSqlDatabase &db)
{
    if (!options.open() || !options.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)
        || options.write("[client]\npassword=" + valeurOption(db.password()) + "\n") < 0
        || !options.flush()) {
        return QStringLiteral("le fichier temporaire des options de connexion ne peut pas être "
                              "écrit (%1)")
            .arg(options.errorString());
    }
    return {};
}

// One run of a tool: hands on its output, and waits for its end.
class Lancement
{
public:
    Lancement(Progression *progression, const std::function<QString(const QByteArray &)> &sortie)
        : progression(progression)
        , sortie(sortie)
    {
    }

    void executer(const QString &programme, const QStringList &arguments);
    // How it ended, in the user's words.
    Execution bilan(const QString &programme) const;

private:
    void lireSortie();

    Progression *progression;
    const std::function<QString(const QByteArray &)> &sortie;
    QProcess processus;
    bool fini = false;
    bool annule = false;
    QByteArray erreurs;
    QString refusSortie;
};

void Lancement::lireSortie()
{
    const QByteArray morceau = processus.readAllStandardOutput();
    if (morceau.isEmpty() || !refusSortie.isEmpty() || !sortie)
        return;
    refusSortie = sortie(morceau);
    if (!refusSortie.isEmpty())
        processus.kill();
}

void Lancement::executer(const QString &programme, const QStringList &arguments)
{
    QObject::connect(&processus, &QProcess::readyReadStandardOutput, &processus,
                     [this] { lireSortie(); });
    QObject::connect(&processus, &QProcess::readyReadStandardError, &processus,
                     [this] { erreurs += processus.readAllStandardError(); });
    QObject::connect(&processus, &QProcess::finished, &processus, [this] { fini = true; });
    QObject::connect(&processus, &QProcess::errorOccurred, &processus,
                     [this](QProcess::ProcessError erreur) {
                         if (erreur == QProcess::FailedToStart)
                             fini = true;
                     });
    if (progression) {
        progression->surAnnulation = [this] {
            annule = true;
            processus.kill();
        };
    }

    processus.start(programme, arguments);
    // Until the progress window shows, the user's clicks wait: nothing else
    // may start meanwhile.
    while (!fini) {
        QEventLoop::ProcessEventsFlags drapeaux = QEventLoop::WaitForMoreEvents;
        if (!progression || !progression->visible())
            drapeaux |= QEventLoop::ExcludeUserInputEvents;
        QCoreApplication::processEvents(drapeaux);
    }
    if (progression)
        progression->surAnnulation = nullptr;
    lireSortie();
    erreurs += processus.readAllStandardError();
}

Execution Lancement::bilan(const QString &programme) const
{
    Execution resultat;
    resultat.annule = annule;
    if (processus.error() == QProcess::FailedToStart) {
        resultat.message = QStringLiteral("le programme %1 n'a pas pu être lancé (%2)")
                               .arg(programme, processus.errorString());
    } else if (annule) {
        resultat.message = QStringLiteral("arrêté à la demande de l'utilisateur");
    } else if (!refusSortie.isEmpty()) {
        resultat.message = refusSortie;
    } else if (processus.exitStatus() != QProcess::NormalExit || processus.exitCode() != 0) {
        resultat.message = messageOutil(erreurs);
        if (resultat.message.isEmpty()) {
            resultat.message =
                QStringLiteral("le programme %1 s'est arrêté sur une erreur (code %2)")
                    .arg(programme)
                    .arg(processus.exitCode());
        }
    } else {
        resultat.reussi = true;
    }
    return resultat;
}

} // namespace

QStringList argumentsConnexion(const QSqlDatabase &db)
{
    QStringList arguments;
    const QString hote = db.hostName().isEmpty() ? QStringLiteral("localhost") : db.hostName();
    arguments << QStringLiteral("--host=") + hote;
    if (hote == QLatin1String("localhost")) {
        // The client library's own choice for the local host: the socket named
        // in the connection's options, else MYSQL_UNIX_PORT, else its default.
        QString socket = qEnvironmentVariable("MYSQL_UNIX_PORT");
        for (const QString &option : db.connectOptions().split(QLatin1Char(';'))) {
            const QString nette = option.trimmed();
            if (nette.startsWith(QLatin1String("UNIX_SOCKET=")))
                socket = nette.mid(12);
        }
        if (socket.isEmpty())
            socket = QStringLiteral("/run/mysqld/mysqld.sock");
        arguments << QStringLiteral("--socket=") + socket;
    } else if (db.port() > 0) {
        arguments << QStringLiteral("--port=") + QString::number(db.port());
    }
    if (!db.userName().isEmpty())
        arguments << QStringLiteral("--user=") + db.userName();
    arguments << QStringLiteral("--default-character-set=utf8mb4");
    return arguments;
}

Execution lancerOutil(const QStringList &noms, const QSqlDatabase &db, const QStringList &suite,
                      Progression *progression,
                      const std::function<QString(const QByteArray &)> &sortie)
{
    const QString programme = outil(noms);
    if (programme.isEmpty()) {
        Execution introuvable;
        introuvable.message =
            QStringLiteral("le programme %1 est introuvable (paquet mariadb-client)")
                .arg(noms.first());
        return introuvable;
    }

    // The password goes through a file only the user can read, never on the
    // command line, where every user of the machine could read it.
    QTemporaryFile options(QDir::tempPath() + QStringLiteral("/tabloran-XXXXXX.cnf"));
    const QString refusOptions = ecrireOptions(options, db);
    if (!refusOptions.isEmpty()) {
        Execution impossible;
        impossible.message = refusOptions;
        return impossible;
    }
    const QStringList arguments =
        QStringList { QStringLiteral("--defaults-file=") + options.fileName() }
        + argumentsConnexion(db) + suite;
    if (observateur)
        observateur(programme, arguments);

    Lancement lancement(progression, sortie);
    lancement.executer(programme, arguments);
    return lancement.bilan(programme);
}

void observerProcessus(std::function<void(const QString &, const QStringList &)> nouveau)
{
    observateur = std::move(nouveau);
}

} // namespace sauvegarde
