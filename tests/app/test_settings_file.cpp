// Settings file: exact lines, store -> load round trip, and the reader's
// handling of bad, unknown, over-long and garbage input (a failed load names
// the line and leaves the record untouched).
#include "app/SettingsFile.h"

#include "common/TestSupport.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"

#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace SettingsFile;

namespace {

void SetChannel(clsInstrument& r, int ch, const char* descriptor, float warning, float alarm,
                float stel, float twa, float autoCal) {
    modGasCommon::ApplyChannelDescriptor(QString::fromLatin1(descriptor), r, ch);
    r.setWarning(ch, warning);
    r.setAlarm(ch, alarm);
    r.setStel(ch, stel);
    r.setTwa(ch, twa);
    r.setAutoCalib(ch, autoCal);
}

// A record in which every setting the file carries differs from the
// defaults of a fresh record, so a setting the reader misses shows up.
clsInstrument SampleRecord() {
    clsInstrument r;
    SetChannel(r, 0, "CH4          100    1%LEL", 10, 50, -101, -101, 50);
    SetChannel(r, 1, "O2          40.0  0.1VOL%", 19.5f, 23.5f, -101, -101, 12);
    SetChannel(r, 2, "CO           500    1ppm ", 25, 50, 200, 25, 50);
    SetChannel(r, 3, "H2S        100.0  0.5ppm ", 10, 30, 15, 10, 25);
    SetChannel(r, 4, "*************************", -101, -101, -101, -101, -101);
    r.setSpecNo(QStringLiteral("SPEC-01"));
    r.setLSindex(4);
    r.setLS_Name(0, QStringLiteral("CUSTOM1"));
    r.setLS_FullScale(0, 50);
    r.setLS_Digit(0, 0.01f);
    r.setLS_Point(0, 2);
    r.setLS_Unit(0, QStringLiteral("ppm"));
    r.setLS_Ratio(0, 1.0f);
    r.setHcMode(1);
    r.setAlarmMode(1);
    r.setDispID(1);
    r.setdlogOnOff(1);
    r.setPeakBar(1);
    r.setDispCalLimit(1);
    r.setCalCheck(2);
    r.setCalCheckALL(0);
    r.setConfirmation(1);
    r.setLunchBreak(1);
    r.setAlarmSilence(1);
    r.setLogOverWrite(1);
    r.setLcdBackLight(255);
    r.setPumpOnOffDisp(1);
    r.setBumpFunction(1);
    r.setDispBumpLimit(1);
    r.setBumpLimit(30);
    r.setBumpCheck(1);
    r.setBumpTime(3);
    r.setBumpThreshold(4);
    r.setBumpFailCalTime(1);
    r.setBumpFailAfter(0);
    r.setBumpCheckALL(0);
    r.setLcBhMode(3);
    r.setBhTime(2);
    r.setLcBuzzer(1);
    r.setAlarmOnOff(0);
    r.setStelTwaOnOff(0);
    r.setAlarmO2(2);
    const int16_t zero[5] = {1, 0, 1, 1, 0};
    for (int ch = 0; ch < 5; ++ch)
        r.setZero(ch, zero[ch]);
    r.setCalLimit(365);
    r.setIntervals(600);
    r.setSpecType(QStringLiteral("2"));
    r.setLc_PpmAuto(1);
    r.setAutoZero(1);
    r.setDemandZero(1);
    r.setUseUserPassword(1);
    r.setUserPassword2(QStringLiteral("1234"));
    r.setIsCustom(1);
    r.setFlowLevel(0x1234);
    r.setpressOffset(0x7F);
    return r;
}

QByteArray Crlf(const QStringList& lines) {
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

QString LineOf(const QStringList& lines, const QString& code) {
    for (const QString& l : lines)
        if (l.startsWith(code + QStringLiteral(",W,")))
            return l;
    return QString();
}

int IndexOf(const QStringList& lines, const QString& code) {
    for (int i = 0; i < lines.size(); ++i)
        if (lines.at(i).startsWith(code + QStringLiteral(",W,")))
            return i;
    return -1;
}

} // namespace

TEST(SettingsFile, LinesComeInTheFixedOrder) {
    const QStringList lines = SettingsFileLines(SampleRecord());
    const QStringList codes = {"BS", "GJ", "LS", "LP", "AP", "XI", "X7", "EB", "SD", "SM", "SW",
                               "XB", "XL", "XA", "XW", "XT", "X8", "BV", "BJ", "BK", "BL", "BU",
                               "BW", "WB", "AF", "AM", "AT", "A1", "A2", "AS", "AW", "SA", "UZ",
                               "SC", "XP", "UJ", "LE", "SJ", "SG", "MP", "XF", "CP", "HF"};
    ASSERT_EQ(lines.size(), codes.size());
    for (int i = 0; i < codes.size(); ++i)
        EXPECT_TRUE(lines.at(i).startsWith(codes.at(i) + QStringLiteral(",W,"))) << i;
}

TEST(SettingsFile, ExactLineTexts) {
    clsInstrument r = SampleRecord();
    QStringList lines = SettingsFileLines(r);
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
    EXPECT_EQ(LineOf(lines, "XT"), QStringLiteral("XT,W,00FF"));
    EXPECT_EQ(LineOf(lines, "SC"), QStringLiteral("SC,W,016D"));
    EXPECT_EQ(LineOf(lines, "XP"), QStringLiteral("XP,W,0258"));
    EXPECT_EQ(LineOf(lines, "CP"), QStringLiteral("CP,W,1234"));
    EXPECT_EQ(LineOf(lines, "HF"), QStringLiteral("HF,W,7F"));
    EXPECT_EQ(LineOf(lines, "UZ"), QStringLiteral("UZ,W,10110"));
    EXPECT_EQ(LineOf(lines, "MP"), QStringLiteral("MP,W,1,1234"));
    EXPECT_EQ(LineOf(lines, "SD"), QStringLiteral("SD,W,1"));
    EXPECT_EQ(LineOf(lines, "UJ"), QStringLiteral("UJ,W,2"));

    // Point values with 0 to 3 decimals; a point not set is "*****".
    for (int ch = 0; ch < 4; ++ch)
        r.setGasPoint(ch, static_cast<int16_t>(ch));
    r.setWarning(0, 10);
    r.setWarning(1, 19.5f);
    r.setWarning(2, 1.25f);
    r.setWarning(3, 0.125f);
    r.setWarning(4, -101);
    // A named second LS entry gets the paired index; negative 16-bit values
    // are written in two's complement.
    r.setLS_Name(1, QStringLiteral("CUSTOM2"));
    r.setLcdBackLight(-1);
    r.setpressOffset(300);
    r.setFlowLevel(0x12345);
    lines = SettingsFileLines(r);
    EXPECT_EQ(LineOf(lines, "A1"), QStringLiteral("A1,W,   10, 19.5, 1.25,0.125,*****,"));
    EXPECT_TRUE(LineOf(lines, "LS").contains(QStringLiteral(",14,CUSTOM2   ,")));
    EXPECT_EQ(LineOf(lines, "XT"), QStringLiteral("XT,W,FFFF"));
    EXPECT_EQ(LineOf(lines, "HF"), QStringLiteral("HF,W,12C"));
    EXPECT_EQ(LineOf(lines, "CP"), QStringLiteral("CP,W,12345"));
}

TEST(SettingsFile, StoreThenLoadGivesTheSameRecord) {
    testsupport::ScratchDir dir;
    const QString path = dir.file(QStringLiteral("unit.seq"));
    const clsInstrument original = SampleRecord();
    const FileResult stored = StoreSettingsFile(path, original);
    ASSERT_TRUE(stored.ok) << qPrintable(stored.Describe());

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("BS,W,SPEC-01   \r\nGJ,W,"));
    EXPECT_TRUE(bytes.endsWith("HF,W,7F\r\n"));
    EXPECT_EQ(bytes.count("\r\n"), bytes.count('\n'));

    clsInstrument loaded; // fresh defaults: every value must come from the file
    const FileResult read = LoadSettingsFile(path, loaded);
    ASSERT_TRUE(read.ok) << qPrintable(read.Describe());

    for (int ch = 0; ch < 5; ++ch) {
        SCOPED_TRACE(ch);
        EXPECT_EQ(loaded.GasEnabled(ch), original.GasEnabled(ch));
        EXPECT_EQ(loaded.GasName(ch), original.GasName(ch));
        EXPECT_EQ(loaded.GasUnit(ch), original.GasUnit(ch));
        EXPECT_EQ(loaded.GasPoint(ch), original.GasPoint(ch));
        EXPECT_FLOAT_EQ(loaded.GasFullScale(ch), original.GasFullScale(ch));
        EXPECT_FLOAT_EQ(loaded.GasDesit(ch), original.GasDesit(ch));
        EXPECT_FLOAT_EQ(loaded.Warning(ch), original.Warning(ch));
        EXPECT_FLOAT_EQ(loaded.Alarm(ch), original.Alarm(ch));
        EXPECT_FLOAT_EQ(loaded.Stel(ch), original.Stel(ch));
        EXPECT_FLOAT_EQ(loaded.Twa(ch), original.Twa(ch));
        EXPECT_FLOAT_EQ(loaded.AutoCalib(ch), original.AutoCalib(ch));
        EXPECT_EQ(loaded.Zero(ch), original.Zero(ch));
    }
    EXPECT_EQ(loaded.SpecNo(), original.SpecNo());
    EXPECT_EQ(loaded.LSindex(), original.LSindex());
    EXPECT_EQ(loaded.HcMode(), original.HcMode());
    EXPECT_EQ(loaded.AlarmMode(), original.AlarmMode());
    EXPECT_EQ(loaded.DispID(), original.DispID());
    EXPECT_EQ(loaded.dlogOnOff(), original.dlogOnOff());
    EXPECT_EQ(loaded.PeakBar(), original.PeakBar());
    EXPECT_EQ(loaded.DispCalLimit(), original.DispCalLimit());
    EXPECT_EQ(loaded.CalCheck(), original.CalCheck());
    EXPECT_EQ(loaded.CalCheckALL(), original.CalCheckALL());
    EXPECT_EQ(loaded.Confirmation(), original.Confirmation());
    EXPECT_EQ(loaded.LunchBreak(), original.LunchBreak());
    EXPECT_EQ(loaded.AlarmSilence(), original.AlarmSilence());
    EXPECT_EQ(loaded.LogOverWrite(), original.LogOverWrite());
    EXPECT_EQ(loaded.LcdBackLight(), original.LcdBackLight());
    EXPECT_EQ(loaded.PumpOnOffDisp(), original.PumpOnOffDisp());
    EXPECT_EQ(loaded.BumpFunction(), original.BumpFunction());
    EXPECT_EQ(loaded.DispBumpLimit(), original.DispBumpLimit());
    EXPECT_EQ(loaded.BumpLimit(), original.BumpLimit());
    EXPECT_EQ(loaded.BumpCheck(), original.BumpCheck());
    EXPECT_EQ(loaded.BumpTime(), original.BumpTime());
    EXPECT_EQ(loaded.BumpThreshold(), original.BumpThreshold());
    EXPECT_EQ(loaded.BumpFailCalTime(), original.BumpFailCalTime());
    EXPECT_EQ(loaded.BumpFailAfter(), original.BumpFailAfter());
    EXPECT_EQ(loaded.BumpCheckALL(), original.BumpCheckALL());
    EXPECT_EQ(loaded.LcBhMode(), original.LcBhMode());
    EXPECT_EQ(loaded.BhTime(), original.BhTime());
    EXPECT_EQ(loaded.LcBuzzer(), original.LcBuzzer());
    EXPECT_EQ(loaded.AlarmOnOff(), original.AlarmOnOff());
    EXPECT_EQ(loaded.StelTwaOnOff(), original.StelTwaOnOff());
    EXPECT_EQ(loaded.AlarmO2(), original.AlarmO2());
    EXPECT_EQ(loaded.CalLimit(), original.CalLimit());
    EXPECT_EQ(loaded.Intervals(), original.Intervals());
    EXPECT_EQ(loaded.SpecType(), original.SpecType());
    EXPECT_EQ(loaded.Lc_PpmAuto(), original.Lc_PpmAuto());
    EXPECT_EQ(loaded.AutoZero(), original.AutoZero());
    EXPECT_EQ(loaded.DemandZero(), original.DemandZero());
    EXPECT_EQ(loaded.UseUserPassword(), original.UseUserPassword());
    EXPECT_EQ(loaded.UserPassword2(), original.UserPassword2());
    EXPECT_EQ(loaded.IsCustom(), original.IsCustom());
    EXPECT_EQ(loaded.FlowLevel(), original.FlowLevel());
    EXPECT_EQ(loaded.pressOffset(), original.pressOffset());
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

TEST(SettingsFile, ValuesOutsideTheUsualRangeSurviveTheRoundTrip) {
    clsInstrument r = SampleRecord();
    r.setLcdBackLight(-1);   // "FFFF"
    r.setConfirmation(12);   // hexadecimal "C", not decimal "12" read as 0x12
    r.setpressOffset(-2);    // "FFFE"
    r.setFlowLevel(-5);      // eight digits
    r.setFlowLevel(0x12345); // more than four digits
    r.setWarning(3, 12.36f); // shortened to the channel's one decimal
    clsInstrument loaded;
    const FileResult res = ParseSettingsText(Crlf(SettingsFileLines(r)), "x.seq", loaded);
    ASSERT_TRUE(res.ok) << qPrintable(res.Describe());
    EXPECT_EQ(loaded.LcdBackLight(), -1);
    EXPECT_EQ(loaded.Confirmation(), 12);
    EXPECT_EQ(loaded.pressOffset(), -2);
    EXPECT_EQ(loaded.FlowLevel(), 0x12345);
    EXPECT_FLOAT_EQ(loaded.Warning(3), 12.4f);
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

TEST(SettingsFile, InputIsBounded) {
    // An over-long line, even of an unknown code, stops the reading there.
    clsInstrument r;
    QByteArray text = "LP,W,1\r\nZZ,W," + QByteArray(kMaxLineLength, 'x') + "\r\nAP,W,1\r\n";
    FileResult res = ParseSettingsText(text, QStringLiteral("long.seq"), r);
    EXPECT_FALSE(res.ok);
    EXPECT_EQ(res.error, FileError::LineTooLong);
    EXPECT_EQ(res.line, 2);
    EXPECT_EQ(r.HcMode(), 0);

    // A file beyond the size limit is refused as a whole without a line.
    testsupport::ScratchDir dir;
    const QString big = dir.file(QStringLiteral("big.seq"));
    {
        QFile f(big);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        const QByteArray line = "LP,W,1\r\n";
        for (qint64 n = 0; n <= kMaxFileBytes / line.size(); ++n)
            f.write(line);
    }
    res = LoadSettingsFile(big, r);
    EXPECT_FALSE(res.ok);
    EXPECT_EQ(res.error, FileError::TooLarge);
    EXPECT_EQ(res.line, 0);
    EXPECT_EQ(res.Describe().left(big.size() + 2), big + QStringLiteral(": "));

    res = LoadSettingsFile(dir.file(QStringLiteral("missing.seq")), r);
    EXPECT_FALSE(res.ok);
    EXPECT_EQ(res.error, FileError::OpenFailed);
}

TEST(SettingsFile, GarbageNeverCrashesAndFailuresChangeNothing) {
    const QStringList good = SettingsFileLines(SampleRecord());
    QRandomGenerator rng(7350);
    int failures = 0;
    for (int round = 0; round < 400; ++round) {
        QByteArray text;
        if (round % 2 == 0) {
            // A valid file with a few bytes of one line replaced at random.
            QStringList lines = good;
            const int at = static_cast<int>(rng.bounded(lines.size()));
            QByteArray line = lines.at(at).toUtf8();
            for (int k = 0; k < 3; ++k)
                line[static_cast<int>(rng.bounded(line.size()))] =
                    static_cast<char>(rng.bounded(256));
            lines[at] = QString::fromUtf8(line);
            text = Crlf(lines);
        } else {
            text.resize(static_cast<int>(rng.bounded(600)));
            for (char& c : text)
                c = static_cast<char>(rng.bounded(256));
        }
        clsInstrument record;
        const QStringList before = SettingsFileLines(record);
        const FileResult res = ParseSettingsText(text, QStringLiteral("g.seq"), record);
        if (!res.ok) {
            ++failures;
            EXPECT_GT(res.line, 0);
            EXPECT_FALSE(res.reason.isEmpty());
            EXPECT_TRUE(SettingsFileLines(record) == before);
        }
    }
    EXPECT_GT(failures, 0);
}

TEST(SettingsFile, StoreRefusesTextsTheFormatCannotCarryAndKeepsTheOldFile) {
    testsupport::ScratchDir dir;
    const QString path = dir.file(QStringLiteral("keep.seq"));
    ASSERT_TRUE(StoreSettingsFile(path, SampleRecord()).ok);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();

    clsInstrument bad = SampleRecord();
    bad.setGasName(2, QStringLiteral("C;O"));
    EXPECT_FALSE(FindUnstorableText(bad).isEmpty());
    FileResult res = StoreSettingsFile(path, bad);
    EXPECT_FALSE(res.ok);
    EXPECT_EQ(res.error, FileError::UnstorableText);

    bad = SampleRecord();
    bad.setSpecNo(QStringLiteral("A,B"));
    EXPECT_EQ(StoreSettingsFile(path, bad).error, FileError::UnstorableText);

    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);

    // A folder that does not exist: a clear failure, no exception.
    res = StoreSettingsFile(dir.file(QStringLiteral("no/such/folder/x.seq")), SampleRecord());
    EXPECT_FALSE(res.ok);
    EXPECT_EQ(res.error, FileError::WriteFailed);
}
