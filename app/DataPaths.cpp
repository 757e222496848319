#include "app/DataPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifndef TQ7350_DATA_FROM_PROGRAM
#error "TQ7350_DATA_FROM_PROGRAM (the data folder relative to the program's) comes from CMake"
#endif

QStringList ProgramDataFolders(const QString& programFolder) {
    const QString folder =
        programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder;
    const QDir program(folder);
    QStringList folders;
    folders << QDir::cleanPath(program.absolutePath());
    // Relative, not the configured prefix: an installed tree unpacked
    // elsewhere (a test, a relocated copy) still finds its own data.
    const QString installed =
        QDir::cleanPath(program.absoluteFilePath(QStringLiteral(TQ7350_DATA_FROM_PROGRAM)));
    if (!folders.contains(installed))
        folders << installed;
    return folders;
}

QString ProgramDataFile(const QString& name, const QString& programFolder) {
    const QStringList folders = ProgramDataFolders(programFolder);
    for (const QString& folder : folders) {
        const QString path = QDir(folder).filePath(name);
        if (QFileInfo(path).isFile())
            return path;
    }
    return QDir(folders.last()).filePath(name);
}
