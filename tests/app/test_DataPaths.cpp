// Where the programs find the files they read but never write: beside the
// program (the build folder) first, then in the installed data folder.
#include "app/DataPaths.h"

#include "common/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

bool MakeFile(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("x") == 1;
}

} // namespace

TEST(DataPaths, TheInstalledFolderSitsBesideTheProgramsFolder) {
    // The layout the package installs: the programs in /usr/bin, their data
    // in /usr/share/tq7350; a local installation under /usr/local alike.
    EXPECT_EQ(ProgramDataFolders(QStringLiteral("/usr/bin")),
              QStringList({QStringLiteral("/usr/bin"), QStringLiteral("/usr/share/tq7350")}));
    EXPECT_EQ(
        ProgramDataFolders(QStringLiteral("/usr/local/bin/")),
        QStringList({QStringLiteral("/usr/local/bin"), QStringLiteral("/usr/local/share/tq7350")}));
    // Without a folder: the running program's.
    EXPECT_EQ(ProgramDataFolders().first(),
              QDir::cleanPath(QCoreApplication::applicationDirPath()));
}

TEST(DataPaths, TheFirstFolderThatHasTheFileWins) {
    struct Case {
        const char* what;
        bool beside;               // a copy beside the program (the build folder)
        bool installed;            // a copy in the installed data folder
        bool folderBeside = false; // a folder of that name beside the program
        const char* expected;      // relative to the tree
    };
    const Case cases[] = {
        {"build folder", true, false, false, "usr/bin/TQ7350_Check.DAT"},
        {"installed", false, true, false, "usr/share/tq7350/TQ7350_Check.DAT"},
        {"both: the build folder's", true, true, false, "usr/bin/TQ7350_Check.DAT"},
        {"neither: where it belongs", false, false, false, "usr/share/tq7350/TQ7350_Check.DAT"},
        {"a folder is no file", false, true, true, "usr/share/tq7350/TQ7350_Check.DAT"},
    };
    for (const Case& c : cases) {
        testsupport::ScratchDir tree;
        const QString bin = tree.file(QStringLiteral("usr/bin"));
        ASSERT_TRUE(QDir().mkpath(bin));
        if (c.beside) {
            ASSERT_TRUE(MakeFile(tree.file(QStringLiteral("usr/bin/TQ7350_Check.DAT"))));
        }
        if (c.installed) {
            ASSERT_TRUE(MakeFile(tree.file(QStringLiteral("usr/share/tq7350/TQ7350_Check.DAT"))));
        }
        if (c.folderBeside) {
            ASSERT_TRUE(QDir().mkpath(tree.file(QStringLiteral("usr/bin/TQ7350_Check.DAT"))));
        }
        EXPECT_EQ(ProgramDataFile(QLatin1String(kCheckReferenceImage), bin),
                  QDir::cleanPath(tree.file(QLatin1String(c.expected))))
            << c.what;
    }
}

TEST(DataPaths, TheBuildFindsItsOwnReferenceImage) {
    // The build writes the image beside the programs, where they look first.
    const QString path =
        ProgramDataFile(QLatin1String(kCheckReferenceImage), QStringLiteral(TQ_BINARY_DIR));
    EXPECT_EQ(path, QDir::cleanPath(QStringLiteral(TQ_BINARY_DIR "/TQ7350_Check.DAT")));
    EXPECT_EQ(QFileInfo(path).size(), 524288);
}
