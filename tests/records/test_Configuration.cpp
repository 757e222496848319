// Configuration file: the key table's rules, a full save/load round trip,
// the access-code encoding, damaged files and the replace-on-save write.
#include "common/TestRecords.h"
#include "app/AppSettings.h"
#include "app/Catalogue.h"
#include "records/Configuration.h"
#include "common/TestSupport.h"
#include "model/clsInstrument.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <gtest/gtest.h>

#include <random>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using testsupport::ScratchDir;
using A = AppSettings;
using R = clsInstrument;

namespace {

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// Loads a file made of the given lines (CRLF) into fresh settings.
struct Loaded {
    AppSettings s;
    clsInstrument d;
    bool ok = false;
};

Loaded LoadLines(const QStringList& lines) {
    ScratchDir dir;
    WriteFile(ConfigFilePath(dir.path()), (lines.join(QStringLiteral("\r\n")) + "\r\n").toUtf8());
    Loaded out;
    out.ok = LoadConfiguration(out.s, out.d, dir.path());
    return out;
}

QStringList SavedLines(const AppSettings& s, const clsInstrument& d) {
    ScratchDir dir;
    EXPECT_TRUE(SaveConfiguration(s, d, dir.path()));
    const QString text = QString::fromUtf8(ReadFile(ConfigFilePath(dir.path())));
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
    s.AccessCode = QStringLiteral("Secret7");
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

TEST(Configuration, RoundTripOfEverySettingAndTheDefaultsRecord) {
    ScratchDir dir;
    AppSettings s;
    clsInstrument d;
    FillSettings(s, d);
    ASSERT_TRUE(SaveConfiguration(s, d, dir.path()));

    AppSettings r;
    clsInstrument rd;
    ASSERT_TRUE(LoadConfiguration(r, rd, dir.path()));
    EXPECT_EQ(r.ExecuteCount, 42);
    EXPECT_FALSE(r.ConvEnabled); // never read back as on
    EXPECT_EQ(r.UnitText[0], QStringLiteral("%LEL"));
    EXPECT_EQ(r.UnitText[1], QStringLiteral("VOL%"));
    // Each value on its own, as FillSettings gives each a value of its own: a
    // line written from the wrong field would still save the same file again.
    for (int16_t A::*m : {&A::IrCommNum, &A::CommTimeout, &A::CommRetry, &A::CommDelay,
                          &A::MainWindowState, &A::CalUnitOnWait, &A::CalSpanOnWait,
                          &A::CalSpanOffWait, &A::TrendSearchBefore, &A::TrendSearchAfter})
        EXPECT_EQ(r.*m, s.*m);
    for (float A::*m : {&A::ConvParam, &A::MainWindowWidth, &A::MainWindowHeight})
        EXPECT_EQ(r.*m, s.*m);
    for (bool A::*m :
         {&A::SerialLogEnabled, &A::AutoLoadEnabled, &A::AutoRemoveEnabled, &A::CompletelyView})
        EXPECT_EQ(r.*m, s.*m);
    for (QString A::*m : {&A::FactoryRecordSuffix, &A::CommSettings, &A::AccessCode})
        EXPECT_EQ(r.*m, s.*m);
    EXPECT_EQ(r.SharedFont.name, s.SharedFont.name);
    EXPECT_EQ(r.SharedFont.size, 10.5f);
    EXPECT_TRUE(r.SharedFont.bold);
    EXPECT_FALSE(r.SharedFont.italic);
    EXPECT_TRUE(r.SharedFont.underline);
    EXPECT_EQ(r.PrtWidth[0], 1.5f);
    EXPECT_EQ(r.PrtWidth[1], 2.0f);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(r.CalibRange[i], s.CalibRange[i]);
    for (int16_t (R::*get)() const :
         {&R::CalLimit, &R::LcdBackLight, &R::AlarmMode, &R::Intervals, &R::DispCalLimit,
          &R::CalCheck, &R::LogOverWrite, &R::FlowValue, &R::AlarmO2, &R::AutoZero, &R::DemandZero,
          &R::UseUserPassword})
        EXPECT_EQ((rd.*get)(), (d.*get)());
    for (int ch = 0; ch < 5; ++ch) {
        for (float (R::*get)(int) const : {&R::Warning, &R::Alarm, &R::Stel, &R::Twa, &R::GasDesit,
                                           &R::GasFullScale, &R::AutoCalib})
            EXPECT_EQ((rd.*get)(ch), (d.*get)(ch)) << ch;
        EXPECT_EQ(rd.GasName(ch), d.GasName(ch));
        EXPECT_EQ(rd.GasUnit(ch), d.GasUnit(ch));
        EXPECT_EQ(rd.GasEnabled(ch), d.GasEnabled(ch));
        EXPECT_EQ(rd.GasPoint(ch), d.GasPoint(ch));
        EXPECT_EQ(r.GasLocked[ch], s.GasLocked[ch]);
        EXPECT_EQ(r.FactAutoCal[ch], s.FactAutoCal[ch]);
        EXPECT_EQ(r.GraphColor[ch], s.GraphColor[ch]);
        for (int e = 0; e < 16; ++e)
            EXPECT_EQ(EntryText(r.GasChangeTable[ch][e]), EntryText(s.GasChangeTable[ch][e]));
    }

    // A second save of what was read gives the same file apart from the
    // date line and the count.
    ScratchDir again;
    r.ExecuteCount = s.ExecuteCount;
    r.ConvEnabled = s.ConvEnabled;
    ASSERT_TRUE(SaveConfiguration(r, rd, again.path()));
    QStringList first = QString::fromUtf8(ReadFile(ConfigFilePath(dir.path()))).split("\r\n");
    QStringList second = QString::fromUtf8(ReadFile(ConfigFilePath(again.path()))).split("\r\n");
    ASSERT_EQ(first.size(), second.size());
    first.removeAt(2);
    second.removeAt(2);
    EXPECT_EQ(first, second);
}

TEST(Configuration, WrittenLinesFollowTheFixedLayout) {
    AppSettings s;
    clsInstrument d;
    s.CommTimeout = 0;
    s.CommRetry = 0;
    s.CommDelay = 0;
    s.AutoLoadEnabled = false;
    s.AutoRemoveEnabled = true;
    s.SharedFont.name = QStringLiteral("Arial");
    s.AccessCode = QStringLiteral("8261");
    testrecords::SetChannel(d, 0, "CH4        100.0  0.1%LEL", 10, 20, -101, -101, 50);
    s.GasLocked[0] = true;
    const QStringList lines = SavedLines(s, d);
    ASSERT_GT(lines.size(), 120);

    EXPECT_EQ(lines[0], QStringLiteral(";"));
    EXPECT_EQ(lines[1], QStringLiteral(";            TQ-7350 Data logger program"));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral(";      Last update = ")));
    EXPECT_EQ(lines[3], QStringLiteral(";         Delimiter is tab,comma(,) character"));
    EXPECT_TRUE(lines[6].startsWith(QStringLiteral("; Copyright (C) ")));
    EXPECT_EQ(lines[8], QString());
    EXPECT_EQ(lines[9], QStringLiteral("Execute Count\t1"));
    EXPECT_EQ(lines[10], QStringLiteral("Serial Log File\tOFF"));
    EXPECT_EQ(lines[13], QStringLiteral("COMM Settings\t921600,n,8,1"));
    EXPECT_EQ(lines[14], QStringLiteral("Timeout\t3"));
    EXPECT_EQ(lines[15], QStringLiteral("Delay\t300"));
    EXPECT_EQ(lines[16], QStringLiteral("Retry\t3"));
    EXPECT_TRUE(lines.contains(QStringLiteral("Auto Load Mode\tFalse\tTrue")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Font\t'Arial'\t9\tFalse\tFalse\tFalse")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Graph Color\t0\t0\t0\t0\t1\t0\t0")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Calib. Range\t0\t0\t0\t0")));
    EXPECT_TRUE(lines.contains(
        QStringLiteral("Gas Inst\t1\t'CH4'\tTRUE\tTrue\t1\t'%LEL'\t10\t20\t-101\t-101\t0.1\t100\t50"
                       "\t0\t0")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Data Select\tFalse\tFalse\tFalse")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Size Values\t0\t7680\t5760")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Trend Search\t-30\t45")));
    EXPECT_FALSE(lines.join("\n").contains(QStringLiteral("LimitDays"), Qt::CaseInsensitive));
    EXPECT_EQ(lines.last(), QStringLiteral("TQ-7350\t") + EncodeAccessCode(QStringLiteral("8261")));

    // Key lines in their fixed order; 5 "Gas Inst" and 80 "ChgGas" lines.
    QStringList keys;
    int gasInst = 0;
    int chgGas = 0;
    for (const QString& line : lines) {
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        const QString key = line.section(QLatin1Char('\t'), 0, 0);
        gasInst += key == QLatin1String("Gas Inst");
        chgGas += key == QLatin1String("ChgGas");
        if (!keys.isEmpty() && keys.last() == key)
            continue;
        keys << key;
    }
    EXPECT_EQ(gasInst, 5);
    EXPECT_EQ(chgGas, 80);
    const QStringList expected = {"Execute Count", "Serial Log File", "Factory Record Suffix",
                                  "IrCOMM Num",    "COMM Settings",   "Timeout",
                                  "Delay",         "Retry",           "Auto Load Mode",
                                  "Font",          "Graph Color",     "Calib. Range",
                                  "DefaultValue1", "DefaultValue2",   "Gas Inst",
                                  "Conv Param",    "ChgGas",          "CalUnitOnWait",
                                  "CalSpanOnWait", "CalSpanOffWait",  "Data Select",
                                  "Size Values",   "Prt Width",       "Completely View",
                                  "Trend Search",  "TQ-7350"};
    EXPECT_EQ(keys, expected);
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
    EXPECT_EQ(l.s.CommTimeout, 3);
    EXPECT_EQ(l.s.CommDelay, 100);
    EXPECT_EQ(l.s.IrCommNum, 4);
    EXPECT_EQ(l.s.CommRetry, 2); // 1.5 rounds to the even 2
    EXPECT_EQ(l.s.ExecuteCount, 1000);
    EXPECT_EQ(l.s.CalUnitOnWait, 120); // does not fit an Integer
    EXPECT_EQ(l.s.CalSpanOnWait, 120);
    EXPECT_EQ(l.s.CalSpanOffWait, 2);
    EXPECT_EQ(l.s.SharedFont.name, QStringLiteral("X"));
    EXPECT_EQ(l.s.SharedFont.size, 9.0f);
    EXPECT_TRUE(l.s.SharedFont.bold);
    EXPECT_FALSE(l.s.SharedFont.italic);
    EXPECT_EQ(l.s.TrendSearchBefore, 0);
    EXPECT_EQ(l.s.TrendSearchAfter, 0);
    EXPECT_EQ(l.s.PrtWidth[0], 2.0f); // consecutive TABs give no empty token
    EXPECT_EQ(l.s.PrtWidth[1], 1.0f);
    EXPECT_EQ(l.s.ConvParam, 0.2f);
    EXPECT_FALSE(l.s.ConvEnabled);
    EXPECT_EQ(l.s.LimitDays, 0);
    EXPECT_EQ(l.s.CalibRange[0], 2.0f);
    EXPECT_EQ(l.s.CalibRange[1], 0.0f);
    EXPECT_EQ(l.s.CalibRange[2], 2.0f);
    EXPECT_EQ(l.s.CalibRange[3], 0.0f);

    Loaded defaults = LoadLines({"DefaultValue1\tx", "DefaultValue2\tx"});
    EXPECT_EQ(defaults.d.CalLimit(), 90);
    EXPECT_EQ(defaults.d.LcdBackLight(), 30);
    EXPECT_EQ(defaults.d.AlarmMode(), 1);
    EXPECT_EQ(defaults.d.Intervals(), 5);
    EXPECT_EQ(defaults.d.LogOverWrite(), 1);
    EXPECT_EQ(defaults.d.FlowValue(), 128);
    EXPECT_EQ(defaults.d.AlarmO2(), 1);
    EXPECT_EQ(defaults.d.DemandZero(), 1);
    EXPECT_EQ(defaults.d.UseUserPassword(), 0);
}

TEST(Configuration, DelayZeroIsSavedAs300AndAutoLoadFlagsRoundTrip) {
    for (const bool load : {false, true}) {
        for (const bool remove : {false, true}) {
            ScratchDir dir;
            AppSettings s;
            s.CommDelay = 0;
            s.AutoLoadEnabled = load;
            s.AutoRemoveEnabled = remove;
            ASSERT_TRUE(SaveConfiguration(s, clsInstrument{}, dir.path()));
            AppSettings r;
            r.AutoLoadEnabled = !load;
            r.AutoRemoveEnabled = !remove;
            clsInstrument d;
            ASSERT_TRUE(LoadConfiguration(r, d, dir.path()));
            EXPECT_EQ(r.AutoLoadEnabled, load);
            EXPECT_EQ(r.AutoRemoveEnabled, remove);
            EXPECT_EQ(r.CommDelay, 300);
        }
    }
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
        ScratchDir dir;
        WriteFile(ConfigFilePath(dir.path()), bytes);
        AppSettings s;
        clsInstrument d;
        ASSERT_TRUE(LoadConfiguration(s, d, dir.path()));
        EXPECT_EQ(s.CommTimeout, 6);
        EXPECT_EQ(s.CommRetry, 5);
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

    GasChangeEntry last;
    last.enabled = true;
    last.name = QStringLiteral("Last");
    last.points = 2;
    last.unit = QStringLiteral("ppm");
    last.warning = 1;
    last.alarm = 2;
    last.stel = last.twa = -101;
    last.digit = 0.5f;
    last.fullScale = 300;
    last.autoCal = 150;
    EXPECT_EQ(EntryText(l.s.GasChangeTable[5][16]), EntryText(last));
    for (int ch = 0; ch < kGasChangeChannels; ++ch) {
        for (int e = 0; e < kGasChangeEntries; ++e) {
            if (ch != 5 || e != 16) {
                EXPECT_TRUE(l.s.GasChangeTable[ch][e].name.isEmpty()) << ch << "/" << e;
            }
        }
    }
}

TEST(Configuration, TextFieldsThatWouldBreakTheLineAreMended) {
    ScratchDir dir;
    AppSettings s;
    clsInstrument d;
    d.setGasName(0, QStringLiteral("it's\tgas"));
    s.FactoryRecordSuffix = QStringLiteral("a;b");
    s.SharedFont.name = QString::fromUtf8("メイリオ");
    s.CommSettings = QStringLiteral("9600,n,8,1\r\nTimeout\t1");
    ASSERT_TRUE(SaveConfiguration(s, d, dir.path()));
    AppSettings r;
    clsInstrument rd;
    ASSERT_TRUE(LoadConfiguration(r, rd, dir.path()));
    EXPECT_EQ(rd.GasName(0), QString::fromUtf8("it’s gas"));
    EXPECT_EQ(r.FactoryRecordSuffix, QStringLiteral("a;b"));
    EXPECT_EQ(r.SharedFont.name, QString::fromUtf8("メイリオ"));
    EXPECT_EQ(r.CommTimeout, 3); // no smuggled line
    EXPECT_EQ(r.CommSettings, QStringLiteral("9600,n,8,1  Timeout 1"));
    EXPECT_TRUE(
        ReadFile(ConfigFilePath(dir.path())).contains(QString::fromUtf8("メイリオ").toUtf8()));
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

    // A damaged code in the file leaves the code in memory alone.
    AppSettings s;
    s.AccessCode = QStringLiteral("keep");
    ScratchDir dir;
    WriteFile(ConfigFilePath(dir.path()), "TQ-7350\tABC\r\n");
    clsInstrument d;
    ASSERT_TRUE(LoadConfiguration(s, d, dir.path()));
    EXPECT_EQ(s.AccessCode, QStringLiteral("keep"));
}

TEST(Configuration, DamagedFilesNeverCrash) {
    AppSettings saved;
    clsInstrument savedDefaults;
    FillSettings(saved, savedDefaults);
    ScratchDir source;
    ASSERT_TRUE(SaveConfiguration(saved, savedDefaults, source.path()));
    const QByteArray whole = ReadFile(ConfigFilePath(source.path()));

    // Cut in the middle of a line: what came before is read.
    const int cut = whole.indexOf("ChgGas\t3\t4\t") + 9;
    {
        ScratchDir dir;
        WriteFile(ConfigFilePath(dir.path()), whole.left(cut));
        AppSettings s;
        clsInstrument d;
        ASSERT_TRUE(LoadConfiguration(s, d, dir.path()));
        EXPECT_EQ(s.CommRetry, 2);
        EXPECT_EQ(d.GasName(4), QStringLiteral("Gas 4"));
        EXPECT_EQ(s.GasChangeTable[2][2].name, QStringLiteral("C2E2"));
        EXPECT_TRUE(s.GasChangeTable[2][3].name.isEmpty());
        EXPECT_EQ(s.CalUnitOnWait, 45);
    }

    // Binary garbage lines between good ones.
    std::mt19937 random(7350);
    for (int round = 0; round < 20; ++round) {
        QByteArray bytes = "Timeout\t8\r\n";
        for (int line = 0; line < 50; ++line) {
            QByteArray junk;
            const int length = int(random() % 300);
            for (int i = 0; i < length; ++i)
                junk += char(random() % 256);
            if (line % 5 == 0)
                junk.prepend(line % 2 ? "Gas Inst\t" : "ChgGas\t");
            bytes += junk + "\r\n";
        }
        bytes += "\nRetry\t9\r\n";
        ScratchDir dir;
        WriteFile(ConfigFilePath(dir.path()), bytes);
        AppSettings s;
        clsInstrument d;
        ASSERT_TRUE(LoadConfiguration(s, d, dir.path()));
        EXPECT_EQ(s.CommRetry, 9);
    }

    // A huge file: only its first megabyte is read.
    {
        ScratchDir dir;
        QByteArray bytes = "Timeout\t8\r\n";
        bytes += QByteArray(1100 * 1024, ';');
        bytes += "\r\nRetry\t9\r\n";
        WriteFile(ConfigFilePath(dir.path()), bytes);
        AppSettings s;
        clsInstrument d;
        ASSERT_TRUE(LoadConfiguration(s, d, dir.path()));
        EXPECT_EQ(s.CommTimeout, 8);
        EXPECT_EQ(s.CommRetry, 3);
    }
}

TEST(Configuration, SaveReplacesTheFileWholeOrNotAtAll) {
    ScratchDir dir;
    const QString path = ConfigFilePath(dir.path());
    WriteFile(path, "old content\r\n");
    AppSettings s;
    ASSERT_TRUE(SaveConfiguration(s, clsInstrument{}, dir.path()));
    const QByteArray written = ReadFile(path);
    EXPECT_TRUE(written.startsWith(";\r\n"));
    EXPECT_FALSE(written.contains("old content"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("TQ7350Config.ini")});

    // A folder that cannot exist (its parent is a file).
    const QString notAFolder = dir.file(QStringLiteral("TQ7350Config.ini"));
    EXPECT_FALSE(SaveConfiguration(s, clsInstrument{}, notAFolder));
    EXPECT_EQ(ReadFile(path), written);

#ifdef Q_OS_UNIX
    // The write itself fails (file size limit): the previous file survives
    // unchanged and no half-written file is left behind.
    WriteFile(path, "Timeout\t7\r\n");
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
    EXPECT_EQ(ReadFile(path), QByteArray("Timeout\t7\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("TQ7350Config.ini")});
#endif
}

TEST(Configuration, ExecuteCountGrowsWithEachSaveAndLoadButNeverOverflows) {
    ScratchDir dir;
    AppSettings s;
    clsInstrument d;
    ASSERT_TRUE(SaveConfiguration(s, d, dir.path()));
    ASSERT_TRUE(LoadConfiguration(s, d, dir.path()));
    EXPECT_EQ(s.ExecuteCount, 1);
    s.ExecuteCount = 2147483647;
    ASSERT_TRUE(SaveConfiguration(s, d, dir.path()));
    ASSERT_TRUE(LoadConfiguration(s, d, dir.path()));
    EXPECT_EQ(s.ExecuteCount, 2147483647);
}
