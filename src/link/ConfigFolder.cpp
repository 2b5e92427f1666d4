#include "ConfigFolder.h"

#include <QStandardPaths>

QString vardoConfigFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/VARDOCOM");
}

QString vardoPortFolder()
{
    return vardoConfigFolder() + QStringLiteral("/ports");
}
