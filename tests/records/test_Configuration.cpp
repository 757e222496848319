// Configuration file: the key table's rules, a full save/load round trip,
// the access-code encoding, damaged files and the replace-on-save write.
#include "app/AppSettings.h"
#include "app/Catalogue.h"
#include "common/TestRecords.h"
#include "common/TestSupport.h"
#include "model/clsInstrument.h"
#include "records/Configuration.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <gtest/gtest.h>

#include <random>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using testsupport::ReadAll;
using testsupport::ScratchDir;
using testsupport::WriteAll;

namespace {

// Loads a file made of the given lines (CRLF) into fresh settings.
struct Loaded {
    AppSettings s;
    clsInstrument d;
    bool ok = false;
};

Loaded LoadBytes(const QByteArray& bytes) {
    ScratchDir dir;
    EXPECT_TRUE(WriteAll(ConfigFilePath(dir.path()), bytes));
    Loaded out;
    out.ok = LoadConfiguration(out.s, out.d, dir.path());
    return out;
}

Loaded LoadLines(const QStringList& lines) {
    return LoadBytes((lines.join(QStringLiteral("\r\n")) + "\r\n").toUtf8());
}

QStringList SavedLines(const AppSettings& s, const clsInstrument& d) {
    ScratchDir dir;
    EXPECT_TRUE(SaveConfiguration(s, d, dir.path()));
    const QString text = QString::fromUtf8(ReadAll(ConfigFilePath(dir.path())));
    EXPECT_TRUE(text.endsWith(QStringLiteral("\r\n")));
    QStringList lines = text.split(QStringLiteral("\r\n"));
    lines.removeLast();
    return lines;
}

// All fields of a gas change entry, to compare entries as a whole.
QString EntryText(const GasChangeEntry& g) {
    return QStringList{QString::number(g.enabled),   g.name,
                       QString::number(g.locked),    g.unit,
                       QString::number(g.fullScale), QString::number(g.digit),
                       QString::number(g.points),    QString::number(g.warning),
                       QString::number(g.alarm),     QString::number(g.stel),
                       QString::number(g.twa),       QString::number(g.autoCal)}
        .join(QLatin1Char('|'));
}

// Every setting away from its initial value.
void FillSettings(AppSettings& s, clsInstrument& d) {
    s.ExecuteCount = 41;
    s.SerialLogEnabled = true;
    s.FactoryRecordSuffix = QStringLiteral("_F2");
    s.IrCommNum = 7;
    s.CommSettings = QStringLiteral("115200,n,8,1");
    s.CommTimeout = 5;
    s.CommRetry = 2;
    s.CommDelay = 250;
    s.AutoLoadEnabled = true;
    s.AutoRemoveEnabled = false;
    s.SharedFont.name = QString::fromUtf8("ＭＳ ゴシック");
    s.SharedFont.size = 10.5f;
    s.SharedFont.bold = true;
    s.SharedFont.italic = false;
    s.SharedFont.underline = true;
    for (int i = 0; i < 4; ++i)
        s.CalibRange[i] = float(100 * (i + 1));
    for (int ch = 0; ch < 5; ++ch) {
        s.GasLocked[ch] = ch % 2 == 0;
        s.FactAutoCal[ch] = 0.5f + ch;
        s.GraphColor[ch] = 0x102030 + ch;
        d.setGasName(ch, QStringLiteral("Gas %1").arg(ch));
        d.setGasEnabled(ch, ch != 3);
        d.setGasPoint(ch, int16_t(ch));
        d.setGasUnit(ch, ch == 4 ? QString::fromUtf8("ｖｏｌ％") : QStringLiteral("ppm"));
        d.setWarning(ch, 10.25f + ch);
        d.setAlarm(ch, 20.5f + ch);
        d.setStel(ch, ch == 2 ? -101.0f : 35.0f);
        d.setTwa(ch, 25.0f - ch);
        d.setGasDesit(ch, 0.1f);
        d.setGasFullScale(ch, 100.0f * (ch + 1));
        d.setAutoCalib(ch, 50.0f + ch);
    }
    d.setCalLimit(45);
    d.setLcdBackLight(10);
    d.setAlarmMode(2);
    d.setIntervals(60);
    d.setDispCalLimit(1);
    d.setCalCheck(1);
    d.setLogOverWrite(0);
    d.setFlowValue(200);
    d.setAlarmO2(2);
    d.setAutoZero(1);
    d.setDemandZero(0);
    d.setUseUserPassword(1);
    s.ConvParam = 0.35f;
    s.ConvEnabled = true;
    for (int ch = 0; ch < 5; ++ch) {
        for (int e = 0; e < 16; ++e) {
            GasChangeEntry& g = s.GasChangeTable[ch][e];
            g.enabled = (ch + e) % 2 == 0;
            g.name = QStringLiteral("C%1E%2").arg(ch).arg(e);
            g.locked = e % 3 == 0;
            g.unit = QStringLiteral("u%1").arg(e);
            g.fullScale = 1000.0f + e;
            g.digit = 0.01f;
            g.points = int16_t(e % 4);
            g.warning = 1.5f * e;
            g.alarm = 2.5f * e;
            g.stel = e == 5 ? -101.0f : 3.0f * e;
            g.twa = 0.125f * e;
            g.autoCal = 7.0f + ch;
        }
    }
    s.MainWindowState = 2;
    s.MainWindowWidth = 9000.5f;
    s.MainWindowHeight = 6120.0f;
    s.PrtWidth[0] = 1.5f;
    s.PrtWidth[1] = 2.0f;
    s.AccessCode = QString::fromUtf8("暗号コード a~!");
    s.CalUnitOnWait = 50;
    s.CalSpanOnWait = 95;
    s.CalSpanOffWait = 40;
    s.CompletelyView = true;
    s.TrendSearchBefore = -20;
    s.TrendSearchAfter = 60;
}

} // namespace

TEST(Configuration, FilePathNeverDoublesTheSeparator) {
    EXPECT_EQ(ConfigFilePath(QStringLiteral("/a/b")), QStringLiteral("/a/b/TQ7350Config.ini"));
    EXPECT_EQ(ConfigFilePath(QStringLiteral("/a/b/")), QStringLiteral("/a/b/TQ7350Config.ini"));
    EXPECT_EQ(ConfigFilePath(QStringLiteral("/")), QStringLiteral("/TQ7350Config.ini"));
    EXPECT_EQ(ConfigFilePath(QString()), QDir::currentPath() + "/TQ7350Config.ini");
}

TEST(Configuration, MissingFileKeepsEverySetting) {
    ScratchDir dir;
    AppSettings s;
    s.CommTimeout = 9;
    clsInstrument d;
    d.setCalLimit(12);
    EXPECT_FALSE(LoadConfiguration(s, d, dir.path()));
    EXPECT_EQ(s.CommTimeout, 9);
    EXPECT_EQ(d.CalLimit(), 12);
}

TEST(Configuration, SavedLinesFollowTheFixedLayoutAndReadBackWhole) {
    AppSettings s;
    clsInstrument d;
    FillSettings(s, d);
    const QStringList lines = SavedLines(s, d);
    ASSERT_GT(lines.size(), 120);
    EXPECT_EQ(lines.mid(0, 2), QStringList({";", ";            TQ-7350 Data logger program"}));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral(";      Last update = ")));
    EXPECT_EQ(lines[3], QStringLiteral(";         Delimiter is tab,comma(,) character"));
    EXPECT_TRUE(lines[6].startsWith(QStringLiteral("; Copyright (C) ")));
    EXPECT_EQ(lines[8], QString());

    // Every key line in its fixed place, each value in its own column: FillSettings
    // gives each setting a value of its own.
    QStringList keyLines;
    for (const QString& line : lines) {
        if (!line.isEmpty() && !line.startsWith(QLatin1Char(';')))
            keyLines << line;
    }
    ASSERT_EQ(keyLines.size(), 14 + 5 + 1 + 80 + 9);
    const QStringList head = {"Execute Count\t42",
                              "Serial Log File\tON",
                              "Factory Record Suffix\t_F2",
                              "IrCOMM Num\t7",
                              "COMM Settings\t115200,n,8,1",
                              "Timeout\t5",
                              "Delay\t250",
                              "Retry\t2",
                              "Auto Load Mode\tTrue\tFalse",
                              QString::fromUtf8("Font\t'ＭＳ ゴシック'\t10.5\tTrue\tFalse\tTrue"),
                              "Graph Color\t0\t0\t0\t0\t1\t0\t0",
                              "Calib. Range\t100\t200\t300\t400",
                              "DefaultValue1\t45\t10\t2\t60\t1\t1",
                              "DefaultValue2\t0\t200\t2\t1\t0\t1"};
    EXPECT_EQ(keyLines.mid(0, 14), head);
    EXPECT_EQ(keyLines.at(14),
              "Gas Inst\t1\t'Gas 0'\tTRUE\tTrue\t0\t'ppm'\t10.25\t20.5\t35\t25\t0.1\t100"
              "\t50\t0.5\t1056816");
    EXPECT_EQ(keyLines.at(16),
              "Gas Inst\t3\t'Gas 2'\tTRUE\tTrue\t2\t'ppm'\t12.25\t22.5\t-101\t23\t0.1"
              "\t300\t52\t2.5\t1056818");
    EXPECT_EQ(keyLines.at(17),
              "Gas Inst\t4\t'Gas 3'\tFALSE\tFalse\t3\t'ppm'\t13.25\t23.5\t35\t22\t0.1"
              "\t400\t53\t3.5\t1056819");
    EXPECT_EQ(keyLines.at(19), "Conv Param\t0.35\tTrue");
    EXPECT_EQ(keyLines.at(20),
              "ChgGas\t1\t1\t'C0E0'\tTRUE\tTrue\t0\t'u0'\t0\t0\t0\t0\t0.01\t1000\t7");
    EXPECT_EQ(keyLines.at(25),
              "ChgGas\t1\t6\t'C0E5'\tFALSE\tFalse\t1\t'u5'\t7.5\t12.5\t-101\t0.625\t0.01\t1005\t7");
    EXPECT_TRUE(keyLines.at(99).startsWith("ChgGas\t5\t16\t'C4E15'\t"));
    const QStringList tail = {"CalUnitOnWait\t50",
                              "CalSpanOnWait\t95",
                              "CalSpanOffWait\t40",
                              "Data Select\tFalse\tFalse\tFalse",
                              "Size Values\t2\t9000.5\t6120",
                              "Prt Width\t1.5\t2",
                              "Completely View\tTrue",
                              "Trend Search\t-20\t60",
                              "TQ-7350\t" + EncodeAccessCode(QString::fromUtf8("暗号コード a~!"))};
    EXPECT_EQ(keyLines.mid(100), tail);

    // Read back and saved again, the file is the same apart from its date and
    // the count: every value came back into its own field.
    Loaded l = LoadLines(lines);
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.s.ExecuteCount, 42);
    EXPECT_FALSE(l.s.ConvEnabled); // never read back as on
    EXPECT_EQ(l.s.UnitText[0], QStringLiteral("%LEL"));
    EXPECT_EQ(l.s.UnitText[1], QStringLiteral("VOL%"));
    l.s.ExecuteCount = s.ExecuteCount;
    l.s.ConvEnabled = s.ConvEnabled;
    QStringList again = SavedLines(l.s, l.d);
    QStringList first = lines;
    again.removeAt(2);
    first.removeAt(2);
    EXPECT_EQ(again, first);

    // Zero link settings are saved as the defaults; the run count stops at
    // the largest Integer instead of overflowing.
    AppSettings zero;
    zero.CommTimeout = zero.CommDelay = zero.CommRetry = 0;
    zero.ExecuteCount = 2147483647;
    const QStringList defaults = SavedLines(zero, d);
    for (const char* line : {"Timeout\t3", "Delay\t300", "Retry\t3", "Execute Count\t2147483647"})
        EXPECT_TRUE(defaults.contains(QLatin1String(line))) << line;
}

TEST(Configuration, RightsNoticeAndAccessCodeFallbackFollowTheLanguage) {
    const CatalogueLanguage before = CurrentCatalogueLanguage();
    SetCatalogueLanguage(CatalogueLanguage::English);
    ASSERT_EQ(LoadMessage(101), QStringLiteral("EN"));
    EXPECT_EQ(AccessCodeFallback(), QStringLiteral("qzv"));
    const QString english = SavedLines(AppSettings{}, clsInstrument{}).at(6);
    SetCatalogueLanguage(CatalogueLanguage::Japanese);
    EXPECT_EQ(AccessCodeFallback(), QStringLiteral("Wupsa"));
    const QString home = SavedLines(AppSettings{}, clsInstrument{}).at(6);
    SetCatalogueLanguage(before);
    EXPECT_NE(english, home);
    EXPECT_TRUE(english.startsWith(QStringLiteral("; ")));
    EXPECT_TRUE(home.startsWith(QStringLiteral("; ")));
}

TEST(Configuration, MalformedValuesTakeTheKeysDefaults) {
    Loaded l = LoadLines({"TIMEOUT\tabc", "Delay\tabc", "IrCOMM Num\t", "IrCOMM Num\tx",
                          "Retry\t1.5", "Execute Count\t1e3", "CalUnitOnWait\t99999",
                          "CalSpanOnWait\t-", "CalSpanOffWait\t2.5", "Font\t'X'\tbig\ttrue",
                          "Trend Search\ta", "Prt Width\t\t2", "Conv Param\tfoo\tTrue",
                          "LimitDays\t40000", "Calib. Range\t1.5\tx\t2.5"});
    ASSERT_TRUE(l.ok);
    // Retry 1.5 rounds to the even 2; 99999 does not fit an Integer.
    EXPECT_EQ(QList<int>({l.s.CommTimeout, l.s.CommDelay, l.s.IrCommNum, l.s.CommRetry,
                          l.s.CalUnitOnWait, l.s.CalSpanOnWait, l.s.CalSpanOffWait,
                          l.s.TrendSearchBefore, l.s.TrendSearchAfter, l.s.LimitDays}),
              QList<int>({3, 100, 4, 2, 120, 120, 2, 0, 0, 0}));
    EXPECT_EQ(l.s.ExecuteCount, 1000);
    EXPECT_EQ(l.s.SharedFont.name, QStringLiteral("X"));
    EXPECT_EQ(l.s.SharedFont.size, 9.0f);
    EXPECT_TRUE(l.s.SharedFont.bold);
    // Consecutive TABs give no empty token.
    EXPECT_EQ(QList<float>({l.s.PrtWidth[0], l.s.PrtWidth[1], l.s.ConvParam, l.s.CalibRange[0],
                            l.s.CalibRange[1], l.s.CalibRange[2], l.s.CalibRange[3]}),
              QList<float>({2, 1, 0.2f, 2, 0, 2, 0}));
    EXPECT_FALSE(l.s.ConvEnabled);

    const clsInstrument d = LoadLines({"DefaultValue1\tx", "DefaultValue2\tx"}).d;
    EXPECT_EQ(
        QList<int>({d.CalLimit(), d.LcdBackLight(), d.AlarmMode(), d.Intervals(), d.LogOverWrite(),
                    d.FlowValue(), d.AlarmO2(), d.DemandZero(), d.UseUserPassword()}),
        QList<int>({90, 30, 1, 5, 1, 128, 1, 1, 0}));
}

TEST(Configuration, KeysCommentsAndLineEndings) {
    Loaded l = LoadLines({"timeout\t7", "RETRY \t9", "; Retry\t8", ";", "Delay\t;note",
                          "COMPLETELY VIEW\ttrue", "Serial Log File\ton", "Unknown Key\t5",
                          "CalUnitOnWait\t61 ; trailing comment", "Size Values\t1\t100\t200"});
    EXPECT_EQ(l.s.CommTimeout, 7);
    EXPECT_EQ(l.s.CommRetry, 3); // a key with a trailing blank is not a key
    EXPECT_EQ(l.s.CommDelay, 0); // only a comment after the key: skipped
    EXPECT_TRUE(l.s.CompletelyView);
    EXPECT_TRUE(l.s.SerialLogEnabled);
    EXPECT_EQ(l.s.CalUnitOnWait, 61);
    EXPECT_EQ(l.s.MainWindowState, 0); // state 1 becomes 0
    EXPECT_EQ(l.s.MainWindowWidth, 100.0f);
    EXPECT_EQ(l.s.MainWindowHeight, 200.0f);

    l = LoadLines({"Size Values\t2\tw\th"});
    EXPECT_EQ(l.s.MainWindowState, 2);
    EXPECT_EQ(l.s.MainWindowWidth, 7680.0f);
    EXPECT_EQ(LoadLines({"Size Values\t3"}).s.MainWindowState, 0);

    // LF only, CR only, and a byte-order mark before the first key.
    for (const QByteArray& bytes :
         {QByteArray("Timeout\t6\nRetry\t5\n"), QByteArray("Timeout\t6\rRetry\t5"),
          QByteArray("\xEF\xBB\xBFTimeout\t6\r\nRetry\t5\r\n")}) {
        l = LoadBytes(bytes);
        ASSERT_TRUE(l.ok);
        EXPECT_EQ(l.s.CommTimeout, 6);
        EXPECT_EQ(l.s.CommRetry, 5);
    }
}

TEST(Configuration, GasInstAndChgGasLines) {
    Loaded l =
        LoadLines({"Gas Inst\tx\t'Bad'\tTRUE",
                   "Gas Inst\t2\t'O2'\tTRUE\tTrue\t1\t'vol%'\t19.5\t18\t-1\t-1"
                   "\t0.1\t25\t20.9\t20.9\t255",
                   "Gas Inst\t0\t'Zero'", "Gas Inst\t6\t'Six'", "Gas Inst\t-3\t'Neg'",
                   "Gas Inst\t99999999\t'Huge'", "ChgGas\t1\tx\t'Bad'",
                   "ChgGas\t6\t17\t'Last'\tTRUE\tFalse\t2\t'ppm'\t1\t2\t-1\t-1\t0.5\t300\t150",
                   "ChgGas\t7\t1\t'Out'", "ChgGas\t1\t18\t'Out'", "ChgGas\t1\t0\t'Out'",
                   "ChgGas\t0\t1\t'Out'"});
    ASSERT_TRUE(l.ok);
    clsInstrument fresh;
    for (int ch : {0, 2, 3, 4})
        EXPECT_EQ(l.d.GasName(ch), fresh.GasName(ch)) << ch;
    // Channel 2 saved again gives the line back, its -1 points as -101.
    EXPECT_TRUE(SavedLines(l.s, l.d).contains(
        QStringLiteral("Gas Inst\t2\t'O2'\tTRUE\tTrue\t1\t'vol%'\t19.5\t18"
                       "\t-101\t-101\t0.1\t25\t20.9\t20.9\t255")));
    EXPECT_EQ(l.d.Alarm(5), fresh.Alarm(5));
    EXPECT_FALSE(l.s.GasLocked[5]);

    EXPECT_EQ(EntryText(l.s.GasChangeTable[5][16]), "1|Last|0|ppm|300|0.5|2|1|2|-101|-101|150");
    for (int ch = 0; ch < kGasChangeChannels; ++ch) {
        for (int e = 0; e < kGasChangeEntries; ++e) {
            if (ch != 5 || e != 16) {
                EXPECT_TRUE(l.s.GasChangeTable[ch][e].name.isEmpty()) << ch << "/" << e;
            }
        }
    }
}

TEST(Configuration, TextFieldsThatWouldBreakTheLineAreMended) {
    AppSettings s;
    clsInstrument d;
    d.setGasName(0, QStringLiteral("it's\tgas"));
    s.FactoryRecordSuffix = QStringLiteral("a;b");
    s.CommSettings = QStringLiteral("9600,n,8,1\r\nTimeout\t1");
    const Loaded l = LoadLines(SavedLines(s, d));
    EXPECT_EQ(l.d.GasName(0), QString::fromUtf8("it’s gas"));
    EXPECT_EQ(l.s.FactoryRecordSuffix, QStringLiteral("a;b"));
    EXPECT_EQ(l.s.CommTimeout, 3); // no smuggled line
    EXPECT_EQ(l.s.CommSettings, QStringLiteral("9600,n,8,1  Timeout 1"));
}

TEST(Configuration, CodeTextEncoderAndDecoder) {
    EXPECT_EQ(EncodeCodeText(QStringLiteral("A")), QStringLiteral("GJ")); // 65: 1+70, 4+70
    EXPECT_EQ(EncodeCodeText(QStringLiteral("AA")), QStringLiteral("GJHJ"));
    for (const QString& code :
         {QString(), QStringLiteral("8261"), QStringLiteral("qzv"), QStringLiteral("Wupsa"),
          QStringLiteral("a b~!"), QString::fromUtf8("暗号コード")}) {
        const QString stored = EncodeAccessCode(code);
        EXPECT_EQ(stored.size(), code.size() * 4);
        for (const QChar ch : stored)
            EXPECT_GE(ch.unicode(), 'F');
        bool ok = false;
        EXPECT_EQ(DecodeAccessCode(stored, &ok), code);
        EXPECT_TRUE(ok);
    }
    for (const QString& garbage :
         {QStringLiteral("GJH"), QStringLiteral("ABCD"), QStringLiteral("G\tHJ"),
          QStringLiteral("FFFF"), QString::fromUtf16(u"G\uFFFF"), QStringLiteral("8261")}) {
        bool ok = true;
        const QString out = DecodeAccessCode(garbage, &ok);
        EXPECT_FALSE(ok) << garbage.toStdString();
        EXPECT_TRUE(out.isEmpty());
    }

    // Text no save wrote may still decode to something; it must not crash.
    DecodeAccessCode(QStringLiteral("zzzzzzzz"));
    DecodeAccessCode(QString(4001, QChar(0xFFFF)));

    // A damaged code in the file leaves the code in memory alone; the empty
    // code is saved as '' and replaces it.
    EXPECT_EQ(LoadLines({"TQ-7350\tABC"}).s.AccessCode, AppSettings().AccessCode);
    AppSettings empty;
    empty.AccessCode.clear();
    const QStringList saved = SavedLines(empty, clsInstrument());
    EXPECT_EQ(saved.last(), QStringLiteral("TQ-7350\t''"));
    EXPECT_TRUE(LoadLines(saved).s.AccessCode.isEmpty());
}

TEST(Configuration, DamagedFilesNeverCrash) {
    AppSettings saved;
    clsInstrument savedDefaults;
    FillSettings(saved, savedDefaults);
    const QByteArray whole = (SavedLines(saved, savedDefaults).join("\r\n") + "\r\n").toUtf8();

    // Cut in the middle of a line: what came before is read.
    Loaded l = LoadBytes(whole.left(whole.indexOf("ChgGas\t3\t4\t") + 9));
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.s.CommRetry, 2);
    EXPECT_EQ(l.d.GasName(4), QStringLiteral("Gas 4"));
    EXPECT_EQ(l.s.GasChangeTable[2][2].name, QStringLiteral("C2E2"));
    EXPECT_TRUE(l.s.GasChangeTable[2][3].name.isEmpty());
    EXPECT_EQ(l.s.CalUnitOnWait, 45);

    // Binary garbage lines between good ones.
    std::mt19937 random(7350);
    for (int round = 0; round < 20; ++round) {
        QByteArray bytes = "Timeout\t8\r\n";
        for (int line = 0; line < 50; ++line) {
            QByteArray junk(int(random() % 300), '\0');
            for (char& c : junk)
                c = char(random() % 256);
            if (line % 5 == 0)
                junk.prepend(line % 2 ? "Gas Inst\t" : "ChgGas\t");
            bytes += junk + "\r\n";
        }
        l = LoadBytes(bytes + "\nRetry\t9\r\n");
        ASSERT_TRUE(l.ok);
        EXPECT_EQ(l.s.CommRetry, 9);
    }

    // A huge file: only its first megabyte is read.
    l = LoadBytes("Timeout\t8\r\n" + QByteArray(1100 * 1024, ';') + "\r\nRetry\t9\r\n");
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.s.CommTimeout, 8);
    EXPECT_EQ(l.s.CommRetry, 3);
}

TEST(Configuration, SaveReplacesTheFileWholeOrNotAtAll) {
    ScratchDir dir;
    const QString path = ConfigFilePath(dir.path());
    ASSERT_TRUE(WriteAll(path, "old content\r\n"));
    AppSettings s;
    ASSERT_TRUE(SaveConfiguration(s, clsInstrument{}, dir.path()));
    const QByteArray written = ReadAll(path);
    EXPECT_TRUE(written.startsWith(";\r\n"));
    EXPECT_FALSE(written.contains("old content"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("TQ7350Config.ini")});

    // A folder that cannot exist (its parent is a file).
    const QString notAFolder = dir.file(QStringLiteral("TQ7350Config.ini"));
    EXPECT_FALSE(SaveConfiguration(s, clsInstrument{}, notAFolder));
    EXPECT_EQ(ReadAll(path), written);

#ifdef Q_OS_UNIX
    // The write itself fails (file size limit): the previous file survives
    // unchanged and no half-written file is left behind.
    ASSERT_TRUE(WriteAll(path, "Timeout\t7\r\n"));
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 2048;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = SaveConfiguration(s, clsInstrument{}, dir.path());
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadAll(path), QByteArray("Timeout\t7\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("TQ7350Config.ini")});
#endif
}
