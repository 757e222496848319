// Flash image and dump list transfers against the emulator on a virtual clock.
#include "MaintenanceFixture.h"

#include "app/Maker.h"
#include "link/Dumps.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <functional>
#include <vector>

namespace {

using testsupport::ReadAll;
using testsupport::WriteAll;

// The number of memory rows ("000080 ...") in a dump list.
int Rows(const QString& text) {
    return int(
        text.count(QRegularExpression("^[0-9A-F]{6} ", QRegularExpression::MultilineOption)));
}

const QString kTitle = "Adrs   +0 +1 +2 +3 +4 +5 +6 +7  +8 +9 +A +B +C +D +E +F   List Of ASCII   ";

} // namespace

class Dump : public LinkOperations {
protected:
    QString image() const { return dir.file(QStringLiteral("TQ7350.DAT")); }
    // Cancels (or runs `fn`) when the progress text for block `block` appears.
    void atBlock(const QString& hex4, std::function<void()> fn) {
        QObject::connect(&link, &uclTqif::DumpMessage, [hex4, fn](const QString& text) {
            if (text == "Get FLASH Image " + hex4)
                fn();
        });
    }
};

TEST_F(Dump, FullImageEqualsTheReferenceFile) {
    const QByteArray reference = ReadAll(QStringLiteral(TQ_BINARY_DIR "/TQ7350_Check.DAT"));
    ASSERT_EQ(reference.size(), 524288) << "TQ7350_Check.DAT is built with tq7350-sim";
    ASSERT_TRUE(link.BodyDataClear());
    ASSERT_TRUE(link.PowerDataClear());
    ASSERT_TRUE(link.SetCheckData());
    sim.clearReceivedCommands();
    EXPECT_TRUE(link.GetBinDump(image(), 0, 1023));
    EXPECT_EQ(link.BinDumpNextBlock(), 1024);
    EXPECT_TRUE(ReadAll(image()) == reference);
    EXPECT_EQ(countOf("EP,R,0000"), 1);
    EXPECT_EQ(received().last(), "EP,R,03FF");
    EXPECT_EQ(received().size(), 1024);

    ASSERT_GE(dumpMessages.size(), 3);
    EXPECT_EQ(dumpMessages.at(0), "Initialize Local Image");
    EXPECT_EQ(dumpMessages.at(1), "Get FLASH Image");
    EXPECT_EQ(dumpMessages.at(2), "Get FLASH Image 0000");
    EXPECT_EQ(dumpMessages.last(), "Get FLASH Image 03FF");
    const QString log = logText();
    EXPECT_EQ(log.count("--- Dump List Download Started. ---("), 1);
    EXPECT_EQ(log.count("--- Dump List Download Finished. ---("), 1024);
}

TEST_F(Dump, BlocksLandAtTheirOffsets) {
    ASSERT_TRUE(link.SetCheckData());
    const QByteArray& memory = sim.state().logger;

    // A transfer starting at a later block writes into the existing image.
    ASSERT_TRUE(WriteAll(image(), QByteArray(524288, '\0')));
    EXPECT_TRUE(link.GetBinDump(image(), 5, 7));
    QByteArray got = ReadAll(image());
    ASSERT_EQ(got.size(), 524288);
    EXPECT_TRUE(got.mid(5 * 512, 3 * 512) == memory.mid(5 * 512, 3 * 512));
    EXPECT_TRUE(got.left(5 * 512) == QByteArray(5 * 512, '\0'));
    EXPECT_TRUE(got.mid(8 * 512) == QByteArray(524288 - 8 * 512, '\0'));

    // Blocks 0..1023 over a full-size image: made afresh first (erased
    // flash), so a transfer cut short shows 0xFF after the last block.
    ASSERT_TRUE(WriteAll(image(), QByteArray(524288, '\0')));
    atBlock("0002", [this] { link.setCancel(true); });
    EXPECT_FALSE(link.GetBinDump(image(), 0, 1023));
    EXPECT_FALSE(link.BinaryRetry()); // a cancel is not a time-out
    EXPECT_EQ(link.BinDumpNextBlock(), 3);
    got = ReadAll(image());
    ASSERT_EQ(got.size(), 524288);
    EXPECT_EQ(got.at(0), memory.at(0)); // the first byte of block 0 at offset 0
    EXPECT_TRUE(got.left(3 * 512) == memory.left(3 * 512));
    EXPECT_TRUE(got.mid(3 * 512) == QByteArray(524288 - 3 * 512, '\xFF'));

    // A short image is brought to full size; its content is kept.
    ASSERT_TRUE(WriteAll(image(), QByteArray(1000, 'x')));
    EXPECT_TRUE(link.GetBinDump(image(), 10, 10));
    got = ReadAll(image());
    ASSERT_EQ(got.size(), 524288);
    EXPECT_TRUE(got.left(1000) == QByteArray(1000, 'x'));
    EXPECT_TRUE(got.mid(10 * 512, 512) == memory.mid(10 * 512, 512));

    // Cancelled while a block is on its way.
    sim.faults().delayMs = 200;
    clock.singleShot(100, [this] { link.setCancel(true); });
    EXPECT_FALSE(link.GetBinDump(image(), 0x300, 0x3FF));
    EXPECT_EQ(link.BinDumpNextBlock(), 0x300);
    EXPECT_EQ(ReadAll(image()).size(), 524288);
}

TEST_F(Dump, TimeOutThenRetryFromTheFailedBlock) {
    ASSERT_TRUE(link.SetCheckData());
    // Block 0x100 is never answered.
    atBlock("00FF", [this] { sim.faults().dropEveryN = 1; });
    const qint64 t0 = now();
    EXPECT_FALSE(link.GetBinDump(image(), 0, 1023));
    EXPECT_TRUE(link.BinaryRetry());
    EXPECT_TRUE(link.Cancel());
    EXPECT_EQ(link.Status(), 2);
    EXPECT_EQ(link.BinDumpNextBlock(), 0x100);
    EXPECT_GE(now() - t0, 3000); // the link's time-out
    EXPECT_TRUE(logText().contains(" = timeout =\r\n"));
    EXPECT_EQ(ReadAll(image()).size(), 524288);

    // The host's retry: again from the failed block, into the same image.
    sim.faults().dropEveryN = 0;
    sim.clearReceivedCommands();
    EXPECT_TRUE(link.GetBinDump(image(), link.BinDumpNextBlock(), 1023));
    EXPECT_FALSE(link.BinaryRetry());
    ASSERT_FALSE(received().isEmpty());
    EXPECT_EQ(received().first(), "EP,R,0100");
    EXPECT_EQ(received().size(), 0x300);
    EXPECT_TRUE(ReadAll(image()) == sim.state().logger);
}

TEST_F(Dump, OperationsAreRefusedWhileATransferWaits) {
    // While the first block is awaited (its answer comes 10 ms later), the
    // host tries to start other operations: each is refused and changes
    // nothing, and the transfer goes on.
    sim.faults().delayMs = 10;
    int started = 0;
    int refused = 0;
    clock.singleShot(5, [&] {
        clsInstrument other;
        const std::vector<std::function<bool()>> attempts = {
            [&] { return link.GetGasInfo(&other); },
            [&] { return link.GetAutoCalDensty(&other); },
            [&] { return link.GetLatestHistory(&other); },
            [&] { return link.BodyDataClear(); },
            [&] { return link.ZeroCal("11111"); },
            [&] { return link.SHOnOff(1); },
            [&] { return link.BodyPowerOff(); },
            [&] { return link.GetBinDump(image(), 0, 0); },
            [&] { return link.GetRomDump2(image() + ".lst"); },
        };
        for (const auto& attempt : attempts) {
            if (attempt() || link.Status() != 9)
                ++started;
            else
                ++refused;
        }
    });
    EXPECT_TRUE(link.GetBinDump(image(), 0, 3));
    EXPECT_EQ(refused, 9);
    EXPECT_EQ(started, 0);
    EXPECT_EQ(received(), (QStringList{"EP,R,0000", "EP,R,0001", "EP,R,0002", "EP,R,0003"}));
    EXPECT_TRUE(ReadAll(image()).left(4 * 512) == sim.state().logger.left(4 * 512));
    EXPECT_FALSE(QFile::exists(image() + ".lst"));
}

TEST_F(Dump, RefusesABlockRangeOutsideTheImage) {
    EXPECT_FALSE(link.GetBinDump(image(), 0, 1024));
    EXPECT_FALSE(link.GetBinDump(image(), -1, 3));
    EXPECT_FALSE(link.GetBinDump(image(), 9, 8));
    EXPECT_TRUE(received().isEmpty());
    EXPECT_FALSE(QFile::exists(image()));
    // A relative name is taken in BinDumpPath.
    link.setBinDumpPath(dir.path());
    EXPECT_TRUE(link.GetBinDump(QStringLiteral("TQ7350.DAT"), 0, 0));
    EXPECT_EQ(ReadAll(image()).size(), 524288);
}

// A garbled block is rejected (NAK) and sent again; the file holds every row.
TEST_F(Dump, DumpListFile) {
    const QString path = dir.file(QStringLiteral("DumpEF.dat"));
    sim.faults().garbleEveryN = 10;
    EXPECT_TRUE(link.GetRomDump2(path));
    EXPECT_EQ(link.Status(), 2);
    const QString text = QString::fromUtf8(ReadAll(path));
    ASSERT_TRUE(text.endsWith("\r\n"));
    EXPECT_FALSE(text.contains(QRegularExpression("[^\r]\n")));
    const QStringList lines = text.left(text.size() - 2).split("\r\n");
    ASSERT_EQ(lines.size(), 4 + 2 + 512 + 2);
    EXPECT_EQ(lines[0], ";\tTQ-7350 Data Logger Program");
    EXPECT_TRUE(lines[1].startsWith(";\tFlush ROM Dump (EF) List "));
    EXPECT_GT(lines[1].size(), QString(";\tFlush ROM Dump (EF) List ").size());
    EXPECT_EQ(lines[2], ";\t" + MakerCompanyName());
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(lines[4], kTitle);
    EXPECT_EQ(lines[5], QString(74, '-'));
    EXPECT_TRUE(lines[6].startsWith("000000 54 51 2D 37 33 35 30 20  20 20 20 20 20 20 20 20   "
                                    "TQ-7350         "));
    EXPECT_EQ(lines[6].size(), 74);
    EXPECT_EQ(lines[lines.size() - 2], "");
    EXPECT_TRUE(lines.last().startsWith(";\tTotal Download Time = "));
    EXPECT_TRUE(QRegularExpression("^;\tTotal Download Time = \\d\\d:\\d\\d:\\d\\d$")
                    .match(lines.last())
                    .hasMatch());

    // Every row holds the parameter memory at its address, in address order.
    const QByteArray memory = sim.state().parameterMemory();
    for (int r = 0; r < 512; ++r) {
        const QString& row = lines[6 + r];
        ASSERT_EQ(row.size(), 74) << r;
        EXPECT_EQ(row.left(6).toUInt(nullptr, 16), uint(r * 16)) << r;
        QString hex = row.mid(7, 48);
        hex.remove(' ');
        EXPECT_TRUE(QByteArray::fromHex(hex.toLatin1()) == memory.mid(r * 16, 16)) << r;
    }

    // Progress per block, every block acknowledged.
    ASSERT_EQ(dumpMessages.size(), 64);
    EXPECT_EQ(dumpMessages.first(), "Get Dump 000000-00007F");
    EXPECT_EQ(dumpMessages.last(), "Get Dump 001F80-001FFF");
    // Every block but the last acknowledged once; the garbled ones refused first.
    const QList<QByteArray>& replies = sim.receivedBlockAcks();
    EXPECT_EQ(replies.count("EF,R,\x06"), 63) << replies.size();
    EXPECT_GT(replies.size(), 63);
    EXPECT_TRUE(logText().contains("--- Dump List Download Started. ---("));
}

TEST_F(Dump, DumpListKeepsWhatArrivedWhenCut) {
    const QString path = dir.file(QStringLiteral("DumpEF.dat"));
    // The detector falls silent after a few blocks: the file keeps them.
    QObject::connect(&link, &uclTqif::DumpMessage, [this](const QString& t) {
        if (t == "Get Dump 000180-0001FF")
            sim.faults().silent = true;
    });
    EXPECT_FALSE(link.GetRomDump2(path));
    EXPECT_EQ(link.Status(), 2);
    QString text = QString::fromUtf8(ReadAll(path));
    EXPECT_EQ(Rows(text), 4 * 8);
    EXPECT_TRUE(text.contains("\r\n;\tTotal Download Time = "));

    // Cancelled: the same.
    sim.faults().silent = false;
    QObject::connect(&link, &uclTqif::DumpMessage, [this](const QString& t) {
        if (t == "Get Dump 000080-0000FF")
            link.setCancel(true);
    });
    EXPECT_FALSE(link.GetRomDump2(path));
    EXPECT_EQ(link.Status(), 2);
    text = QString::fromUtf8(ReadAll(path));
    EXPECT_EQ(Rows(text), 2 * 8);
    EXPECT_TRUE(text.contains("\r\n;\tTotal Download Time = "));
}

TEST(DumpListing, RowFormat) {
    const QByteArray bytes("AB\x01\x7F\xFFz~ 0123456", 16);
    EXPECT_EQ(DumpListing::Row(0x1A30, bytes),
              "001A30 41 42 01 7F FF 7A 7E 20  30 31 32 33 34 35 36 00   AB...z~ 0123456.");
    // Missing bytes show as FF.
    EXPECT_EQ(DumpListing::Row(0x10, QByteArray("Q")),
              "000010 51 FF FF FF FF FF FF FF  FF FF FF FF FF FF FF FF   Q...............");
    EXPECT_EQ(DumpListing::TitleLine(), kTitle);
    EXPECT_EQ(DumpListing::SeparatorLine(), QString(74, '-'));
}
