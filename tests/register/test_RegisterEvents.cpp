// What reaches the register from the workflows, on the in-process emulator:
// a read, a write and a span run leave exactly those three events with what
// they did, with the detector's clock offset that moves its due dates;
// a register that cannot be opened costs one warning line and nothing else.
#include "workflows/WorkflowRig.h"

#include "register/DueDates.h"
#include "register/RegisterStore.h"
#include "register/RegisterText.h"
#include "workflows/CalibrationRun.h"
#include "workflows/RegisterEvents.h"
#include "workflows/WriteSettings.h"

#include <QFile>

using namespace InstrumentRegister;

namespace {

Location FileIn(const testsupport::ScratchDir& dir) {
    Location l;
    l.kind = Location::Kind::SQLite;
    l.path = dir.file(QStringLiteral("register.sqlite"));
    return l;
}

// Collects the lines a recorder reports.
struct Lines {
    QStringList failures;
    workflows::Report report() {
        workflows::Report r;
        r.line = [this](const QString& text, workflows::Tone tone) {
            if (tone == workflows::Tone::Failure)
                failures << text;
        };
        return r;
    }
};

} // namespace

TEST(RegisterEvents, AReadAWriteAndASpanRunLeaveExactlyThoseEvents) {
    workflowtest::Rig rig;
    // The detector's clock runs three days ahead of the PC's.
    rig.sim.setClock([] { return QDateTime::currentDateTime().addDays(3); });
    ASSERT_TRUE(rig.connect());
    RegisterEvents::Recorder recorder(FileIn(rig.dir));
    Lines lines;

    clsInstrument record;
    const InformationDownload::Result read = InformationDownload::Run(rig.link, record, {}, {});
    ASSERT_TRUE(read.Success());
    ASSERT_TRUE(recorder.Record(RegisterEvents::FromRead(record, read), lines.report()));
    const clsInstrument lastRead = record;

    // A write of one setting.
    clsInstrument copy = record;
    copy.ClearChangeFlags();
    const int16_t backlight = record.LcdBackLight() == 10 ? 20 : 10;
    copy.setLcdBackLight(backlight);
    WriteSettings::Options write;
    write.mode = WriteSettings::Mode::Flagged;
    const WriteSettings::Result written = WriteSettings::Run(rig.link, copy, write, {});
    ASSERT_TRUE(written.Success());
    ASSERT_TRUE(recorder.Record(RegisterEvents::FromWrite(WriteSettings::Mode::Flagged, written),
                                lines.report()));

    // A span run on the first channel that can take one.
    clsInstrument cal;
    CalibrationRun::Channels calEnable{};
    ASSERT_EQ(CalibrationRun::ReadInfo(rig.link, cal, true, &calEnable), LinkResult::Done);
    CalibrationRun::Channels selected{};
    int channel = -1;
    for (int ch = 0; ch < 5 && channel < 0; ++ch)
        if (calEnable[size_t(ch)])
            channel = ch;
    ASSERT_GE(channel, 0);
    selected[size_t(channel)] = true;
    CalibrationRun::Options options;
    options.RestartReadings = false;
    const CalibrationRun::Result span =
        CalibrationRun::Span(rig.link, cal, selected, &cal, options, {});
    ASSERT_TRUE(span.Success());
    ASSERT_TRUE(
        recorder.Record(RegisterEvents::FromCalibration(lastRead, cal, &cal, true, selected, span),
                        lines.report()));
    EXPECT_TRUE(lines.failures.isEmpty()) << lines.failures.join(' ').toStdString();

    Store store;
    QString error;
    ASSERT_TRUE(store.Open(FileIn(rig.dir), &error));
    QList<DetectorSummary> detectors;
    ASSERT_TRUE(store.Detectors(&detectors, &error));
    ASSERT_EQ(detectors.size(), 1);
    const QString serial = record.SerialNo().trimmed();
    EXPECT_EQ(detectors[0].serialNo, serial);
    QList<Event> events;
    ASSERT_TRUE(store.Events(serial, &events, &error));
    ASSERT_EQ(events.size(), 3);
    EXPECT_EQ(events[0].kind, EventKind::Read);
    EXPECT_EQ(events[1].kind, EventKind::Write);
    EXPECT_EQ(events[2].kind, EventKind::Span);

    // The read: identity, clock and the settings as a settings file. The
    // clock ahead puts the detector's stamps earlier on the PC's clock (a
    // few seconds pass during the read).
    EXPECT_EQ(events[0].station, record.StationID().trimmed());
    EXPECT_EQ(events[0].user, record.UserID().trimmed());
    EXPECT_TRUE(events[0].detectorTime.isValid());
    EXPECT_NEAR(double(events[0].clockOffsetSeconds), -3 * 86400.0, 60.0);
    EXPECT_TRUE(events[0].settings.contains(QStringLiteral("XT,W,")));
    EXPECT_TRUE(events[0].limits.known);
    // The write: the one setting, from the old value to the new.
    ASSERT_EQ(events[1].written.size(), 1) << events[1].written.join('|').toStdString();
    EXPECT_TRUE(events[1].written[0].contains(QString::number(record.LcdBackLight())));
    EXPECT_TRUE(events[1].written[0].contains(QString::number(backlight)));
    EXPECT_EQ(events[1].serialNo, serial);
    // The span run: the channel, its gas, concentration and result.
    const ChannelEntry& c = events[2].channels[channel];
    EXPECT_TRUE(c.calibrated);
    EXPECT_EQ(c.ok, bool(span.Status[size_t(channel)]));
    EXPECT_EQ(c.gas, cal.GasName(channel).trimmed());
    EXPECT_DOUBLE_EQ(c.spanConcentration, cal.AutoCalib(channel));
    for (int ch = 0; ch < 5; ++ch)
        EXPECT_EQ(events[2].channels[ch].calibrated, ch == channel) << ch;

    // A second read after the write: the difference is the backlight line.
    clsInstrument again;
    const InformationDownload::Result second = InformationDownload::Run(rig.link, again, {}, {});
    ASSERT_TRUE(second.Success());
    const Event secondRead = RegisterEvents::FromRead(again, second);
    const QStringList diff = SettingsDifferences(events[0].settings, secondRead.settings);
    ASSERT_EQ(diff.size(), 2) << diff.join('|').toStdString();
    EXPECT_TRUE(diff[0].startsWith(QStringLiteral("- XT,W,")));
    EXPECT_TRUE(diff[1].startsWith(QStringLiteral("+ XT,W,")));
}

TEST(RegisterEvents, ARegisterThatCannotBeOpenedCostsOneWarningLine) {
    workflowtest::Rig rig;
    ASSERT_TRUE(rig.connect());
    // Its folder would have to be inside a file.
    ASSERT_TRUE(testsupport::WriteAll(rig.dir.file(QStringLiteral("blocker")), {}));
    Location l;
    l.kind = Location::Kind::SQLite;
    l.path = rig.dir.file(QStringLiteral("blocker/register.sqlite"));
    RegisterEvents::Recorder recorder(l);
    Lines lines;
    clsInstrument record;
    const InformationDownload::Result read = InformationDownload::Run(rig.link, record, {}, {});
    ASSERT_TRUE(read.Success());
    EXPECT_FALSE(recorder.Record(RegisterEvents::FromRead(record, read), lines.report()));
    ASSERT_EQ(lines.failures.size(), 1);
    EXPECT_TRUE(lines.failures[0].contains(QStringLiteral("blocker")))
        << lines.failures[0].toStdString();
    // Off, or nothing to file it under: silent.
    RegisterEvents::Recorder off;
    EXPECT_FALSE(off.Record(RegisterEvents::FromRead(record, read), lines.report()));
    RegisterEvents::Recorder anonymous(FileIn(rig.dir));
    EXPECT_FALSE(anonymous.Record(RegisterEvents::FromRead(clsInstrument(), read), lines.report()));
    EXPECT_EQ(lines.failures.size(), 1);
}
