// Reading back what write commands set: the read form of each write
// command, and a record rebuilt from write commands that gives exactly the
// same commands again (what the put-back and the finishing of an unfinished
// write rely on).
#include "link/ReadBack.h"

#include "common/TestRecords.h"
#include "common/TestSupport.h"
#include "link/WriteSequence.h"
#include "model/clsInstrument.h"

#include <gtest/gtest.h>

TEST(ReadBack, ReadFormsOfWriteCommands) {
    EXPECT_EQ(ReadBack::ReadCommandFor(QStringLiteral("A2,W,   10,   50,")), "A2,R,");
    EXPECT_EQ(ReadBack::ReadCommandFor(QStringLiteral("XS,W,0007,NORTH GATE      ")), "XS,R,0007");
    EXPECT_EQ(ReadBack::ReadCommandFor(QStringLiteral("XS,W,****,NORTH GATE      ")), "XS,R,****");
    EXPECT_EQ(ReadBack::ReadCommandFor(QStringLiteral("A2,R,")), QString());
    EXPECT_EQ(ReadBack::EntryOf(QStringLiteral("XZ,W,007F,X")), 127);
    EXPECT_EQ(ReadBack::EntryOf(QStringLiteral("XZ,W,0080,X")), -1);
    EXPECT_EQ(ReadBack::FieldsOf(QStringLiteral("XS,W,0007,GATE")), QStringList{"GATE"});
}

TEST(ReadBack, EveryCommandOfAWholeWriteIsTakenBackExactly) {
    clsInstrument r;
    testrecords::SetFourGases(r);
    testrecords::SetChannel(r, 4, "CH4          100    1VOL%", -101, -101, -101, -101, 50);
    r.setSpecNo(QStringLiteral("SP-01"));
    r.setStationList(7, QStringLiteral("NORTH GATE"));
    r.setUserList(3, QStringLiteral("A. USER"));
    r.setUserPassword2(QStringLiteral("1234"));
    r.SetChangeFlags(true, true);
    const QStringList commands = PendingWriteCommands(r);
    ASSERT_GT(commands.size(), 290); // the settings and both whole lists
    clsInstrument rebuilt;
    QString failed;
    EXPECT_TRUE(ReadBack::RecordFromCommands(commands, rebuilt, &failed)) << failed.toStdString();
    EXPECT_EQ(ReadBack::CommandsFrom(rebuilt, commands), commands);

    // A command whose values the record cannot hold is refused.
    clsInstrument other;
    EXPECT_FALSE(ReadBack::RecordFromCommands({QStringLiteral("A2,W,100020,50,")}, other, &failed));
    EXPECT_EQ(failed, QStringLiteral("A2,W,100020,50,"));
}

TEST(ReadBack, CompareNamesEveryFieldThatDiffers) {
    const QList<ReadBack::FieldDifference> d =
        ReadBack::Compare({QStringLiteral("A2,W,   10,   35,"), QStringLiteral("XP,W,0258")},
                          {QStringLiteral("A2,W,   10,   50,"), QStringLiteral("XP,W,0258")});
    ASSERT_EQ(d.size(), 1);
    EXPECT_EQ(d.first().Code, QStringLiteral("A2"));
    EXPECT_EQ(d.first().Field, 1);
    EXPECT_EQ(d.first().Sent.trimmed(), QStringLiteral("35"));
    EXPECT_EQ(d.first().Held.trimmed(), QStringLiteral("50"));
    // A field the detector's command lacks is a difference too.
    const auto missing =
        ReadBack::Compare({QStringLiteral("BU,W,3,4,1,0")}, {QStringLiteral("BU,W,3,4,1")});
    ASSERT_EQ(missing.size(), 1);
    EXPECT_EQ(missing.first().Field, 3);
    EXPECT_TRUE(missing.first().Held.isEmpty());
}
