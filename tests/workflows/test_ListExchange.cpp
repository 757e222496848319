// The station and user lists between the emulator and list files: import
// writes exactly the entries that differ, verified, and refuses a file that
// breaks the identifier rule before anything is sent; export writes what the
// detector holds.
#include "WorkflowRig.h"

#include "workflows/ListExchange.h"

#include <QFile>

using workflowtest::Rig;

using testsupport::WriteAll;

TEST(ListExchange, ImportWritesOnlyTheEntriesThatDiffer) {
    Rig rig;
    ASSERT_TRUE(rig.connect());
    const SimState before = rig.sim.state();
    // Entry 0 as the detector holds it, entry 2 and entry 6 new; the other
    // entries are not in the file and stay.
    const QString path = rig.dir.file(QStringLiteral("Station.csv"));
    const QByteArray file = "1," + before.stationList[0].trimmed().toLatin1() + "\r\n2," +
                            before.stationList[1].trimmed().toLatin1() + "\r\n3,NORTH GATE\r\n4," +
                            before.stationList[3].trimmed().toLatin1() + "\r\n5,\r\n6," +
                            before.stationList[5].trimmed().toLatin1() + "\r\n7,  DOCK 7\r\n";
    ASSERT_TRUE(WriteAll(path, file));
    rig.sim.clearReceivedCommands();
    ListExchange::ImportOptions options;
    options.Path = path;
    const ListExchange::Result r = ListExchange::Import(rig.link, options, {});
    ASSERT_TRUE(r.Success()) << r.FailureLines.join('\n').toStdString();
    EXPECT_TRUE(r.Write.Verified);

    // Entry 4 ("5,") is empty in the file and on the detector: the same.
    EXPECT_EQ(r.Changed, (QList<int>{2, 6}));
    QStringList listWrites;
    for (const QString& w : rig.writes()) {
        if (!w.startsWith(QLatin1String("DW,")))
            listWrites << w.left(9);
    }
    EXPECT_EQ(listWrites, (QStringList{"XS,W,0002", "XS,W,0006"}));

    const SimState after = rig.sim.state();
    EXPECT_EQ(after.stationList[2], QStringLiteral("NORTH GATE"));
    EXPECT_EQ(after.stationList[6], QStringLiteral("DOCK 7"));
    for (int i = 7; i < 128; ++i)
        EXPECT_EQ(after.stationList[size_t(i)], before.stationList[size_t(i)]) << i;
    EXPECT_EQ(after.userList, before.userList);
    EXPECT_EQ(rig.sim.stagedCount(), 0);

    // The same file again: nothing differs, nothing is written.
    rig.sim.clearReceivedCommands();
    const ListExchange::Result again = ListExchange::Import(rig.link, options, {});
    ASSERT_TRUE(again.Success());
    EXPECT_TRUE(again.Changed.isEmpty());
    EXPECT_TRUE(rig.writes().isEmpty());

    // Exported: the detector's whole list, written entries included; an
    // export writes nothing.
    const QString out = rig.dir.file(QStringLiteral("Out.csv"));
    ASSERT_TRUE(ListExchange::Export(rig.link, ListFile::List::Station, out, {}).Success());
    const ListFile::ReadResult exported = ListFile::Read(out);
    ASSERT_TRUE(exported.ok);
    ASSERT_EQ(exported.identifiers.size(), 128);
    EXPECT_EQ(exported.identifiers.at(2), QStringLiteral("NORTH GATE"));
    EXPECT_EQ(exported.identifiers.at(0), before.stationList[0].trimmed());
    EXPECT_TRUE(rig.writes().isEmpty());
}

TEST(ListExchange, ImportRefusesIdentifiersThatBreakTheRuleUnlessForced) {
    Rig rig;
    ASSERT_TRUE(rig.connect());
    const SimState before = rig.sim.state();
    const QString path = rig.dir.file(QStringLiteral("User.csv"));
    ASSERT_TRUE(WriteAll(path, "1,k. tanaka\r\n2,OK USER\r\n3,ABCDEFGHIJKLMNOPQ\r\n"));
    ListExchange::ImportOptions options;
    options.list = ListFile::List::User;
    options.Path = path;
    QStringList lines;
    workflows::Report report;
    report.line = [&lines](const QString& text, workflows::Tone) { lines << text; };

    rig.sim.clearReceivedCommands();
    ListExchange::Result r = ListExchange::Import(rig.link, options, report);
    EXPECT_EQ(r.outcome, workflows::Outcome::Refused);
    EXPECT_EQ(r.InvalidLines, (QList<int>{1, 3}));
    EXPECT_TRUE(lines.join('\n').contains(QStringLiteral("\"k. tanaka\"")));
    EXPECT_TRUE(rig.sim.receivedCommands().isEmpty()); // refused before anything was sent

    // Forced: still refused, the 17 characters cannot travel in a list write.
    options.Force = true;
    r = ListExchange::Import(rig.link, options, report);
    EXPECT_EQ(r.outcome, workflows::Outcome::Refused);
    EXPECT_TRUE(rig.sim.receivedCommands().isEmpty());

    // Without the long line, forced: written as it is.
    ASSERT_TRUE(WriteAll(path, "1,k. tanaka\r\n2,OK USER\r\n"));
    r = ListExchange::Import(rig.link, options, report);
    ASSERT_TRUE(r.Success()) << r.FailureLines.join('\n').toStdString();
    EXPECT_TRUE(r.Forced);
    EXPECT_EQ(rig.sim.state().userList[0], QStringLiteral("k. tanaka"));
    EXPECT_EQ(rig.sim.state().stationList, before.stationList);
}

TEST(ListExchange, ARefusedWriteLeavesTheDetectorAsItWas) {
    Rig rig;
    ASSERT_TRUE(rig.connect());
    const SimState before = rig.sim.state();
    const QString path = rig.dir.file(QStringLiteral("Station.csv"));
    ASSERT_TRUE(WriteAll(path, "1,NEW ONE\r\n2,NEW TWO\r\n"));
    rig.sim.faults().refuseCodes = QStringList{QStringLiteral("XS:W")};
    ListExchange::ImportOptions options;
    options.Path = path;
    const ListExchange::Result r = ListExchange::Import(rig.link, options, {});
    rig.sim.faults() = SimFaults{};
    EXPECT_FALSE(r.Success());
    EXPECT_FALSE(r.FailureLines.isEmpty());
    EXPECT_EQ(rig.sim.state().stationList, before.stationList);
    EXPECT_EQ(rig.sim.stagedCount(), 0);

    // A file that is no list file: refused, nothing sent.
    ASSERT_TRUE(WriteAll(path, QByteArray("1,A\0B\r\n", 7)));
    rig.sim.clearReceivedCommands();
    const ListExchange::Result bad = ListExchange::Import(rig.link, options, {});
    EXPECT_EQ(bad.outcome, workflows::Outcome::Refused);
    EXPECT_TRUE(rig.sim.receivedCommands().isEmpty());
}
