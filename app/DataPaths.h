// Files the programs read but never write, such as the reference image of the
// FLASH check, and where they are found: beside the program (the build
// folder, or a Windows installation that keeps everything in one folder),
// then in the installed data folder ("/usr/share/tq7350" for a program in
// "/usr/bin"). The window and the tool look them up here and nowhere else.
#pragma once

#include <QString>
#include <QStringList>

// The reference image the detector's logger memory is compared with after
// "Write Check Data".
constexpr const char* kCheckReferenceImage = "TQ7350_Check.DAT";

// The folders searched, in order, for a program in `programFolder` (empty:
// the folder of the running program).
QStringList ProgramDataFolders(const QString& programFolder = QString());

// The path of the data file `name`: in the first of ProgramDataFolders that
// has it; when none has it, where the installation puts it, so that a
// message names the place it belongs.
QString ProgramDataFile(const QString& name, const QString& programFolder = QString());
