// The main window and a write that did not complete: on connecting it says
// so, asks whether to finish the write or put the old values back, and does
// what was chosen; "Later" leaves the entry and says that nothing should be
// stored meanwhile.
#include "MainWindowRig.h"

#include "records/WriteJournal.h"

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
    } cases[] = {{QMessageBox::Yes, 600, false},
                 {QMessageBox::No, 300, false},
                 {QMessageBox::Cancel, 300, true}};
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
    }
}
