#include "records/Configuration.h"
#include "app/Maker.h"

#include "app/AppSettings.h"
#include "app/Catalogue.h"
#include "app/Helpers.h"
#include "app/MessageIds.h"
#include "app/clsToken.h"
#include "model/clsInstrument.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringConverter>
#include <QStringList>

#include <limits>

namespace {

constexpr qint64 kMaxConfigBytes = 1024 * 1024;
constexpr int kFileChannels = 5;          // "Gas Inst" lines: channels 1..5
constexpr int kWrittenChangeChannels = 5; // "ChgGas" lines written for channels 1..5
constexpr int kWrittenChangeEntries = 16; // and entries 1..16

// --- Reading -----------------------------------------------------------------

QString decodeFile(QByteArray data) {
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8.decode(data);
    if (!utf8.hasError())
        return text;
    QStringDecoder local(QStringConverter::System);
    if (local.isValid())
        return local.decode(data);
    return text;
}

// The tokens of one line, with absent tokens reading as empty.
class Line {
public:
    explicit Line(const clsToken& token) : token_(token) {}
    int count() const { return token_.TokenCount(); }
    QString text(int n) const { return n < token_.TokenCount() ? token_.Tokens(n) : QString(); }
    int16_t integer(int n, int16_t fallback) const { return TextToInteger(text(n), fallback); }
    int32_t longValue(int n, int32_t fallback) const { return TextToLong(text(n), fallback); }
    float single(int n, float fallback) const { return TextToSingle(text(n), fallback); }
    bool flag(int n) const { return text(n).toUpper() == QLatin1String("TRUE"); }
    bool numeric(int n) const { return IsNumericText(text(n)); }
    // A STEL or TWA value: -1 in the file means "no value" (-101).
    float stelTwa(int n) const {
        const float value = single(n, 0.0f);
        return value == -1.0f ? -101.0f : value;
    }

private:
    const clsToken& token_;
};

void readGasInst(const Line& line, AppSettings& settings, clsInstrument& defaults) {
    if (!line.numeric(1))
        return;
    const int ch = line.integer(1, 0) - 1;
    if (ch < 0 || ch >= kFileChannels)
        return;
    defaults.setGasName(ch, line.text(2));
    defaults.setGasEnabled(ch, line.flag(3));
    settings.GasLocked[ch] = line.flag(4);
    defaults.setGasPoint(ch, line.integer(5, 0));
    defaults.setGasUnit(ch, line.text(6));
    defaults.setWarning(ch, line.single(7, 0.0f));
    defaults.setAlarm(ch, line.single(8, 0.0f));
    defaults.setStel(ch, line.stelTwa(9));
    defaults.setTwa(ch, line.stelTwa(10));
    defaults.setGasDesit(ch, line.single(11, 0.0f));
    defaults.setGasFullScale(ch, line.single(12, 0.0f));
    defaults.setAutoCalib(ch, line.single(13, 0.0f));
    settings.FactAutoCal[ch] = line.single(14, 0.0f);
    settings.GraphColor[ch] = line.longValue(15, 0);
}

void readChgGas(const Line& line, AppSettings& settings) {
    if (!line.numeric(1) || !line.numeric(2))
        return;
    const int ch = line.integer(1, 0) - 1;
    const int e = line.integer(2, 0) - 1;
    if (ch < 0 || ch >= kGasChangeChannels || e < 0 || e >= kGasChangeEntries)
        return;
    GasChangeEntry& entry = settings.GasChangeTable[ch][e];
    entry.name = line.text(3);
    entry.enabled = line.flag(4);
    entry.locked = line.flag(5);
    entry.points = line.integer(6, 0);
    entry.unit = line.text(7);
    entry.warning = line.single(8, 0.0f);
    entry.alarm = line.single(9, 0.0f);
    entry.stel = line.stelTwa(10);
    entry.twa = line.stelTwa(11);
    entry.digit = line.single(12, 0.0f);
    entry.fullScale = line.single(13, 0.0f);
    entry.autoCal = line.single(14, 0.0f);
}

void readLine(const Line& line, AppSettings& s, clsInstrument& defaults) {
    const QString key = line.text(0).toUpper();
    if (key == QLatin1String("FACTORY RECORD SUFFIX")) {
        s.FactoryRecordSuffix = line.text(1);
    } else if (key == QLatin1String("EXECUTE COUNT")) {
        s.ExecuteCount = line.longValue(1, 0);
    } else if (key == QLatin1String("SERIAL LOG FILE")) {
        s.SerialLogEnabled = line.text(1).toUpper() == QLatin1String("ON");
    } else if (key == QLatin1String("DELAY")) {
        s.CommDelay = line.integer(1, 100);
    } else if (key == QLatin1String("IRCOMM NUM")) {
        s.IrCommNum = line.integer(1, 4);
    } else if (key == QLatin1String("COMM SETTINGS")) {
        s.CommSettings = line.text(1);
    } else if (key == QLatin1String("TIMEOUT")) {
        s.CommTimeout = line.integer(1, 3);
    } else if (key == QLatin1String("RETRY")) {
        s.CommRetry = line.integer(1, 3);
    } else if (key == QLatin1String("AUTO LOAD MODE")) {
        s.AutoLoadEnabled = line.flag(1);
        s.AutoRemoveEnabled = line.flag(2);
    } else if (key == QLatin1String("FONT")) {
        s.SharedFont.name = line.text(1);
        s.SharedFont.size = line.single(2, 9.0f);
        s.SharedFont.bold = line.flag(3);
        s.SharedFont.italic = line.flag(4);
        s.SharedFont.underline = line.flag(5);
    } else if (key == QLatin1String("LIMITDAYS")) {
        // A Long in the file, kept as an Integer: a value that does not fit
        // takes the default.
        const int32_t days = line.longValue(1, 0);
        s.LimitDays = (days >= std::numeric_limits<int16_t>::min() &&
                       days <= std::numeric_limits<int16_t>::max())
                          ? static_cast<int16_t>(days)
                          : 0;
    } else if (key == QLatin1String("CALIB. RANGE")) {
        for (int i = 0; i < 4; ++i)
            s.CalibRange[i] = static_cast<float>(line.longValue(i + 1, 0));
    } else if (key == QLatin1String("DEFAULTVALUE1")) {
        defaults.setCalLimit(line.integer(1, 90));
        defaults.setLcdBackLight(line.integer(2, 30));
        defaults.setAlarmMode(line.integer(3, 1));
        defaults.setIntervals(line.integer(4, 5));
        defaults.setDispCalLimit(line.integer(5, 0));
        defaults.setCalCheck(line.integer(6, 0));
    } else if (key == QLatin1String("DEFAULTVALUE2")) {
        defaults.setLogOverWrite(line.integer(1, 1));
        defaults.setFlowValue(line.integer(2, 128));
        defaults.setAlarmO2(line.integer(3, 1));
        defaults.setAutoZero(line.integer(4, 0));
        defaults.setDemandZero(line.integer(5, 1));
        defaults.setUseUserPassword(line.integer(6, 0));
    } else if (key == QLatin1String("GAS INST")) {
        readGasInst(line, s, defaults);
    } else if (key == QLatin1String("CONV PARAM")) {
        s.ConvParam = line.single(1, 0.2f);
        s.ConvEnabled = false;
        s.UnitText[0] = QStringLiteral("%LEL");
        s.UnitText[1] = QStringLiteral("VOL%");
    } else if (key == QLatin1String("CHGGAS")) {
        readChgGas(line, s);
    } else if (key == QLatin1String("SIZE VALUES")) {
        const int16_t state = line.integer(1, 0);
        s.MainWindowState = (state == 0 || state == 2) ? state : int16_t(0);
        s.MainWindowWidth = line.single(2, 7680.0f);
        s.MainWindowHeight = line.single(3, 5760.0f);
    } else if (key == QLatin1String("PRT WIDTH")) {
        s.PrtWidth[0] = line.single(1, 1.0f);
        s.PrtWidth[1] = line.single(2, 1.0f);
    } else if (key == QLatin1String("TQ-7350")) {
        // A code that no save could have written is ignored: the code in
        // memory stays as it was.
        bool ok = false;
        const QString code = DecodeAccessCode(line.text(1), &ok);
        if (ok)
            s.AccessCode = code;
    } else if (key == QLatin1String("CALUNITONWAIT")) {
        s.CalUnitOnWait = line.integer(1, 120);
    } else if (key == QLatin1String("CALSPANONWAIT")) {
        s.CalSpanOnWait = line.integer(1, 120);
    } else if (key == QLatin1String("CALSPANOFFWAIT")) {
        s.CalSpanOffWait = line.integer(1, 30);
    } else if (key == QLatin1String("COMPLETELY VIEW")) {
        s.CompletelyView = line.flag(1);
    } else if (key == QLatin1String("TREND SEARCH")) {
        s.TrendSearchBefore = line.integer(1, 0);
        s.TrendSearchAfter = line.integer(2, 0);
    }
}

// --- Writing -----------------------------------------------------------------

const QString kTab = QStringLiteral("\t");

// A text field of the file. Control characters would break the line and are
// written as blanks. The file has no escape for a quote inside a quoted
// field, so an apostrophe is written as the typographic one (U+2019); an
// unquoted field holding ";" or an apostrophe is quoted so that it reads back
// whole.
QString fieldText(const QString& text, bool quoted) {
    QString out = text;
    for (QChar& ch : out) {
        if (ch.unicode() < 0x20 || ch.unicode() == 0x7F)
            ch = QLatin1Char(' ');
    }
    const bool needsQuotes =
        quoted || out.contains(QLatin1Char(';')) || out.contains(QLatin1Char('\''));
    if (!needsQuotes)
        return out;
    out.replace(QLatin1Char('\''), QChar(0x2019));
    return QLatin1Char('\'') + out + QLatin1Char('\'');
}

QString quoted(const QString& text) {
    return fieldText(text, true);
}
QString plain(const QString& text) {
    return fieldText(text, false);
}
QString num(float value) {
    return SingleToText(value);
}
QString num(int value) {
    return QString::number(value);
}
QString mixedCase(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}
QString upperCase(bool value) {
    return value ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
}

QString fields(const QStringList& values) {
    return values.join(kTab);
}

QString rightsNotice() {
    return QStringLiteral("; ") + MakerRightsNotice();
}

QStringList configurationLines(const AppSettings& s, const clsInstrument& d) {
    QStringList out;
    const QString now =
        QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
    out << QStringLiteral(";") << QStringLiteral(";            TQ-7350 Data logger program")
        << QStringLiteral(";      Last update = ") + now
        << QStringLiteral(";         Delimiter is tab,comma(,) character")
        << QStringLiteral(";           This file is changed set menu") << QStringLiteral(";")
        << rightsNotice() << QStringLiteral(";") << QString();

    const qint64 nextCount =
        qMin<qint64>(qint64(s.ExecuteCount) + 1, std::numeric_limits<int32_t>::max());
    out << fields({QStringLiteral("Execute Count"), QString::number(nextCount)});
    out << fields({QStringLiteral("Serial Log File"),
                   s.SerialLogEnabled ? QStringLiteral("ON") : QStringLiteral("OFF")});
    out << fields({QStringLiteral("Factory Record Suffix"), plain(s.FactoryRecordSuffix)});
    out << fields({QStringLiteral("IrCOMM Num"), num(s.IrCommNum)});
    out << fields({QStringLiteral("COMM Settings"), plain(s.CommSettings)});
    out << fields({QStringLiteral("Timeout"), num(s.CommTimeout == 0 ? 3 : s.CommTimeout)});
    out << fields({QStringLiteral("Delay"), num(s.CommDelay == 0 ? 300 : s.CommDelay)});
    out << fields({QStringLiteral("Retry"), num(s.CommRetry == 0 ? 3 : s.CommRetry)});

    out << QString() << QStringLiteral(";")
        << QStringLiteral("; Formats = Autoload enable, Auto remove data enable")
        << QStringLiteral(";");
    out << fields({QStringLiteral("Auto Load Mode"), mixedCase(s.AutoLoadEnabled),
                   mixedCase(s.AutoRemoveEnabled)});

    out << QString() << QStringLiteral(";")
        << QStringLiteral("; Formats = Name , Size , Bold , Italic , Underline (Font setting)")
        << QStringLiteral(";");
    out << fields({QStringLiteral("Font"), quoted(s.SharedFont.name), num(s.SharedFont.size),
                   mixedCase(s.SharedFont.bold), mixedCase(s.SharedFont.italic),
                   mixedCase(s.SharedFont.underline)});

    out << QString() << QStringLiteral(";")
        << QStringLiteral(
               "; Formats = Scale , Back , Cursor (RGB) (Color datas), Gas1, Gas2, Gas3, Gas4")
        << QStringLiteral(";");
    out << fields({QStringLiteral("Graph Color"), QStringLiteral("0"), QStringLiteral("0"),
                   QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("1"),
                   QStringLiteral("0"), QStringLiteral("0")});

    out << QString() << QStringLiteral(";")
        << QStringLiteral("; Formats = Gas1...Gas4 (Calibration Range ... Serial Value Format)")
        << QStringLiteral(";");
    out << fields({QStringLiteral("Calib. Range"), num(s.CalibRange[0]), num(s.CalibRange[1]),
                   num(s.CalibRange[2]), num(s.CalibRange[3])});

    out << QString() << QStringLiteral(";") << QStringLiteral("; Gas Instrument Information.")
        << QStringLiteral(";");
    out << QStringLiteral(
        "; CalibLimit, BackLightTime, AlarmPattern, IntervalCycle, Cal Disp,  Cal Proc");
    out << fields({QStringLiteral("DefaultValue1"), num(d.CalLimit()), num(d.LcdBackLight()),
                   num(d.AlarmMode()), num(d.Intervals()), num(d.DispCalLimit()),
                   num(d.CalCheck())});
    out << QStringLiteral(
        "; Overwrite, FlowDA, Oxy alarm type, Auto Zero, Demand Zero, Enabled UserPassword");
    out << fields({QStringLiteral("DefaultValue2"), num(d.LogOverWrite()), num(d.FlowValue()),
                   num(d.AlarmO2()), num(d.AutoZero()), num(d.DemandZero()),
                   num(d.UseUserPassword())});

    out << QStringLiteral(";") << QStringLiteral("; Gas Instrument Information.")
        << QStringLiteral("; Format = No , Name , Enabled , Locked , Points , Unit , Warning , "
                          "Alarm , STEL , TWA , Digit , FullSacle , AutoCal ,  Fact AutoCal. , "
                          "GraphColor")
        << QStringLiteral(";");
    for (int ch = 0; ch < kFileChannels; ++ch) {
        out << fields({QStringLiteral("Gas Inst"), num(ch + 1), quoted(d.GasName(ch)),
                       upperCase(d.GasEnabled(ch)), mixedCase(s.GasLocked[ch]), num(d.GasPoint(ch)),
                       quoted(d.GasUnit(ch)), num(d.Warning(ch)), num(d.Alarm(ch)), num(d.Stel(ch)),
                       num(d.Twa(ch)), num(d.GasDesit(ch)), num(d.GasFullScale(ch)),
                       num(d.AutoCalib(ch)), num(s.FactAutoCal[ch]),
                       QString::number(s.GraphColor[ch])});
    }

    out << QString();
    out << fields({QStringLiteral("Conv Param"), num(s.ConvParam), mixedCase(s.ConvEnabled)});

    out << QString() << QStringLiteral(";") << QStringLiteral(";Changed Gas Lists")
        << QStringLiteral("; Format = GasNo , No , Name , Enabled , Locked , Points , Unit , "
                          "Warning , Alarm , STEL , TWA , Digit , FullSacle , AutoCal")
        << QStringLiteral(";");
    for (int ch = 0; ch < kWrittenChangeChannels; ++ch) {
        out << QStringLiteral("; GasNo ") + num(ch + 1);
        for (int e = 0; e < kWrittenChangeEntries; ++e) {
            const GasChangeEntry& g = s.GasChangeTable[ch][e];
            out << fields({QStringLiteral("ChgGas"), num(ch + 1), num(e + 1), quoted(g.name),
                           upperCase(g.enabled), mixedCase(g.locked), num(g.points), quoted(g.unit),
                           num(g.warning), num(g.alarm), num(g.stel), num(g.twa), num(g.digit),
                           num(g.fullScale), num(g.autoCal)});
        }
    }

    out << QStringLiteral(";")
        << QStringLiteral(
               "; Calibration Timer 1 : Cal.Unit On After Zero Calib, Bitween wait time.")
        << fields({QStringLiteral("CalUnitOnWait"), num(s.CalUnitOnWait)});
    out << QStringLiteral(
               "; Calibration Timer 2 : Span Gas valve On To Span Calib, Bitween wait time.")
        << fields({QStringLiteral("CalSpanOnWait"), num(s.CalSpanOnWait)});
    out << QStringLiteral(
               "; Calibration Timer 3 : Span valve Off After Cal.Unit Off, Bitween wait time.")
        << fields({QStringLiteral("CalSpanOffWait"), num(s.CalSpanOffWait)});

    out << QString() << QStringLiteral("; ")
        << QStringLiteral("; Format = SerialNo,StationID,UserID");
    out << fields({QStringLiteral("Data Select"), QStringLiteral("False"), QStringLiteral("False"),
                   QStringLiteral("False")});

    out << QString() << QStringLiteral(";")
        << QStringLiteral("; Formats = Form status , Form Width , Form Height (Twips value)")
        << QStringLiteral(";");
    out << fields({QStringLiteral("Size Values"), num(s.MainWindowState), num(s.MainWindowWidth),
                   num(s.MainWindowHeight)});

    out << QString() << QStringLiteral(";")
        << QStringLiteral("; Formats = Printing Data Line Width, Printing Scale Line Width")
        << QStringLiteral(";");
    out << fields({QStringLiteral("Prt Width"), num(s.PrtWidth[0]), num(s.PrtWidth[1])});

    out << QString() << QStringLiteral(";") << QStringLiteral("; Format = True or False")
        << QStringLiteral(";");
    out << fields({QStringLiteral("Completely View"), mixedCase(s.CompletelyView)});

    out << QString() << QStringLiteral(";")
        << QStringLiteral("; ; Format = Before Event , After Event") << QStringLiteral(";");
    out << fields(
        {QStringLiteral("Trend Search"), num(s.TrendSearchBefore), num(s.TrendSearchAfter)});

    out << QString() << QStringLiteral(";");
    // An empty code is written as an empty quoted field: a line without a
    // second field is skipped on reading, which would bring the default code back.
    const QString code = EncodeAccessCode(s.AccessCode);
    out << fields({QStringLiteral("TQ-7350"), code.isEmpty() ? quoted(code) : code});
    return out;
}

bool isPrintableCode(int code) {
    if (code < 0x20 || code > 0xFFFD)
        return false;
    if (code >= 0x7F && code <= 0x9F)
        return false;
    return code < 0xD800 || code > 0xDFFF;
}

} // namespace

QString ConfigFilePath(const QString& folder) {
#ifdef Q_OS_WIN
    const QLatin1Char separator('\\');
#else
    const QLatin1Char separator('/');
#endif
    const QString base = folder.isEmpty() ? QDir::currentPath() : folder;
    const QString name = QLatin1String(kConfigFileName);
    if (base.endsWith(separator) || base.endsWith(QLatin1Char('/')))
        return base + name;
    return base + separator + name;
}

bool LoadConfiguration(AppSettings& settings, clsInstrument& defaults, const QString& folder) {
    QFile file(ConfigFilePath(folder));
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = file.read(kMaxConfigBytes);
    file.close();

    clsToken token;
    token.ClearDelimiters();
    token.ClearStrings();
    token.ClearComments();
    token.AddComments(QStringLiteral(";"));
    token.AddDelimiters(QStringLiteral("\t"));
    token.AddStrings(QStringLiteral("'"));

    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    const QStringList lines = decodeFile(data).split(lineBreak);
    for (const QString& text : lines) {
        token.setSource(text);
        if (token.TokenCount() < 2)
            continue;
        readLine(Line(token), settings, defaults);
    }
    return true;
}

bool SaveConfiguration(const AppSettings& settings, const clsInstrument& defaults,
                       const QString& folder) {
    const QString body = configurationLines(settings, defaults).join(QStringLiteral("\r\n")) +
                         QStringLiteral("\r\n");
    // Unbuffered: a buffered save file reports success after a short write
    // (disk full, size limit) and would rename a cut-off file into place.
    QSaveFile file(ConfigFilePath(folder));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray bytes = body.toUtf8();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QString AccessCodeFallback() {
    return LoadMessage(kMsgLanguageCode) == QLatin1String("EN") ? QStringLiteral("qzv")
                                                                : QStringLiteral("Wupsa");
}

QString EncodeCodeText(const QString& text) {
    QString out;
    out.reserve(text.size() * 2);
    for (int i = 0; i < text.size(); ++i) {
        const int v = text.at(i).unicode() + i;
        out += QChar(v % 16 + 70);
        out += QChar(v / 16 + 70);
    }
    return out;
}

QString DecodeCodeText(const QString& text, bool* ok) {
    if (ok)
        *ok = false;
    if (text.size() % 2 != 0)
        return QString();
    QString out;
    out.reserve(text.size() / 2);
    for (int k = 0; k < text.size() / 2; ++k) {
        const int p = text.at(2 * k).unicode();
        const int q = text.at(2 * k + 1).unicode();
        if (p < 70 || q < 70)
            return QString();
        const int code = (q - 70) * 16 + (p - 70) % 16 - k;
        if (!isPrintableCode(code))
            return QString();
        out += QChar(code);
    }
    if (ok)
        *ok = true;
    return out;
}

QString EncodeAccessCode(const QString& code) {
    return EncodeCodeText(EncodeCodeText(code));
}

QString DecodeAccessCode(const QString& stored, bool* ok) {
    bool first = false;
    const QString once = DecodeCodeText(stored, &first);
    if (!first) {
        if (ok)
            *ok = false;
        return QString();
    }
    return DecodeCodeText(once, ok);
}
