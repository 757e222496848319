// The preview of a settings write against the emulator: exactly the
// settings the write sends and changes, with the detector's value as read
// and the value to be written; the identity items alone for Update ID; the
// new values alone without a read; and the copy of the detector's settings
// brought up to date by a write.
#include "WorkflowRig.h"

#include "model/clsInstrument.h"
#include "records/SettingsFile.h"
#include "workflows/WriteFromFile.h"
#include "workflows/WritePreview.h"
#include "workflows/WriteSettings.h"

using workflowtest::Rig;
using WriteSettings::Mode;

namespace {

// "Key[index]: old -> new" of every item, for comparisons that show all.
QStringList Summary(const WritePreview::Preview& p) {
    QStringList out;
    for (const WritePreview::Item& i : p.Items)
        out << QStringLiteral("%1[%2]: %3 -> %4").arg(i.Key).arg(i.Index).arg(i.Old, i.New);
    return out;
}

constexpr int kCo = 2; // the emulator's CO channel: warning 25, alarm 50

} // namespace

TEST(WritePreview, ListsExactlyWhatTheWriteChanges) {
    Rig rig;
    clsInstrument record;
    ASSERT_TRUE(rig.connectAndRead(record));
    const clsInstrument lastRead = record;

    // Nothing edited: the write sends everything and changes nothing.
    const WritePreview::Preview unchanged = WritePreview::Build(&lastRead, record, Mode::Update);
    EXPECT_TRUE(unchanged.Items.isEmpty()) << qPrintable(Summary(unchanged).join('\n'));
    EXPECT_GT(unchanged.Commands, 30);

    record.setAlarm(kCo, 35);
    record.setIntervals(60);
    record.setGasEnabled(4, false);
    record.setStationID(QStringLiteral("NORTH GATE"));
    const WritePreview::Preview update = WritePreview::Build(&lastRead, record, Mode::Update);
    EXPECT_TRUE(update.HasOld);
    EXPECT_EQ(Summary(update), (QStringList{QStringLiteral("Gas[4]: CH4(vol%) -> OFF"),
                                            QStringLiteral("Alarm[2]: 50 -> 35"),
                                            QStringLiteral("Intervals[0]: 300 -> 60")}));
    EXPECT_EQ(update.Lines().at(1), QStringLiteral("Alarm, CO: 50 → 35"));
    EXPECT_EQ(update.Lines().at(0), QStringLiteral("Gas, channel 4: CH4(vol%) → OFF"));

    // Update ID: the identity items only, whatever else was edited.
    const WritePreview::Preview id = WritePreview::Build(&lastRead, record, Mode::UpdateId);
    EXPECT_EQ(id.Lines(), QStringList{QStringLiteral("Station ID: STATION-01 → NORTH GATE")});

    // Flagged: what the record's own flags send (AP), not the other edits.
    clsInstrument few = record;
    few.ClearChangeFlags();
    few.setAlarmMode(lastRead.AlarmMode() == 0 ? 1 : 0);
    const WritePreview::Preview flagged = WritePreview::Build(&lastRead, few, Mode::Flagged);
    ASSERT_EQ(flagged.Items.size(), 1);
    EXPECT_EQ(flagged.Items.first().Key, QStringLiteral("AlarmMode"));
    EXPECT_EQ(flagged.Commands, 1);
}

TEST(WritePreview, WithoutAReadEverySettingSentIsListedWithItsNewValue) {
    Rig rig;
    clsInstrument record;
    ASSERT_TRUE(rig.connectAndRead(record));
    const WritePreview::Preview p = WritePreview::Build(nullptr, record, Mode::Update);
    EXPECT_FALSE(p.HasOld);
    QStringList keys;
    for (const WritePreview::Item& i : p.Items) {
        EXPECT_TRUE(i.Old.isEmpty());
        keys << QStringLiteral("%1[%2]").arg(i.Key).arg(i.Index);
    }
    // Every channel of every channel command, and the single settings.
    for (const char* key : {"Gas", "Warning", "Alarm", "Stel", "Twa", "AutoCalib", "Zero"})
        for (int ch = 0; ch < 5; ++ch)
            EXPECT_TRUE(keys.contains(QStringLiteral("%1[%2]").arg(QLatin1String(key)).arg(ch)))
                << key << ch;
    for (const char* key : {"HcMode", "AlarmMode", "Intervals", "BumpTime", "UserPassword2"})
        EXPECT_TRUE(keys.contains(QStringLiteral("%1[0]").arg(QLatin1String(key)))) << key;
    EXPECT_FALSE(keys.contains(QStringLiteral("StationID[0]")));
    EXPECT_EQ(p.Lines().at(keys.indexOf(QStringLiteral("Alarm[2]"))),
              QStringLiteral("Alarm, CO: 50"));
    EXPECT_EQ(WritePreview::Heading(p, QString(), QDateTime()),
              QStringLiteral("No settings have been read from this detector; the values to be "
                             "written:"));
}

// After a write the copy holds what the detector holds: a fresh read shows
// no difference to it, and the next preview of the same record is empty.
TEST(WritePreview, AWriteBringsTheCopyOfTheDetectorUpToDate) {
    Rig rig;
    clsInstrument record;
    ASSERT_TRUE(rig.connectAndRead(record));
    clsInstrument lastRead = record;
    record.setAlarm(kCo, 35);
    record.setWarning(kCo, 20);
    record.setStationID(QStringLiteral("DOCK 7"));

    for (const Mode mode : {Mode::Update, Mode::UpdateId}) {
        const clsInstrument flagged = WritePreview::FlaggedForWrite(record, mode);
        const WritePreview::Preview before = WritePreview::Build(&lastRead, record, mode);
        EXPECT_FALSE(before.Items.isEmpty());
        WriteSettings::Options options;
        options.mode = mode;
        const WriteSettings::Result r = WriteSettings::Run(rig.link, record, options, {});
        ASSERT_TRUE(r.Success()) << qPrintable(r.FailureLines.join('\n'));
        EXPECT_EQ(r.Commands, before.Commands);
        WritePreview::TakeWritten(lastRead, flagged);
        EXPECT_TRUE(WritePreview::Build(&lastRead, record, mode).Items.isEmpty());
    }
    clsInstrument reread;
    ASSERT_TRUE(rig.read(reread));
    for (const Mode mode : {Mode::Update, Mode::UpdateId})
        EXPECT_TRUE(WritePreview::Build(&reread, lastRead, mode).Items.isEmpty())
            << qPrintable(Summary(WritePreview::Build(&reread, lastRead, mode)).join('\n'));
}

// A dry run of a file reads the detector and sends no write command: the
// preview holds the file's changes against the detector as just read.
TEST(WritePreview, ADryRunOfAFileSendsNoWriteCommand) {
    Rig rig;
    clsInstrument detector;
    ASSERT_TRUE(rig.connectAndRead(detector));
    clsInstrument edited = detector;
    edited.setAlarm(kCo, 35);
    const QString path = rig.dir.file(QStringLiteral("site.seq"));
    ASSERT_TRUE(SettingsFile::StoreSettingsFile(path, edited).ok);

    const QJsonObject before = rig.committed();
    rig.sim.clearReceivedCommands();
    WriteFromFile::Options options;
    options.Path = path;
    options.DryRun = true;
    const WriteFromFile::Prepared prepared = WriteFromFile::Prepare(options);
    ASSERT_TRUE(prepared.Ready());
    clsInstrument record;
    const WriteFromFile::Result r = WriteFromFile::Run(rig.link, record, prepared, {});
    ASSERT_TRUE(r.Success());
    EXPECT_FALSE(r.WriteRan);
    EXPECT_EQ(r.Preview.Lines(), QStringList{QStringLiteral("Alarm, CO: 50 → 35")});
    EXPECT_EQ(r.DetectorSerialNo, detector.SerialNo());
    EXPECT_EQ(rig.writes(), QStringList());
    EXPECT_EQ(rig.committed(), before);
    EXPECT_EQ(rig.sim.stagedCount(), 0);
}
