// "Information Get && Save": a suffix a file name cannot carry sends
// nothing; a history that cannot be written is a failure although the read
// succeeded. (The history lines themselves: tests/ui/test_frmMain_maintenance.)
#include "WorkflowRig.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "workflows/InformationSave.h"

#include <QDir>

using workflowtest::Recorder;
using workflowtest::Rig;

TEST(InformationSave, ASuffixAFileNameCannotCarrySendsNothing) {
    // Which characters a suffix may hold: tests/records/test_SettingsHistory.
    Rig rig;
    ASSERT_TRUE(rig.connect());
    rig.sim.clearReceivedCommands();
    clsInstrument record;
    InformationSave::Options options;
    options.Folder = rig.dir.path();
    options.Suffix = QStringLiteral("a/b");
    Recorder rec;
    const InformationSave::Result r = InformationSave::Run(rig.link, record, options, rec.report());
    EXPECT_EQ(r.outcome, InformationSave::Outcome::Refused);
    EXPECT_TRUE(rig.sim.receivedCommands().isEmpty());
    EXPECT_TRUE(rec.lines.isEmpty());
    EXPECT_TRUE(QDir(rig.dir.path()).entryList({QStringLiteral("*.csv")}).isEmpty());
}

TEST(InformationSave, AHistoryThatCannotBeWrittenIsAFailure) {
    Rig rig;
    ASSERT_TRUE(rig.connect());
    clsInstrument record;
    InformationSave::Options options;
    options.Folder = rig.dir.file(QStringLiteral("no-such-folder"));
    options.Suffix = QStringLiteral("_x");
    Recorder rec;
    const InformationSave::Result r = InformationSave::Run(rig.link, record, options, rec.report());
    const QStringList red = rec.texts(true);
    EXPECT_TRUE(r.download.Success());
    EXPECT_EQ(r.outcome, InformationSave::Outcome::Failed);
    EXPECT_TRUE(r.HistoryPath.isEmpty());
    ASSERT_EQ(red.size(), 1);
    EXPECT_TRUE(red.first().startsWith(
        LoadMessage(kMsgHistoryNotWritten, {QString(), QString()}).section(QLatin1Char(' '), 0, 2)))
        << red.first().toStdString();
}
