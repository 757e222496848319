// The main window without talking to the detector much: start-up, the state
// model, identity fields, the grid through the window, the log pane, the
// serial-log rotation, the port choice and closing.
#include "MainWindowRig.h"

#include "app/Catalogue.h"
#include "app/Configuration.h"
#include "model/clsInstrument.h"
#include "ui/calibration/frmGasSel.h"
#include "ui/main/OptionGrid.h"
#include "ui/main/StatusLamp.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

using namespace windowtest;

namespace {

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 192, 0);
const QColor kLampGreen(0, 255, 0);
const QColor kLampGrey(160, 160, 160);
const QColor kLampRed(254, 0, 0);

// What the state model says for one column.
struct Expect {
    bool identity, read, updates, others, suffix;
};

void CheckState(frmMain& w, const Expect& e, const char* where) {
    SCOPED_TRACE(where);
    for (QLineEdit* box : w.txtOption)
        EXPECT_EQ(box->isEnabled(), e.identity) << box->objectName().toStdString();
    EXPECT_EQ(w.cmbInterval->isEnabled(), e.identity);
    EXPECT_EQ(w.vfgOption->Editable(), e.identity);
    for (int i : {1, 2, 4, 5})
        EXPECT_EQ(w.cmdDown[i]->isEnabled(), e.read) << "cmdDown " << i;
    EXPECT_EQ(w.cmdFRAMDump->isEnabled(), e.read);
    for (int i : {0, 2, 7})
        EXPECT_EQ(w.cmdOption[i]->isEnabled(), e.updates) << "cmdOption " << i;
    for (int i : {1, 3, 4, 5, 6, 8})
        EXPECT_EQ(w.cmdOption[i]->isEnabled(), e.others) << "cmdOption " << i;
    EXPECT_TRUE(w.cmdFactorySetting->isEnabled());
    EXPECT_TRUE(w.cmdImportSetting->isEnabled());
    EXPECT_TRUE(w.cmdExportSetting->isEnabled());
    EXPECT_TRUE(w.cmdExit->isEnabled());
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
    EXPECT_TRUE(w.windowTitle().startsWith(AppTitle() + QStringLiteral(" [P.No.")));
    EXPECT_FALSE(w.windowTitle().contains(QStringLiteral("[DEMO]")));
    EXPECT_EQ(w.cmdDown[1]->text(), LoadMessage(5037));
    EXPECT_EQ(w.fraCommand[1]->title(), LoadMessage(5227));
    EXPECT_GE(w.minimumWidth(), frmMain::kMinWidth);
    EXPECT_GE(w.minimumHeight(), frmMain::kMinHeight);

    // Not connected, editable (the record counts as imported at first
    // activation): fields and grid on, no command.
    CheckState(w, {true, false, false, false, false}, "fresh start");
    EXPECT_TRUE(rig.record().ImportFlag());
    EXPECT_EQ(w.vfgOption->Rows(), OptionGrid::kRows);
    EXPECT_EQ(w.cmbStation->count(), 128);
    EXPECT_EQ(w.cmbInterval->count(), 7);

    // Service commands are hidden outside debug mode, the flash check outside
    // factory mode; lamps 2 and 3 are hidden.
    EXPECT_TRUE(w.cmdDown[2]->isHidden());
    EXPECT_TRUE(w.cmdFRAMDump->isHidden());
    for (int i : {3, 4, 5, 6, 8})
        EXPECT_TRUE(w.cmdOption[i]->isHidden()) << i;
    EXPECT_FALSE(w.cmdOption[0]->isHidden());
    EXPECT_TRUE(w.shpStatus[2]->isHidden());
    EXPECT_TRUE(w.lblStatus[3]->isHidden());

    // No adapter, no socket: the window stays idle and says what to do.
    EXPECT_FALSE(rig.link().PortOpen());
    EXPECT_EQ(w.shpStatus[0]->FillColor(), kLampGrey);
    EXPECT_EQ(w.shpStatus[1]->FillColor(), kLampGrey);
    EXPECT_TRUE(rig.logged(QStringLiteral("--demo")));
    EXPECT_EQ(rig.colourOf(QStringLiteral("--demo")), kRed);

    // The default record of the grid and the calibration window.
    EXPECT_EQ(rig.session.Defaults.GasName(1), QStringLiteral("O2"));
    EXPECT_FLOAT_EQ(rig.session.Defaults.GasFullScale(3), 500.0f);
    EXPECT_FLOAT_EQ(rig.settings.CalibRange[1], 12.0f);
    EXPECT_EQ(rig.settings.CalSpanOnWait, 90);
}

TEST(frmMain, LayoutFitsTheMinimumSizeAndKeepsIt) {
    MainWindowRig rig(MainWindowRig::With(false));
    frmMain& w = *rig.window;
    const QSize hint = w.minimumSizeHint();
    EXPECT_LE(hint.width(), frmMain::kMinWidth) << hint.width();
    EXPECT_LE(hint.height(), frmMain::kMinHeight) << hint.height();
    w.resize(300, 200);
    QCoreApplication::processEvents();
    EXPECT_GE(w.width(), frmMain::kMinWidth);
    EXPECT_GE(w.height(), frmMain::kMinHeight);
    // Every caption is shown whole at the minimum size.
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

    // Not connected, not editable.
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
    Type(serial, QStringLiteral("ab-1*x"));
    EXPECT_EQ(serial->text(), QStringLiteral("AB-1*X"));
    Type(serial, QStringLiteral("#/_.")); // not allowed: dropped
    EXPECT_EQ(serial->text(), QStringLiteral("AB-1*X"));
    Leave(w);
    EXPECT_EQ(rig.record().SerialNo(), QStringLiteral("AB-1*X"));
    EXPECT_TRUE(rig.record().Change_SerialNo());

    // The 17th character of a station ID is refused; backspace still works.
    station->clear();
    Type(station, QStringLiteral("abcdefghijklmnopq"));
    EXPECT_EQ(station->text(), QStringLiteral("ABCDEFGHIJKLMNOP"));
    QTest::keyClick(station, Qt::Key_Backspace);
    EXPECT_EQ(station->text(), QStringLiteral("ABCDEFGHIJKLMNO"));
    Leave(w);
    EXPECT_EQ(rig.record().StationID(), QStringLiteral("ABCDEFGHIJKLMNO"));

    // A pasted 21-character serial number is refused on leaving: the old
    // value comes back and the record keeps it.
    serial->setFocus();
    serial->selectAll();
    serial->insert(QStringLiteral("123456789012345678901"));
    EXPECT_EQ(serial->text().size(), 21);
    Leave(w);
    EXPECT_EQ(serial->text(), QStringLiteral("AB-1*X"));
    EXPECT_EQ(rig.record().SerialNo(), QStringLiteral("AB-1*X"));
    // So is pasted text with a character outside the rules.
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
    r.setIntervals(45); // not an item
    w.RefreshAll();
    EXPECT_EQ(w.cmbUser->currentIndex(), 9); // the last equal entry wins
    EXPECT_EQ(w.cmbInterval->currentText(), QStringLiteral("300"));
    r.setIntervals(600);
    w.RefreshAll();
    EXPECT_EQ(w.cmbInterval->currentText(), QStringLiteral("600"));

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

TEST(frmMain, GridRulesThroughTheWindow) {
    MainWindowRig rig(MainWindowRig::With(false));
    frmMain& w = *rig.window;
    clsInstrument& r = rig.record();
    GridControl& g = *w.vfgOption;
    // Oxygen on channel 1, a toxic gas with a 0.5 step on channel 2.
    r.setGasName(1, QStringLiteral("O2"));
    r.setGasFullScale(1, 25);
    r.setGasDesit(1, 0.1f);
    r.setGasPoint(1, 1);
    r.setWarning(1, 19.5f);
    r.setAlarm(1, 19.0f);
    r.setGasName(2, QStringLiteral("H2S"));
    r.setGasFullScale(2, 100);
    r.setGasDesit(2, 0.5f);
    r.setGasPoint(2, 1);
    r.setWarning(2, 5);
    r.setAlarm(2, 20);
    w.RefreshAll();

    auto type = [&](int ch, int col, const QString& text) {
        g.setFocus();
        g.setCurrentCell(ch + 2, col);
        if (!g.EditCell(ch + 2, col) || !g.ActiveEditor())
            return false;
        QWidget* editor = g.ActiveEditor();
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        const bool accepted = g.ActiveEditor() == nullptr;
        if (!accepted)
            QTest::keyClick(g.ActiveEditor(), Qt::Key_Escape);
        QCoreApplication::processEvents();
        return accepted;
    };

    r.setAlarmO2(1);
    EXPECT_TRUE(type(1, 3, QStringLiteral("20.9")));
    EXPECT_FLOAT_EQ(r.Alarm(1), 20.9f);
    EXPECT_FALSE(type(1, 3, QStringLiteral("25.1")));
    r.setAlarmO2(0);
    EXPECT_TRUE(type(1, 3, QStringLiteral("25.0")));
    EXPECT_FALSE(type(1, 3, QStringLiteral("25.1")));
    EXPECT_FLOAT_EQ(r.Alarm(1), 25.0f);

    // 10.3 on a 0.5 step is stored as 10.5.
    EXPECT_TRUE(type(2, 2, QStringLiteral("10.3")));
    EXPECT_FLOAT_EQ(r.Warning(2), 10.5f);
    EXPECT_EQ(g.TextMatrix(4, 2), QStringLiteral("10.5"));
    // A warning above the alarm point turns both red.
    EXPECT_TRUE(type(2, 2, QStringLiteral("25")));
    EXPECT_EQ(g.CellBackColor(4, 2), kRed);
    EXPECT_EQ(g.CellBackColor(4, 3), kRed);

    // The combustible alarm point may not pass 60 % of the full scale.
    r.setGasName(0, QStringLiteral("CH4"));
    r.setGasFullScale(0, 100);
    r.setGasDesit(0, 1);
    r.setWarning(0, 10);
    w.RefreshAll();
    EXPECT_FALSE(type(0, 3, QStringLiteral("61")));
    EXPECT_TRUE(type(0, 3, QStringLiteral("60")));
    EXPECT_FLOAT_EQ(r.Alarm(0), 60.0f);

    // STEL of the combustible channel is locked.
    EXPECT_FALSE(g.EditCell(2, 4));

    // Without editable data the grid is empty and takes no edit.
    r.setImportFlag(false);
    w.RefreshAll();
    EXPECT_EQ(g.Rows(), OptionGrid::kEmptyRows);
    EXPECT_FALSE(g.EditCell(2, 2));
    EXPECT_TRUE(w.txtOption[0]->text().isEmpty());
}

TEST(frmMain, EnableBoxAsksAndOpensTheGasDialog) {
    MainWindowRig rig(MainWindowRig::With(false));
    frmMain& w = *rig.window;
    clsInstrument& r = rig.record();
    GridControl& g = *w.vfgOption;
    r.setGasEnabled(2, true);
    r.setWarning(2, 10);
    w.RefreshAll();
    auto clickEnable = [&](int ch) {
        const QRect rect = g.visualRect(g.model()->index(ch + 2, 1));
        QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, rect.center());
        QCoreApplication::processEvents();
    };

    // Clearing asks; No ticks the box again and changes nothing.
    rig.answers = {QMessageBox::No};
    clickEnable(2);
    ASSERT_TRUE(rig.wasAsked(LoadMessage(5335)));
    EXPECT_EQ(g.CellChecked(4, 1), GridControl::CheckState::Checked);
    EXPECT_TRUE(r.GasEnabled(2));
    // Yes switches the channel off and clears its points.
    rig.answers = {QMessageBox::Yes};
    clickEnable(2);
    EXPECT_FALSE(r.GasEnabled(2));
    EXPECT_FLOAT_EQ(r.Warning(2), -101.0f);
    EXPECT_EQ(g.TextMatrix(4, 2), QStringLiteral("-----"));

    // Ticking opens the gas selection dialog: cancelled, the box is cleared.
    auto whenDialog = [](std::function<void(frmGasSel*)> act) {
        auto tries = std::make_shared<int>(0);
        auto poll = std::make_shared<std::function<void()>>();
        *poll = [act, tries, poll] {
            if (auto* d = qobject_cast<frmGasSel*>(QApplication::activeModalWidget())) {
                act(d);
                return;
            }
            if (++*tries > 300) {
                ADD_FAILURE() << "no gas dialog";
                if (QWidget* m = QApplication::activeModalWidget())
                    m->close();
                return;
            }
            QTimer::singleShot(10, *poll);
        };
        QTimer::singleShot(0, *poll);
    };
    whenDialog([](frmGasSel* d) { d->cmdGasSel[1]->click(); });
    clickEnable(2);
    EXPECT_FALSE(r.GasEnabled(2));
    EXPECT_EQ(g.CellChecked(4, 1), GridControl::CheckState::Unchecked);

    // Chosen: the channel takes the gas and the row shows it.
    int offered = -1;
    whenDialog([&offered](frmGasSel* d) {
        for (int k = 0; k < frmGasSel::kOptions; ++k) {
            if (!d->optGasList[k]->isHidden()) {
                offered = k;
                d->optGasList[k]->click();
                break;
            }
        }
        d->cmdGasSel[0]->click();
    });
    clickEnable(2);
    ASSERT_GE(offered, 0);
    EXPECT_TRUE(r.GasEnabled(2));
    EXPECT_EQ(r.GasName(2), rig.settings.GasChangeTable[2][offered].name);
    EXPECT_TRUE(g.TextMatrix(4, 0).startsWith(r.GasName(2)));
    EXPECT_EQ(g.CellChecked(4, 1), GridControl::CheckState::Checked);
}

TEST(frmMain, LogPaneColoursAndEndInsertion) {
    MainWindowRig rig(MainWindowRig::With(false));
    frmMain& w = *rig.window;
    w.AddInfo(QStringLiteral("first entry"), QColor(0, 192, 0));
    // The user selects text at the top; the next entry still goes to the end
    // in its own colour.
    QTextCursor select(w.rtbLog->document());
    select.movePosition(QTextCursor::Start);
    select.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    w.rtbLog->setTextCursor(select);
    w.AddInfo(QStringLiteral("second entry"), int32_t(255)); // packed red
    w.AddInfo(LoadMessage(5415), QColor(0, 0, 192));         // ends with a line break
    w.AddInfo(QStringLiteral("after"), QColor(0, 192, 0));
    const QStringList lines = rig.logLines();
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines.last(), QStringLiteral("after"));
    EXPECT_EQ(lines.at(lines.size() - 2), QString()); // the extra line of "~c"
    EXPECT_EQ(lines.at(lines.size() - 4), QStringLiteral("second entry"));
    EXPECT_EQ(rig.colourOf(QStringLiteral("second entry")), kRed);
    EXPECT_EQ(rig.colourOf(QStringLiteral("first entry")), kGreen);
    EXPECT_EQ(rig.colourOf(Line(LoadMessage(5415))), QColor(0, 0, 192));
    EXPECT_TRUE(w.rtbLog->textCursor().hasSelection());
}

TEST(frmMain, CommandsNotBuiltYetSaySo) {
    MainWindowRig rig;
    frmMain& w = *rig.window;
    ASSERT_TRUE(rig.connect());
    w.cmdOption[1]->click();
    EXPECT_TRUE(rig.logged(w.cmdOption[1]->text()));
    EXPECT_TRUE(rig.logged(QStringLiteral("not available yet")));
    const int before = rig.sim().receivedCommands().size();
    w.cmdImportSetting->click();
    EXPECT_EQ(rig.sim().receivedCommands().size(), before);
}

TEST(frmMain, SerialLogsAreRotatedAtStart) {
    testsupport::ScratchDir dir;
    auto write = [&dir](const QString& name, const QByteArray& content) {
        QFile f(dir.file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    };
    auto read = [&dir](const QString& name) {
        QFile f(dir.file(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    };
    write(QStringLiteral("SerialLog.log"), "now");
    for (int n = 1; n <= 9; ++n)
        write(QStringLiteral("SerialLog%1.log").arg(n), QByteArray::number(n));
    EXPECT_TRUE(frmMain::RotateSerialLogs(dir.path(), true));
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("SerialLog.log"))));
    EXPECT_EQ(read(QStringLiteral("SerialLog1.log")), QByteArray("now"));
    EXPECT_EQ(read(QStringLiteral("SerialLog2.log")), QByteArray("1"));
    EXPECT_EQ(read(QStringLiteral("SerialLog9.log")), QByteArray("8"));
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("SerialLog10.log"))));

    // Without the history switch the old log is only removed.
    write(QStringLiteral("SerialLog.log"), "again");
    EXPECT_TRUE(frmMain::RotateSerialLogs(dir.path(), false));
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("SerialLog.log"))));
    EXPECT_EQ(read(QStringLiteral("SerialLog1.log")), QByteArray("now"));

    // The window does it while loading, before it logs anything itself.
    MainWindowRig rig(MainWindowRig::With(true, true, [](MainWindowRig& r) {
        r.settings.SerialLogEnabled = true;
        QFile f(r.dir.file(QStringLiteral("SerialLog.log")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("previous run");
    }));
    QFile rotated(rig.dir.file(QStringLiteral("SerialLog1.log")));
    ASSERT_TRUE(rotated.open(QIODevice::ReadOnly));
    EXPECT_EQ(rotated.readAll(), QByteArray("previous run"));
    QFile current(rig.dir.file(QStringLiteral("SerialLog.log")));
    ASSERT_TRUE(current.open(QIODevice::ReadOnly));
    EXPECT_FALSE(current.readAll().contains("previous run"));
}

TEST(frmMain, PortChoice) {
    // Two adapters: the ambiguity box, then no port (no socket configured).
    SerialPortRecord a{QStringLiteral("ttyUSB0"), QStringLiteral("/dev/ttyUSB0"), true, 0x10C4,
                       0xEA60};
    SerialPortRecord b = a;
    b.portName = QStringLiteral("ttyUSB1");
    b.systemLocation = QStringLiteral("/dev/ttyUSB1");
    {
        MainWindowRig rig(MainWindowRig::With(false, true, [&](MainWindowRig& r) {
            r.ports = {a, b};
        }));
        ASSERT_TRUE(rig.wasAsked(LoadMessage(20014)));
        EXPECT_EQ(rig.asked.front().title, LoadMessage(20015));
        EXPECT_FALSE(rig.link().SerialComm());
        EXPECT_FALSE(rig.link().PortOpen());
    }
    // One adapter: the serial port with hardware handshaking; it does not
    // exist here, so the lamp turns red and the reason is logged.
    {
        MainWindowRig rig(
            MainWindowRig::With(false, true, [&](MainWindowRig& r) { r.ports = {a}; }));
        EXPECT_TRUE(rig.asked.empty());
        EXPECT_TRUE(rig.link().SerialComm());
        EXPECT_EQ(rig.link().Handshaking(), 2);
        EXPECT_TRUE(rig.link().RTSEnable());
        EXPECT_EQ(rig.link().CommPortName(), QStringLiteral("/dev/ttyUSB0"));
        EXPECT_EQ(rig.window->shpStatus[0]->FillColor(), kLampRed);
    }
    // A socket the user named wins over the adapter search.
    {
        MainWindowRig rig(MainWindowRig::With(false, true, [&](MainWindowRig& r) {
            r.ports = {a};
            r.options.socketHost = QStringLiteral("127.0.0.1");
            r.options.socketPort = 9;
        }));
        EXPECT_FALSE(rig.link().SerialComm());
        EXPECT_EQ(rig.link().SocketEndpoint(), QStringLiteral("127.0.0.1:9"));
        EXPECT_TRUE(rig.logged(QStringLiteral("127.0.0.1:9")));
    }
}

TEST(frmMain, CloseAsksEndAndSavesTheConfiguration) {
    MainWindowRig rig(MainWindowRig::With(false));
    frmMain& w = *rig.window;
    const QString config = QDir(rig.dir.path()).filePath(QString::fromLatin1(kConfigFileName));
    QFile::remove(config);

    rig.answers = {QMessageBox::No};
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
    ASSERT_EQ(rig.asked.size(), 1u);
    EXPECT_EQ(rig.asked.back().text, LoadMessage(5373));
    EXPECT_EQ(rig.asked.back().title, QStringLiteral("TQ-7350"));
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
