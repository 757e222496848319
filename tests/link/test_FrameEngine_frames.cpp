// Frames, checksums, log rendering and the serial settings string.
#include "LinkHarness.h"

#include "link/SerialLog.h"
#include "link/SerialTransport.h"

#include <gtest/gtest.h>

using namespace linktest;

namespace {

QString Visible(const QString& frame) {
    return SerialLog::RenderControl(frame);
}

} // namespace

TEST(Frame, ChecksumAndLayout) {
    // The connect probe: sum 517, checksum FB.
    const QString rc = FrameEngine::BuildFrame(QStringLiteral("RC,R,"), FrameEngine::EOT);
    EXPECT_EQ(Visible(rc), QStringLiteral("[STX]0001RC,R,[ETX]FB[EOT]"));
    EXPECT_EQ(rc.size(), 1 + 4 + 5 + 1 + 2 + 1);

    // A block acknowledgement: "XS,R," + ACK, checksum DF, terminator ETB.
    const QString ack =
        FrameEngine::BuildFrame(QStringLiteral("XS,R,") + QChar(0x06), FrameEngine::ETB);
    EXPECT_EQ(Visible(ack), QStringLiteral("[STX]0001XS,R,[ACK][ETX]DF[ETB]"));

    // A sum that is a multiple of 256 gives "00", not "100" or an empty text.
    // STX + "0001" + ETX = 2 + 193 + 3 = 198; the text "z``" adds
    // 122 + 96 + 96 = 314, which makes 512.
    QByteArray body;
    body += FrameEngine::STX;
    body += "0001z``";
    body += FrameEngine::ETX;
    EXPECT_EQ(FrameEngine::Checksum(body), QStringLiteral("00"));
    EXPECT_TRUE(FrameEngine::BuildFrame(QStringLiteral("z``"), FrameEngine::EOT)
                    .endsWith(QStringLiteral("00") + QChar(0x04)));

    // Small sums keep their leading zero: sum 255 -> "01".
    QByteArray small;
    small += char(0x02);
    small += char(0x03);
    small += char(250);
    EXPECT_EQ(FrameEngine::Checksum(small), QStringLiteral("01"));
}

TEST(Frame, AnswerCodeAndNeverRepeated) {
    EXPECT_EQ(FrameEngine::AnswerCode(QString::fromLatin1(BuildAnswerFrame("SA,R", "1,2,3"))),
              QStringLiteral("SA,R"));
    EXPECT_EQ(FrameEngine::AnswerCode(QStringLiteral("\x02"
                                                     "00")),
              QString());
    for (const char* text : {"UX,W,", "XC,W,", "SZ,W,11111", "S1,W,"})
        EXPECT_TRUE(FrameEngine::IsNeverRepeated(FrameEngine::BuildFrame(text, 4))) << text;
    for (const char* text : {"UX,C,", "XC,C,", "SZ,C,", "DW,W,", "RC,R,"})
        EXPECT_FALSE(FrameEngine::IsNeverRepeated(FrameEngine::BuildFrame(text, 4))) << text;
}

TEST(Frame, BlockRepliesFollowTheLastFrame) {
    SerialLog log(QStringLiteral("/nonexistent-folder-for-tests"));
    FrameEngine engine(&log);
    engine.DataSend(FrameEngine::BuildFrame(QStringLiteral("XS,R,0012"), FrameEngine::EOT), true);
    EXPECT_EQ(Visible(engine.BlockReplyFrame(FrameEngine::ACK)),
              QStringLiteral("[STX]0001XS,R,[ACK][ETX]DF[ETB]"));
    EXPECT_TRUE(Visible(engine.BlockReplyFrame(FrameEngine::NAK))
                    .startsWith(QStringLiteral("[STX]0001XS,R,[NAK][ETX]")));

    // Frames carrying "IH" acknowledge with seven characters, except where the
    // five-character rejection is asked for.
    engine.DataSend(FrameEngine::BuildFrame(QStringLiteral("IH,R,01"), FrameEngine::EOT), true);
    EXPECT_TRUE(Visible(engine.BlockReplyFrame(FrameEngine::ACK))
                    .startsWith(QStringLiteral("[STX]0001IH,R,01[ACK][ETX]")));
    EXPECT_TRUE(Visible(engine.BlockReplyFrame(FrameEngine::NAK, false))
                    .startsWith(QStringLiteral("[STX]0001IH,R,[NAK][ETX]")));
}

TEST(SerialLogTest, RenderControlTable) {
    QString all;
    for (int c = 0; c < 32; ++c)
        all += QChar(c);
    all += QStringLiteral(" A~");
    EXPECT_EQ(SerialLog::RenderControl(all),
              QStringLiteral("[00][01][STX][ETX][EOT][ENQ][ACK][07][08][09]\n[0B][0C]\r[0E][0F]"
                             "[10][11][12][13][14][NAK][16][ETB][18][19][SUB][ESC][1C][1D][1E][1F]"
                             " A~"));
}

TEST(SerialLogTest, LinesAreStampedAppendedAndJoinedOnce) {
    testsupport::ScratchDir dir;
    SerialLog log(dir.path() + QLatin1Char('/'));
    EXPECT_EQ(log.filePath(), dir.path() + QStringLiteral("/SerialLog.log"));
    EXPECT_EQ(SerialLog::joinPath(QStringLiteral("C:\\logs\\"), QStringLiteral("SerialLog.log")),
              QStringLiteral("C:\\logs\\SerialLog.log"));
    EXPECT_EQ(SerialLog::joinPath(QStringLiteral("C:\\logs"), QStringLiteral("SerialLog.log")),
              QStringLiteral("C:\\logs\\SerialLog.log"));
    EXPECT_EQ(SerialLog::joinPath(QStringLiteral("/var/log"), QStringLiteral("SerialLog.log")),
              QStringLiteral("/var/log/SerialLog.log"));

    log.setTimeSource([] { return QDateTime(QDate(2026, 12, 5), QTime(7, 8, 9)); });
    EXPECT_TRUE(log.write(QStringLiteral("first")));
    log.setTimeSource([] { return QDateTime(QDate(2026, 12, 5), QTime(15, 43, 1)); });
    EXPECT_TRUE(log.write(QStringLiteral("second")));
    EXPECT_EQ(testsupport::ReadAll(log.filePath()),
              QByteArray("07:08:09 first\r\n15:43:01 second\r\n"));

    // A folder that cannot be written drops the entry without complaint.
    SerialLog nowhere(dir.file(QStringLiteral("missing/deeper")));
    EXPECT_FALSE(nowhere.write(QStringLiteral("lost")));
    EXPECT_EQ(SerialLog::GeneralDate(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5))),
              QStringLiteral("01/02/2026 03:04:05"));
}

TEST(SerialSettingsTest, ParsesAndExplains) {
    SerialSettings s;
    QString error;
    ASSERT_TRUE(SerialSettings::Parse(QStringLiteral("921600,n,8,1"), &s, &error));
    EXPECT_EQ(s.baudRate, 921600);
    EXPECT_EQ(s.parity, QSerialPort::NoParity);
    EXPECT_EQ(s.dataBits, QSerialPort::Data8);
    EXPECT_EQ(s.stopBits, QSerialPort::OneStop);
    EXPECT_EQ(s.toString(), QStringLiteral("921600,n,8,1"));

    ASSERT_TRUE(SerialSettings::Parse(QStringLiteral(" 9600 , E , 7 , 1.5 "), &s));
    EXPECT_EQ(s.parity, QSerialPort::EvenParity);
    EXPECT_EQ(s.dataBits, QSerialPort::Data7);
    EXPECT_EQ(s.stopBits, QSerialPort::OneAndHalfStop);
    EXPECT_EQ(s.toString(), QStringLiteral("9600,e,7,1.5"));
    for (const auto& [text, parity] : {std::pair{"300,m,5,2", QSerialPort::MarkParity},
                                       {"300,s,6,1", QSerialPort::SpaceParity},
                                       {"300,o,8,1", QSerialPort::OddParity}}) {
        ASSERT_TRUE(SerialSettings::Parse(QString::fromLatin1(text), &s)) << text;
        EXPECT_EQ(s.parity, parity);
    }

    const SerialSettings before = s;
    struct Bad {
        const char* text;
        const char* mentions;
    } bad[] = {{"921600,n,8", "four fields"},  {"fast,n,8,1", "baud rate"},
               {"-5,n,8,1", "baud rate"},      {"0,n,8,1", "baud rate"},
               {"9600,x,8,1", "parity"},       {"9600,n,9,1", "data bits"},
               {"9600,n,4,1", "data bits"},    {"9600,n,8,3", "stop bits"},
               {"9600,n,8,1,1", "four fields"}};
    for (const Bad& b : bad) {
        error.clear();
        EXPECT_FALSE(SerialSettings::Parse(QString::fromLatin1(b.text), &s, &error)) << b.text;
        EXPECT_TRUE(error.contains(QLatin1String(b.mentions)))
            << b.text << " -> " << error.toStdString();
    }
    EXPECT_EQ(s.toString(), before.toString()); // untouched by failures
}
