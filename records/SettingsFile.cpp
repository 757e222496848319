// Settings file: writer and reader. See SettingsFile.h for the format.
#include "records/SettingsFile.h"

#include "app/Helpers.h"
#include "app/clsToken.h"
#include "model/FieldFormat.h"
#include "model/OptionRules.h"
#include "model/SettingsTable.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"
#include "records/WriteLabels.h"

#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QStringDecoder>

#include <cmath>

#include <functional>
#include <limits>

namespace SettingsFile {

namespace {

using I = clsInstrument;
using FieldFormat::Dec;
using FieldFormat::Hex16;
using FieldFormat::Txt;
using FieldFormat::Val5;

const QString kLineEnd = QStringLiteral("\r\n");

// --- Writing helpers -----------------------------------------------------------

// The fields of a line, each followed by ",".
QString Terminated(const QStringList& fields) {
    QString out;
    for (const QString& f : fields)
        out += f + QLatin1Char(',');
    return out;
}

QString GasGroups(const I& r) {
    QStringList groups;
    for (int ch = 0; ch < I::kGasChannels; ++ch)
        groups << FieldFormat::Gas25(r, ch);
    return Terminated(groups);
}

// The index written for LS entry j (see the header).
QString LsIndexText(const I& r, int j) {
    const int first = r.LSindex() + 1;
    if (j == 0)
        return Hex16(static_cast<int16_t>(first), 2);
    if (r.LS_Name(1).trimmed().isEmpty())
        return QStringLiteral("00");
    return Hex16(static_cast<int16_t>(first + 15), 2);
}

QString LsGroup(const I& r, int j) {
    const int point = r.LS_Point(j);
    return Terminated({LsIndexText(r, j), Txt(r.LS_Name(j), 10), Val5(r.LS_FullScale(j), point),
                       Val5(r.LS_Digit(j), point), Txt(r.LS_Unit(j), 4),
                       SingleToHex(r.LS_Ratio(j))});
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
    if (!IsNumericText(token))
        return Fail(f, FileError::BadNumber,
                    QStringLiteral("%1: %2 is not a number").arg(code, Quoted(token)));
    if (!FieldFormat::ParseDec16(token, out))
        return Fail(f, FileError::BadNumber,
                    QStringLiteral("%1: %2 is out of range").arg(code, Quoted(token)));
    return true;
}

// A hexadecimal number of 1 to 8 digits no larger than maxValue.
bool ReadHex(const QString& token, const QString& code, uint32_t maxValue, uint32_t* out,
             LineFailure* f) {
    uint32_t v = 0;
    if (!FieldFormat::ParseHexBits(token, &v))
        return Fail(f, FileError::BadHex,
                    QStringLiteral("%1: %2 is not a hexadecimal number").arg(code, Quoted(token)));
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

// A channel point: a number, or "*****" for a point that is not set.
// Anything else is an error: a typo must never switch an alarm off.
bool ReadPointLine(const QStringList& data, const QString& code, clsInstrument& r,
                   void (clsInstrument::*set)(int, float), LineFailure* f) {
    if (!NeedValues(data, clsInstrument::kGasChannels, code, f))
        return false;
    float values[clsInstrument::kGasChannels] = {};
    for (int ch = 0; ch < clsInstrument::kGasChannels; ++ch) {
        const QString t = data.at(ch).trimmed();
        double v = 0;
        if (t == kStars5)
            values[ch] = modGasCommon::kNoValue;
        else if (ParseNumericText(t, &v) && std::isfinite(v))
            values[ch] = float(v);
        else
            return Fail(f, FileError::BadNumber,
                        QStringLiteral("%1, field %2 (%3): %4 is neither a number nor *****")
                            .arg(code)
                            .arg(ch + 1)
                            .arg(WriteFieldLabel(code + QStringLiteral(",W,"), ch, r))
                            .arg(Quoted(t)));
    }
    for (int ch = 0; ch < clsInstrument::kGasChannels; ++ch)
        (r.*set)(ch, values[ch]);
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

// --- The lines of the file -------------------------------------------------------

using Get16 = int16_t (I::*)() const;
using Set16 = void (I::*)(int16_t);
using GetPoint = float (I::*)(int) const;
using SetPoint = void (I::*)(int, float);
using LineWriter = std::function<QString(const I& r)>;
using LineReader = std::function<bool(const QStringList& data, I& r, LineFailure* f)>;

// One line: its code, the text after ",W," and how that text is read back.
struct FileLine {
    QString code;
    LineWriter write;
    LineReader read;
};

FileLine Line(const char* code, LineWriter write, LineReader read) {
    return {QString::fromLatin1(code), std::move(write), std::move(read)};
}

// Integers written in decimal and read back as decimal numbers.
FileLine DecLine(const char* code, const QList<QPair<Get16, Set16>>& fields) {
    const QString name = QString::fromLatin1(code);
    return Line(
        code,
        [fields](const I& r) {
            QStringList texts;
            for (const auto& field : fields)
                texts << Dec((r.*field.first)());
            return texts.join(QLatin1Char(','));
        },
        [name, fields](const QStringList& data, I& r, LineFailure* f) {
            if (!NeedValues(data, static_cast<int>(fields.size()), name, f))
                return false;
            for (int i = 0; i < fields.size(); ++i) {
                int16_t v = 0;
                if (!ReadDec16(data.at(i), name, &v, f))
                    return false;
                (r.*fields.at(i).second)(v);
            }
            return true;
        });
}

FileLine DecLine(const char* code, Get16 get, Set16 set) {
    return DecLine(code, {{get, set}});
}

// A switch written as "1" or "0", read back as a decimal number.
FileLine SwitchLine(const char* code, Get16 get, Set16 set) {
    FileLine line = DecLine(code, get, set);
    line.write = [get](const I& r) { return FieldFormat::Digit((r.*get)()); };
    return line;
}

// An Integer in hexadecimal with at least minDigits digits.
FileLine HexLine(const char* code, int minDigits, Get16 get, Set16 set) {
    const QString name = QString::fromLatin1(code);
    return Line(
        code, [get, minDigits](const I& r) { return Hex16((r.*get)(), minDigits); },
        [name, set](const QStringList& data, I& r, LineFailure* f) {
            int16_t v = 0;
            if (!NeedValues(data, 1, name, f) || !ReadHex16(data.at(0), name, &v, f))
                return false;
            (r.*set)(v);
            return true;
        });
}

// The five point values of the channels, each with its channel's decimals.
FileLine PointLine(const char* code, GetPoint get, SetPoint set) {
    const QString name = QString::fromLatin1(code);
    return Line(
        code, [get](const I& r) { return Terminated(FieldFormat::ChannelValues(r, get)); },
        [name, set](const QStringList& data, I& r, LineFailure* f) {
            return ReadPointLine(data, name, r, set, f);
        });
}

bool ReadSpecNo(const QStringList& data, I& r, LineFailure*) {
    r.setSpecNo(data.value(0).trimmed());
    return true;
}

// Of the "LS" line only the first index is read back.
bool ReadSensorIndex(const QStringList& data, I& r, LineFailure* f) {
    const QString code = QStringLiteral("LS");
    int16_t index = 0;
    if (!NeedValues(data, 1, code, f) || !ReadHex16(data.at(0), code, &index, f))
        return false;
    if (index == std::numeric_limits<int16_t>::min())
        return Fail(f, FileError::BadHex,
                    QStringLiteral("LS: %1 is out of range").arg(Quoted(data.at(0))));
    r.setLSindex(static_cast<int16_t>(index - 1));
    return true;
}

bool ReadSpecType(const QStringList& data, I& r, LineFailure* f) {
    const QString code = QStringLiteral("UJ");
    if (!NeedValues(data, 1, code, f))
        return false;
    const QString t = data.at(0).trimmed();
    if (t.isEmpty())
        return Fail(f, FileError::MissingValue, QStringLiteral("UJ needs 1 value(s)"));
    r.setSpecType(t);
    return true;
}

bool ReadUserPassword(const QStringList& data, I& r, LineFailure* f) {
    const QString code = QStringLiteral("MP");
    int16_t use = 0;
    if (!NeedValues(data, 1, code, f) || !ReadDec16(data.at(0), code, &use, f))
        return false;
    r.setUseUserPassword(use);
    r.setUserPassword2(data.value(1).trimmed());
    return true;
}

bool ReadFlowLevel(const QStringList& data, I& r, LineFailure* f) {
    const QString code = QStringLiteral("CP");
    int32_t v = 0;
    if (!NeedValues(data, 1, code, f) || !ReadHex32(data.at(0), code, &v, f))
        return false;
    r.setFlowLevel(v);
    return true;
}

// Every line, in the order they are written.
const std::vector<FileLine>& Lines() {
    static const std::vector<FileLine> lines = {
        Line(
            "BS", [](const I& r) { return Txt(r.SpecNo(), 10); }, ReadSpecNo),
        Line("GJ", GasGroups, ReadGasGroups),
        Line(
            "LS", [](const I& r) { return LsGroup(r, 0) + LsGroup(r, 1); }, ReadSensorIndex),
        DecLine("LP", &I::HcMode, &I::setHcMode),
        DecLine("AP", &I::AlarmMode, &I::setAlarmMode),
        DecLine("XI", &I::DispID, &I::setDispID),
        DecLine("X7", &I::dlogOnOff, &I::setdlogOnOff),
        DecLine("EB", &I::PeakBar, &I::setPeakBar),
        SwitchLine("SD", &I::DispCalLimit, &I::setDispCalLimit),
        DecLine("SM", &I::CalCheck, &I::setCalCheck),
        DecLine("SW", &I::CalCheckALL, &I::setCalCheckALL),
        HexLine("XB", 1, &I::Confirmation, &I::setConfirmation),
        HexLine("XL", 1, &I::LunchBreak, &I::setLunchBreak),
        HexLine("XA", 1, &I::AlarmSilence, &I::setAlarmSilence),
        DecLine("XW", &I::LogOverWrite, &I::setLogOverWrite),
        HexLine("XT", 4, &I::LcdBackLight, &I::setLcdBackLight),
        DecLine("X8", &I::PumpOnOffDisp, &I::setPumpOnOffDisp),
        SwitchLine("BV", &I::BumpFunction, &I::setBumpFunction),
        SwitchLine("BJ", &I::DispBumpLimit, &I::setDispBumpLimit),
        HexLine("BK", 4, &I::BumpLimit, &I::setBumpLimit),
        DecLine("BL", &I::BumpCheck, &I::setBumpCheck),
        DecLine("BU", {{&I::BumpTime, &I::setBumpTime},
                       {&I::BumpThreshold, &I::setBumpThreshold},
                       {&I::BumpFailCalTime, &I::setBumpFailCalTime},
                       {&I::BumpFailAfter, &I::setBumpFailAfter}}),
        DecLine("BW", &I::BumpCheckALL, &I::setBumpCheckALL),
        DecLine("WB", {{&I::LcBhMode, &I::setLcBhMode},
                       {&I::BhTime, &I::setBhTime},
                       {&I::LcBuzzer, &I::setLcBuzzer}}),
        DecLine("AF", &I::AlarmOnOff, &I::setAlarmOnOff),
        DecLine("AM", &I::StelTwaOnOff, &I::setStelTwaOnOff),
        DecLine("AT", &I::AlarmO2, &I::setAlarmO2),
        PointLine("A1", &I::Warning, &I::setWarning),
        PointLine("A2", &I::Alarm, &I::setAlarm),
        PointLine("AS", &I::Stel, &I::setStel),
        PointLine("AW", &I::Twa, &I::setTwa),
        PointLine("SA", &I::AutoCalib, &I::setAutoCalib),
        Line("UZ", FieldFormat::ZeroFlags, ReadZeroFlags),
        HexLine("SC", 4, &I::CalLimit, &I::setCalLimit),
        HexLine("XP", 4, &I::Intervals, &I::setIntervals),
        Line(
            "UJ", [](const I& r) { return r.SpecType(); }, ReadSpecType),
        DecLine("LE", &I::Lc_PpmAuto, &I::setLc_PpmAuto),
        DecLine("SJ", &I::AutoZero, &I::setAutoZero),
        DecLine("SG", &I::DemandZero, &I::setDemandZero),
        Line(
            "MP",
            [](const I& r) {
                return Dec(r.UseUserPassword()) + QLatin1Char(',') + r.UserPassword2();
            },
            ReadUserPassword),
        DecLine("XF", &I::IsCustom, &I::setIsCustom),
        Line(
            "CP", [](const I& r) { return FieldFormat::Hex32(r.FlowLevel(), 4); }, ReadFlowLevel),
        HexLine("HF", 2, &I::pressOffset, &I::setpressOffset),
    };
    return lines;
}

// The line of a known code, or null.
const FileLine* FindLine(const QString& code) {
    static const QHash<QString, const FileLine*> byCode = [] {
        QHash<QString, const FileLine*> m;
        for (const FileLine& line : Lines())
            m.insert(line.code, &line);
        return m;
    }();
    return byCode.value(code, nullptr);
}

// The data fields of a line as the reader splits them.
QStringList DataOf(clsToken& splitter, const QString& line) {
    splitter.setSource(line);
    QStringList data;
    for (int i = 2; i < splitter.TokenCount(); ++i)
        data << splitter.Tokens(i);
    return data;
}

// A character the detector takes in a text field: printable ASCII without
// the comma that separates the fields.
bool IsTransmittable(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E || c == QLatin1Char(','))
            return false;
    }
    return true;
}

// Two values of a setting are the same after the detector's rounding: a
// channel value within half a step of its channel's decimals.
bool SameValue(const QVariant& a, const QVariant& b, int decimals) {
    if (a.typeId() == QMetaType::Float || a.typeId() == QMetaType::Double) {
        const double x = a.toDouble();
        const double y = b.toDouble();
        if (!std::isfinite(x) || !std::isfinite(y))
            return false;
        return std::fabs(x - y) <= 0.5 * std::pow(10.0, -decimals) * 1.0001 + 1e-6;
    }
    return a == b;
}

// The name of a value in messages: the setting as the window names it and,
// for a channel value, the channel.
QString ValueName(const QString& code, const SettingsTable::Setting& s, int index,
                  const I& record) {
    if (s.SettingKind == SettingsTable::Kind::Channel)
        return WriteFieldLabel(code + QStringLiteral(",W,"), index, record);
    if (SettingsTable::CarriedBy(code).size() == 1)
        return WriteCommandLabel(code);
    return s.Key;
}

// Every value the line put into `work` must come back unchanged from its
// own encoding, and every text must be one the detector takes: a value
// wider than its field would reach the detector cut, a character it does
// not take would reach it changed.
bool CheckLine(const FileLine& line, const I& work, clsToken& splitter, LineFailure* f) {
    const std::vector<const SettingsTable::Setting*> carried = SettingsTable::CarriedBy(line.code);
    for (const SettingsTable::Setting* s : carried) {
        if (s->Type != SettingsTable::ValueType::Text)
            continue;
        for (int i = 0; i < s->count(); ++i) {
            const QString text = s->Get(work, i).toString();
            if (!IsTransmittable(text))
                return Fail(f, FileError::BadText,
                            QStringLiteral("%1 (%2): %3 holds a character the detector does not "
                                           "take (printable ASCII only)")
                                .arg(line.code, ValueName(line.code, *s, i, work), Quoted(text)));
        }
    }
    I probe = work;
    LineFailure ignored;
    const QString encoded = line.code + QStringLiteral(",W,") + line.write(work);
    const bool reread = line.read(DataOf(splitter, encoded), probe, &ignored);
    for (const SettingsTable::Setting* s : carried) {
        for (int i = 0; i < s->count(); ++i) {
            const int decimals = s->SettingKind == SettingsTable::Kind::Channel
                                     ? qBound(0, int(work.GasPoint(i)), 3)
                                     : 3;
            const QVariant value = s->Get(work, i);
            if (reread && SameValue(value, s->Get(probe, i), decimals))
                continue;
            return Fail(f, FileError::DoesNotFit,
                        QStringLiteral("%1 (%2): %3 does not fit its field (the detector would "
                                       "get %4)")
                            .arg(line.code, ValueName(line.code, *s, i, work),
                                 Quoted(value.toString()), Quoted(s->Get(probe, i).toString())));
        }
    }
    return true;
}

// An alarm point or span gas value above its channel's full scale is no
// value the detector can work with: a typo, or a file of another sensor.
bool CheckFullScale(const FileLine& line, const I& work, LineFailure* f) {
    static const QStringList kPointLines = {QStringLiteral("A1"), QStringLiteral("A2"),
                                            QStringLiteral("AS"), QStringLiteral("AW"),
                                            QStringLiteral("SA")};
    if (!kPointLines.contains(line.code))
        return true;
    for (const SettingsTable::Setting* s : SettingsTable::CarriedBy(line.code)) {
        for (int ch = 0; ch < s->count(); ++ch) {
            const float v = s->Get(work, ch).toFloat();
            if (OptionRules::WithinFullScale(work, ch, v))
                continue;
            const int point = work.GasPoint(ch);
            return Fail(
                f, FileError::AboveFullScale,
                QStringLiteral("%1, field %2 (%3): %4 is above the channel's full scale %5")
                    .arg(line.code)
                    .arg(ch + 1)
                    .arg(ValueName(line.code, *s, ch, work))
                    .arg(modGasCommon::FormatReading(v, point).trimmed())
                    .arg(modGasCommon::FormatReading(work.GasFullScale(ch), point).trimmed()));
        }
    }
    return true;
}

// The file is text: no NUL byte, valid UTF-8.
bool IsText(const QByteArray& content) {
    if (content.contains('\0'))
        return false;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder(content);
    (void)decoded;
    return !decoder.hasError();
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

QStringList FileResult::DescribeWarnings() const {
    QStringList out;
    for (const FileWarning& w : warnings)
        out << QStringLiteral("%1:%2: %3").arg(fileName).arg(w.line).arg(w.reason);
    return out;
}

QStringList SettingsFileLines(const clsInstrument& r) {
    QStringList out;
    for (const FileLine& line : Lines())
        out << line.code + QStringLiteral(",W,") + line.write(r);
    return out;
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
    if (!IsText(content))
        return Failure(fileName, FileError::NotText, 0,
                       QStringLiteral("the file is not text (it holds NUL bytes or is not UTF-8)"));
    QString text = QString::fromUtf8(content);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    clsToken splitter;
    splitter.AddDelimiters(QStringLiteral(","));
    splitter.AddComments(QStringLiteral(";"));

    clsInstrument work = record; // a bad line must leave the caller's record alone
    QList<FileWarning> warnings;
    int settingsLines = 0;
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
        const FileLine* known = FindLine(code);
        if (!known) {
            // Stored files may carry lines of other programs: skipped, but
            // never without a word.
            warnings << FileWarning{lineNo, QStringLiteral("%1 is not a settings line; skipped")
                                                .arg(Quoted(splitter.Tokens(0)))};
            continue;
        }
        if (splitter.Tokens(1).trimmed().toUpper() != QLatin1String("W"))
            return Failure(fileName, FileError::NotWriteCommand, lineNo,
                           QStringLiteral("%1: the second field must be \"W\"").arg(code));
        QStringList data;
        for (int i = 2; i < splitter.TokenCount(); ++i)
            data << splitter.Tokens(i);
        LineFailure failure;
        if (!known->read(data, work, &failure) || !CheckLine(*known, work, splitter, &failure) ||
            !CheckFullScale(*known, work, &failure))
            return Failure(fileName, failure.error, lineNo, failure.reason);
        ++settingsLines;
    }
    if (settingsLines == 0) {
        FileResult none = Failure(fileName, FileError::NoSettings, 0,
                                  QStringLiteral("the file holds no settings line"));
        none.warnings = warnings;
        return none;
    }
    record = work;
    FileResult done = Success(fileName);
    done.warnings = warnings;
    return done;
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
