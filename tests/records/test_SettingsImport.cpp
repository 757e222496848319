// "Load local file" on the record: a file that reads marks everything for
// writing, counts as imported and switches the locked channels on; a file
// that does not read leaves the record exactly as it was, flags included.
#include "model/clsInstrument.h"
#include "records/SettingsFile.h"
#include "records/SettingsImport.h"

#include "common/TestRecords.h"
#include "common/TestSupport.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

using SettingsFile::FileError;

namespace {

using testsupport::WriteAll;

clsInstrument FourGases() {
    clsInstrument r;
    testrecords::SetFourGases(r);
    testrecords::SetChannel(r, 4, "CH4          100    1vol%", -101, -101, -101, -101, 50);
    r.setIntervals(600);
    r.ClearChangeFlags();
    return r;
}

} // namespace

TEST(SettingsImport, AFileThatReadsIsImported) {
    testsupport::ScratchDir dir;
    const QString path = dir.file(QStringLiteral("a.seq"));
    clsInstrument source = FourGases();
    source.setGasEnabled(1, false);
    ASSERT_TRUE(SettingsFile::StoreSettingsFile(path, source).ok);

    clsInstrument record; // as after a read: nothing flagged, not imported
    record.setCommFlags(true);
    const std::array<bool, 5> locked{false, true, false, false, false};
    const SettingsFile::FileResult r = SettingsImport::Load(path, record, locked);
    ASSERT_TRUE(r.ok) << qPrintable(r.Describe());
    EXPECT_EQ(record.Intervals(), 600);
    EXPECT_TRUE(record.ImportFlag());
    EXPECT_TRUE(record.CommFlags());   // left as it was
    EXPECT_TRUE(record.GasEnabled(1)); // locked by the configuration
    // Every setting is marked for writing, no identity item.
    EXPECT_TRUE(record.Change_Interval());
    EXPECT_TRUE(record.Change_Alarm(2));
    EXPECT_TRUE(record.Change_HCMode());
    EXPECT_FALSE(record.Change_StationID());
    EXPECT_FALSE(record.Change_SerialNo());
}

// Bad input of every kind names the file (and the line where there is one)
// and changes nothing: no value, no flag, not ImportFlag.
TEST(SettingsImport, ABadFileChangesNothing) {
    testsupport::ScratchDir dir;
    const QStringList good = SettingsFile::SettingsFileLines(FourGases());
    auto with = [&good](const QString& code, const QString& line) {
        QStringList lines = good;
        for (QString& l : lines)
            if (l.startsWith(code + QStringLiteral(",W,")))
                l = line;
        return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
    };
    const int alarmLine =
        int(good.indexOf(QRegularExpression(QStringLiteral("A2,W,.*")))) + 1; // 1-based
    struct Case {
        const char* name;
        QByteArray content;
        FileError error;
        int line;
    };
    const QList<Case> cases = {
        {"binary", QByteArray("A1,W,\0\x01\x02", 8), FileError::NotText, 0},
        {"huge", QByteArray(SettingsFile::kMaxFileBytes + 10, 'x'), FileError::TooLarge, 0},
        // Lines before the bad one read well: they must not reach the record.
        {"a word for a point",
         with(QStringLiteral("A2"), QStringLiteral("A2,W,   50, 23.5,  OFF,   30,*****,")),
         FileError::BadNumber, alarmLine},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.file(QStringLiteral("bad.seq"));
        ASSERT_TRUE(WriteAll(path, c.content));
        clsInstrument record = FourGases();
        record.setAlarm(2, 40); // an edit of the user's, flagged
        const QStringList before = SettingsFile::SettingsFileLines(record);
        const SettingsFile::FileResult r =
            SettingsImport::Load(path, record, {true, true, true, true, true});
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error, c.error);
        EXPECT_EQ(r.line, c.line);
        EXPECT_TRUE(r.Describe().startsWith(path)) << qPrintable(r.Describe());
        EXPECT_EQ(SettingsFile::SettingsFileLines(record), before);
        EXPECT_FALSE(record.ImportFlag());
        EXPECT_TRUE(record.Change_Alarm(2));
        EXPECT_FALSE(record.Change_Interval());
    }
}
