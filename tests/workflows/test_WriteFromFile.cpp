// Settings files written to the emulator, seeded: random valid edits of a
// file that was read from the detector are written and verified, and the
// detector then holds exactly what the file says; random corruptions of one
// line are refused with that line's number before anything is sent.
#include "WorkflowRig.h"

#include "link/WriteSequence.h"
#include "records/SettingsFile.h"
#include "workflows/WriteFromFile.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>

using workflowtest::Rig;

namespace {

using Edit = std::function<void(clsInstrument&, QRandomGenerator&)>;

// Edits that keep the record within what the detector takes.
const QList<Edit>& ValidEdits() {
    static const QList<Edit> edits = {
        [](clsInstrument& r, QRandomGenerator& g) { r.setAlarmMode(int16_t(g.bounded(2))); },
        [](clsInstrument& r, QRandomGenerator& g) { r.setDispID(int16_t(g.bounded(2))); },
        [](clsInstrument& r, QRandomGenerator& g) { r.setLogOverWrite(int16_t(g.bounded(2))); },
        [](clsInstrument& r, QRandomGenerator& g) { r.setIntervals(int16_t(1 + g.bounded(3600))); },
        [](clsInstrument& r, QRandomGenerator& g) { r.setCalLimit(int16_t(1 + g.bounded(365))); },
        [](clsInstrument& r, QRandomGenerator& g) { r.setLcdBackLight(int16_t(g.bounded(256))); },
        [](clsInstrument& r, QRandomGenerator& g) { r.setBumpLimit(int16_t(g.bounded(31))); },
        [](clsInstrument& r, QRandomGenerator& g) { r.setBumpTime(int16_t(g.bounded(4))); },
        [](clsInstrument& r, QRandomGenerator& g) { r.setBumpThreshold(int16_t(g.bounded(5))); },
        [](clsInstrument& r, QRandomGenerator& g) { r.setCalCheck(int16_t(g.bounded(3))); },
        [](clsInstrument& r, QRandomGenerator& g) {
            // The toxic channel 2 (CO): warning below alarm, and the span gas
            // (50) still reaching the alarm point.
            const int warning = 1 + int(g.bounded(40));
            r.setWarning(2, float(warning));
            r.setAlarm(2, float(warning + int(g.bounded(51 - warning))));
        },
        [](clsInstrument& r, QRandomGenerator& g) {
            static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789- ";
            QString text;
            for (int i = int(g.bounded(11)); i > 0; --i)
                text += QLatin1Char(kChars[g.bounded(int(sizeof(kChars)) - 1)]);
            r.setSpecNo(text.trimmed());
        },
    };
    return edits;
}

// What a fresh read gives, as settings-file lines, for what a write sends
// (the file also carries lines the write sequence never sends, and of the
// custom-sensor line only the entry in use travels).
QStringList WrittenLines(const clsInstrument& r) {
    QStringList out;
    for (const QString& line : SettingsFile::SettingsFileLines(r)) {
        const QString code = line.left(2);
        if (code == QLatin1String("LS"))
            out << QStringLiteral("LS entry %1").arg(r.LSindex());
        else if (code != QLatin1String("XF") && code != QLatin1String("CP") &&
                 code != QLatin1String("HF"))
            out << line;
    }
    return out;
}

bool WriteText(const QString& path, const QStringList& lines) {
    return testsupport::WriteAll(path, (lines.join(QStringLiteral("\r\n")) + "\r\n").toUtf8());
}

} // namespace

TEST(WriteFromFile, RandomValidEditsAreWrittenAndHeldExactly) {
    QRandomGenerator g(7350);
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(round);
        Rig rig;
        clsInstrument record;
        ASSERT_TRUE(rig.connectAndRead(record));
        for (int n = 1 + int(g.bounded(3)); n > 0; --n)
            ValidEdits().at(int(g.bounded(ValidEdits().size())))(record, g);
        const QString path = rig.dir.file(QStringLiteral("edited.seq"));
        ASSERT_TRUE(WriteText(path, SettingsFile::SettingsFileLines(record)));

        WriteFromFile::Options options;
        options.Path = path;
        const WriteFromFile::Prepared prepared = WriteFromFile::Prepare(options);
        ASSERT_TRUE(prepared.Ready()) << prepared.Load.Describe().toStdString();
        clsInstrument written;
        const WriteFromFile::Result r = WriteFromFile::Run(rig.link, written, prepared, {});
        ASSERT_TRUE(r.Success()) << r.Write.FailureLines.join('\n').toStdString();
        EXPECT_TRUE(r.Write.Verified);

        clsInstrument after;
        ASSERT_TRUE(rig.read(after));
        EXPECT_EQ(WrittenLines(after), WrittenLines(prepared.Record));
    }
}

// A file with a line the detector cannot take is refused with that line's
// number, and nothing is sent. (Which corruptions are refused, and where:
// tests/records/test_SettingsFile.)
TEST(WriteFromFile, ACorruptFileIsRefusedWithItsLineAndNothingIsSent) {
    Rig rig;
    clsInstrument record;
    ASSERT_TRUE(rig.connectAndRead(record));
    QStringList lines = SettingsFile::SettingsFileLines(record);
    const int at = int(lines.indexOf(QRegularExpression(QStringLiteral("XP,W,.*"))));
    ASSERT_GE(at, 0);
    lines[at] = QStringLiteral("XP,W,0x10");
    const QString path = rig.dir.file(QStringLiteral("bad.seq"));
    ASSERT_TRUE(WriteText(path, lines));
    rig.sim.clearReceivedCommands();
    WriteFromFile::Options options;
    options.Path = path;
    const WriteFromFile::Prepared prepared = WriteFromFile::Prepare(options);
    EXPECT_FALSE(prepared.Loaded());
    EXPECT_EQ(prepared.Load.line, at + 1);
    const WriteFromFile::Result r = WriteFromFile::Run(rig.link, record, prepared, {});
    EXPECT_EQ(r.outcome, workflows::Outcome::Refused);
    EXPECT_TRUE(rig.sim.receivedCommands().isEmpty());
}
