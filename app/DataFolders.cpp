#include "app/DataFolders.h"

#include <QDir>
#include <QStandardPaths>

QString SharedDataFolder() {
    const QString fromEnvironment = qEnvironmentVariable("TQ7350_DATA_DIR");
    if (!fromEnvironment.isEmpty())
        return QDir::cleanPath(fromEnvironment);
    // The generic location, not the per-application one: the window and the
    // tool are two programs with one set of data.
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(base.isEmpty() ? QDir::homePath() : base).filePath(QStringLiteral("tq7350"));
}
