// Settings file: exact lines, store -> load round trip, and the reader's
// handling of bad, unknown and over-long input (a failed load names the line
// and leaves the record untouched). Random input: fuzz_settings_file.
#include "records/SettingsFile.h"

#include "common/TestRecords.h"
#include "common/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace SettingsFile;

namespace {

using R = clsInstrument;

// Every single-value setting the file carries, each away from its default.
struct Setting {
    void (R::*set)(int16_t);
    int16_t (R::*get)() const;
    int16_t value;
};
// One entry: the setter and getter of a setting and the value it is given.
#define SETTING(name, value)                                                                       \
    { &R::set##name, &R::name, value }
const Setting kSettings[] = {
    SETTING(LSindex, 4),         SETTING(HcMode, 1),        SETTING(AlarmMode, 1),
    SETTING(DispID, 1),          SETTING(dlogOnOff, 1),     SETTING(PeakBar, 1),
    SETTING(DispCalLimit, 1),    SETTING(CalCheck, 2),      SETTING(CalCheckALL, 0),
    SETTING(Confirmation, 12),   SETTING(LunchBreak, 1),    SETTING(AlarmSilence, 1),
    SETTING(LogOverWrite, 1),    SETTING(LcdBackLight, -1), SETTING(PumpOnOffDisp, 1),
    SETTING(BumpFunction, 1),    SETTING(DispBumpLimit, 1), SETTING(BumpLimit, 30),
    SETTING(BumpCheck, 1),       SETTING(BumpTime, 3),      SETTING(BumpThreshold, 4),
    SETTING(BumpFailCalTime, 1), SETTING(BumpFailAfter, 0), SETTING(BumpCheckALL, 0),
    SETTING(LcBhMode, 3),        SETTING(BhTime, 2),        SETTING(LcBuzzer, 1),
    SETTING(AlarmOnOff, 0),      SETTING(StelTwaOnOff, 0),  SETTING(AlarmO2, 2),
    SETTING(CalLimit, 365),      SETTING(Intervals, 600),   SETTING(Lc_PpmAuto, 1),
    SETTING(AutoZero, 1),        SETTING(DemandZero, 1),    SETTING(UseUserPassword, 1),
    SETTING(IsCustom, 1),        SETTING(pressOffset, -2)};
#undef SETTING

// A record in which every setting the file carries differs from the
// defaults of a fresh record, so a setting the reader misses shows up; a few
// lie outside their usual range (negative, above 9, wider than their field).
clsInstrument SampleRecord() {
    clsInstrument r;
    testrecords::SetFourGases(r);
    testrecords::SetChannel(r, 4, "*************************", -101, -101, -101, -101, -101);
    for (const Setting& s : kSettings)
        (r.*s.set)(s.value);
    const int16_t zero[5] = {1, 0, 1, 1, 0};
    for (int ch = 0; ch < 5; ++ch)
        r.setZero(ch, zero[ch]);
    r.setSpecNo(QStringLiteral("SPEC-01"));
    r.setSpecType(QStringLiteral("2"));
    r.setUserPassword2(QStringLiteral("1234"));
    r.setFlowLevel(0x12345);
    r.setLS_Name(0, QStringLiteral("CUSTOM1"));
    r.setLS_FullScale(0, 50);
    r.setLS_Digit(0, 0.01f);
    r.setLS_Point(0, 2);
    r.setLS_Unit(0, QStringLiteral("ppm"));
    r.setLS_Ratio(0, 1.0f);
    return r;
}

QByteArray Crlf(const QStringList& lines) {
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

int IndexOf(const QStringList& lines, const QString& code) {
    for (int i = 0; i < lines.size(); ++i)
        if (lines.at(i).startsWith(code + QStringLiteral(",W,")))
            return i;
    return -1;
}

QString LineOf(const QStringList& lines, const QString& code) {
    return lines.value(IndexOf(lines, code));
}

} // namespace

TEST(SettingsFile, ExactLinesInTheFixedOrder) {
    clsInstrument r = SampleRecord();
    QStringList lines = SettingsFileLines(r);
    const QStringList codes = {"BS", "GJ", "LS", "LP", "AP", "XI", "X7", "EB", "SD", "SM", "SW",
                               "XB", "XL", "XA", "XW", "XT", "X8", "BV", "BJ", "BK", "BL", "BU",
                               "BW", "WB", "AF", "AM", "AT", "A1", "A2", "AS", "AW", "SA", "UZ",
                               "SC", "XP", "UJ", "LE", "SJ", "SG", "MP", "XF", "CP", "HF"};
    ASSERT_EQ(lines.size(), codes.size());
    for (int i = 0; i < codes.size(); ++i)
        EXPECT_TRUE(lines.at(i).startsWith(codes.at(i) + QStringLiteral(",W,"))) << i;
    EXPECT_EQ(LineOf(lines, "BS"), QStringLiteral("BS,W,SPEC-01   "));
    // Name padded to 11, full scale and step in 5 with the channel's
    // decimals, unit padded to 4; a disabled channel is 25 asterisks.
    EXPECT_EQ(LineOf(lines, "GJ"), QStringLiteral("GJ,W,"
                                                  "CH4          100    1%LEL,"
                                                  "O2          40.0  0.1VOL%,"
                                                  "CO           500    1ppm ,"
                                                  "H2S        100.0  0.5ppm ,"
                                                  "*************************,"));
    // First entry LSindex + 1; an unnamed second entry is marked "00".
    EXPECT_EQ(LineOf(lines, "LS"), QStringLiteral("LS,W,05,CUSTOM1   ,50.00, 0.01,ppm ,3F800000,"
                                                  "00,          ,    0,    0,    ,00000000,"));
    EXPECT_EQ(LineOf(lines, "BU"), QStringLiteral("BU,W,3,4,1,0"));
    EXPECT_EQ(LineOf(lines, "WB"), QStringLiteral("WB,W,3,2,1"));
    // Two's complement, hexadecimal "C" (not decimal "12" read as 0x12), and
    // hexadecimal fields that grow beyond their usual width.
    EXPECT_EQ(LineOf(lines, "XT"), QStringLiteral("XT,W,FFFF"));
    EXPECT_EQ(LineOf(lines, "XB"), QStringLiteral("XB,W,C"));
    EXPECT_EQ(LineOf(lines, "XP"), QStringLiteral("XP,W,0258"));
    EXPECT_EQ(LineOf(lines, "CP"), QStringLiteral("CP,W,12345"));
    EXPECT_EQ(LineOf(lines, "HF"), QStringLiteral("HF,W,FFFE"));
    EXPECT_EQ(LineOf(lines, "UZ"), QStringLiteral("UZ,W,10110"));
    EXPECT_EQ(LineOf(lines, "MP"), QStringLiteral("MP,W,1,1234"));

    // Point values with 0 to 3 decimals, shortened to them; a point not set
    // is "*****".
    for (int ch = 0; ch < 4; ++ch)
        r.setGasPoint(ch, static_cast<int16_t>(ch));
    r.setWarning(0, 10);
    r.setWarning(1, 19.46f);
    r.setWarning(2, 1.25f);
    r.setWarning(3, 0.125f);
    r.setWarning(4, -101);
    // A named second LS entry gets the paired index.
    r.setLS_Name(1, QStringLiteral("CUSTOM2"));
    lines = SettingsFileLines(r);
    EXPECT_EQ(LineOf(lines, "A1"), QStringLiteral("A1,W,   10, 19.5, 1.25,0.125,*****,"));
    EXPECT_TRUE(LineOf(lines, "LS").contains(QStringLiteral(",14,CUSTOM2   ,")));
}

TEST(SettingsFile, StoreThenLoadGivesTheSameRecord) {
    testsupport::ScratchDir dir;
    const QString path = dir.file(QStringLiteral("unit.seq"));
    const clsInstrument original = SampleRecord();
    const FileResult stored = StoreSettingsFile(path, original);
    ASSERT_TRUE(stored.ok) << qPrintable(stored.Describe());

    const QByteArray bytes = testsupport::ReadAll(path);
    EXPECT_EQ(bytes.count("\r\n"), 43);
    EXPECT_EQ(bytes.count('\n'), 43);

    clsInstrument loaded; // fresh defaults: every value must come from the file
    const FileResult read = LoadSettingsFile(path, loaded);
    ASSERT_TRUE(read.ok) << qPrintable(read.Describe());

    // Each setting on its own: a line written from the wrong field reads back
    // the same file but not the same record.
    for (const Setting& s : kSettings)
        EXPECT_EQ((loaded.*s.get)(), s.value) << "setting " << (&s - kSettings);
    for (int ch = 0; ch < 5; ++ch) {
        for (float (R::*get)(int) const : {&R::GasFullScale, &R::GasDesit, &R::Warning, &R::Alarm,
                                           &R::Stel, &R::Twa, &R::AutoCalib})
            EXPECT_FLOAT_EQ((loaded.*get)(ch), (original.*get)(ch)) << ch;
        EXPECT_EQ(loaded.GasEnabled(ch), original.GasEnabled(ch)) << ch;
        EXPECT_EQ(loaded.GasPoint(ch), original.GasPoint(ch)) << ch;
        EXPECT_EQ(loaded.Zero(ch), original.Zero(ch)) << ch;
    }
    EXPECT_EQ(loaded.SpecNo(), original.SpecNo());
    EXPECT_EQ(loaded.SpecType(), original.SpecType());
    EXPECT_EQ(loaded.UserPassword2(), original.UserPassword2());
    EXPECT_EQ(loaded.FlowLevel(), original.FlowLevel());
    // Storing the loaded record again gives the same file, apart from the
    // custom-sensor names and values, which are not read back.
    QStringList again = SettingsFileLines(loaded);
    QStringList first = SettingsFileLines(original);
    const int ls = IndexOf(first, QStringLiteral("LS"));
    EXPECT_TRUE(again.at(ls).startsWith(QStringLiteral("LS,W,05,")));
    again.removeAt(ls);
    first.removeAt(ls);
    EXPECT_EQ(again.join('\n').toStdString(), first.join('\n').toStdString());
}

TEST(SettingsFile, BadLineNamesItsNumberAndChangesNothing) {
    const QStringList good = SettingsFileLines(SampleRecord());
    struct Case {
        const char* code;
        QString replacement;
        FileError error;
    };
    const QList<Case> cases = {
        {"XT", QStringLiteral("XT,W,12G4"), FileError::BadHex},
        {"XT", QStringLiteral("XT,W,&H12"), FileError::BadHex},
        {"XT", QStringLiteral("XT,W,10000"), FileError::BadHex},
        {"CP", QStringLiteral("CP,W,-1"), FileError::BadHex},
        {"GJ", QStringLiteral("GJ,W,CH4          100    1%LEL,O2          40.0  0.1VOL"),
         FileError::MissingValue},
        {"GJ",
         QStringLiteral("GJ,W,CH4          100    1%LEL,O2          40.0  0.1VOL%,"
                        "CO           500    1ppm ,H2S        100.0  0.5ppm ,************"),
         FileError::BadGasGroup},
        {"GJ",
         QStringLiteral("GJ,W,CH4          1x0    1%LEL,"
                        "O2          40.0  0.1VOL%,CO           500    1ppm ,"
                        "H2S        100.0  0.5ppm ,*************************,"),
         FileError::BadGasGroup},
        {"GJ", QStringLiteral("GJ,W,CH4          100    1%LEL,"), FileError::MissingValue},
        {"BU", QStringLiteral("BU,W,3,4"), FileError::MissingValue},
        {"LP", QStringLiteral("LP,W,one"), FileError::BadNumber},
        {"AP", QStringLiteral("AP,W,40000"), FileError::BadNumber},
        {"A1", QStringLiteral("A1,W,   10, 19.5"), FileError::MissingValue},
        {"SM", QStringLiteral("SM,R,1"), FileError::NotWriteCommand},
        // A typo in an alarm point must never switch the alarm off, nor may a
        // status word or a hexadecimal number.
        {"A2", QStringLiteral("A2,W,   50,  abc,   50,   30,*****,"), FileError::BadNumber},
        {"A1", QStringLiteral("A1,W,   10, WARN,   25,   10,*****,"), FileError::BadNumber},
        {"SA", QStringLiteral("SA,W,   50,   12,  0x5,   25,*****,"), FileError::BadNumber},
        // A value wider than its field would reach the detector cut.
        {"A2", QStringLiteral("A2,W,100020, 23.5,   50,   30,*****,"), FileError::DoesNotFit},
        {"A2", QStringLiteral("A2,W,  -50, 23.5,   50,   30,*****,"), FileError::DoesNotFit},
        {"BS", QStringLiteral("BS,W,SPEC-0123456"), FileError::DoesNotFit},
        {"GJ",
         QStringLiteral("GJ,W,CH4        100000    1%LEL,O2          40.0  0.1VOL%,"
                        "CO           500    1ppm ,H2S        100.0  0.5ppm ,"
                        "*************************,"),
         FileError::BadGasGroup},
        // A point or span gas value above its channel's full scale (CO: 500).
        {"A2", QStringLiteral("A2,W,   50, 23.5,  501,   30,*****,"), FileError::AboveFullScale},
        {"SA", QStringLiteral("SA,W,   50,   12,   50, 100.5,*****,"), FileError::AboveFullScale},
        // A character the detector does not take.
        {"BS", QStringLiteral("BS,W,SP\u00c9C"), FileError::BadText},
        {"MP", QStringLiteral("MP,W,1,12\t4"), FileError::BadText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.replacement.toStdString());
        QStringList lines = good;
        const int at = IndexOf(lines, QString::fromLatin1(c.code));
        ASSERT_GE(at, 0);
        lines[at] = c.replacement;

        clsInstrument record; // defaults; lines before the bad one must not reach it
        const QStringList before = SettingsFileLines(record);
        const FileResult res = ParseSettingsText(Crlf(lines), QStringLiteral("bad.seq"), record);
        EXPECT_FALSE(res.ok);
        EXPECT_EQ(res.error, c.error);
        EXPECT_EQ(res.line, at + 1);
        EXPECT_EQ(res.fileName, QStringLiteral("bad.seq"));
        EXPECT_TRUE(res.Describe().startsWith(QStringLiteral("bad.seq:%1: ").arg(at + 1)))
            << qPrintable(res.Describe());
        EXPECT_FALSE(res.reason.isEmpty());
        EXPECT_TRUE(SettingsFileLines(record) == before);
        EXPECT_FALSE(record.Change_HCMode()); // not even a change flag moved
    }
}

TEST(SettingsFile, UnknownBlankAndCommentLinesAreSkipped) {
    const QByteArray text = "; stored by hand\n"
                            "\n"
                            "ZZ,W,1,2,3\n"
                            "hello world\n"
                            "lp,w,2 ; lower case code, trailing comment\n"
                            "UZ,W,1,0,1,0,1,\n" // five separate tokens are read too
                            "XP,W,3C";          // last line without a line end
    clsInstrument r;
    const FileResult res = ParseSettingsText(text, QStringLiteral("x.seq"), r);
    ASSERT_TRUE(res.ok) << qPrintable(res.Describe());
    // Lines that are not settings are skipped, but each is reported.
    ASSERT_EQ(res.warnings.size(), 2);
    EXPECT_EQ(res.warnings.at(0).line, 3);
    EXPECT_EQ(res.warnings.at(1).line, 4);
    EXPECT_TRUE(res.DescribeWarnings().at(1).startsWith(QStringLiteral("x.seq:4: ")));
    EXPECT_EQ(r.HcMode(), 2);
    EXPECT_EQ(r.Intervals(), 60);
    EXPECT_EQ(r.Zero(0), 1);
    EXPECT_EQ(r.Zero(1), 0);
    EXPECT_EQ(r.Zero(4), 1);

    // A byte-order mark and LF-only line ends are accepted as well.
    clsInstrument r2;
    const QByteArray bom = "\xEF\xBB\xBF"
                           "AP,W,1\nXL,W,1\n";
    ASSERT_TRUE(ParseSettingsText(bom, QStringLiteral("y.seq"), r2).ok);
    EXPECT_EQ(r2.AlarmMode(), 1);
    EXPECT_EQ(r2.LunchBreak(), 1);
}

TEST(SettingsFile, FilesThatAreNotSettingsAreRefusedWhole) {
    const struct {
        QByteArray text;
        FileError error;
        int line;
    } cases[] = {
        {QByteArray(), FileError::NoSettings, 0},
        {"root:x:0:0:root:/root:/bin/bash\ndaemon:x:1:1::/usr/sbin:/bin/sh\n",
         FileError::NoSettings, 0},
        {"; only a comment\n\nHELLO WORLD\n", FileError::NoSettings, 0},
        {QByteArray("LP,W,1\r\nAP,W,\0"
                    "1\r\n",
                    17),
         FileError::NotText, 0},
        {"LP,W,1\r\nBS,W,\xff\xfe\r\n", FileError::NotText, 0},
        // An over-long line, even of an unknown code, stops the reading there.
        {"LP,W,1\r\nZZ,W," + QByteArray(kMaxLineLength, 'x') + "\r\nAP,W,1\r\n",
         FileError::LineTooLong, 2},
    };
    clsInstrument r;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.left(40).toStdString());
        const FileResult res = ParseSettingsText(c.text, QStringLiteral("n.seq"), r);
        EXPECT_FALSE(res.ok);
        EXPECT_EQ(res.error, c.error);
        EXPECT_EQ(res.line, c.line);
        EXPECT_EQ(r.HcMode(), 0);
    }

    // A file beyond the size limit is refused as a whole without a line.
    testsupport::ScratchDir dir;
    const QString big = dir.file(QStringLiteral("big.seq"));
    const QByteArray line = "LP,W,1\r\n";
    ASSERT_TRUE(testsupport::WriteAll(big, line.repeated(int(kMaxFileBytes / line.size()) + 1)));
    FileResult res = LoadSettingsFile(big, r);
    EXPECT_FALSE(res.ok);
    EXPECT_EQ(res.error, FileError::TooLarge);
    EXPECT_EQ(res.line, 0);
    EXPECT_EQ(res.Describe().left(big.size() + 2), big + QStringLiteral(": "));

    res = LoadSettingsFile(dir.file(QStringLiteral("missing.seq")), r);
    EXPECT_FALSE(res.ok);
    EXPECT_EQ(res.error, FileError::OpenFailed);
}

TEST(SettingsFile, StoreRefusesTextsTheFormatCannotCarryAndKeepsTheOldFile) {
    testsupport::ScratchDir dir;
    const QString path = dir.file(QStringLiteral("keep.seq"));
    ASSERT_TRUE(StoreSettingsFile(path, SampleRecord()).ok);
    const QByteArray before = testsupport::ReadAll(path);

    clsInstrument bad = SampleRecord();
    bad.setGasName(2, QStringLiteral("C;O"));
    EXPECT_FALSE(FindUnstorableText(bad).isEmpty());
    FileResult res = StoreSettingsFile(path, bad);
    EXPECT_FALSE(res.ok);
    EXPECT_EQ(res.error, FileError::UnstorableText);

    bad = SampleRecord();
    bad.setSpecNo(QStringLiteral("A,B"));
    EXPECT_EQ(StoreSettingsFile(path, bad).error, FileError::UnstorableText);

    EXPECT_EQ(testsupport::ReadAll(path), before);

    // A folder that does not exist: a clear failure, no exception.
    res = StoreSettingsFile(dir.file(QStringLiteral("no/such/folder/x.seq")), SampleRecord());
    EXPECT_FALSE(res.ok);
    EXPECT_EQ(res.error, FileError::WriteFailed);
}
