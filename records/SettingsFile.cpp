// Settings file: writer and reader. See SettingsFile.h for the format.
#include "records/SettingsFile.h"

#include "app/Helpers.h"
#include "app/clsToken.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"

#include <QFile>
#include <QHash>
#include <QSaveFile>

#include <functional>
#include <limits>

namespace SettingsFile {

namespace {

using modGasCommon::FormatField5;

const QString kLineEnd = QStringLiteral("\r\n");

// --- Writing helpers -----------------------------------------------------------

// Left-justified, blank-padded or cut to exactly n characters.
QString Txt(const QString& text, int n) {
    return text.left(n).leftJustified(n, QLatin1Char(' '));
}

// Upper-case hexadecimal, left-padded with "0" to at least minDigits.
QString HexText(uint32_t value, int minDigits) {
    return QString::number(value, 16).toUpper().rightJustified(minDigits, QLatin1Char('0'));
}

// A 16-bit Integer in hexadecimal (two's complement for negative values).
QString Hex16(int16_t value, int minDigits) {
    return HexText(static_cast<uint16_t>(value), minDigits);
}

QString Dec(int32_t value) {
    return QString::number(value);
}

QString Switch01(int16_t value) {
    return value != 0 ? QStringLiteral("1") : QStringLiteral("0");
}

// The five point values of a channel line, each followed by ",".
QString PointValues(const clsInstrument& r, float (clsInstrument::*get)(int) const) {
    QString out;
    for (int ch = 0; ch < clsInstrument::kGasChannels; ++ch)
        out += FormatField5((r.*get)(ch), r.GasPoint(ch)) + QLatin1Char(',');
    return out;
}

// The 25-character group of a channel in the "GJ" line.
QString GasGroup(const clsInstrument& r, int ch) {
    if (!r.GasEnabled(ch))
        return QString(25, QLatin1Char('*'));
    const int point = r.GasPoint(ch);
    return Txt(r.GasName(ch), 11) + FormatField5(r.GasFullScale(ch), point) +
           FormatField5(r.GasDesit(ch), point) + Txt(r.GasUnit(ch), 4);
}

// The index written for LS entry j (see the header).
QString LsIndexText(const clsInstrument& r, int j) {
    const int first = r.LSindex() + 1;
    if (j == 0)
        return Hex16(static_cast<int16_t>(first), 2);
    if (r.LS_Name(1).trimmed().isEmpty())
        return QStringLiteral("00");
    return Hex16(static_cast<int16_t>(first + 15), 2);
}

QString LsGroup(const clsInstrument& r, int j) {
    const int point = r.LS_Point(j);
    const QStringList fields = {LsIndexText(r, j),
                                Txt(r.LS_Name(j), 10),
                                FormatField5(r.LS_FullScale(j), point),
                                FormatField5(r.LS_Digit(j), point),
                                Txt(r.LS_Unit(j), 4),
                                SingleToHex(r.LS_Ratio(j))};
    QString out;
    for (const QString& f : fields)
        out += f + QLatin1Char(',');
    return out;
}

QString ZeroFlags(const clsInstrument& r) {
    QString out;
    for (int ch = 0; ch < clsInstrument::kGasChannels; ++ch)
        out += QString::number(r.Zero(ch)).right(1);
    return out;
}

// --- Reading helpers -----------------------------------------------------------

struct LineFailure {
    FileError error = FileError::None;
    QString reason;
};

// A token quoted in a message, cut so that a garbage line cannot produce a
// garbage-sized message.
QString Quoted(const QString& token) {
    const QString t = token.trimmed();
    if (t.size() > 24)
        return QLatin1Char('"') + t.left(24) + QStringLiteral("...\"");
    return QLatin1Char('"') + t + QLatin1Char('"');
}

bool Fail(LineFailure* f, FileError error, const QString& reason) {
    f->error = error;
    f->reason = reason;
    return false;
}

bool NeedValues(const QStringList& data, int n, const QString& code, LineFailure* f) {
    if (data.size() >= n)
        return true;
    return Fail(f, FileError::MissingValue,
                QStringLiteral("%1 needs %2 value(s), found %3").arg(code).arg(n).arg(data.size()));
}

// A decimal Integer, converted as the program has always converted numbers
// in its files (rounded, halves to even).
bool ReadDec16(const QString& token, const QString& code, int16_t* out, LineFailure* f) {
    double v = 0;
    if (!ParseNumericText(token, &v))
        return Fail(f, FileError::BadNumber,
                    QStringLiteral("%1: %2 is not a number").arg(code, Quoted(token)));
    const double r = RoundHalfEven(v);
    if (r < std::numeric_limits<int16_t>::min() || r > std::numeric_limits<int16_t>::max())
        return Fail(f, FileError::BadNumber,
                    QStringLiteral("%1: %2 is out of range").arg(code, Quoted(token)));
    *out = static_cast<int16_t>(r);
    return true;
}

// A hexadecimal number of 1 to 8 digits no larger than maxValue.
bool ReadHex(const QString& token, const QString& code, uint32_t maxValue, uint32_t* out,
             LineFailure* f) {
    const QString t = token.trimmed();
    bool digitsOnly = !t.isEmpty() && t.size() <= 8;
    for (const QChar c : t) {
        const char16_t u = c.unicode();
        if (!((u >= '0' && u <= '9') || (u >= 'A' && u <= 'F') || (u >= 'a' && u <= 'f')))
            digitsOnly = false;
    }
    if (!digitsOnly)
        return Fail(f, FileError::BadHex,
                    QStringLiteral("%1: %2 is not a hexadecimal number").arg(code, Quoted(token)));
    const uint32_t v = t.toUInt(nullptr, 16);
    if (v > maxValue)
        return Fail(f, FileError::BadHex,
                    QStringLiteral("%1: %2 is out of range").arg(code, Quoted(token)));
    *out = v;
    return true;
}

// A 16-bit Integer in up to four hexadecimal digits ("FFFF" is -1).
bool ReadHex16(const QString& token, const QString& code, int16_t* out, LineFailure* f) {
    uint32_t v = 0;
    if (!ReadHex(token, code, 0xFFFFu, &v, f))
        return false;
    *out = static_cast<int16_t>(static_cast<uint16_t>(v));
    return true;
}

// A Long in up to eight hexadecimal digits.
bool ReadHex32(const QString& token, const QString& code, int32_t* out, LineFailure* f) {
    uint32_t v = 0;
    if (!ReadHex(token, code, 0xFFFFFFFFu, &v, f))
        return false;
    *out = static_cast<int32_t>(v);
    return true;
}

// Optional sign, digits and at most one decimal point: the form of the
// numbers in a channel descriptor.
bool IsPlainDecimal(const QString& text) {
    const QString t = text.trimmed();
    int i = 0;
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
        ++i;
    bool digit = false;
    bool dot = false;
    for (; i < t.size(); ++i) {
        const char16_t u = t[i].unicode();
        if (u >= '0' && u <= '9')
            digit = true;
        else if (u == '.' && !dot)
            dot = true;
        else
            return false;
    }
    return digit;
}

const QString kStars5 = QStringLiteral("*****");

bool ReadGasGroups(const QStringList& data, clsInstrument& r, LineFailure* f) {
    if (!NeedValues(data, clsInstrument::kGasChannels, QStringLiteral("GJ"), f))
        return false;
    for (int ch = 0; ch < clsInstrument::kGasChannels; ++ch) {
        const QString& group = data.at(ch);
        if (group.size() != 25)
            return Fail(f, FileError::BadGasGroup,
                        QStringLiteral("GJ: group %1 has %2 characters instead of 25")
                            .arg(ch + 1)
                            .arg(group.size()));
        const bool empty = group == QString(25, QLatin1Char('*')) ||
                           group.left(10) == QString(10, QLatin1Char('-'));
        const QString fullScale = group.mid(11, 5);
        const QString digit = group.mid(16, 5);
        if (!empty) {
            for (const QString& field : {fullScale, digit}) {
                if (field != kStars5 && !IsPlainDecimal(field))
                    return Fail(f, FileError::BadGasGroup,
                                QStringLiteral("GJ: group %1 holds %2 where a number belongs")
                                    .arg(ch + 1)
                                    .arg(Quoted(field)));
            }
        }
        modGasCommon::ApplyChannelDescriptor(group, r, ch);
        // A full scale that was not set is stored as "*****"; it reads back
        // as not set rather than as 0.
        if (!empty && fullScale == kStars5)
            r.setGasFullScale(ch, modGasCommon::kNoValue);
    }
    return true;
}

bool ReadPointLine(const QStringList& data, const QString& code, clsInstrument& r,
                   void (clsInstrument::*set)(int, float), LineFailure* f) {
    if (!NeedValues(data, clsInstrument::kGasChannels, code, f))
        return false;
    for (int ch = 0; ch < clsInstrument::kGasChannels; ++ch)
        (r.*set)(ch, modGasCommon::ParseStatusWord(data.at(ch)));
    return true;
}

bool ReadZeroFlags(const QStringList& data, clsInstrument& r, LineFailure* f) {
    const QString code = QStringLiteral("UZ");
    int16_t flags[clsInstrument::kGasChannels] = {};
    if (data.size() >= clsInstrument::kGasChannels) {
        for (int ch = 0; ch < clsInstrument::kGasChannels; ++ch)
            if (!ReadHex16(data.at(ch), code, &flags[ch], f))
                return false;
    } else if (data.size() >= 1 && data.at(0).trimmed().size() == clsInstrument::kGasChannels) {
        const QString t = data.at(0).trimmed();
        for (int ch = 0; ch < clsInstrument::kGasChannels; ++ch)
            if (!ReadHex16(t.mid(ch, 1), code, &flags[ch], f))
                return false;
    } else {
        return Fail(f, FileError::MissingValue,
                    QStringLiteral("UZ needs five zero-follower flags"));
    }
    for (int ch = 0; ch < clsInstrument::kGasChannels; ++ch)
        r.setZero(ch, flags[ch]);
    return true;
}

using Setter16 = void (clsInstrument::*)(int16_t);
using LineReader = std::function<bool(const QStringList& data, clsInstrument& r, LineFailure* f)>;

LineReader DecLine(const QString& code, Setter16 set) {
    return [code, set](const QStringList& data, clsInstrument& r, LineFailure* f) {
        int16_t v = 0;
        if (!NeedValues(data, 1, code, f) || !ReadDec16(data.at(0), code, &v, f))
            return false;
        (r.*set)(v);
        return true;
    };
}

LineReader HexLine(const QString& code, Setter16 set) {
    return [code, set](const QStringList& data, clsInstrument& r, LineFailure* f) {
        int16_t v = 0;
        if (!NeedValues(data, 1, code, f) || !ReadHex16(data.at(0), code, &v, f))
            return false;
        (r.*set)(v);
        return true;
    };
}

LineReader DecLines(const QString& code, const QList<Setter16>& sets) {
    return [code, sets](const QStringList& data, clsInstrument& r, LineFailure* f) {
        if (!NeedValues(data, static_cast<int>(sets.size()), code, f))
            return false;
        for (int i = 0; i < sets.size(); ++i) {
            int16_t v = 0;
            if (!ReadDec16(data.at(i), code, &v, f))
                return false;
            (r.*sets.at(i))(v);
        }
        return true;
    };
}

LineReader PointLine(const QString& code, void (clsInstrument::*set)(int, float)) {
    return [code, set](const QStringList& data, clsInstrument& r, LineFailure* f) {
        return ReadPointLine(data, code, r, set, f);
    };
}

// The reader of every known code.
const QHash<QString, LineReader>& Readers() {
    static const QHash<QString, LineReader> readers = [] {
        using I = clsInstrument;
        QHash<QString, LineReader> m;
        m.insert(QStringLiteral("BS"), [](const QStringList& data, I& r, LineFailure*) {
            r.setSpecNo(data.value(0).trimmed());
            return true;
        });
        m.insert(QStringLiteral("GJ"), ReadGasGroups);
        m.insert(QStringLiteral("LS"), [](const QStringList& data, I& r, LineFailure* f) {
            const QString code = QStringLiteral("LS");
            int16_t index = 0;
            if (!NeedValues(data, 1, code, f) || !ReadHex16(data.at(0), code, &index, f))
                return false;
            if (index == std::numeric_limits<int16_t>::min())
                return Fail(f, FileError::BadHex,
                            QStringLiteral("LS: %1 is out of range").arg(Quoted(data.at(0))));
            r.setLSindex(static_cast<int16_t>(index - 1));
            return true;
        });
        m.insert(QStringLiteral("LP"), DecLine(QStringLiteral("LP"), &I::setHcMode));
        m.insert(QStringLiteral("AP"), DecLine(QStringLiteral("AP"), &I::setAlarmMode));
        m.insert(QStringLiteral("XI"), DecLine(QStringLiteral("XI"), &I::setDispID));
        m.insert(QStringLiteral("X7"), DecLine(QStringLiteral("X7"), &I::setdlogOnOff));
        m.insert(QStringLiteral("EB"), DecLine(QStringLiteral("EB"), &I::setPeakBar));
        m.insert(QStringLiteral("SD"), DecLine(QStringLiteral("SD"), &I::setDispCalLimit));
        m.insert(QStringLiteral("SM"), DecLine(QStringLiteral("SM"), &I::setCalCheck));
        m.insert(QStringLiteral("SW"), DecLine(QStringLiteral("SW"), &I::setCalCheckALL));
        m.insert(QStringLiteral("XB"), HexLine(QStringLiteral("XB"), &I::setConfirmation));
        m.insert(QStringLiteral("XL"), HexLine(QStringLiteral("XL"), &I::setLunchBreak));
        m.insert(QStringLiteral("XA"), HexLine(QStringLiteral("XA"), &I::setAlarmSilence));
        m.insert(QStringLiteral("XW"), DecLine(QStringLiteral("XW"), &I::setLogOverWrite));
        m.insert(QStringLiteral("XT"), HexLine(QStringLiteral("XT"), &I::setLcdBackLight));
        m.insert(QStringLiteral("X8"), DecLine(QStringLiteral("X8"), &I::setPumpOnOffDisp));
        m.insert(QStringLiteral("BV"), DecLine(QStringLiteral("BV"), &I::setBumpFunction));
        m.insert(QStringLiteral("BJ"), DecLine(QStringLiteral("BJ"), &I::setDispBumpLimit));
        m.insert(QStringLiteral("BK"), HexLine(QStringLiteral("BK"), &I::setBumpLimit));
        m.insert(QStringLiteral("BL"), DecLine(QStringLiteral("BL"), &I::setBumpCheck));
        m.insert(QStringLiteral("BU"),
                 DecLines(QStringLiteral("BU"), {&I::setBumpTime, &I::setBumpThreshold,
                                                 &I::setBumpFailCalTime, &I::setBumpFailAfter}));
        m.insert(QStringLiteral("BW"), DecLine(QStringLiteral("BW"), &I::setBumpCheckALL));
        m.insert(QStringLiteral("WB"),
                 DecLines(QStringLiteral("WB"), {&I::setLcBhMode, &I::setBhTime, &I::setLcBuzzer}));
        m.insert(QStringLiteral("AF"), DecLine(QStringLiteral("AF"), &I::setAlarmOnOff));
        m.insert(QStringLiteral("AM"), DecLine(QStringLiteral("AM"), &I::setStelTwaOnOff));
        m.insert(QStringLiteral("AT"), DecLine(QStringLiteral("AT"), &I::setAlarmO2));
        m.insert(QStringLiteral("A1"), PointLine(QStringLiteral("A1"), &I::setWarning));
        m.insert(QStringLiteral("A2"), PointLine(QStringLiteral("A2"), &I::setAlarm));
        m.insert(QStringLiteral("AS"), PointLine(QStringLiteral("AS"), &I::setStel));
        m.insert(QStringLiteral("AW"), PointLine(QStringLiteral("AW"), &I::setTwa));
        m.insert(QStringLiteral("SA"), PointLine(QStringLiteral("SA"), &I::setAutoCalib));
        m.insert(QStringLiteral("UZ"), ReadZeroFlags);
        m.insert(QStringLiteral("SC"), HexLine(QStringLiteral("SC"), &I::setCalLimit));
        m.insert(QStringLiteral("XP"), HexLine(QStringLiteral("XP"), &I::setIntervals));
        m.insert(QStringLiteral("UJ"), [](const QStringList& data, I& r, LineFailure* f) {
            const QString code = QStringLiteral("UJ");
            if (!NeedValues(data, 1, code, f))
                return false;
            const QString t = data.at(0).trimmed();
            if (t.isEmpty())
                return Fail(f, FileError::MissingValue, QStringLiteral("UJ needs 1 value(s)"));
            r.setSpecType(t);
            return true;
        });
        m.insert(QStringLiteral("LE"), DecLine(QStringLiteral("LE"), &I::setLc_PpmAuto));
        m.insert(QStringLiteral("SJ"), DecLine(QStringLiteral("SJ"), &I::setAutoZero));
        m.insert(QStringLiteral("SG"), DecLine(QStringLiteral("SG"), &I::setDemandZero));
        m.insert(QStringLiteral("MP"), [](const QStringList& data, I& r, LineFailure* f) {
            const QString code = QStringLiteral("MP");
            int16_t use = 0;
            if (!NeedValues(data, 1, code, f) || !ReadDec16(data.at(0), code, &use, f))
                return false;
            r.setUseUserPassword(use);
            r.setUserPassword2(data.value(1).trimmed());
            return true;
        });
        m.insert(QStringLiteral("XF"), DecLine(QStringLiteral("XF"), &I::setIsCustom));
        m.insert(QStringLiteral("CP"), [](const QStringList& data, I& r, LineFailure* f) {
            const QString code = QStringLiteral("CP");
            int32_t v = 0;
            if (!NeedValues(data, 1, code, f) || !ReadHex32(data.at(0), code, &v, f))
                return false;
            r.setFlowLevel(v);
            return true;
        });
        m.insert(QStringLiteral("HF"), HexLine(QStringLiteral("HF"), &I::setpressOffset));
        return m;
    }();
    return readers;
}

FileResult Failure(const QString& fileName, FileError error, int line, const QString& reason) {
    FileResult r;
    r.ok = false;
    r.error = error;
    r.fileName = fileName;
    r.line = line;
    r.reason = reason;
    return r;
}

FileResult Success(const QString& fileName) {
    FileResult r;
    r.ok = true;
    r.fileName = fileName;
    return r;
}

bool HoldsSeparator(const QString& text) {
    for (const QChar c : text) {
        if (c == QLatin1Char(',') || c == QLatin1Char(';') || c == QLatin1Char('\r') ||
            c == QLatin1Char('\n'))
            return true;
    }
    return false;
}

} // namespace

QString FileResult::Describe() const {
    if (ok)
        return fileName;
    if (line > 0)
        return QStringLiteral("%1:%2: %3").arg(fileName).arg(line).arg(reason);
    return QStringLiteral("%1: %2").arg(fileName, reason);
}

QStringList SettingsFileLines(const clsInstrument& r) {
    QString gj;
    for (int ch = 0; ch < clsInstrument::kGasChannels; ++ch)
        gj += GasGroup(r, ch) + QLatin1Char(',');
    const auto w = [](const char* code, const QString& data) {
        return QLatin1String(code) + QStringLiteral(",W,") + data;
    };
    return {
        w("BS", Txt(r.SpecNo(), 10)),
        w("GJ", gj),
        w("LS", LsGroup(r, 0) + LsGroup(r, 1)),
        w("LP", Dec(r.HcMode())),
        w("AP", Dec(r.AlarmMode())),
        w("XI", Dec(r.DispID())),
        w("X7", Dec(r.dlogOnOff())),
        w("EB", Dec(r.PeakBar())),
        w("SD", Switch01(r.DispCalLimit())),
        w("SM", Dec(r.CalCheck())),
        w("SW", Dec(r.CalCheckALL())),
        w("XB", Hex16(r.Confirmation(), 1)),
        w("XL", Hex16(r.LunchBreak(), 1)),
        w("XA", Hex16(r.AlarmSilence(), 1)),
        w("XW", Dec(r.LogOverWrite())),
        w("XT", Hex16(r.LcdBackLight(), 4)),
        w("X8", Dec(r.PumpOnOffDisp())),
        w("BV", Switch01(r.BumpFunction())),
        w("BJ", Switch01(r.DispBumpLimit())),
        w("BK", Hex16(r.BumpLimit(), 4)),
        w("BL", Dec(r.BumpCheck())),
        w("BU", QStringList{Dec(r.BumpTime()), Dec(r.BumpThreshold()), Dec(r.BumpFailCalTime()),
                            Dec(r.BumpFailAfter())}
                    .join(QLatin1Char(','))),
        w("BW", Dec(r.BumpCheckALL())),
        w("WB", QStringList{Dec(r.LcBhMode()), Dec(r.BhTime()), Dec(r.LcBuzzer())}.join(
                    QLatin1Char(','))),
        w("AF", Dec(r.AlarmOnOff())),
        w("AM", Dec(r.StelTwaOnOff())),
        w("AT", Dec(r.AlarmO2())),
        w("A1", PointValues(r, &clsInstrument::Warning)),
        w("A2", PointValues(r, &clsInstrument::Alarm)),
        w("AS", PointValues(r, &clsInstrument::Stel)),
        w("AW", PointValues(r, &clsInstrument::Twa)),
        w("SA", PointValues(r, &clsInstrument::AutoCalib)),
        w("UZ", ZeroFlags(r)),
        w("SC", Hex16(r.CalLimit(), 4)),
        w("XP", Hex16(r.Intervals(), 4)),
        w("UJ", r.SpecType()),
        w("LE", Dec(r.Lc_PpmAuto())),
        w("SJ", Dec(r.AutoZero())),
        w("SG", Dec(r.DemandZero())),
        w("MP", Dec(r.UseUserPassword()) + QLatin1Char(',') + r.UserPassword2()),
        w("XF", Dec(r.IsCustom())),
        w("CP", HexText(static_cast<uint32_t>(r.FlowLevel()), 4)),
        w("HF", Hex16(r.pressOffset(), 2)),
    };
}

QString FindUnstorableText(const clsInstrument& r) {
    if (HoldsSeparator(r.SpecNo()))
        return QStringLiteral("the Spec No. field");
    for (int ch = 0; ch < clsInstrument::kGasChannels; ++ch) {
        if (!r.GasEnabled(ch))
            continue; // a disabled channel is written as asterisks only
        if (HoldsSeparator(r.GasName(ch)))
            return QStringLiteral("the gas name of channel %1").arg(ch);
        if (HoldsSeparator(r.GasUnit(ch)))
            return QStringLiteral("the gas unit of channel %1").arg(ch);
    }
    for (int j = 0; j < clsInstrument::kLsEntries; ++j) {
        if (HoldsSeparator(r.LS_Name(j)))
            return QStringLiteral("the name of custom sensor entry %1").arg(j);
        if (HoldsSeparator(r.LS_Unit(j)))
            return QStringLiteral("the unit of custom sensor entry %1").arg(j);
    }
    if (HoldsSeparator(r.SpecType()))
        return QStringLiteral("the destination");
    if (HoldsSeparator(r.UserPassword2()))
        return QStringLiteral("the user password");
    return QString();
}

FileResult ParseSettingsText(const QByteArray& content, const QString& fileName,
                             clsInstrument& record) {
    if (content.size() > kMaxFileBytes)
        return Failure(fileName, FileError::TooLarge, 0,
                       QStringLiteral("the file is larger than %1 bytes").arg(kMaxFileBytes));
    QString text = QString::fromUtf8(content);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    clsToken splitter;
    splitter.AddDelimiters(QStringLiteral(","));
    splitter.AddComments(QStringLiteral(";"));

    clsInstrument work = record; // a bad line must leave the caller's record alone
    const QHash<QString, LineReader>& readers = Readers();
    int lineNo = 0;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = text.size();
        QString line = text.mid(start, end - start);
        start = end + 1;
        ++lineNo;
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.size() > kMaxLineLength)
            return Failure(
                fileName, FileError::LineTooLong, lineNo,
                QStringLiteral("the line is longer than %1 characters").arg(kMaxLineLength));

        splitter.setSource(line);
        if (splitter.TokenCount() == 0)
            continue; // blank or comment line
        const QString code = splitter.Tokens(0).trimmed().toUpper();
        const auto it = readers.constFind(code);
        if (it == readers.constEnd())
            continue; // not a line of this file
        if (splitter.Tokens(1).trimmed().toUpper() != QLatin1String("W"))
            return Failure(fileName, FileError::NotWriteCommand, lineNo,
                           QStringLiteral("%1: the second field must be \"W\"").arg(code));
        QStringList data;
        for (int i = 2; i < splitter.TokenCount(); ++i)
            data << splitter.Tokens(i);
        LineFailure failure;
        if (!(*it)(data, work, &failure))
            return Failure(fileName, failure.error, lineNo, failure.reason);
    }
    record = work;
    return Success(fileName);
}

FileResult LoadSettingsFile(const QString& path, clsInstrument& record) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failure(path, FileError::OpenFailed, 0, file.errorString());
    // Read one byte beyond the limit so that an oversized file (or a device
    // that never ends) is recognised without reading all of it.
    const QByteArray content = file.read(kMaxFileBytes + 1);
    if (content.size() > kMaxFileBytes)
        return Failure(path, FileError::TooLarge, 0,
                       QStringLiteral("the file is larger than %1 bytes").arg(kMaxFileBytes));
    if (file.error() != QFileDevice::NoError)
        return Failure(path, FileError::OpenFailed, 0, file.errorString());
    return ParseSettingsText(content, path, record);
}

FileResult StoreSettingsFile(const QString& path, const clsInstrument& record) {
    const QString unstorable = FindUnstorableText(record);
    if (!unstorable.isEmpty())
        return Failure(path, FileError::UnstorableText, 0,
                       QStringLiteral("%1 holds a \",\", \";\" or line break, which a settings "
                                      "file cannot carry")
                           .arg(unstorable));
    const QByteArray content = (SettingsFileLines(record).join(kLineEnd) + kLineEnd).toUtf8();

    // Never write a file that would not read back: read it once into a
    // scratch record first.
    clsInstrument scratch = record;
    const FileResult check = ParseSettingsText(content, path, scratch);
    if (!check.ok)
        return Failure(path, FileError::UnstorableText, check.line,
                       QStringLiteral("the record cannot be stored: ") + check.reason);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Failure(path, FileError::WriteFailed, 0, file.errorString());
    if (file.write(content) != content.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return Failure(path, FileError::WriteFailed, 0, reason);
    }
    if (!file.commit())
        return Failure(path, FileError::WriteFailed, 0, file.errorString());
    return Success(path);
}

} // namespace SettingsFile
