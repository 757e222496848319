// The main window and a write that did not complete: on connecting it says
// so, asks whether to finish the write or put the old values back, and does
// what was chosen, and records it in the register; "Later" leaves the entry
// and says that nothing should be stored meanwhile.
#include "MainWindowRig.h"

#include "records/WriteJournal.h"
#include "register/RegisterStore.h"
#include "workflows/RegisterEvents.h"

using namespace windowtest;

namespace {

// A write of the logging interval that stopped after its command was
// accepted: the journal entry for the emulator's detector, the command
// staged in the emulator.
void LeaveUnfinishedWrite(MainWindowRig& rig) {
    PendingWrite entry;
    entry.Serials = {rig.sim().state().serialNo};
    entry.Started = QDateTime::currentDateTime();
    entry.NewCommands = {QStringLiteral("XP,W,0258")};
    entry.OldCommands = {QStringLiteral("XP,W,012C")};
    ASSERT_TRUE(WriteJournal::Save(entry));
}

} // namespace

TEST(frmMainRecovery, ConnectingOffersToFinishOrToPutTheOldValuesBack) {
    const struct {
        QMessageBox::StandardButton answer;
        int intervals; // the emulator's committed interval afterwards
        bool entryLeft;
        const char* event; // the register's write event, with the command sent
        const char* sent;
    } cases[] = {{QMessageBox::Yes, 600, false, "recover-finish", "XP,W,0258"},
                 {QMessageBox::No, 300, false, "recover-restore", "XP,W,012C"},
                 {QMessageBox::Cancel, 300, true, nullptr, nullptr}};
    for (const auto& c : cases) {
        MainWindowRig rig(MainWindowRig::With(
            true, true, [](MainWindowRig& r) { r.sim().state().Intervals = 300; }));
        LeaveUnfinishedWrite(rig);
        rig.answers = {c.answer};
        ASSERT_TRUE(rig.connect());
        for (int i = 0; i < 50 && rig.asked.empty(); ++i) {
            QCoreApplication::processEvents();
            rig.clock.runTicks(1);
        }
        ASSERT_FALSE(rig.asked.empty());
        EXPECT_TRUE(rig.asked.front().text.contains(QStringLiteral("did not complete")));
        EXPECT_EQ(rig.colourOf(QStringLiteral("did not complete")), kRed);
        EXPECT_EQ(rig.sim().state().Intervals, c.intervals);
        EXPECT_EQ(WriteJournal::All().isEmpty(), !c.entryLeft);

        QString error;
        InstrumentRegister::Store* store = rig.window->Register().Open(&error);
        ASSERT_NE(store, nullptr) << error.toStdString();
        QList<InstrumentRegister::Event> events;
        ASSERT_TRUE(store->Events(rig.sim().state().serialNo.trimmed(), &events, &error));
        ASSERT_EQ(events.size(), c.event ? 1 : 0);
        if (c.event) {
            EXPECT_EQ(events.front().kind, InstrumentRegister::EventKind::Write);
            EXPECT_EQ(events.front().action, QLatin1String(c.event));
            EXPECT_EQ(events.front().written, QStringList{QLatin1String(c.sent)});
        }
    }
}
