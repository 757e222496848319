// Where the programs find the files they read but never write: beside the
// program (the build folder) first, then in the installed data folder beside
// the programs' folder (usr/bin -> usr/share/tq7350).
#include "app/DataPaths.h"

#include "common/TestSupport.h"

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
        EXPECT_EQ(ProgramDataFile(QLatin1String(kCheckReferenceImage), bin + QLatin1Char('/')),
                  QDir::cleanPath(tree.file(QLatin1String(c.expected))))
            << c.what;
    }
}
