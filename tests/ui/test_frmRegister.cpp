// The "Instrument Register" window and the main window's part in it: a read
// in the window lands in the register and shows in the list; the list is
// coloured by due state, filtered, sorted and exported; a detector's page
// shows its events in order with the differences between reads and writes
// the certificate; a register that cannot be opened costs one red line.
#include "MainWindowRig.h"

#include "app/MessageIds.h"
#include "register/DueDates.h"
#include "register/RegisterStore.h"
#include "ui/FileDialog.h"
#include "ui/register/frmRegister.h"
#include "workflows/RegisterEvents.h"

#include <QPlainTextEdit>
#include <QSortFilterProxyModel>
#include <QTableView>

using namespace InstrumentRegister;
using namespace windowtest;

namespace {

Location FileAt(const QString& path) {
    Location l;
    l.kind = Location::Kind::SQLite;
    l.path = path;
    return l;
}

Event Read(const QString& serial, const QString& station, int calDaysAgo, const QString& settings,
           const QDateTime& at) {
    Event e;
    e.serialNo = serial;
    e.kind = EventKind::Read;
    e.pcTime = at;
    e.station = station;
    e.user = QStringLiteral("USER");
    e.settings = settings;
    e.limits = {true, true, 30, false, 0};
    ChannelEntry c;
    c.enabled = true;
    c.calibrationDate = QDateTime::currentDateTime().addDays(-calDaysAgo);
    e.channels << c;
    return e;
}

int Lines(const QString& text, const QString& what) {
    return int(text.count(what));
}

} // namespace

TEST(frmRegister, ListColoursFiltersSortsAndExports) {
    testsupport::ScratchDir dir;
    const Location l = FileAt(dir.file(QStringLiteral("reg.sqlite")));
    {
        Store store;
        QString error;
        ASSERT_TRUE(store.Open(l, &error));
        const QDateTime now = QDateTime::currentDateTimeUtc();
        for (Event e : {Read(QStringLiteral("SN-OVERDUE"), QStringLiteral("NORTH"), 40, {}, now),
                        Read(QStringLiteral("SN-SOON"), QStringLiteral("SOUTH"), 26, {}, now),
                        Read(QStringLiteral("SN-FINE"), QStringLiteral("EAST"), 2, {}, now)})
            ASSERT_TRUE(store.Record(e, &error));
    }
    RegisterEvents::Recorder recorder(l);
    frmRegister w(recorder);
    QSortFilterProxyModel* list = w.ListProxy();
    ASSERT_EQ(list->rowCount(), 3);
    auto rowOf = [list](const QString& serial) {
        for (int r = 0; r < list->rowCount(); ++r)
            if (list->index(r, frmRegister::kColSerial).data().toString() == serial)
                return r;
        return -1;
    };
    auto background = [list](int row, int col) {
        return list->index(row, col).data(Qt::BackgroundRole).value<QBrush>().color();
    };
    EXPECT_EQ(background(rowOf(QStringLiteral("SN-OVERDUE")), frmRegister::kColCalDue),
              frmRegister::DueColour(int(DueState::Overdue)));
    EXPECT_EQ(background(rowOf(QStringLiteral("SN-OVERDUE")), frmRegister::kColSerial),
              frmRegister::DueColour(int(DueState::Overdue)));
    EXPECT_EQ(background(rowOf(QStringLiteral("SN-SOON")), frmRegister::kColCalDue),
              frmRegister::DueColour(int(DueState::Soon)));
    // A detector not due: no colour of its own (the view's background).
    for (int col = 0; col < frmRegister::kColumns; ++col)
        EXPECT_FALSE(
            list->index(rowOf(QStringLiteral("SN-FINE")), col).data(Qt::BackgroundRole).isValid())
            << col;

    // Sorted by the calibration due date: the overdue one first.
    w.List()->sortByColumn(frmRegister::kColCalDue, Qt::AscendingOrder);
    EXPECT_EQ(list->index(0, frmRegister::kColSerial).data().toString(),
              QStringLiteral("SN-OVERDUE"));
    EXPECT_EQ(list->index(2, frmRegister::kColSerial).data().toString(), QStringLiteral("SN-FINE"));
    w.List()->sortByColumn(frmRegister::kColCalDue, Qt::DescendingOrder);
    EXPECT_EQ(list->index(0, frmRegister::kColSerial).data().toString(), QStringLiteral("SN-FINE"));

    w.Filter()->setText(QStringLiteral("south"));
    ASSERT_EQ(list->rowCount(), 1);
    EXPECT_EQ(list->index(0, frmRegister::kColSerial).data().toString(), QStringLiteral("SN-SOON"));
    w.Filter()->clear();
    EXPECT_EQ(list->rowCount(), 3);

    const QString csv = dir.file(QStringLiteral("list.csv"));
    {
        ScopedFileDialogHandler answer([&csv](const FileDialogRequest&) { return csv; });
        w.ExportCsv();
    }
    const QList<QByteArray> rows = testsupport::ReadAll(csv).trimmed().split('\n');
    ASSERT_EQ(rows.size(), 4);
    EXPECT_TRUE(rows.at(1).startsWith("SN-FINE,") || rows.at(1).startsWith("SN-OVERDUE,"));
}

TEST(frmRegister, DetectorPageShowsEventsInOrderDifferencesAndTheCertificate) {
    testsupport::ScratchDir dir;
    const Location l = FileAt(dir.file(QStringLiteral("reg.sqlite")));
    const QDateTime t0 = QDateTime::currentDateTimeUtc().addDays(-3);
    {
        Store store;
        QString error;
        ASSERT_TRUE(store.Open(l, &error));
        Event first = Read(QStringLiteral("SN-1"), QStringLiteral("A"), 5,
                           QStringLiteral("XP,W,012C\r\nXT,W,0A"), t0);
        Event second = Read(QStringLiteral("SN-1"), QStringLiteral("A"), 5,
                            QStringLiteral("XP,W,0258\r\nXT,W,0A"), t0.addDays(2));
        Event span = Read(QStringLiteral("SN-1"), QStringLiteral("A"), 5, {}, t0.addDays(1));
        span.kind = EventKind::Span;
        span.channels[0].calibrated = true;
        span.channels[0].ok = true;
        span.channels[0].gas = QStringLiteral("CH4");
        // Recorded out of order: the page shows them by time.
        for (Event* e : {&second, &first, &span})
            ASSERT_TRUE(store.Record(*e, &error));
    }
    RegisterEvents::Recorder recorder(l);
    frmRegister w(recorder);
    EXPECT_FALSE(w.ShowDetector(QStringLiteral("SN-UNKNOWN")));
    EXPECT_FALSE(w.OnDetectorPage());
    ASSERT_TRUE(w.ShowDetector(QStringLiteral("SN-1")));
    EXPECT_TRUE(w.OnDetectorPage());
    QAbstractItemModel* events = w.EventTable()->model();
    ASSERT_EQ(events->rowCount(), 3);
    EXPECT_EQ(events->index(0, frmRegister::kEvTitle).data().toString(), QStringLiteral("Read"));
    EXPECT_EQ(events->index(1, frmRegister::kEvTitle).data().toString(),
              QStringLiteral("Span calibration"));
    EXPECT_EQ(events->index(2, frmRegister::kEvTitle).data().toString(), QStringLiteral("Read"));
    // The latest read is selected: its settings and what changed.
    EXPECT_TRUE(w.SettingsText()->toPlainText().contains(QStringLiteral("XP,W,0258")));
    EXPECT_EQ(w.DifferencesText()->toPlainText(), QStringLiteral("- XP,W,012C\n+ XP,W,0258"));
    w.SelectEvent(0);
    EXPECT_EQ(w.DifferencesText()->toPlainText(), LoadMessage(kMsgRegisterFirstRead));

    EXPECT_TRUE(w.CertificateButton()->isEnabled());
    const QString pdf = dir.file(QStringLiteral("cert.pdf"));
    {
        ScopedFileDialogHandler answer([&pdf](const FileDialogRequest&) { return pdf; });
        uitest::BoxRecorder boxes;
        w.SelectEvent(1);
        w.CertificateButton()->click();
    }
    EXPECT_TRUE(testsupport::ReadAll(pdf).startsWith("%PDF-"));
}

TEST(frmRegister, AReadInTheWindowLandsInTheRegisterAndItsList) {
    MainWindowRig rig;
    ASSERT_TRUE(rig.connect());
    ASSERT_TRUE(rig.window->InstrumentDownload());
    ASSERT_TRUE(rig.window->InstrumentDownload());
    const QString serial = rig.record().SerialNo().trimmed();
    rig.window->cmdRegister->click();
    frmRegister* w = rig.window->RegisterWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    ASSERT_EQ(w->ListProxy()->rowCount(), 1);
    EXPECT_EQ(w->ListProxy()->index(0, frmRegister::kColSerial).data().toString(), serial);
    ASSERT_TRUE(w->ShowDetector(serial));
    EXPECT_EQ(w->EventTable()->model()->rowCount(), 2);
    EXPECT_EQ(w->DifferencesText()->toPlainText(), LoadMessage(kMsgRegisterNoDifferences));
    EXPECT_FALSE(rig.logged(QStringLiteral("Not recorded")));
    w->close();
}

TEST(frmRegister, ARegisterThatCannotBeOpenedCostsOneRedLine) {
    MainWindowRig rig(MainWindowRig::With(true, true, [](MainWindowRig& r) {
        QFile blocker(r.file(QStringLiteral("blocker")));
        blocker.open(QIODevice::WriteOnly);
        r.options.registerLocation = r.file(QStringLiteral("blocker/reg.sqlite"));
    }));
    ASSERT_TRUE(rig.connect());
    EXPECT_TRUE(rig.window->InstrumentDownload());
    const QString log = rig.window->rtbLog->toPlainText();
    EXPECT_EQ(Lines(log, QStringLiteral("Not recorded in the instrument register")), 1)
        << log.toStdString();
    EXPECT_EQ(rig.colourOf(QStringLiteral("Not recorded in the instrument register")), kRed);
    // The read itself is done and shown.
    EXPECT_TRUE(rig.record().CommFlags());
    EXPECT_EQ(rig.window->txtOption[0]->text().trimmed(), rig.record().SerialNo().trimmed());
}
