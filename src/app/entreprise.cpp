#include "app/entreprise.h"
#include "app/reglages.h"

#include "app/parametres.h"
#include "commandes/etat.h"
#include "commun/dialogues.h"
#include "compte/etat.h"
#include "employes/etat.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QTextStream>

Entreprise::Entreprise(QWidget *parent)
    : QWidget(parent)
    , etatParametres(std::make_unique<EtatParametres>())
    , etatCompte(std::make_unique<EtatCompte>())
    , etatCommandes(std::make_unique<EtatCommandes>())
    , etatEmployes(std::make_unique<EtatEmployes>())
{
    setFixedSize(650, 600);
    setWindowTitle(QStringLiteral("TABLORAN"));

    QStringList parametres = { QStringLiteral("localhost"), QStringLiteral("test"),
                               QStringLiteral("root"), QString() };
    fichierReglages = fichierParametres();
    QFile fichier(fichierReglages);
    if (fichier.open(QIODevice::ReadOnly)) {
        QTextStream flux(&fichier);
        const QStringList mots = motsParametres(flux.readAll());
        // The settings have four values; anything after the fourth word is ignored.
        for (int n = 0; n < mots.size() && n < parametres.size(); ++n)
            parametres[n] = mots.at(n);
    } else {
        QMessageBox::warning(this, QStringLiteral("Fichier inexistant"),
                             QStringLiteral("Le fichier data.dat n'existe pas.\nLa base prend la "
                                            "configuration par défaut"));
    }

    db = QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"));
    // An unreachable server must not freeze the window for minutes, nor one
    // that stops answering in the middle of a statement: the statement then
    // fails, and the next command connects again.
    db.setConnectOptions(QStringLiteral(
        "MYSQL_OPT_CONNECT_TIMEOUT=3;MYSQL_OPT_READ_TIMEOUT=10;MYSQL_OPT_WRITE_TIMEOUT=10"));
    db.setHostName(parametres.at(0));
    db.setDatabaseName(parametres.at(1));
    db.setUserName(parametres.at(2));
    db.setPassword(parametres.at(3));

    auto *entete = new QLabel(
        QStringLiteral(
            "Les données dans cette page sont sauvegardées dans une base de donnée MYSQL"),
        this);
    entete->setStyleSheet(QStringLiteral("color:olive; font-weight:bold;font-size:13px;"));
    entete->move(5, 5);

    pageAccueil();
}

Entreprise::~Entreprise()
{
    // Whatever still uses the connection goes first, then the connection itself.
    qDeleteAll(findChildren<QDialog *>(Qt::FindDirectChildrenOnly));
    const QString nom = db.connectionName();
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(nom);
}

void Entreprise::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setBrush(QBrush(Qt::gray));
    painter.drawRect(0, 0, 650, 600);
    // The home page's completers are filled once the window is first on screen.
    if (!completeursDemandes) {
        completeursDemandes = true;
        QMetaObject::invokeMethod(this, &Entreprise::remplirCompleteursAccueil,
                                  Qt::QueuedConnection);
    }
}

QDialog *Entreprise::ouvrirDialogue(const QString &titre, int largeur, int hauteur)
{
    dialog = nouveauDialogue(this, titre, largeur, hauteur);
    return dialog;
}

int Entreprise::typeCourant() const
{
    return typeCombo->currentIndex() + 1;
}

QString Entreprise::motType() const
{
    return typeCombo->currentText().toLower();
}
