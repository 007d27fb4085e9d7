#include "commun/sauvegarde.h"
#include "commun/base.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <algorithm>
#include <cstring>

namespace sauvegarde {

namespace {

std::function<void(const QString &, const QStringList &)> observateur;

bool espace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// The first n bytes, or all of them.
QByteArrayView debut(QByteArrayView v, qsizetype n)
{
    return v.first(std::min(n, v.size()));
}

const QRegularExpression::PatternOptions sansCasse = QRegularExpression::CaseInsensitiveOption;

} // namespace

QString texteRangs(const Rangs &rangs)
{
    const QLocale francais(QLocale::French);
    QStringList lignes;
    for (const auto &[table, nombre] : rangs) {
        lignes << QStringLiteral("%1 : %2 %3")
                      .arg(table, francais.toString(nombre),
                           nombre > 1 ? QStringLiteral("lignes") : QStringLiteral("ligne"));
    }
    return lignes.join(QLatin1Char('\n'));
}

// ---------------------------------------------------------------------------
// Reading a dump

void Lecteur::lire(const QByteArray &morceau)
{
    qsizetype debut = 0;
    for (;;) {
        const qsizetype fin = morceau.indexOf('\n', debut);
        if (fin < 0) {
            reste.append(morceau.constData() + debut, morceau.size() - debut);
            return;
        }
        if (reste.isEmpty()) {
            ligne(QByteArray::fromRawData(morceau.constData() + debut, fin - debut));
        } else {
            reste.append(morceau.constData() + debut, fin - debut);
            ligne(reste);
            reste.clear();
        }
        debut = fin + 1;
    }
}

void Lecteur::refuser(const QString &pourquoi)
{
    if (contenu.refus.isEmpty())
        contenu.refus = pourquoi;
}

bool Lecteur::nommer(const QString &table)
{
    if (!tablesRegistres().contains(table)) {
        refuser(QStringLiteral("il nomme la table « %1 », qui n'est pas une table de ce programme")
                    .arg(table.left(64)));
        return false;
    }
    if (!contenu.tables.contains(table)) {
        contenu.tables << table;
        contenu.rangs << qMakePair(table, qint64(0));
    }
    return true;
}

// One line of the file; strings and block comments may go on over several.
void Lecteur::ligne(const QByteArray &texte)
{
    ++numeroLigne;
    if (!contenu.refus.isEmpty())
        return;
    QByteArrayView l(texte);
    if (l.endsWith('\r'))
        l.chop(1);
    const QByteArrayView nette = l.trimmed();
    if (!nette.isEmpty())
        derniereLigne = debut(nette, 64).toByteArray();

    const auto inattendue = [this] {
        refuser(QStringLiteral("sa ligne %1 contient une instruction qu'une sauvegarde de ce "
                               "programme ne contient pas")
                    .arg(ligneInstruction ? ligneInstruction : numeroLigne));
    };
    const auto blanc = [this] {
        if (!instruction.isEmpty() && !instruction.endsWith(' '))
            instruction += ' ';
    };
    const auto commencer = [this] {
        if (instruction.isEmpty())
            ligneInstruction = numeroLigne;
    };

    // The line with which mariadb-dump asks the client to refuse its own
    // commands: only welcome.
    if (etat == Code && !conditionnel && instruction.isEmpty()
        && nette == QByteArrayView("/*M!999999\\- enable the sandbox mode */"))
        return;

    const qsizetype n = l.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = l.at(i);
        const char suivant = i + 1 < n ? l.at(i + 1) : '\n';
        switch (etat) {
        case Code:
            if (c == '\'' || c == '"') {
                commencer();
                etat = Chaine;
                guillemet = c;
                instruction += '?';
            } else if (c == '`') {
                commencer();
                etat = Identifiant;
                identifiant.clear();
            } else if (c == '#'
                       || (c == '-' && suivant == '-' && (i + 2 >= n || espace(l.at(i + 2))))) {
                i = n;
            } else if (c == '/' && suivant == '*') {
                const bool version = i + 2 < n
                    && (l.at(i + 2) == '!'
                        || (l.at(i + 2) == 'M' && i + 3 < n && l.at(i + 3) == '!'));
                if (!version) {
                    etat = CommentaireBloc;
                    ++i;
                } else if (conditionnel) {
                    return inattendue();
                } else {
                    // Code the server runs, from its version on: read as code.
                    commencer();
                    conditionnel = true;
                    i += l.at(i + 2) == '!' ? 2 : 3;
                    while (i + 1 < n && l.at(i + 1) >= '0' && l.at(i + 1) <= '9')
                        ++i;
                    blanc();
                }
            } else if (c == '*' && suivant == '/' && conditionnel) {
                conditionnel = false;
                ++i;
                blanc();
            } else if (c == ';') {
                if (conditionnel)
                    return inattendue();
                instructionFinie();
                if (!contenu.refus.isEmpty())
                    return;
            } else if (c == '\\') {
                // A command of the client itself, not SQL.
                commencer();
                return inattendue();
            } else if (espace(c)) {
                blanc();
            } else {
                commencer();
                instruction += c;
            }
            break;
        case Chaine:
            if (echappe) {
                echappe = false;
            } else if (c == '\\') {
                echappe = true;
            } else if (c == guillemet) {
                if (suivant == guillemet)
                    ++i;
                else
                    etat = Code;
            } else if (litteraux.size() < 1024
                       && debut(instruction, 4).compare("SET ", Qt::CaseInsensitive) == 0) {
                litteraux += c;
            }
            break;
        case Identifiant:
            if (c == '`') {
                if (suivant == '`') {
                    identifiant += '`';
                    ++i;
                } else {
                    etat = Code;
                    instruction += '`' + identifiant + '`';
                }
            } else {
                identifiant += c;
            }
            break;
        case CommentaireBloc:
            if (c == '*' && suivant == '/') {
                etat = Code;
                ++i;
                blanc();
            }
            break;
        }
    }
    if (etat == Code)
        blanc();
    else if (etat == Identifiant)
        identifiant += '\n';
    else if (etat == Chaine)
        echappe = false;
}

void Lecteur::instructionFinie()
{
    const QByteArray brut = instruction.trimmed();
    instruction.clear();
    const QByteArray chaines = litteraux.toUpper();
    litteraux.clear();
    if (brut.isEmpty())
        return;

    const auto inattendue = [this] {
        refuser(QStringLiteral("sa ligne %1 contient une instruction qu'une sauvegarde de ce "
                               "programme ne contient pas")
                    .arg(ligneInstruction));
    };

    // Rows: only plain values, numbers, NULL and strings, row after row.
    static const QRegularExpression insertion(
        QStringLiteral("^INSERT INTO `([^`]*)`(?: \\([^()]*\\))? ?VALUES ?$"), sansCasse);
    const qsizetype valeurs = brut.indexOf("VALUES");
    if (debut(brut, 7).compare("INSERT ", Qt::CaseInsensitive) == 0) {
        const QRegularExpressionMatch entete = valeurs < 0
            ? QRegularExpressionMatch()
            : insertion.match(QString::fromUtf8(brut.left(valeurs + 6)));
        if (!entete.hasMatch())
            return inattendue();
        const QString table = entete.captured(1);
        if (!nommer(table))
            return;
        qint64 rangs = 0;
        int profondeur = 0;
        for (qsizetype i = valeurs + 6; i < brut.size(); ++i) {
            const char c = brut.at(i);
            if (c == '(') {
                if (profondeur++ != 0)
                    return inattendue();
                ++rangs;
            } else if (c == ')') {
                if (--profondeur != 0)
                    return inattendue();
            } else if (c == 'N' || c == 'n') {
                if (debut(QByteArrayView(brut).sliced(i), 4).compare("NULL", Qt::CaseInsensitive)
                    != 0)
                    return inattendue();
                i += 3;
            } else if (!std::strchr("0123456789.+-eE?, ", c)) {
                return inattendue();
            }
        }
        if (profondeur != 0 || rangs == 0)
            return inattendue();
        for (auto &paire : contenu.rangs) {
            if (paire.first == table)
                paire.second += rangs;
        }
        return;
    }

    const QString s = QString::fromUtf8(brut);
    static const QRegularExpression nommees[] = {
        QRegularExpression(QStringLiteral("^DROP TABLE IF EXISTS `([^`]*)`$"), sansCasse),
        QRegularExpression(QStringLiteral("^LOCK TABLES `([^`]*)` WRITE$"), sansCasse),
        QRegularExpression(QStringLiteral("^ALTER TABLE `([^`]*)` (?:DISABLE|ENABLE) KEYS$"),
                           sansCasse),
    };
    for (const QRegularExpression &motif : nommees) {
        const QRegularExpressionMatch m = motif.match(s);
        if (m.hasMatch()) {
            nommer(m.captured(1));
            return;
        }
    }
    static const QRegularExpression deverrouillage(QStringLiteral("^UNLOCK TABLES$"), sansCasse);
    if (deverrouillage.match(s).hasMatch())
        return;

    // A table of the program, with its columns and keys, on an ordinary engine;
    // no link to another table, no data taken from elsewhere, no file of its own.
    static const QRegularExpression creation(
        QStringLiteral("^CREATE TABLE `([^`]*)` \\((.*)\\)((?: (?:DEFAULT CHARSET|CHARSET|DEFAULT "
                       "COLLATE|COLLATE|ENGINE|AUTO_INCREMENT|ROW_FORMAT|COMMENT|PAGE_CHECKSUM|"
                       "TRANSACTIONAL|CHECKSUM|STATS_PERSISTENT|PACK_KEYS) ?= ?[^ ]+)*)$"),
        sansCasse);
    static const QRegularExpression interdits(
        QStringLiteral("\\b(?:REFERENCES|SELECT|DIRECTORY|CONNECTION)\\b"), sansCasse);
    static const QRegularExpression moteur(
        QStringLiteral("ENGINE ?= ?(?!(?:InnoDB|MyISAM|Aria|MEMORY)(?: |$))"), sansCasse);
    const QRegularExpressionMatch table = creation.match(s);
    if (table.hasMatch()) {
        if (interdits.match(table.captured(2)).hasMatch()
            || moteur.match(table.captured(3)).hasMatch())
            return inattendue();
        nommer(table.captured(1));
        return;
    }

    // Settings of the session, as every dump makes and unmakes them. Nothing
    // that would make the server read strings otherwise than the client cut
    // them (a mode without backslash escapes, an odd character set).
    if (s.startsWith(QLatin1String("SET "), Qt::CaseInsensitive)) {
        static const QRegularExpression affectation(
            QStringLiteral("^(@{0,2}[A-Za-z_][A-Za-z_0-9.]*)(?: ?= ?| )([^ ]+)$"));
        static const QRegularExpression valeur(
            QStringLiteral("^(?:@@?[A-Za-z_][A-Za-z_0-9.]*|\\?|-?[0-9]+|utf8|utf8mb3|utf8mb4|"
                           "latin1|binary)$"),
            sansCasse);
        static const QSet<QString> variables = { QStringLiteral("NAMES"),
                                                 QStringLiteral("CHARACTER_SET_CLIENT"),
                                                 QStringLiteral("CHARACTER_SET_RESULTS"),
                                                 QStringLiteral("COLLATION_CONNECTION"),
                                                 QStringLiteral("TIME_ZONE"),
                                                 QStringLiteral("UNIQUE_CHECKS"),
                                                 QStringLiteral("FOREIGN_KEY_CHECKS"),
                                                 QStringLiteral("SQL_MODE"),
                                                 QStringLiteral("SQL_NOTES"),
                                                 QStringLiteral("NOTE_VERBOSITY"),
                                                 QStringLiteral("AUTOCOMMIT"),
                                                 QStringLiteral("CHECK_CONSTRAINT_CHECKS") };
        if (chaines.contains("BACKSLASH") || chaines.contains("ANSI"))
            return inattendue();
        const QStringList parties = s.mid(4).split(QLatin1Char(','));
        for (const QString &partie : parties) {
            const QRegularExpressionMatch m = affectation.match(partie.trimmed());
            if (!m.hasMatch())
                return inattendue();
            const QString nom = m.captured(1);
            const bool variableUtilisateur =
                nom.startsWith(QLatin1Char('@')) && !nom.startsWith(QLatin1String("@@"));
            if (!variableUtilisateur && !variables.contains(nom.toUpper()))
                return inattendue();
            if (!valeur.match(m.captured(2)).hasMatch())
                return inattendue();
        }
        return;
    }
    inattendue();
}

Contenu Lecteur::fin()
{
    if (!reste.isEmpty()) {
        const QByteArray derniere = reste;
        reste.clear();
        ligne(derniere);
    }
    if (contenu.refus.isEmpty()) {
        const bool complet = etat == Code && !conditionnel && instruction.trimmed().isEmpty()
            && derniereLigne.startsWith("-- Dump completed");
        if (!complet) {
            refuser(QStringLiteral("il s'arrête avant la dernière ligne qu'écrit mariadb-dump : il "
                                   "est incomplet"));
        } else if (contenu.tables.isEmpty()) {
            refuser(QStringLiteral("il ne contient aucune table de ce programme"));
        }
    }
    return contenu;
}

Contenu examiner(const QString &chemin)
{
    QFile fichier(chemin);
    if (!fichier.open(QIODevice::ReadOnly)) {
        Contenu illisible;
        illisible.refus = QStringLiteral("il ne peut pas être lu (%1)").arg(fichier.errorString());
        return illisible;
    }
    Lecteur lecteur;
    while (!fichier.atEnd()) {
        const QByteArray morceau = fichier.read(1 << 20);
        if (morceau.isEmpty())
            break;
        lecteur.lire(morceau);
    }
    return lecteur.fin();
}

// ---------------------------------------------------------------------------
// The progress window

namespace {

class FenetreProgression : public QProgressDialog
{
public:
    FenetreProgression(QWidget *parent, bool annulable)
        : QProgressDialog(parent)
        , annulable(annulable)
    {
    }

protected:
    // Escape cancels what may be cancelled, and nothing else.
    void reject() override
    {
        if (annulable)
            Q_EMIT canceled();
    }
    void closeEvent(QCloseEvent *evenement) override
    {
        if (annulable)
            QProgressDialog::closeEvent(evenement);
        else
            evenement->ignore();
    }

private:
    bool annulable;
};

} // namespace

int Progression::delai = 1000;

Progression::Progression(QWidget *parent, const QString &texte, bool annulable)
    : parent(parent)
    , texte(texte)
    , peutAnnuler(annulable)
{
    QObject::connect(&minuteur, &QTimer::timeout, &minuteur, [this] {
        if (!fenetre) {
            montrer();
            minuteur.setInterval(200);
        } else {
            rafraichir();
        }
    });
    minuteur.start(delai);
}

Progression::~Progression()
{
    delete fenetre.data();
}

void Progression::avancer(qint64 faitMaintenant, qint64 totalMaintenant)
{
    fait = faitMaintenant;
    total = totalMaintenant;
}

void Progression::annoncer(const QString &nouveau)
{
    texte = nouveau;
    rafraichir();
}

bool Progression::visible() const
{
    return fenetre && fenetre->isVisible();
}

void Progression::montrer()
{
    auto *d = new FenetreProgression(parent, peutAnnuler);
    fenetre = d;
    d->setWindowTitle(QStringLiteral("Veuillez patienter"));
    d->setWindowModality(Qt::ApplicationModal);
    d->setAutoReset(false);
    d->setAutoClose(false);
    d->setMinimumDuration(0);
    if (peutAnnuler) {
        d->setCancelButtonText(QStringLiteral("Annuler"));
        QObject::connect(d, &QProgressDialog::canceled, d, [this] {
            if (surAnnulation)
                surAnnulation();
        });
    } else {
        d->setCancelButton(nullptr);
        d->setWindowFlag(Qt::WindowCloseButtonHint, false);
    }
    rafraichir();
    d->show();
}

void Progression::rafraichir()
{
    if (!fenetre)
        return;
    QString etiquette = texte;
    if (total <= 0 && fait > 0) {
        etiquette +=
            QStringLiteral("\n%1 écrits").arg(QLocale(QLocale::French).formattedDataSize(fait));
    }
    fenetre->setLabelText(etiquette);
    if (total > 0) {
        fenetre->setRange(0, 1000);
        fenetre->setValue(int(std::min<qint64>(1000, fait * 1000 / total)));
    } else {
        fenetre->setRange(0, 0);
    }
}

// ---------------------------------------------------------------------------
// The command-line tools

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

namespace {

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

struct Execution
{
    bool reussi = false;
    bool annule = false;
    QString message;
};

QString outil(const QStringList &noms)
{
    for (const QString &nom : noms) {
        const QString chemin = QStandardPaths::findExecutable(nom);
        if (!chemin.isEmpty())
            return chemin;
    }
    return {};
}

// Runs one of the tools on the connection's server, with `suite` after the
// connection arguments; `entree` is fed to it, `sortie` receives what it
// writes (and returns why it cannot take it, or nothing).
Execution lancerOutil(const QStringList &noms, const QSqlDatabase &db, const QStringList &suite,
                      Progression *progression, QIODevice *entree,
                      const std::function<QString(const QByteArray &)> &sortie)
{
    Execution resultat;
    const QString programme = outil(noms);
    if (programme.isEmpty()) {
        resultat.message = QStringLiteral("le programme %1 est introuvable (paquet mariadb-client)")
                               .arg(noms.first());
        return resultat;
    }

    // The password goes through a file only the user can read, never on the
    // command line, where every user of the machine could read it.
    QTemporaryFile options(QDir::tempPath() + QStringLiteral("/tabloran-XXXXXX.cnf"));
    if (!options.open() || !options.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)
        || options.write("[client]\npassword=" + valeurOption(db.password()) + "\n") < 0
        || !options.flush()) {
        resultat.message = QStringLiteral("le fichier temporaire des options de connexion ne peut "
                                          "pas être écrit (%1)")
                               .arg(options.errorString());
        return resultat;
    }
    const QStringList arguments =
        QStringList { QStringLiteral("--defaults-file=") + options.fileName() }
        + argumentsConnexion(db) + suite;
    if (observateur)
        observateur(programme, arguments);

    QProcess processus;
    bool fini = false;
    bool ferme = false;
    QByteArray erreurs;
    QString refusSortie;
    const auto lireSortie = [&] {
        const QByteArray morceau = processus.readAllStandardOutput();
        if (morceau.isEmpty() || !refusSortie.isEmpty() || !sortie)
            return;
        refusSortie = sortie(morceau);
        if (!refusSortie.isEmpty())
            processus.kill();
    };
    const auto nourrir = [&] {
        if (!entree || ferme)
            return;
        while (!entree->atEnd() && processus.bytesToWrite() < (4 << 20)) {
            const QByteArray morceau = entree->read(1 << 20);
            if (morceau.isEmpty())
                break;
            processus.write(morceau);
        }
        if (entree->atEnd()) {
            processus.closeWriteChannel();
            ferme = true;
        }
        if (progression)
            progression->avancer(entree->pos() - processus.bytesToWrite(), entree->size());
    };
    QObject::connect(&processus, &QProcess::readyReadStandardOutput, &processus, lireSortie);
    QObject::connect(&processus, &QProcess::readyReadStandardError, &processus,
                     [&] { erreurs += processus.readAllStandardError(); });
    QObject::connect(&processus, &QProcess::started, &processus, nourrir);
    QObject::connect(&processus, &QProcess::bytesWritten, &processus, [&] {
        nourrir();
        if (progression && entree)
            progression->avancer(entree->pos() - processus.bytesToWrite(), entree->size());
    });
    QObject::connect(&processus, &QProcess::finished, &processus, [&] { fini = true; });
    QObject::connect(&processus, &QProcess::errorOccurred, &processus,
                     [&](QProcess::ProcessError erreur) {
                         if (erreur == QProcess::FailedToStart)
                             fini = true;
                     });
    if (progression) {
        progression->surAnnulation = [&] {
            resultat.annule = true;
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

    if (processus.error() == QProcess::FailedToStart) {
        resultat.message = QStringLiteral("le programme %1 n'a pas pu être lancé (%2)")
                               .arg(programme, processus.errorString());
    } else if (resultat.annule) {
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

Rangs compter(const QSqlDatabase &db, const QStringList &tables)
{
    Rangs rangs;
    QSqlQuery requete(db);
    for (const QString &table : tables) {
        // The names are the program's own tables, never typed text.
        const bool lu = ::executer(requete, QStringLiteral("SELECT COUNT(*) FROM `%1`").arg(table))
            && requete.next();
        rangs << qMakePair(table, lu ? requete.value(0).toLongLong() : qint64(-1));
    }
    return rangs;
}

} // namespace

QStringList tablesPresentes(const QSqlDatabase &db, const QStringList &tables)
{
    QSqlQuery requete(db);
    QStringList trouvees;
    if (!::executer(requete,
                    QStringLiteral("SELECT table_name FROM information_schema.tables WHERE "
                                   "table_schema = DATABASE()")))
        return trouvees;
    QSet<QString> presentes;
    while (requete.next())
        presentes << requete.value(0).toString();
    for (const QString &table : tablesRegistres()) {
        if (tables.contains(table) && presentes.contains(table))
            trouvees << table;
    }
    return trouvees;
}

Bilan sauvegarder(const QSqlDatabase &db, const QStringList &tables, const QString &chemin,
                  Progression *progression)
{
    Bilan bilan;
    bilan.fichier = chemin;
    if (tables.isEmpty()) {
        bilan.message = QStringLiteral("il n'y a aucune table à sauvegarder");
        return bilan;
    }
    QSaveFile fichier(chemin);
    if (!fichier.open(QIODevice::WriteOnly)) {
        bilan.message =
            QStringLiteral("le fichier ne peut pas être écrit (%1)").arg(fichier.errorString());
        return bilan;
    }
    Lecteur lecteur;
    qint64 ecrits = 0;
    const Execution execution = lancerOutil(
        { QStringLiteral("mariadb-dump"), QStringLiteral("mysqldump") }, db,
        QStringList { QStringLiteral("--single-transaction"), QStringLiteral("--skip-triggers"),
                      QStringLiteral("--"), db.databaseName() }
            + tables,
        progression, nullptr, [&](const QByteArray &morceau) {
            if (fichier.write(morceau) != morceau.size()) {
                return QStringLiteral("le fichier ne peut pas être écrit (%1)")
                    .arg(fichier.errorString());
            }
            lecteur.lire(morceau);
            ecrits += morceau.size();
            if (progression)
                progression->avancer(ecrits, 0);
            return QString();
        });
    if (!execution.reussi) {
        // The temporary file goes; a file already under that name stays as it was.
        fichier.cancelWriting();
        bilan.issue = execution.annule ? Bilan::Annule : Bilan::Echoue;
        bilan.message = execution.message;
        return bilan;
    }
    const Contenu contenu = lecteur.fin();
    if (!contenu.refus.isEmpty()) {
        fichier.cancelWriting();
        bilan.message =
            QStringLiteral("le fichier obtenu ne pourrait pas être restauré : ") + contenu.refus;
        return bilan;
    }
    if (!fichier.commit()) {
        bilan.message =
            QStringLiteral("le fichier ne peut pas être écrit (%1)").arg(fichier.errorString());
        return bilan;
    }
    bilan.issue = Bilan::Reussi;
    bilan.rangs = contenu.rangs;
    return bilan;
}

Bilan charger(const QSqlDatabase &db, const QString &chemin, Progression *progression)
{
    Bilan bilan;
    bilan.fichier = chemin;
    QFile fichier(chemin);
    if (!fichier.open(QIODevice::ReadOnly)) {
        bilan.message =
            QStringLiteral("le fichier ne peut pas être lu (%1)").arg(fichier.errorString());
        return bilan;
    }
    const Execution execution =
        lancerOutil({ QStringLiteral("mariadb"), QStringLiteral("mysql") }, db,
                    { QStringLiteral("--"), db.databaseName() }, progression, &fichier, nullptr);
    bilan.issue = execution.reussi ? Bilan::Reussi : Bilan::Echoue;
    bilan.message = execution.message;
    return bilan;
}

QString dossierAutomatique()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
        + QStringLiteral("/sauvegardes");
}

Bilan sauvegardeAutomatique(const QSqlDatabase &db, const QString &motif, const QStringList &tables,
                            Progression *progression)
{
    const QString dossier = dossierAutomatique();
    if (!QDir().mkpath(dossier) || !QFileInfo(dossier).isDir()) {
        Bilan bilan;
        bilan.message = QStringLiteral("le dossier %1 ne peut pas être créé").arg(dossier);
        return bilan;
    }
    const QString nom =
        QStringLiteral("%1/%2-%3-%4")
            .arg(dossier, motif, tables.join(QLatin1Char('-')),
                 QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss")));
    // Two backups in the same second keep both.
    QString chemin = nom + QStringLiteral(".sql");
    for (int n = 2; QFileInfo::exists(chemin); ++n)
        chemin = nom + QStringLiteral("-%1.sql").arg(n);
    const Bilan bilan = sauvegarder(db, tables, chemin, progression);
    if (bilan.reussi())
        elaguer(dossier);
    return bilan;
}

void elaguer(const QString &dossier, int garder)
{
    QFileInfoList fichiers =
        QDir(dossier).entryInfoList({ QStringLiteral("avant-*.sql") }, QDir::Files);
    std::sort(fichiers.begin(), fichiers.end(), [](const QFileInfo &a, const QFileInfo &b) {
        const QDateTime da = a.lastModified(), dbis = b.lastModified();
        return da != dbis ? da > dbis : a.fileName() > b.fileName();
    });
    for (qsizetype i = garder; i < fichiers.size(); ++i)
        QFile::remove(fichiers.at(i).filePath());
}

Restauration restaurer(const QSqlDatabase &db, const QString &chemin, const Contenu &contenu,
                       Progression *progression)
{
    Restauration resultat;
    const QStringList presentes = tablesPresentes(db, contenu.tables);
    if (!presentes.isEmpty()) {
        const Bilan securite =
            sauvegardeAutomatique(db, QStringLiteral("avant-restaurer"), presentes, progression);
        if (!securite.reussi()) {
            resultat.message = securite.message;
            return resultat;
        }
        resultat.securite = securite.fichier;
    }

    const Bilan chargement = charger(db, chemin, progression);
    if (chargement.reussi()) {
        resultat.issue = Restauration::Reussie;
        resultat.rangs = compter(db, contenu.tables);
        return resultat;
    }

    // Part of the file may have gone in: the tables go back as they were, and
    // those that did not exist go away again.
    resultat.message = chargement.message;
    bool retablie = true;
    QString echecRetour;
    if (!resultat.securite.isEmpty()) {
        const Bilan retour = charger(db, resultat.securite, progression);
        retablie = retour.reussi();
        echecRetour = retour.message;
    }
    QSqlQuery requete(db);
    for (const QString &table : contenu.tables) {
        if (!presentes.contains(table)
            && !::executer(requete, QStringLiteral("DROP TABLE IF EXISTS `%1`").arg(table))) {
            retablie = false;
        }
    }
    resultat.issue = retablie ? Restauration::Retablie : Restauration::NonRetablie;
    if (!echecRetour.isEmpty())
        resultat.message += QLatin1Char('\n') + echecRetour;
    return resultat;
}

void observerProcessus(std::function<void(const QString &, const QStringList &)> nouveau)
{
    observateur = std::move(nouveau);
}

} // namespace sauvegarde
