// The main window talking to the emulated detector: "Instrument
// Information" refreshing every field or failing, the date check,
// power-off, and the demonstration mode.
#include "MainWindowRig.h"

#include "ui/main/frmUpload.h"
#include "workflows/InformationDownload.h"

using namespace windowtest;

// A read refreshes every field; one that fails or is cancelled is reported
// as such and leaves nothing editable.
TEST(frmMainRead, InstrumentInformationRefreshesEveryFieldOrSaysWhyNot) {
    MainWindowRig rig;
    frmMain& w = *rig.window;
    SimState& detector = rig.sim().state();
    detector.serialNo = QStringLiteral("SN-0042");
    detector.romNumber = 815;
    detector.channels[2].warning = 30;
    ASSERT_TRUE(rig.connect());

    // The progress window is up while the read runs, the commands are off.
    QString progressCaption;
    QObject::connect(&rig.link(), &uclTqif::StsTransmit, &w, [&] {
        if (frmUpload* up = w.Upload(); up && up->isVisible()) {
            progressCaption = up->windowTitle();
            EXPECT_FALSE(w.fraCommand[0]->isEnabled());
        }
    });
    w.cmdDown[1]->click();
    EXPECT_EQ(progressCaption, LoadMessage(6056));
    EXPECT_EQ(w.Upload(), nullptr);
    EXPECT_TRUE(w.fraCommand[0]->isEnabled());
    clsInstrument& r = rig.record();
    EXPECT_TRUE(r.CommFlags());
    EXPECT_FALSE(r.ImportFlag());

    // Every field shows the detector.
    EXPECT_TRUE(w.txtOption[0]->text().startsWith(QStringLiteral("SN-0042")));
    EXPECT_EQ(w.txtOption[0]->text(), r.SerialNo());
    EXPECT_EQ(w.txtOption[1]->text(), r.StationID());
    EXPECT_EQ(w.txtOption[2]->text(), r.UserID());
    EXPECT_EQ(w.lblInst[7]->text(), QStringLiteral("00815"));
    EXPECT_EQ(w.lblInst[9]->text(), detector.sum);
    EXPECT_EQ(w.cmbInterval->currentIndex(), OptionRules::IntervalItemIndex(r.Intervals()));
    // The grid shows the read record (how: test_OptionGrid).
    EXPECT_EQ(w.vfgOption->Rows(), OptionGrid::kRows);
    EXPECT_EQ(w.vfgOption->TextMatrix(4, 2), QStringLiteral("30"));
    EXPECT_TRUE(w.cmdOption[0]->isEnabled()); // connected and read: writing is on

    // The log pane: start, the analog values, completion; the detector's
    // clock is close to the PC's, so no date line.
    EXPECT_EQ(rig.colourOf(LoadMessage(5414)), kGreen);
    EXPECT_TRUE(rig.logged(QStringLiteral("ch1 PRES.     \t: 2.066V")));
    EXPECT_EQ(rig.colourOf(Line(LoadMessage(5415))), kGreen);
    EXPECT_FALSE(rig.logged(LoadMessage(5591)));

    // The detector refuses a command late in the read: many answers have
    // arrived before the failure.
    w.rtbLog->ClearLog();
    rig.sim().faults().refuseCodes << QStringLiteral("SA");
    w.cmdDown[1]->click();
    EXPECT_EQ(rig.colourOf(Line(LoadMessage(5416))), kRed);
    EXPECT_FALSE(rig.logged(Line(LoadMessage(5415))));
    EXPECT_FALSE(r.CommFlags());
    // What was read is incomplete: it is neither shown as editable nor
    // offered for writing.
    EXPECT_FALSE(r.ImportFlag());
    EXPECT_FALSE(w.cmdOption[0]->isEnabled());
    EXPECT_FALSE(w.txtOption[0]->isEnabled());
    EXPECT_EQ(w.vfgOption->Rows(), OptionGrid::kEmptyRows);
    EXPECT_TRUE(w.fraCommand[0]->isEnabled());
    EXPECT_EQ(w.Upload(), nullptr);

    // A read cancelled half-way ends as cancelled.
    rig.sim().faults().refuseCodes.clear();
    w.rtbLog->ClearLog();
    int transmitted = 0;
    QObject::connect(&rig.link(), &uclTqif::StsTransmit, &w, [&] {
        if (++transmitted == 20)
            rig.link().setCancel(true);
    });
    w.cmdDown[1]->click();
    EXPECT_TRUE(rig.logged(LoadMessage(5462)));
    EXPECT_FALSE(rig.logged(Line(LoadMessage(5415))));
    EXPECT_FALSE(r.CommFlags());
}

TEST(frmMainRead, NotConnectedAndDateCheck) {
    MainWindowRig rig;
    frmMain& w = *rig.window;
    // Not connected (the detector is there, the link has not found it yet):
    // the command is refused with the no-response line, nothing is sent.
    w.InstrumentDownload();
    EXPECT_EQ(rig.colourOf(Line(LoadMessage(5417))), kRed);
    EXPECT_TRUE(rig.sim().receivedCommands().isEmpty());

    // A detector clock two days behind the PC's is reported in red.
    rig.sim().state().clockOffsetSecs = -2 * 86400;
    ASSERT_TRUE(rig.connect());
    w.cmdDown[1]->click();
    ASSERT_TRUE(rig.record().CommFlags());
    EXPECT_EQ(rig.colourOf(LoadMessage(5591)), kRed);

    // The detector clock label shows the detector's time.
    w.tmrInter->stop();
    QTest::qWait(1100); // a new second for the clock
    QMetaObject::invokeMethod(w.tmrInter, "timeout");
    const QDateTime shown =
        QDateTime::fromString(w.lblOption[6]->text(), QStringLiteral("MM/dd/yyyy hh:mm:ss"));
    ASSERT_TRUE(shown.isValid()) << w.lblOption[6]->text().toStdString();
    EXPECT_NEAR(double(shown.secsTo(QDateTime::currentDateTime())), 2.0 * 86400, 5.0);
}

TEST(frmMainRead, PowerOffReturnsToTheStartUpState) {
    MainWindowRig rig;
    frmMain& w = *rig.window;
    clsInstrument& r = rig.record();
    ASSERT_TRUE(rig.connect());
    w.cmdDown[1]->click();
    ASSERT_TRUE(r.CommFlags());
    w.txtSuffix->setText(QStringLiteral("typed"));
    rig.settings.FactoryRecordSuffix = QStringLiteral("stored");

    // No: nothing happens.
    rig.answers = {QMessageBox::No};
    w.cmdDown[4]->click();
    EXPECT_TRUE(rig.wasAsked(LoadMessage(5347)));
    EXPECT_TRUE(rig.link().Connected());
    EXPECT_TRUE(r.CommFlags());

    // Yes: the detector is switched off, the window starts over.
    rig.answers = {QMessageBox::Yes};
    w.cmdDown[4]->click();
    EXPECT_TRUE(rig.sim().receivedCommands().contains("RO,W,"));
    EXPECT_FALSE(r.CommFlags());
    // Start-up state: the defaults are editable (first activation ran), the
    // port is open again, the window enabled, the log pane started over.
    EXPECT_TRUE(r.ImportFlag());
    EXPECT_FALSE(w.FirstActivationPending());
    EXPECT_TRUE(w.isEnabled());
    EXPECT_TRUE(rig.link().PortOpen());
    EXPECT_EQ(w.txtSuffix->text(), QStringLiteral("stored"));
    EXPECT_TRUE(w.lblInst[7]->text().isEmpty());
    EXPECT_TRUE(QFile::exists(rig.file(QStringLiteral("TQ7350Config.ini"))));
    EXPECT_FALSE(w.cmdDown[1]->isEnabled());
    EXPECT_TRUE(rig.logged(Line(LoadMessage(5407))));
    EXPECT_FALSE(rig.logged(LoadMessage(5414)));

    // The detector comes back after a while and is found again.
    ASSERT_TRUE(rig.connect(200));
    EXPECT_TRUE(w.cmdDown[1]->isEnabled());

    // Not connected: the no-response line.
    rig.sim().setLineUp(false);
    rig.clock.runTicks(3);
    w.PowerOff();
    EXPECT_EQ(rig.colourOf(Line(LoadMessage(5409))), kRed);
}

TEST(frmMainRead, LinkEventsReachTheWindow) {
    MainWindowRig rig;
    frmMain& w = *rig.window;
    emit rig.link().Densty(1, 20.9f, 3, 4, 5);
    EXPECT_FLOAT_EQ(rig.session.CurrentReading[1], 20.9f);
    emit rig.link().ConnectRetry(3);
    EXPECT_EQ(rig.colourOf(LoadMessage(5412, {3})), kGreen);
    emit rig.link().InstMessage(QStringLiteral("SENSOR MESSAGE"));
    EXPECT_EQ(rig.colourOf(QStringLiteral("SENSOR MESSAGE")), QColor(0, 0, 192));

    // A port error of the socket side: red line, red lamp, a box.
    emit rig.link().IrDAError(10061); // not one of the two: ignored
    EXPECT_TRUE(rig.asked.empty());
    emit rig.link().IrDAError(10048);
    EXPECT_EQ(rig.colourOf(LoadMessage(5371)), kRed);
    EXPECT_EQ(w.shpStatus[0]->FillColor(), QColor(254, 0, 0));
    EXPECT_EQ(rig.asked.size(), 1u);

    // Dump progress goes to the progress window; its cancel button cancels
    // the link.
    w.ShowUpload(1, QStringLiteral("EEPROM"));
    emit rig.link().DumpMessage(QStringLiteral("block 7"));
    EXPECT_EQ(w.Upload()->text(), QStringLiteral("block 7"));
    w.Upload()->cmdUpload->click();
    EXPECT_TRUE(rig.link().Cancel());
    w.CloseUpload();
    EXPECT_EQ(w.Upload(), nullptr);
}

TEST(frmMainRead, DemoModeSaysSoAndReadsTheEmulator) {
    MainWindowRig::Options o =
        MainWindowRig::With(false, false, [](MainWindowRig& r) { r.options.demo = true; });
    o.virtualClock = false;
    MainWindowRig rig(o);
    frmMain& w = *rig.window;
    EXPECT_TRUE(w.Demo());
    EXPECT_TRUE(w.windowTitle().endsWith(QStringLiteral(" [DEMO]")));
    EXPECT_EQ(rig.colourOf(QStringLiteral("DEMO")), kRed);
    EXPECT_TRUE(rig.link().PortOpen());
    w.show();
    // The demonstration detector runs on the wall clock; it answers within
    // a few seconds.
    QElapsedTimer t;
    t.start();
    while (!rig.link().Connected() && t.elapsed() < 10000)
        QTest::qWait(50);
    ASSERT_TRUE(rig.link().Connected());
}

TEST(InformationDownload, AnalogListAndElapsedText) {
    clsInstrument r;
    r.setAnalogValue(0, 2066);
    r.setAnalogValue(7, -500);
    const QStringList lines = InformationDownload::AnalogValueLines(r);
    ASSERT_EQ(lines.size(), 9);
    EXPECT_EQ(lines.at(1), QStringLiteral("ch1 PRES.     \t: 2.066V"));
    EXPECT_EQ(lines.at(2), QStringLiteral("ch2 O2  AMP   \t: 0.000V"));
    EXPECT_EQ(lines.at(8), QStringLiteral("ext -         \t: -0.500V"));
    EXPECT_EQ(InformationDownload::ElapsedText(3723500), QStringLiteral("01:02:03"));
    EXPECT_EQ(InformationDownload::ElapsedText(-5), QStringLiteral("00:00:00"));

    r.setSysDateOffset(1.0);
    EXPECT_FALSE(InformationDownload::DateDiffers(r));
    r.setSysDateOffset(-1.01);
    EXPECT_TRUE(InformationDownload::DateDiffers(r));
}
