// The calibration window against the emulated detector: the grid after
// activation, the span-gas edits, zero, span and TE N2 runs end to end with
// channels the detector fails, a refused span, the range switch, the trend,
// and the main window's "Calibration" button.
#include "MainWindowRig.h"

#include "app/MessageIds.h"
#include "model/modGasCommon.h"
#include "register/RegisterStore.h"
#include "ui/FileDialog.h"
#include "ui/calibration/TrendChart.h"
#include "ui/calibration/frmCalibration.h"
#include "ui/calibration/frmUploadCalib.h"
#include "workflows/RegisterEvents.h"

#include <QDateTimeAxis>
#include <QLineSeries>
#include <QProgressBar>
#include <QRadioButton>

using namespace windowtest;

namespace {

// A main window that has read the detector, and its calibration window.
struct CalibrationRig : MainWindowRig {
    std::unique_ptr<frmCalibration> cal;

    SimState& detector() { return sim().state(); }

    // Connects, reads, opens the window and lets it become active.
    bool open() {
        if (!connect() || !window->InstrumentDownload())
            return false;
        cal = std::make_unique<frmCalibration>(*window);
        cal->show();
        for (int i = 0; i < 100 && cal->activations() == 0; ++i)
            QCoreApplication::processEvents();
        return cal->activations() == 1;
    }
    // `n` live readings (one a second on the link's clock).
    void readings(int n) { clock.runTicks(10 * n); }
    GridControl& grid() { return *cal->vfgCal; }
    QString cell(int ch, int col) { return grid().TextMatrix(ch + 1, col); }
    bool checked(int ch) {
        return grid().CellChecked(ch + 1, frmCalibration::kColSelect) ==
               GridControl::CheckState::Checked;
    }
    int sent(const QByteArray& prefix) {
        int n = 0;
        for (const QByteArray& c : sim().receivedCommands())
            n += c.startsWith(prefix) ? 1 : 0;
        return n;
    }
    // Only the given channels selected.
    void select(std::initializer_list<int> channels) {
        for (int ch = 0; ch < 5; ++ch) {
            const bool want = std::find(channels.begin(), channels.end(), ch) != channels.end();
            if (checked(ch) != want)
                uitest::ClickCell(grid(), ch + 1, frmCalibration::kColSelect);
        }
    }
    // The one box asked with `title`, or null.
    const MsgBoxRequest* box(int title) const {
        for (const MsgBoxRequest& r : asked) {
            if (r.title == LoadMessage(title))
                return &r;
        }
        return nullptr;
    }
};

} // namespace

TEST(frmCalibration, ActivationFillsTheGridFromTheDetector) {
    CalibrationRig rig;
    rig.detector().channels[1].autoCalib = -1; // O2 without a span gas value
    rig.detector().channels[2].noise = 0;
    ASSERT_TRUE(rig.open());
    frmCalibration& w = *rig.cal;
    EXPECT_EQ(w.windowTitle(), LoadMessage(kMsgCalibrationTitle));
    EXPECT_EQ(w.cmdCal[2]->text(), LoadMessage(kMsgTeN2Cal));
    const QStringList headers = LoadMessage(kMsgCalibrationColumns).split(QLatin1Char('|'));
    for (int col = 0; col < 4; ++col)
        EXPECT_EQ(rig.grid().TextMatrix(0, col), headers.at(col));
    EXPECT_TRUE(rig.session.CalWindowOpen);
    EXPECT_TRUE(rig.link().RunDensty());

    EXPECT_EQ(rig.cell(2, frmCalibration::kColGas), QStringLiteral("CO(500ppm)"));
    for (int ch : {0, 2, 3, 4}) {
        EXPECT_TRUE(w.CalEnable(ch)) << ch;
        EXPECT_TRUE(rig.checked(ch)) << ch;
        EXPECT_TRUE(rig.session.CalSelect[ch]) << ch;
        EXPECT_EQ(rig.grid().CellBackColor(ch + 1, frmCalibration::kColAutoCal),
                  frmCalibration::kEditable);
    }
    EXPECT_EQ(rig.cell(3, frmCalibration::kColAutoCal), QStringLiteral("25.0"));
    // The channel without a span gas value cannot be chosen.
    EXPECT_FALSE(w.CalEnable(1));
    EXPECT_FALSE(rig.checked(1));
    EXPECT_EQ(rig.cell(1, frmCalibration::kColAutoCal), QStringLiteral("-----"));
    EXPECT_EQ(rig.grid().CellBackColor(2, frmCalibration::kColSelect), frmCalibration::kLocked);
    uitest::ClickCell(rig.grid(), 2, frmCalibration::kColSelect);
    QCoreApplication::processEvents();
    EXPECT_FALSE(rig.checked(1));
    EXPECT_FALSE(rig.session.CalSelect[1]);

    // Live readings reach the reading column, never the locked channel's.
    rig.readings(2);
    EXPECT_EQ(rig.cell(2, frmCalibration::kColReading), QStringLiteral("0"));
    EXPECT_EQ(rig.cell(1, frmCalibration::kColReading), QStringLiteral("-----"));
    EXPECT_FALSE(rig.grid().EditCell(3, frmCalibration::kColReading));
    EXPECT_FALSE(rig.grid().EditCell(2, frmCalibration::kColAutoCal));
}

TEST(frmCalibration, SpanGasValuesAreCheckedAsTyped) {
    CalibrationRig rig;
    ASSERT_TRUE(rig.open());
    frmCalibration& w = *rig.cal;
    clsInstrument& cal = rig.session.CalInstrument;
    const int co = 3; // row of channel 2: CO, 500 ppm, warning 25, resolution 1
    const int col = frmCalibration::kColAutoCal;
    struct Case {
        const char* typed;
        bool taken;
        const char* shown;
    };
    // The rule itself: tests/model/test_CalibrationRules.
    const Case cases[] = {
        {"100", true, "100"},
        {"600", false, "100"},
        {"51.5", true, "52"},
        {"abc", false, "52"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(uitest::TypeIntoCell(rig.grid(), co, col, QString::fromLatin1(c.typed)), c.taken);
        EXPECT_EQ(rig.grid().TextMatrix(co, col), QString::fromLatin1(c.shown));
        EXPECT_FLOAT_EQ(cal.AutoCalib(2), QString::fromLatin1(c.shown).toFloat());
        EXPECT_EQ(w.lblHint->isVisibleTo(&w), !c.taken);
    }
    // The refusal says why.
    uitest::TypeIntoCell(rig.grid(), co, col, QStringLiteral("600"));
    EXPECT_TRUE(w.lblHint->text().contains(QStringLiteral("500ppm")));
    EXPECT_TRUE(w.lblHint->text().contains(QStringLiteral("25ppm")));

    // Empty: no value, grey; the channel stays selected and a span sends
    // "*****" for it.
    EXPECT_TRUE(uitest::TypeIntoCell(rig.grid(), co, col, QString()));
    EXPECT_EQ(cal.AutoCalib(2), modGasCommon::kNoValue);
    EXPECT_EQ(rig.grid().CellBackColor(co, col), frmCalibration::kLocked);
    rig.select({2});
    w.cmdCal[1]->click();
    EXPECT_EQ(rig.sent("S2,W,00100,*****,*****,*****,*****,*****"), 1);
    // The next activation (after the run) reads the detector's values again.
    EXPECT_FLOAT_EQ(cal.AutoCalib(2), 50);
    EXPECT_EQ(rig.grid().TextMatrix(co, col), QStringLiteral("50"));
}

TEST(frmCalibration, ZeroReportsEveryChannelWithTheFailedOnes) {
    CalibrationRig rig;
    rig.detector().channels[3].noise = 0;
    rig.detector().channels[3].baseReading = 1.5;
    ASSERT_TRUE(rig.open());
    frmCalibration& w = *rig.cal;
    rig.readings(2);
    rig.select({0}); // a zero covers every channel whatever is selected
    rig.sim().faults().calibFailMask = 1 << 3;
    rig.sim().clearReceivedCommands();
    w.cmdCal[0]->click();

    EXPECT_EQ(rig.sent("SZ,W,11111"), 1);
    const MsgBoxRequest* box = rig.box(kMsgAdjustment);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->icon, QMessageBox::Information);
    // The lines themselves: tests/workflows/test_CalibrationRun.
    EXPECT_EQ(box->text.count(QStringLiteral("\r\n")), 5);
    EXPECT_TRUE(box->text.contains(QStringLiteral("\r\nH2S(1.5) Failed\r\n")));
    EXPECT_TRUE(w.CalResultValid());
    EXPECT_EQ(rig.session.CalMode, SessionState::kCalModeNone);
    // Readings run again, the window read the detector again, the trend
    // marks the run.
    EXPECT_TRUE(rig.link().RunDensty());
    EXPECT_FALSE(rig.session.ReadingReceived);
    EXPECT_EQ(w.activations(), 2);
    EXPECT_TRUE(rig.session.CalSelect[2]); // selections back to every channel
    // The lines are cut where the run held the readings.
    rig.readings(2);
    EXPECT_EQ(w.chtTrend->readingPieces(0).size(), 2);
    ASSERT_EQ(w.chtTrend->model().marks().size(), 2);
    EXPECT_TRUE(w.chtTrend->model().marks().at(0).start);
    EXPECT_EQ(w.chtTrend->model().marks().at(0).run, TrendModel::Run::Zero);
    EXPECT_FALSE(w.chtTrend->model().paused());
}

TEST(frmCalibration, SpanReportsTheSelectedChannelsAndUpdatesTheMainRecord) {
    CalibrationRig rig;
    ASSERT_TRUE(rig.open());
    frmCalibration& w = *rig.cal;
    const double before0 = rig.record().CalibDate(0);
    const double before2 = rig.record().CalibDate(2);
    rig.select({0, 2});
    ASSERT_TRUE(
        uitest::TypeIntoCell(rig.grid(), 1, frmCalibration::kColAutoCal, QStringLiteral("45")));
    rig.sim().faults().calibFailMask = 1 << 2;
    rig.sim().clearReceivedCommands();
    w.cmdCal[1]->click();

    EXPECT_EQ(rig.sent("S2,W,10100,   45,*****,   50,*****,*****"), 1);
    const MsgBoxRequest* box = rig.box(kMsgAdjustment);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text.count(QStringLiteral("\r\n")), 2); // the selected ones only
    // The main window's record holds the new calibration of channel 0.
    EXPECT_GT(rig.record().CalibDate(0), before0);
    EXPECT_EQ(rig.record().CalibDate(2), before2);
    EXPECT_TRUE(rig.link().RunDensty());
    EXPECT_EQ(w.chtTrend->model().marks().at(0).run, TrendModel::Run::Span);
}

// Runs that cannot start send nothing and say why; a span the detector
// refuses ends in red without a result box.
TEST(frmCalibration, RunsThatCannotStartOrAreRefused) {
    CalibrationRig rig;
    rig.detector().channels[4].autoCalib = -1; // no TE N2 without it
    ASSERT_TRUE(rig.open());
    rig.sim().clearReceivedCommands();
    rig.cal->cmdCal[2]->click();
    const MsgBoxRequest* box = rig.box(kMsgTeN2Cal);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text, LoadMessage(kMsgTeDisabled));
    EXPECT_EQ(box->icon, QMessageBox::Critical);
    rig.select({});
    rig.cal->cmdCal[1]->click();
    box = rig.box(kMsgSpanNotPerformed);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text, LoadMessage(kMsgNoSensorsSelected));
    EXPECT_EQ(box->icon, QMessageBox::Critical);
    EXPECT_EQ(rig.grid().Row(), frmCalibration::kPpmRow);
    EXPECT_EQ(rig.sent("SN,"), 0);
    EXPECT_EQ(rig.sent("S2,"), 0);

    rig.select({0});
    rig.sim().faults().refuseCodes << QStringLiteral("S2");
    rig.cal->cmdCal[1]->click();
    EXPECT_EQ(rig.colourOf(LoadMessage(kMsgCalibrationFail)), kRed);
    EXPECT_EQ(rig.box(kMsgAdjustment), nullptr);
    EXPECT_FALSE(rig.cal->CalResultValid());
    EXPECT_TRUE(rig.link().RunDensty());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr); // the transfer window is gone
    EXPECT_FALSE(rig.cal->findChild<frmUploadCalib*>());
}

TEST(frmCalibration, RangeSwitchOfACustomBoard) {
    CalibrationRig rig;
    ASSERT_TRUE(rig.open());
    // The window of a custom board (the main record says so when it opens).
    rig.cal.reset();
    rig.record().setIsCustom(1);
    rig.record().setSHmode(0);
    rig.cal = std::make_unique<frmCalibration>(*rig.window);
    rig.cal->show();
    for (int i = 0; i < 100 && rig.cal->activations() == 0; ++i)
        QCoreApplication::processEvents();
    frmCalibration& w = *rig.cal;
    ASSERT_TRUE(w.fraLR->isVisibleTo(&w));
    EXPECT_FALSE(w.fraSQ->isVisibleTo(&w));

    rig.sim().setCommitPolls(3);
    int lowest = -1;
    QObject::connect(w.prgSH, &QProgressBar::valueChanged, [&lowest](int v) { lowest = v; });
    rig.sim().clearReceivedCommands();
    w.optLR[1]->click(); // ppm
    EXPECT_EQ(rig.sent("LR,W,1"), 1);
    EXPECT_EQ(rig.detector().SHmode, 1);
    EXPECT_GE(lowest, 0);
    EXPECT_LT(lowest, frmCalibration::kRangeSwitchSeconds);
    for (int ch = 0; ch < 5; ++ch)
        EXPECT_EQ(rig.session.CalSelect[ch], ch == 3) << ch;
    EXPECT_FALSE(w.prgSH->isVisibleTo(&w));
    EXPECT_TRUE(w.fraSQ->isVisibleTo(&w));
    EXPECT_TRUE(w.cmdCal[0]->isEnabled());
    EXPECT_TRUE(rig.link().RunDensty());

    w.optSQ[1]->click();
    EXPECT_EQ(rig.detector().shWetDry, 1);

    w.optLR[0]->click(); // LEL/vol: every channel but row 4
    EXPECT_EQ(rig.sent("LR,W,0"), 1);
    for (int ch = 0; ch < 5; ++ch)
        EXPECT_EQ(rig.session.CalSelect[ch], ch != 3) << ch;
    EXPECT_FALSE(w.fraSQ->isVisibleTo(&w));
}

TEST(frmCalibration, TheTrendDrawsTheReadingsAndTheLevels) {
    CalibrationRig rig;
    rig.detector().channels[2].noise = 0;
    rig.detector().channels[2].baseReading = 125;
    rig.detector().channels[3].enabled = false;
    ASSERT_TRUE(rig.open());
    TrendChart& chart = *rig.cal->chtTrend;
    rig.readings(5);
    QLineSeries* co = chart.readingSeries(2);
    ASSERT_GE(co->count(), 4);
    EXPECT_DOUBLE_EQ(co->at(co->count() - 1).y(), 25.0); // 125 of 500 ppm
    EXPECT_EQ(co->name(), QStringLiteral("CO(500ppm)"));
    // A second apart on the link's clock.
    EXPECT_NEAR(co->at(co->count() - 1).x() - co->at(co->count() - 2).x(), 1000, 1);
    EXPECT_EQ(chart.timeAxis()->max().toMSecsSinceEpoch(), qint64(co->at(co->count() - 1).x()));
    // The levels drawn (their values: test_TrendModel): alarm 50 of 500 ppm.
    EXPECT_DOUBLE_EQ(chart.levelSeries(2, TrendModel::Level::Alarm)->at(0).y(), 10.0);
    EXPECT_FALSE(chart.readingSeries(3)->isVisible());
    EXPECT_EQ(chart.readingPieces(2).size(), 1);
}

TEST(frmCalibration, TheMainWindowButtonRunsTheWindowWithThePump) {
    CalibrationRig rig;
    ASSERT_TRUE(rig.connect());
    frmMain& main = *rig.window;
    ASSERT_TRUE(main.InstrumentDownload());
    const double before = rig.record().CalibDate(0);
    rig.sim().clearReceivedCommands();
    bool pumpOnWhileOpen = false;
    // Once the window has read the detector (its first activation runs
    // inside the modal loop): a span of every channel, then exit.
    std::function<void(frmCalibration*)> whenActive;
    whenActive = [&](frmCalibration* w) {
        if (w->activations() == 0 || rig.link().IsBusy()) {
            QTimer::singleShot(10, w, [w, &whenActive] { whenActive(w); });
            return;
        }
        pumpOnWhileOpen = rig.detector().pump == 1;
        EXPECT_TRUE(rig.link().RunDensty());
        w->cmdCal[1]->click();
        w->cmdCal[3]->click();
    };
    uitest::WhenModalOpens<frmCalibration>([&whenActive](frmCalibration* w) { whenActive(w); });
    ASSERT_TRUE(main.cmdOption[2]->isEnabled());
    main.cmdOption[2]->click();
    EXPECT_TRUE(pumpOnWhileOpen);
    EXPECT_EQ(rig.detector().pump, 0);
    EXPECT_EQ(rig.sent("BP,W,1"), 1);
    EXPECT_EQ(rig.sent("BP,W,0"), 1);
    EXPECT_EQ(rig.sent("S2,W,"), 1);
    EXPECT_FALSE(rig.link().RunDensty());
    EXPECT_FALSE(rig.session.CalWindowOpen);
    // The last calibration shows the span.
    EXPECT_GT(rig.record().CalibDate(0), before);
}

TEST(frmCalibration, RunsLandInTheRegisterAndTheResultBoxGivesTheCertificate) {
    CalibrationRig rig;
    rig.detector().channels[1].noise = 0;
    ASSERT_TRUE(rig.open());
    rig.readings(2);
    rig.select({0});
    ASSERT_TRUE(
        uitest::TypeIntoCell(rig.grid(), 1, frmCalibration::kColAutoCal, QStringLiteral("45")));
    const QString pdf = rig.file(QStringLiteral("certificate.pdf"));
    {
        ScopedFileDialogHandler answer([&pdf](const FileDialogRequest&) { return pdf; });
        rig.answers = {QMessageBox::Save}; // the result box: the certificate
        rig.cal->cmdCal[1]->click();
    }
    const MsgBoxRequest* box = rig.box(kMsgAdjustment);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->buttons.testFlag(QMessageBox::Save));
    EXPECT_GT(rig.cal->RecordedRun(), 0);
    EXPECT_TRUE(testsupport::ReadAll(pdf).startsWith("%PDF-"));
    rig.sim().clearReceivedCommands();
    rig.cal->cmdCal[2]->click(); // TE N2: the oxygen reading sent, channel 4 zeroed
    EXPECT_EQ(rig.sent("SN,W, 20.9"), 1);
    const MsgBoxRequest* n2Box = rig.box(kMsgTeN2Cal);
    ASSERT_NE(n2Box, nullptr);
    EXPECT_EQ(n2Box->text, QStringLiteral("CH4  ") + LoadMessage(kMsgAdjustmentComplete) +
                               QStringLiteral("\r\n"));
    EXPECT_TRUE(rig.link().RunDensty());

    InstrumentRegister::Store store;
    QString error;
    ASSERT_TRUE(store.Open(rig.window->Register().location(), &error)) << error.toStdString();
    QList<InstrumentRegister::Event> events;
    ASSERT_TRUE(store.Events(rig.record().SerialNo().trimmed(), &events, &error));
    ASSERT_EQ(events.size(), 3); // the read, the span, the N2 zero
    const InstrumentRegister::Event& span = events[1];
    EXPECT_EQ(span.kind, InstrumentRegister::EventKind::Span);
    EXPECT_EQ(span.id, rig.cal->RecordedRun());
    EXPECT_TRUE(span.channels[0].calibrated);
    EXPECT_TRUE(span.channels[0].ok);
    EXPECT_DOUBLE_EQ(span.channels[0].spanConcentration, 45);
    EXPECT_TRUE(span.channels[0].readingKnown);
    EXPECT_FALSE(span.channels[2].calibrated);
    const InstrumentRegister::Event& n2 = events[2];
    EXPECT_EQ(n2.kind, InstrumentRegister::EventKind::Zero);
    EXPECT_EQ(n2.action, QStringLiteral("te-n2"));
    EXPECT_TRUE(n2.channels[4].calibrated);
    EXPECT_FALSE(n2.channels[0].calibrated);
}
