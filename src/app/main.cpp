#include "app/apparence.h"
#include "app/entreprise.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    preparerApplication(application);

    // Qt's own texts (the buttons of message boxes) in French; without the
    // catalogue they simply stay in English.
    QTranslator traduction;
    if (traduction.load(QStringLiteral("qt_fr"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        application.installTranslator(&traduction);

    Entreprise fenetre;
    fenetre.show();
    return application.exec();
}
