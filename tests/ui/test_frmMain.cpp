// The main window without talking to the detector much: start-up, the state
// model, identity fields, the grid and the log pane through the window, the
// serial-log rotation, the port choice and closing.
#include "MainWindowRig.h"

#include "ProgramInfo.h"
#include "records/Configuration.h"

using namespace windowtest;

namespace {

// What the state model says for one column.
struct Expect {
    bool identity, read, updates, others, suffix;
};

void CheckState(frmMain& w, const Expect& e, const char* where) {
    SCOPED_TRACE(where);
    using Widgets = std::initializer_list<QWidget*>;
    for (QWidget* box : Widgets{w.txtOption[0], w.txtOption[1], w.txtOption[2], w.cmbInterval})
        EXPECT_EQ(box->isEnabled(), e.identity) << box->objectName().toStdString();
    EXPECT_EQ(w.vfgOption->Editable(), e.identity);
    for (int i : {1, 2, 4, 5})
        EXPECT_EQ(w.cmdDown[i]->isEnabled(), e.read) << "cmdDown " << i;
    EXPECT_EQ(w.cmdFRAMDump->isEnabled(), e.read);
    for (int i : {0, 2, 7})
        EXPECT_EQ(w.cmdOption[i]->isEnabled(), e.updates) << "cmdOption " << i;
    for (int i : {1, 3, 4, 5, 6, 8})
        EXPECT_EQ(w.cmdOption[i]->isEnabled(), e.others) << "cmdOption " << i;
    for (QPushButton* b : {w.cmdFactorySetting, w.cmdImportSetting, w.cmdExportSetting, w.cmdExit})
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_EQ(w.txtSuffix->isEnabled(), e.suffix);
}

// Types keys into a box the way a user does.
void Type(QLineEdit* box, const QString& keys) {
    box->setFocus();
    for (QChar c : keys)
        QTest::keyClick(box, c.toLatin1());
}

// Moves the focus away from a box (its "leaving").
void Leave(frmMain& w) {
    w.txtSuffix->setEnabled(true);
    w.cmbInterval->setFocus();
    QCoreApplication::processEvents();
}

} // namespace

TEST(frmMain, FreshStartShowsDefaultsEditableWithNoCommand) {
    MainWindowRig rig(MainWindowRig::With(false));
    frmMain& w = *rig.window;
    EXPECT_FALSE(w.FirstActivationPending());
    // The title names the program's version.
    EXPECT_TRUE(w.windowTitle().startsWith(
        AppTitle() + QLatin1Char(' ') + QLatin1String(kProgramVersion) + QStringLiteral(" [P.No.")))
        << w.windowTitle().toStdString();
    EXPECT_FALSE(w.windowTitle().contains(QStringLiteral("[DEMO]")));

    // Not connected, editable (the record counts as imported at first
    // activation): fields and grid on, no command.
    CheckState(w, {true, false, false, false, false}, "fresh start");
    EXPECT_TRUE(rig.record().ImportFlag());
    EXPECT_EQ(w.vfgOption->Rows(), OptionGrid::kRows);
    EXPECT_EQ(rig.session.Defaults.GasName(1), QStringLiteral("O2"));

    // Service commands are hidden outside debug mode, the flash check outside
    // factory mode.
    for (QWidget* hidden : std::initializer_list<QWidget*>{
             w.cmdDown[2], w.cmdFRAMDump, w.cmdOption[3], w.cmdOption[4], w.cmdOption[5],
             w.cmdOption[6], w.cmdOption[8]})
        EXPECT_TRUE(hidden->isHidden()) << hidden->objectName().toStdString();
    EXPECT_FALSE(w.cmdOption[0]->isHidden());

    // No adapter, no socket: the window stays idle and says what to do.
    EXPECT_FALSE(rig.link().PortOpen());
    EXPECT_EQ(w.shpStatus[0]->FillColor(), kLampGrey);
    EXPECT_EQ(rig.colourOf(QStringLiteral("--demo")), kRed);

    // The minimum size holds the layout with every caption whole.
    w.resize(300, 200);
    QCoreApplication::processEvents();
    EXPECT_GE(w.width(), frmMain::kMinWidth);
    EXPECT_GE(w.height(), frmMain::kMinHeight);
    EXPECT_LE(w.minimumSizeHint().width(), frmMain::kMinWidth);
    EXPECT_LE(w.minimumSizeHint().height(), frmMain::kMinHeight);
    for (QPushButton* b : w.findChildren<QPushButton*>()) {
        if (b->isVisibleTo(&w)) {
            EXPECT_GE(b->width(), b->sizeHint().width()) << b->text().toStdString();
        }
    }
}

TEST(frmMain, StateModelFollowsConnectionAndEditableData) {
    MainWindowRig rig;
    frmMain& w = *rig.window;
    clsInstrument& r = rig.record();

    r.setImportFlag(false);
    r.setCommFlags(false);
    w.RefreshControls();
    CheckState(w, {false, false, false, false, false}, "not connected, not editable");

    // Connected: lamps green, connection line in blue.
    ASSERT_TRUE(rig.connect());
    EXPECT_EQ(w.shpStatus[0]->FillColor(), kLampGreen);
    EXPECT_EQ(w.shpStatus[1]->FillColor(), kLampGreen);
    EXPECT_EQ(rig.colourOf(Line(LoadMessage(5432))), QColor(0, 0, 255));
    CheckState(w, {false, true, false, true, true}, "connected, not editable");

    r.setImportFlag(true);
    w.RefreshControls();
    CheckState(w, {true, true, true, true, true}, "connected, editable");

    // The line goes down: lamp 0 stays green, lamp 1 grey; commands off.
    rig.sim().setLineUp(false);
    rig.clock.runTicks(3);
    EXPECT_FALSE(rig.link().Connected());
    EXPECT_EQ(w.shpStatus[0]->FillColor(), kLampGreen);
    EXPECT_EQ(w.shpStatus[1]->FillColor(), kLampGrey);
    CheckState(w, {true, false, false, false, false}, "not connected, editable");
}

TEST(frmMain, IdentityFieldsFilterAndUpperCase) {
    MainWindowRig rig(MainWindowRig::With(false));
    frmMain& w = *rig.window;
    QLineEdit* serial = w.txtOption[0];
    QLineEdit* station = w.txtOption[1];

    serial->clear();
    Type(serial, QStringLiteral("ab-1*x#/_.")); // the last four are not allowed
    EXPECT_EQ(serial->text(), QStringLiteral("AB-1*X"));
    Leave(w);
    EXPECT_EQ(rig.record().SerialNo(), QStringLiteral("AB-1*X"));
    EXPECT_TRUE(rig.record().Change_SerialNo());

    // The 17th character of a station ID is refused; backspace still works.
    station->clear();
    Type(station, QStringLiteral("abcdefghijklmnopq"));
    EXPECT_EQ(station->text(), QStringLiteral("ABCDEFGHIJKLMNOP"));
    QTest::keyClick(station, Qt::Key_Backspace);
    Leave(w);
    EXPECT_EQ(rig.record().StationID(), QStringLiteral("ABCDEFGHIJKLMNO"));

    // A pasted 21-character serial number is refused on leaving: the old
    // value comes back and the record keeps it. So is a pasted character
    // outside the rules.
    serial->setFocus();
    serial->selectAll();
    serial->insert(QStringLiteral("123456789012345678901"));
    Leave(w);
    EXPECT_EQ(serial->text(), QStringLiteral("AB-1*X"));
    EXPECT_EQ(rig.record().SerialNo(), QStringLiteral("AB-1*X"));
    w.txtOption[2]->setFocus();
    w.txtOption[2]->insert(QStringLiteral("USER/1"));
    Leave(w);
    EXPECT_NE(rig.record().UserID(), QStringLiteral("USER/1"));
    EXPECT_EQ(w.txtOption[2]->text(), rig.record().UserID());
}

TEST(frmMain, CombosSetStationUserAndInterval) {
    MainWindowRig rig(MainWindowRig::With(false));
    frmMain& w = *rig.window;
    clsInstrument& r = rig.record();
    r.setStationList(3, QStringLiteral("PLANT-3"));
    r.setUserList(5, QStringLiteral("SMITH"));
    r.setUserList(9, QStringLiteral("SMITH"));
    r.setUserID(QStringLiteral("SMITH"));
    r.setIntervals(45); // not an item: the default is shown
    w.RefreshAll();
    EXPECT_EQ(w.cmbUser->currentIndex(), 9); // the last equal entry wins
    EXPECT_EQ(w.cmbInterval->currentText(), QStringLiteral("300"));

    emit w.cmbStation->activated(3);
    EXPECT_EQ(r.StationID(), QStringLiteral("PLANT-3"));
    EXPECT_EQ(w.txtOption[1]->text(), QStringLiteral("PLANT-3"));
    emit w.cmbInterval->activated(0);
    EXPECT_EQ(r.Intervals(), 10);
    EXPECT_TRUE(r.Change_Interval());

    w.txtSuffix->setEnabled(true);
    w.txtSuffix->setFocus();
    QTest::keyClicks(w.txtSuffix, QStringLiteral("_A"));
    Leave(w);
    EXPECT_EQ(rig.settings.FactoryRecordSuffix, QStringLiteral("_A"));
}

// The grid's own rules are tested on their own (test_OptionGrid); here: the
// window's grid edits the session's record.
TEST(frmMain, GridEditsTheSessionRecord) {
    MainWindowRig rig(MainWindowRig::With(false));
    frmMain& w = *rig.window;
    clsInstrument& r = rig.record();
    GridControl& g = *w.vfgOption;
    r.setGasName(2, QStringLiteral("H2S"));
    r.setGasFullScale(2, 100);
    r.setGasDesit(2, 0.5f);
    r.setGasPoint(2, 1);
    r.setGasEnabled(2, true);
    r.setAlarm(2, 20);
    w.RefreshAll();

    EXPECT_TRUE(uitest::TypeIntoCell(g, 4, 2, QStringLiteral("10.3")));
    EXPECT_FLOAT_EQ(r.Warning(2), 10.5f);
    EXPECT_EQ(g.TextMatrix(4, 2), QStringLiteral("10.5"));
    EXPECT_FALSE(uitest::TypeIntoCell(g, 4, 2, QStringLiteral("200.5")));
    EXPECT_FLOAT_EQ(r.Warning(2), 10.5f);

    // Without editable data the grid is empty and takes no edit.
    r.setImportFlag(false);
    w.RefreshAll();
    EXPECT_EQ(g.Rows(), OptionGrid::kEmptyRows);
    EXPECT_FALSE(g.EditCell(2, 2));
    EXPECT_TRUE(w.txtOption[0]->text().isEmpty());
}

// The pane's own rules are tested on their own; the window passes packed
// colours (0x00BBGGRR) through.
TEST(frmMain, LogEntriesTakePackedColours) {
    MainWindowRig rig(MainWindowRig::With(false));
    rig.window->AddInfo(QStringLiteral("packed blue"), int32_t(192 << 16));
    EXPECT_TRUE(rig.window->rtbLog->toPlainText().endsWith(QStringLiteral("\npacked blue")));
    EXPECT_EQ(rig.colourOf(QStringLiteral("packed blue")), QColor(0, 0, 192));
}

TEST(frmMain, SerialLogsAreRotatedAtStart) {
    testsupport::ScratchDir dir;
    auto log = [&dir](int n) { return dir.file(QStringLiteral("SerialLog%1.log").arg(n)); };
    const QString current = dir.file(QStringLiteral("SerialLog.log"));
    ASSERT_TRUE(testsupport::WriteAll(current, "now"));
    for (int n = 1; n <= 9; ++n)
        ASSERT_TRUE(testsupport::WriteAll(log(n), QByteArray::number(n)));
    EXPECT_TRUE(frmMain::RotateSerialLogs(dir.path(), true));
    EXPECT_FALSE(QFile::exists(current));
    EXPECT_EQ(testsupport::ReadAll(log(1)), QByteArray("now"));
    for (int n = 2; n <= 9; ++n)
        EXPECT_EQ(testsupport::ReadAll(log(n)), QByteArray::number(n - 1)) << n;
    EXPECT_FALSE(QFile::exists(log(10)));

    // Without the history switch the old log is only removed.
    ASSERT_TRUE(testsupport::WriteAll(current, "again"));
    EXPECT_TRUE(frmMain::RotateSerialLogs(dir.path(), false));
    EXPECT_FALSE(QFile::exists(current));
    EXPECT_EQ(testsupport::ReadAll(log(1)), QByteArray("now"));

    // The window does it while loading, before it logs anything itself.
    MainWindowRig rig(MainWindowRig::With(true, true, [](MainWindowRig& r) {
        r.settings.SerialLogEnabled = true;
        testsupport::WriteAll(r.file(QStringLiteral("SerialLog.log")), "previous run");
    }));
    EXPECT_EQ(testsupport::ReadAll(rig.file(QStringLiteral("SerialLog1.log"))), "previous run");
    EXPECT_FALSE(
        testsupport::ReadAll(rig.file(QStringLiteral("SerialLog.log"))).contains("previous run"));
}

TEST(frmMain, PortChoice) {
    SerialPortRecord a{QStringLiteral("ttyUSB0"), QStringLiteral("/dev/ttyUSB0"), true, 0x10C4,
                       0xEA60};
    SerialPortRecord b = a;
    b.portName = QStringLiteral("ttyUSB1");
    b.systemLocation = QStringLiteral("/dev/ttyUSB1");
    auto start = [](QList<SerialPortRecord> ports, const QString& socketHost = {}) {
        return std::make_unique<MainWindowRig>(
            MainWindowRig::With(false, true, [ports, socketHost](MainWindowRig& r) {
                r.ports = ports;
                if (!socketHost.isEmpty()) {
                    r.options.socketHost = socketHost;
                    r.options.socketPort = 9;
                }
            }));
    };
    // Two adapters: the ambiguity box, then no port (no socket configured).
    auto two = start({a, b});
    EXPECT_TRUE(two->wasAsked(LoadMessage(20014)));
    EXPECT_FALSE(two->link().PortOpen());
    two.reset();

    // One adapter: the serial port with hardware handshaking; it does not
    // exist here, so the lamp turns red and the reason is logged.
    auto one = start({a});
    EXPECT_TRUE(one->asked.empty());
    EXPECT_TRUE(one->link().SerialComm());
    EXPECT_EQ(one->link().Handshaking(), 2);
    EXPECT_EQ(one->link().CommPortName(), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(one->window->shpStatus[0]->FillColor(), QColor(254, 0, 0));
    one.reset();

    // A socket the user named wins over the adapter search.
    auto socket = start({a}, QStringLiteral("127.0.0.1"));
    EXPECT_FALSE(socket->link().SerialComm());
    EXPECT_EQ(socket->link().SocketEndpoint(), QStringLiteral("127.0.0.1:9"));
}

TEST(frmMain, CloseAsksEndAndSavesTheConfiguration) {
    MainWindowRig rig(MainWindowRig::With(false));
    frmMain& w = *rig.window;
    const QString config = rig.file(QString::fromLatin1(kConfigFileName));
    QFile::remove(config);

    rig.answers = {QMessageBox::No};
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
    ASSERT_EQ(rig.asked.size(), 1u);
    EXPECT_EQ(rig.asked.back().text, LoadMessage(5373));
    EXPECT_FALSE(QFile::exists(config));

    // Exit takes the same road; Yes closes and writes the configuration.
    rig.answers = {QMessageBox::Yes};
    w.cmdExit->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(rig.asked.size(), 2u);
    EXPECT_TRUE(QFile::exists(config));
    EXPECT_FALSE(rig.link().TimerEnabled());

    // While the window is disabled (a command runs) a close is refused
    // without asking.
    MainWindowRig other(MainWindowRig::With(false));
    other.window->setEnabled(false);
    EXPECT_FALSE(other.window->close());
    EXPECT_TRUE(other.asked.empty());
    other.window->setEnabled(true);
}
