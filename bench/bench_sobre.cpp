// How lean the program stays as tables grow, the network slows and the day goes
// on, printed as ratios in one run:
//  - statements and new connections that a command costs beyond its own SQL
//    (server counters Questions and Connections around one call);
//  - start-up with 65,535 rows in every table against start-up with empty
//    tables (until the window is painted, and until the search fields'
//    names are read);
//  - resident memory after 1,000 ordinary commands against after 10;
//  - with a relay that delays every packet by 10 ms each way (a 20 ms round
//    trip), how many round trips a command's dialog waits beyond its own SQL.

#include "support/banc.h"

#include <QApplication>
#include <QCompleter>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QSqlQuery>
#include <QStringListModel>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <malloc.h>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

const int plein = 65535;

// Every figure that the targets are about, printed together at the end.
QStringList bilanFinal;

void noter(const QString &ligne)
{
    bilanFinal << ligne;
    qInfo("%s", qPrintable(ligne));
}

qint64 compteurServeur(Banc &banc, const char *nom)
{
    return banc
        .valeur(QStringLiteral("SELECT VARIABLE_VALUE FROM information_schema.GLOBAL_STATUS "
                               "WHERE VARIABLE_NAME = '%1'")
                    .arg(QLatin1String(nom)))
        .toLongLong();
}

// Statements and new connections the server saw while `action` ran, less
// what reading the counters costs.
struct Cout
{
    qint64 instructions = 0;
    qint64 connexions = 0;
};

Cout mesurer(Banc &banc, const std::function<void()> &action)
{
    static qint64 lecture = -1;
    if (lecture < 0) {
        // Reading a counter is itself a statement.
        const qint64 a = compteurServeur(banc, "QUESTIONS");
        const qint64 b = compteurServeur(banc, "QUESTIONS");
        lecture = b - a;
    }
    const qint64 q0 = compteurServeur(banc, "QUESTIONS");
    const qint64 c0 = compteurServeur(banc, "CONNECTIONS");
    action();
    const qint64 c1 = compteurServeur(banc, "CONNECTIONS");
    const qint64 q1 = compteurServeur(banc, "QUESTIONS");
    return { q1 - q0 - 3 * lecture, c1 - c0 };
}

// The five tables filled with n rows each.
void remplir(Banc &banc, Entreprise &fenetre, int n)
{
    QVERIFY(fenetre.connexionCompte() && fenetre.connexionCommande() && fenetre.connexionEmploye());
    if (n == 0)
        return;
    const QString seq = QStringLiteral(" FROM seq_1_to_%1").arg(n);
    banc.sql(QStringLiteral("INSERT INTO compte (sujet, valeur, commentaire, date_insert) SELECT "
                            "IF(seq % 3 = 0, 'Gain', 'Dépense'), seq % 997, CONCAT('achat ', seq), "
                            "'2013-01-01' + INTERVAL seq MINUTE")
             + seq);
    banc.sql(QStringLiteral("INSERT INTO clients (nom, entreprise, email, tel) SELECT "
                            "CONCAT('client ', seq), 'SARL', 'a@b.fr', '0102030405'")
             + seq);
    banc.sql(QStringLiteral("INSERT INTO commandes (client_id, nom, poids, poids_unite, quantite, "
                            "prix_unitaire, prix_total, commentaire, date_command) SELECT seq, "
                            "CONCAT('produit ', seq), 1.5, 'kg', 2, '3', '6', '', '2013-01-01'")
             + seq);
    banc.sql(QStringLiteral("INSERT INTO employes (type, nom, prenom, nom_prenom, sexe, domaine, "
                            "date_naissance, date_embouche) SELECT IF(seq % 3 = 0, 2, 1), "
                            "CONCAT('Nom', seq), CONCAT('Prenom', seq), CONCAT('Nom', seq, ' "
                            "Prenom', seq), 'F', 'vente', '1980-01-01', '2010-01-01'")
             + seq);
    banc.sql(QStringLiteral("INSERT INTO absence (employe_id, date_absence, nbre_heure) SELECT "
                            "seq, '2013-03-05', 8")
             + seq);
}

// Resident memory in bytes, and the part of it that maps no file (the heap,
// as opposed to library pages touched for the first time).
std::pair<qint64, qint64> residente()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return { -1, -1 };
    const QList<QByteArray> champs = statm.readAll().split(' ');
    const qint64 page = sysconf(_SC_PAGESIZE);
    return { champs.value(1).toLongLong() * page,
             (champs.value(1).toLongLong() - champs.value(2).toLongLong()) * page };
}

// Notes when each dialog of the program is shown.
class Guetteur : public QObject
{
public:
    Guetteur() { qApp->installEventFilter(this); }
    ~Guetteur() override { qApp->removeEventFilter(this); }
    std::function<void(QDialog *)> surDialogue;

protected:
    bool eventFilter(QObject *objet, QEvent *evenement) override
    {
        if (evenement->type() == QEvent::Show && surDialogue) {
            if (auto *d = qobject_cast<QDialog *>(objet))
                surDialogue(d);
        }
        return false;
    }
};

// A relay between the program and the server's socket that holds every
// packet 10 ms each way, as a server across a network would, and counts the
// server's answers that followed a request: the round trips.
class Relais
{
public:
    Relais(const QString &cible, const QString &ecoute, int delaiMs)
        : serveur(cible.toStdString())
        , delai(delaiMs)
    {
        ecouteFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un adresse {};
        adresse.sun_family = AF_UNIX;
        qstrncpy(adresse.sun_path, ecoute.toLocal8Bit().constData(), sizeof adresse.sun_path);
        ::unlink(adresse.sun_path);
        if (::bind(ecouteFd, reinterpret_cast<sockaddr *>(&adresse), sizeof adresse) != 0
            || ::listen(ecouteFd, 8) != 0)
            qFatal("relay: cannot listen on %s", adresse.sun_path);
        fils.emplace_back([this] { accepter(); });
    }

    ~Relais()
    {
        arret = true;
        ::shutdown(ecouteFd, SHUT_RDWR);
        {
            std::lock_guard<std::mutex> verrou(mutex);
            for (int fd : prises)
                ::shutdown(fd, SHUT_RDWR);
        }
        for (auto &f : files)
            f->signal.notify_all();
        for (std::thread &t : fils)
            t.join();
        ::close(ecouteFd);
        for (int fd : prises)
            ::close(fd);
    }

    int tours() const { return compteTours.load(); }

private:
    struct File
    {
        std::mutex mutex;
        std::condition_variable signal;
        std::deque<std::pair<std::chrono::steady_clock::time_point, std::string>> paquets;
        bool fin = false;
    };

    int connecterServeur()
    {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un adresse {};
        adresse.sun_family = AF_UNIX;
        qstrncpy(adresse.sun_path, serveur.c_str(), sizeof adresse.sun_path);
        if (::connect(fd, reinterpret_cast<sockaddr *>(&adresse), sizeof adresse) != 0) {
            ::close(fd);
            return -1;
        }
        return fd;
    }

    void accepter()
    {
        while (!arret) {
            const int client = ::accept(ecouteFd, nullptr, nullptr);
            if (client < 0)
                return;
            const int amont = connecterServeur();
            if (amont < 0) {
                ::close(client);
                continue;
            }
            std::lock_guard<std::mutex> verrou(mutex);
            prises << client << amont;
            auto aller = std::make_shared<File>();
            auto retour = std::make_shared<File>();
            files << aller << retour;
            fils.emplace_back([=] { lire(client, aller, false); });
            fils.emplace_back([=] { ecrire(amont, aller); });
            fils.emplace_back([=] { lire(amont, retour, true); });
            fils.emplace_back([=] { ecrire(client, retour); });
        }
    }

    void lire(int fd, std::shared_ptr<File> file, bool reponse)
    {
        char tampon[65536];
        for (;;) {
            const ssize_t n = ::read(fd, tampon, sizeof tampon);
            const auto echeance =
                std::chrono::steady_clock::now() + std::chrono::milliseconds(delai);
            if (reponse && n > 0 && !dernierRetour.exchange(true))
                ++compteTours;
            if (!reponse && n > 0)
                dernierRetour = false;
            std::lock_guard<std::mutex> verrou(file->mutex);
            if (n <= 0 || arret) {
                file->fin = true;
                file->signal.notify_all();
                return;
            }
            file->paquets.emplace_back(echeance, std::string(tampon, size_t(n)));
            file->signal.notify_all();
        }
    }

    void ecrire(int fd, std::shared_ptr<File> file)
    {
        for (;;) {
            std::unique_lock<std::mutex> verrou(file->mutex);
            file->signal.wait(verrou, [&] { return arret || file->fin || !file->paquets.empty(); });
            if (arret)
                return;
            if (file->paquets.empty()) {
                ::shutdown(fd, SHUT_WR);
                return;
            }
            auto [echeance, donnees] = std::move(file->paquets.front());
            file->paquets.pop_front();
            verrou.unlock();
            std::this_thread::sleep_until(echeance);
            size_t ecrit = 0;
            while (ecrit < donnees.size()) {
                const ssize_t n = ::write(fd, donnees.data() + ecrit, donnees.size() - ecrit);
                if (n <= 0)
                    return;
                ecrit += size_t(n);
            }
        }
    }

    std::string serveur;
    int delai;
    int ecouteFd = -1;
    std::atomic<bool> arret { false };
    std::atomic<bool> dernierRetour { false };
    std::atomic<int> compteTours { 0 };
    std::mutex mutex;
    QList<int> prises;
    QList<std::shared_ptr<File>> files;
    std::vector<std::thread> fils;
};

const QString groupeCompte = QStringLiteral("Faites le bilan de vos dépenses");
const QString groupeCommandes = QStringLiteral("gestion commandes/clients");
const QString groupeEmployes = QStringLiteral("Gestions des employés et des stagiaires");

struct Ordinaire
{
    QString groupe;
    QString bouton;
};

// Ten commands that open a dialog or a page and read the tables, as a user
// runs them through the day: after the first ten commands, each has run once.
const QList<Ordinaire> ordinaires = {
    { groupeCompte, QStringLiteral("Ajouter") },
    { groupeCompte, QStringLiteral("Supprimer") },
    { groupeCompte, QStringLiteral("Afficher/Modifier") },
    { groupeCompte, QStringLiteral("Bilan") },
    { groupeCommandes, QStringLiteral("Rechercher") },
    { groupeCommandes, QStringLiteral("Afficher et/ou modifier") },
    { groupeCommandes, QStringLiteral("Informations") },
    { groupeEmployes, QStringLiteral("Chercher") },
    { groupeEmployes, QStringLiteral("Afficher et/ou modifier") },
    { groupeEmployes, QStringLiteral("Informations") },
};

// Runs one command whose dialog the user closes at once.
void lancer(Banc &banc, const Ordinaire &commande)
{
    banc.pilote.dialogue([](QDialog *d) { d->reject(); });
    Banc::clic(banc.bouton(commande.groupe, commande.bouton));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A few rows in each table, so that every ordinary command has something to show.
void quelquesLignes(Banc &banc)
{
    remplir(banc, banc.fenetre(), 20);
    banc.fenetre()
        .findChild<QLineEdit *>(QStringLiteral("employeRechercheEdit"))
        ->setText(QStringLiteral("Nom1"));
    banc.fenetre()
        .findChild<QLineEdit *>(QStringLiteral("rechercheEdit"))
        ->setText(QStringLiteral("produit 1"));
}

// The moments of one start: the window's first paint, then the search
// fields' names read.
struct Demarrage
{
    double fenetre = 0;
    double noms = 0;
};

class Peinture : public QObject
{
public:
    std::function<void()> apres;

protected:
    bool eventFilter(QObject *, QEvent *evenement) override
    {
        if (evenement->type() == QEvent::Paint && apres) {
            // Runs once the paint is over and the window is on screen.
            QMetaObject::invokeMethod(this, apres, Qt::QueuedConnection);
            apres = nullptr;
        }
        return false;
    }
};

Demarrage demarrer()
{
    Demarrage mesure;
    QElapsedTimer chrono;
    bool noms = false;
    Peinture peinture;
    chrono.start();
    auto fenetre = std::make_unique<Entreprise>();
    fenetre->installEventFilter(&peinture);
    peinture.apres = [&] {
        mesure.fenetre = chrono.nsecsElapsed() / 1e6;
        // Whatever the window asked to run after its first paint runs before this.
        QMetaObject::invokeMethod(
            &peinture,
            [&] {
                mesure.noms = chrono.nsecsElapsed() / 1e6;
                noms = true;
            },
            Qt::QueuedConnection);
    };
    fenetre->show();
    QElapsedTimer limite;
    limite.start();
    while (!noms && limite.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return mesure;
}

double mediane(QList<double> valeurs)
{
    std::sort(valeurs.begin(), valeurs.end());
    return valeurs.isEmpty() ? 0 : valeurs.at(valeurs.size() / 2);
}

} // namespace

class BenchSobre : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void instructionsParCommande()
    {
        Banc banc;
        quelquesLignes(banc);
        QTest::qWait(50);
        Entreprise &f = banc.fenetre();

        // The gates alone, on a connection that has already everything.
        qint64 pireInstructions = 0, pireConnexions = 0;
        for (const auto &[nom, porte] :
             { std::pair<const char *, std::function<bool()>> {
                   "connexionCompte", [&] { return f.connexionCompte(); } },
               { "connexionCommande", [&] { return f.connexionCommande(); } },
               { "connexionEmploye", [&] { return f.connexionEmploye(); } } }) {
            for (int fois = 0; fois < 3; ++fois) {
                const Cout cout = mesurer(banc, [&] { QVERIFY(porte()); });
                qInfo("  %-18s call %d: %lld statement(s), %lld new connection(s)", nom, fois + 1,
                      cout.instructions, cout.connexions);
                pireInstructions = qMax(pireInstructions, cout.instructions);
                pireConnexions = qMax(pireConnexions, cout.connexions);
            }
        }

        // A fresh connection: the gate sends the section's schema and the
        // session's settings once.
        QSqlDatabase::database(QSqlDatabase::defaultConnection, false).close();
        const Cout fraiche = mesurer(banc, [&] { QVERIFY(f.connexionEmploye()); });
        qInfo("  connexionEmploye on a closed connection: %lld statement(s), %lld new "
              "connection(s)",
              fraiche.instructions, fraiche.connexions);
        for (int fois = 0; fois < 2; ++fois) {
            const Cout cout = mesurer(banc, [&] { QVERIFY(f.connexionCompte()); });
            qInfo("  then connexionCompte, call %d: %lld statement(s), %lld new connection(s)",
                  fois + 1, cout.instructions, cout.connexions);
        }

        // Whole commands: what the gate adds is the difference between a command
        // and its own statements, which a first call on a fresh connection shows
        // with the schema and settings, and later calls without.
        qInfo("  whole commands (gate + own SQL), 3 calls each:");
        for (const Ordinaire &commande : ordinaires) {
            QStringList couts;
            for (int fois = 0; fois < 3; ++fois) {
                const Cout cout = mesurer(banc, [&] { lancer(banc, commande); });
                couts << QStringLiteral("%1 st. %2 conn.")
                             .arg(cout.instructions)
                             .arg(cout.connexions);
                pireConnexions = qMax(pireConnexions, cout.connexions);
            }
            qInfo("    %-26s %s", qPrintable(commande.bouton),
                  qPrintable(couts.join(QStringLiteral(" | "))));
        }
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        noter(QStringLiteral("statements per gate on a live connection (beyond the command's own "
                             "SQL): %1 (target <= 1)")
                  .arg(pireInstructions));
        noter(QStringLiteral("new connections per command on a live connection: %1 (target 0)")
                  .arg(pireConnexions));
    }

    void demarrageSelonLaTaille()
    {
        QList<double> fenetres[2], noms[2];
        for (int plein_ = 0; plein_ < 2; ++plein_) {
            Banc banc("localhost %1 root ", false);
            {
                Entreprise fenetre;
                remplir(banc, fenetre, plein_ ? plein : 0);
            }
            for (int fois = 0; fois < 7; ++fois) {
                const Demarrage d = demarrer();
                fenetres[plein_] << d.fenetre;
                noms[plein_] << d.noms;
            }
            qInfo("  %s: window painted after %.1f ms, names read after %.1f ms (medians of 7)",
                  plein_ ? "65,535 rows per table" : "empty tables", mediane(fenetres[plein_]),
                  mediane(noms[plein_]));
        }
        noter(QStringLiteral("start-up at 65,535 rows / empty: %1 (window painted, %2 ms / %3 ms; "
                             "target <= 1.3); names read: %4 ms / %5 ms")
                  .arg(mediane(fenetres[1]) / mediane(fenetres[0]), 0, 'f', 2)
                  .arg(mediane(fenetres[1]), 0, 'f', 1)
                  .arg(mediane(fenetres[0]), 0, 'f', 1)
                  .arg(mediane(noms[1]), 0, 'f', 1)
                  .arg(mediane(noms[0]), 0, 'f', 1));
    }

    void memoireSurMilleCommandes()
    {
        Banc banc;
        quelquesLignes(banc);
        QTest::qWait(50);
        auto etat = [&](const char *quand) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            const struct mallinfo2 info = mallinfo2();
            const auto [rss, anonyme] = residente();
            qInfo("  %-22s RSS %7.2f MB (anonymous %7.2f MB), heap in use %7.2f MB, heap held "
                  "%7.2f MB, %lld objects under the window, %lld dialogs",
                  quand, rss / 1048576.0, anonyme / 1048576.0, info.uordblks / 1048576.0,
                  info.arena / 1048576.0, qint64(banc.fenetre().findChildren<QObject *>().size()),
                  qint64(banc.fenetre().findChildren<QDialog *>().size()));
            struct Memoire
            {
                qint64 rss, anonyme, tas;
            };
            return Memoire { rss, anonyme, qint64(info.uordblks) };
        };
        // To see where the memory goes: run twice under heaptrack, stopping
        // after 10 and after 1,000 commands (BENCH_ARRET=10, then 1000), and
        // compare what each run still held (heaptrack_print -d).
        const int arret = qEnvironmentVariableIntValue("BENCH_ARRET");
        int n = 0;
        auto jusqua = [&](int total) {
            for (; n < total; ++n)
                lancer(banc, ordinaires.at(n % ordinaires.size()));
            if (arret == total) {
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                _exit(0);
            }
        };
        jusqua(10);
        const auto dix = etat("after 10 commands:");
        jusqua(100);
        const auto cent = etat("after 100 commands:");
        jusqua(500);
        etat("after 500 commands:");
        jusqua(1000);
        const auto mille = etat("after 1,000 commands:");
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        malloc_trim(0);
        const auto rendu = etat("after malloc_trim(0):");
        const auto mo = [](qint64 octets) { return QString::number(octets / 1048576.0, 'f', 2); };
        noter(QStringLiteral("resident memory after 1,000 commands - after 10: %1 MB (target <= 1; "
                             "anonymous: %2 MB; after 1,000 - after 100: %3 MB); heap in use: %4 "
                             "MB; after one more malloc_trim: %5 MB")
                  .arg(mo(mille.rss - dix.rss), mo(mille.anonyme - dix.anonyme),
                       mo(mille.rss - cent.rss), mo(mille.tas - dix.tas), mo(rendu.rss - dix.rss)));
    }

    void allerRetourDeVingtMillisecondes()
    {
        Banc banc;
        quelquesLignes(banc);
        QTest::qWait(50);
        const QString vrai = qEnvironmentVariable("MYSQL_UNIX_PORT");
        QVERIFY2(!vrai.isEmpty(), "MYSQL_UNIX_PORT names the server's socket");
        QTemporaryDir dossier;
        Entreprise &f = banc.fenetre();
        QSqlDatabase db = QSqlDatabase::database(QSqlDatabase::defaultConnection, false);
        const QString options = db.connectOptions();
        auto passerPar = [&](const QString &prise) {
            db.close();
            db.setConnectOptions(options + QStringLiteral(";UNIX_SOCKET=") + prise);
            QVERIFY(f.connexionCompte() && f.connexionCommande() && f.connexionEmploye());
        };

        // Each command, timed from the click to its dialog on screen: once
        // through a relay without delay (the work of this machine alone), then
        // through the relay that makes every round trip last 20 ms. What the
        // second adds, in round trips, less the round trips the relay saw
        // before the dialog, is what the command waits beyond its own SQL.
        Guetteur guet;
        QElapsedTimer chrono;
        auto mesurerCommande = [&](Relais &relais, const Ordinaire &commande, int &tours) {
            double montre = -1;
            const int debut = relais.tours();
            guet.surDialogue = [&](QDialog *) {
                if (montre < 0) {
                    montre = chrono.nsecsElapsed() / 1e6;
                    tours = relais.tours() - debut;
                }
            };
            chrono.start();
            lancer(banc, commande);
            guet.surDialogue = nullptr;
            return montre;
        };
        QList<double> local;
        {
            Relais direct(vrai, dossier.filePath(QStringLiteral("direct.sock")), 0);
            passerPar(dossier.filePath(QStringLiteral("direct.sock")));
            for (const Ordinaire &commande : ordinaires) {
                QList<double> fois;
                int tours = 0;
                for (int n = 0; n < 3; ++n)
                    fois << mesurerCommande(direct, commande, tours);
                local << mediane(fois);
            }
            db.close();
        }

        Relais relais(vrai, dossier.filePath(QStringLiteral("lent.sock")), 10);
        passerPar(dossier.filePath(QStringLiteral("lent.sock")));
        int tourPorte = relais.tours();
        QVERIFY(f.connexionCompte());
        tourPorte = relais.tours() - tourPorte;
        qInfo("  a gate on a live connection: %d round trip(s)", tourPorte);

        double pire = 0;
        for (int i = 0; i < ordinaires.size(); ++i) {
            const Ordinaire &commande = ordinaires.at(i);
            QList<double> fois;
            int tours = 0;
            for (int n = 0; n < 3; ++n)
                fois << mesurerCommande(relais, commande, tours);
            const double lent = mediane(fois);
            const int propres = tours - tourPorte;
            const double marge = (lent - local.at(i)) / 20.0 - propres;
            qInfo("    %-28s dialog after %6.1f ms (%5.1f ms without delay): %2d round trips "
                  "before it (gate %d, own SQL %2d), %4.1f round trips beyond its own SQL",
                  qPrintable(commande.bouton), lent, local.at(i), tours, tourPorte, propres, marge);
            pire = qMax(pire, marge);
        }
        QCOMPARE(banc.pilote.anomalies(), QStringList());
        db.close();
        db.setConnectOptions(options);
        noter(QStringLiteral("with a 20 ms round trip, the slowest dialog waits %1 round trips "
                             "beyond its own SQL (target <= 3); a gate on a live connection: %2 "
                             "round trip(s)")
                  .arg(pire, 0, 'f', 1)
                  .arg(tourPorte));
    }

    void cleanupTestCase()
    {
        qInfo("\nSummary:");
        for (const QString &ligne : std::as_const(bilanFinal))
            qInfo("  %s", qPrintable(ligne));
    }
};

QTEST_MAIN(BenchSobre)
#include "bench_sobre.moc"
