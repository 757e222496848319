// Station and user list files: which identifier a line carries, the
// identifier rule, the files that are refused as a whole, and the written
// file (128 lines, never half a file).
#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "records/ListFile.h"

#include "common/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace ListFile;

namespace {

using testsupport::ReadAll;
using testsupport::WriteAll;

QByteArray Lines(int count, const QByteArray& end = "\r\n") {
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += QByteArray::number(i + 1) + ",ID" + QByteArray::number(i) + end;
    return out;
}

} // namespace

TEST(ListFile, ALineCarriesTheFieldsAfterItsNumber) {
    struct Case {
        const char* line;
        const char* identifier;
    };
    const Case cases[] = {
        {"7,AB C-1", "AB C-1"},
        {"3,NORTH,GATE", "NORTH,GATE"},
        {"3\tGATE 4", "GATE 4"},
        {"5,", ""},
        {"5", ""},
        {"", ""},
        {"5,  AB", "  AB"},
        {"1,,,A,,B", "A,B"}, // consecutive delimiters give no empty fields
        {"9,a\tb,c", "a,b,c"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IdentifierOfLine(QString::fromLatin1(c.line)), QString::fromLatin1(c.identifier))
            << c.line;
    // More fields than the token splitter keeps still come through whole.
    QString line = QStringLiteral("1");
    QString expected;
    for (int i = 0; i < 300; ++i) {
        line += QStringLiteral(",x");
        expected += i ? QStringLiteral(",x") : QStringLiteral("x");
    }
    EXPECT_EQ(IdentifierOfLine(line), expected);
}

TEST(ListFile, IdentifierRuleAndLeadingBlanks) {
    EXPECT_TRUE(IsIdentifierValid(QString()));
    EXPECT_TRUE(IsIdentifierValid(QStringLiteral("AB C-1/<>09 XYZW")));   // 16
    EXPECT_FALSE(IsIdentifierValid(QStringLiteral("ABCDEFGHIJKLMNOPQ"))); // 17
    EXPECT_FALSE(IsIdentifierValid(QStringLiteral("abc")));
    EXPECT_FALSE(IsIdentifierValid(QStringLiteral("NORTH,GATE")));
    EXPECT_FALSE(IsIdentifierValid(QStringLiteral("K. TANAKA")));
    EXPECT_TRUE(IsIdentifierSendable(QStringLiteral("k. tanaka_1")));
    EXPECT_FALSE(IsIdentifierSendable(QStringLiteral("NORTH,GATE")));
    EXPECT_FALSE(IsIdentifierSendable(QStringLiteral("ABCDEFGHIJKLMNOPQ")));
    EXPECT_FALSE(IsIdentifierSendable(QString::fromUtf8("GAS\xC3\x84")));
    EXPECT_EQ(LeadingBlanks(QStringLiteral("  AB")), 2);
    EXPECT_EQ(LeadingBlanks(QStringLiteral("   ")), 3);
    EXPECT_EQ(LeadingBlanks(QString()), 0);
    EXPECT_EQ(InvalidEntries(
                  {QStringLiteral("A"), QStringLiteral("b"), QString(), QStringLiteral("C_D")}),
              (QList<int>{1, 3}));
}

TEST(ListFile, ReadsLineByLineWhateverTheNumbers) {
    testsupport::ScratchDir dir;
    const QString path = dir.file(QStringLiteral("Station.csv"));
    ASSERT_TRUE(WriteAll(path, "7,AB C-1\r\n3,NORTH,GATE\n3\tGATE 4\r5,  X\r\n\r\n"));
    const ReadResult r = Read(path);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.identifiers,
              (QStringList{QStringLiteral("AB C-1"), QStringLiteral("NORTH,GATE"),
                           QStringLiteral("GATE 4"), QStringLiteral("  X"), QString()}));
    // A UTF-8 byte order mark is not part of the first line.
    ASSERT_TRUE(WriteAll(path, "\xEF\xBB\xBF"
                               "1,A\r\n"));
    EXPECT_EQ(Read(path).identifiers, QStringList{QStringLiteral("A")});
}

TEST(ListFile, RefusesAFileThatIsNoListFile) {
    testsupport::ScratchDir dir;
    const QString path = dir.file(QStringLiteral("bad.csv"));
    struct Case {
        const char* what;
        QByteArray bytes;
        int message;
    };
    const Case cases[] = {
        {"over 1 MiB", QByteArray(int(kMaxFileBytes) + 1, 'A'), kMsgListFileTooLarge},
        {"NUL byte", QByteArray("1,A\r\n2,B\0C\r\n", 12), kMsgListFileNul},
        {"not UTF-8", QByteArray("1,GAS\xC4\r\n"), kMsgListFileNotUtf8},
        {"129 lines", Lines(129), kMsgListFileTooManyLines},
        {"line of 1025", "1," + QByteArray(1023, 'A') + "\r\n", kMsgListFileLineTooLong},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(WriteAll(path, c.bytes));
        const ReadResult r = Read(path);
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.identifiers.isEmpty());
        // The message is the one for this fault (its text before the file name).
        const QString head = LoadMessage(c.message, {QStringLiteral("\x01")}).section('\x01', 0, 0);
        EXPECT_TRUE(r.error.startsWith(head)) << r.error.toStdString();
    }
    // The limits themselves pass: 1024 characters, 128 lines and empty lines
    // after them.
    ASSERT_TRUE(WriteAll(path, "1," + QByteArray(1022, 'A') + "\r\n"));
    EXPECT_TRUE(Read(path).ok);
    ASSERT_TRUE(WriteAll(path, Lines(128) + "\r\n\r\n"));
    const ReadResult full = Read(path);
    ASSERT_TRUE(full.ok);
    EXPECT_EQ(full.identifiers.size(), 128);
    EXPECT_FALSE(Read(dir.file(QStringLiteral("missing.csv"))).ok);
}

TEST(ListFile, WritesAll128LinesOrNothing) {
    testsupport::ScratchDir dir;
    const QString path = dir.file(QStringLiteral("User.csv"));
    QString error;
    ASSERT_TRUE(Write(path, {QStringLiteral("  AB"), QString(), QStringLiteral("X,Y")}, &error));
    const QByteArray bytes = ReadAll(path);
    const QList<QByteArray> lines = bytes.split('\n');
    ASSERT_EQ(lines.size(), 129); // 128 lines, each ended by CR LF
    EXPECT_EQ(lines.at(0), QByteArray("1,  AB\r"));
    EXPECT_EQ(lines.at(1), QByteArray("2,\r"));
    EXPECT_EQ(lines.at(2), QByteArray("3,X,Y\r"));
    EXPECT_EQ(lines.at(127), QByteArray("128,\r"));
    // Written and read back: the same identifiers.
    EXPECT_EQ(Read(path).identifiers.mid(0, 2), (QStringList{QStringLiteral("  AB"), QString()}));

    // A file that cannot be written: the reason, and the old file as it was.
    const QString blocked = dir.file(QStringLiteral("folder"));
    ASSERT_TRUE(QDir().mkdir(blocked));
    EXPECT_FALSE(Write(blocked, {}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QFileInfo(blocked).isDir());
    EXPECT_FALSE(Write(dir.file(QStringLiteral("no/such/folder.csv")), {}, &error));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("User.csv")});
}
