// Two workstations at once on the same registers: each adds 200 orders, half
// of them for the same ten new customers, and adds one to the same three
// counters in the customers' grid now and then. On one shared server, or on
// two nodes of a cluster (TABLORAN_GRAPPE set; TABLORAN_POSTE_A and
// TABLORAN_POSTE_B give the sockets of the two workstations' nodes).

#include "commun/historique.h"
#include "support/banc.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>

namespace {

struct Releve
{
    QMap<QString, int> chiffres;
    QStringList anomalies;
};

Releve lire(const QString &sortie)
{
    Releve releve;
    for (const QString &ligne : sortie.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (ligne.startsWith("anomalie: ")) {
            releve.anomalies << ligne;
            continue;
        }
        static const QRegularExpression paire("(\\w+)=(\\d+)");
        for (auto it = paire.globalMatch(ligne); it.hasNext();) {
            const auto m = it.next();
            releve.chiffres[m.captured(1)] = m.captured(2).toInt();
        }
    }
    return releve;
}

} // namespace

class TestPostes : public QObject
{
    Q_OBJECT

private slots:
    void twoWorkstations()
    {
        const bool grappe = qEnvironmentVariableIsSet("TABLORAN_GRAPPE");
        const int nombre = 200;
        Banc banc;
        QVERIFY(banc.fenetre().connexionCommande());
        if (grappe) // reads wait for what the other nodes have committed
            banc.sql("SET SESSION wsrep_sync_wait = 1");
        banc.sql("INSERT INTO entreprise (id, nom, forme, adresse, tel, email, registre_commerce, "
                 "identifiant_fiscal, taux_taxe, sans_taxe, devise, conditions) VALUES (1, 'T', "
                 "'', '', '', '', '', '', 0, '', 'F', '')");
        for (int n = 1; n <= 3; ++n)
            banc.sql("INSERT INTO clients SET nom=?, email='compteur@exemple.fr', tel='0'",
                     { QString("Compteur %1").arg(n) });

        QElapsedTimer montre;
        montre.start();
        QList<QProcess *> postes;
        for (int numero : { 1, 2 }) {
            auto *poste = new QProcess(this);
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            const QByteArray socket =
                qgetenv(numero == 1 ? "TABLORAN_POSTE_A" : "TABLORAN_POSTE_B");
            if (!socket.isEmpty())
                env.insert("MYSQL_UNIX_PORT", QString::fromLocal8Bit(socket));
            poste->setProcessEnvironment(env);
            poste->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            poste->start(QCoreApplication::applicationDirPath() + "/poste",
                         { banc.nom, QString::number(numero), QString::number(nombre) });
            postes << poste;
        }
        QList<Releve> releves;
        for (QProcess *poste : postes) {
            QVERIFY(poste->waitForFinished(55000));
            QCOMPARE(poste->exitCode(), 0);
            releves << lire(QString::fromUtf8(poste->readAllStandardOutput()));
        }
        const qint64 duree = montre.elapsed();

        int ecrites = 0, rejoues = 0, signales = 0, grilles = 0, grillesRefusees = 0, factures = 0;
        for (const Releve &r : releves) {
            QCOMPARE(r.anomalies, QStringList());
            QCOMPARE(r.chiffres.value("autres", -1), 0);
            QCOMPARE(r.chiffres.value("commandes"), nombre);
            ecrites += r.chiffres.value("commandes");
            rejoues += r.chiffres.value("rejoues");
            signales += r.chiffres.value("signales");
            grilles += r.chiffres.value("grilles");
            grillesRefusees += r.chiffres.value("grilles_refusees");
            factures += r.chiffres.value("factures");
            QCOMPARE(r.chiffres.value("factures_refusees", -1), 0);
            // Each conflict told is one of the boxes the workstation answered.
            QCOMPARE(r.chiffres.value("signales"),
                     r.chiffres.value("commandes_refusees") + r.chiffres.value("grilles_refusees"));
        }

        // Every order is stored, and with its customer; no customer without
        // its order, nothing half-written.
        QCOMPARE(banc.compte("commandes"), 2 * nombre);
        QCOMPARE(banc.valeur("SELECT COUNT(*) FROM commandes LEFT JOIN clients ON "
                             "clients.id = commandes.client_id WHERE clients.id IS NULL")
                     .toInt(),
                 0);
        QCOMPARE(banc.valeur("SELECT COUNT(*) FROM clients WHERE nom NOT LIKE 'Compteur %' AND "
                             "id NOT IN (SELECT client_id FROM commandes)")
                     .toInt(),
                 0);
        const int doublons =
            banc.valeur("SELECT COUNT(*) - COUNT(DISTINCT nom, IFNULL(entreprise, '')) "
                        "FROM clients")
                .toInt();
        // 10 shared customers, 100 of each workstation's own, the counters.
        QCOMPARE(banc.compte("clients") - doublons, 10 + nombre + 3);
        if (!grappe)
            QCOMPARE(doublons, 0);

        // No lost update: each counter went up once per save that succeeded.
        QCOMPARE(banc.lignes("SELECT DISTINCT tel FROM clients WHERE nom LIKE 'Compteur %'"),
                 (QList<QVariantList> { { QString::number(grilles) } }));

        // The journal holds each change once, and no entry without its change.
        QCOMPARE(banc.lignes("SELECT genre, COUNT(*) FROM operations GROUP BY genre"),
                 (QList<QVariantList> { { "ajout", 2 * nombre },
                                        { "facture", factures },
                                        { "modification", grilles } }));
        // Both workstations' invoices share one series: each number once, none skipped.
        QCOMPARE(banc.valeur("SELECT COUNT(DISTINCT numero) * 1000 + MAX(numero) FROM factures"),
                 factures * 1000 + factures);
        QCOMPARE(factures, 2 * nombre);
        QCOMPARE(banc.valeur("SELECT COUNT(*) FROM historique LEFT JOIN commandes ON commandes.id "
                             "= cle WHERE table_nom = 'commandes' AND commandes.id IS NULL")
                     .toInt(),
                 0);
        // The last grid save undone there: each counter one less.
        historique::Annulation annulation;
        QVERIFY(historique::annuler(QSqlDatabase::database(banc.connexionVerification()),
                                    banc.valeur("SELECT operation FROM historique WHERE table_nom "
                                                "= 'clients' AND JSON_VALUE(apres, '$.tel') = ? "
                                                "LIMIT 1",
                                                { grilles })
                                        .toLongLong(),
                                    &annulation)
                    .ok());
        QCOMPARE(banc.lignes("SELECT DISTINCT tel FROM clients WHERE nom LIKE 'Compteur %'"),
                 (QList<QVariantList> { { QString::number(grilles - 1) } }));

        qInfo("%s: %d commandes enregistrées, %d clients en double, %d conflits rejoués, "
              "%d conflits signalés (dont %d sur la grille), %d enregistrements de grille, "
              "%d factures (n° %s à %s), %.1f s",
              grappe ? "grappe" : "serveur partagé", banc.compte("commandes"), doublons, rejoues,
              signales, grillesRefusees, grilles, factures,
              qPrintable(banc.valeur("SELECT MIN(numero) FROM factures").toString()),
              qPrintable(banc.valeur("SELECT MAX(numero) FROM factures").toString()),
              duree / 1000.0);
    }
};

QTEST_MAIN(TestPostes)
#include "tst_postes.moc"
