#include "app/entreprise.h"
#include "app/ui.h"
#include "widgets/button.h"

#include <QComboBox>
#include <QSqlQuery>

void Entreprise::rechercheCommande()
{
    if (!connexionCommande())
        return;
}

void Entreprise::clientComboChange()
{
    // The search field completes product names or customer names, as the search does.
    QSqlQuery noms(db);
    noms.exec(clientCombo->currentIndex() == 0 ? QStringLiteral("SELECT nom FROM commandes")
                                               : QStringLiteral("SELECT nom FROM clients"));
    remplacerCompleteur(rechercheEdit, noms);
}

void Entreprise::commandComboChange()
{
    // Orders and customers can be edited; the joined view can only be read.
    commandAfficheButton->setText(commandCombo->currentIndex() <= 1
                                          ? QStringLiteral("Afficher et/ou modifier")
                                          : QStringLiteral("Afficher"));
}
