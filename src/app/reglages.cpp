#include "app/reglages.h"

#include <QFileInfo>
#include <QStandardPaths>

QString fichierParametres()
{
    const QString local = QStringLiteral("config/base.sni");
    if (QFileInfo::exists(local))
        return local;
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)
        + QStringLiteral("/base.sni");
}
