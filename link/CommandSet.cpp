#include "link/CommandSet.h"

#include "app/Helpers.h"
#include "model/OleDate.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"

#include <QHash>
#include <QRegularExpression>

#include <limits>

namespace CommandSet {

// --- Request parameter encodings ---------------------------------------------

QString Fmt0(int32_t value) {
    return Dec(value); // for an integer the pattern "0" gives its decimal text
}

QString DateParam(const QDateTime& when) {
    return when.toString(QStringLiteral("yyMMddHHmmss"));
}

// --- Answer checks and conversions --------------------------------------------

bool IsNumeric(const QString& text) {
    static const QRegularExpression number(
        QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    const QString t = text.trimmed();
    return !t.isEmpty() && number.match(t).hasMatch();
}

bool IsValidToken(const QString& token) {
    return token.trimmed() == QLatin1String("*****") || IsNumeric(token);
}

float ReadingValue(const QString& token) {
    return FieldFormat::ParseVal5(token);
}

namespace {

// The detector tools' width rule: up to FFFF the digits are a 16-bit
// number, above it a 32-bit one.
bool HexValue(const QString& token, int32_t* out) {
    uint32_t bits = 0;
    if (!FieldFormat::ParseHexBits(token, &bits))
        return false;
    if (bits <= 0xFFFFu)
        *out = static_cast<int16_t>(static_cast<uint16_t>(bits));
    else
        *out = static_cast<int32_t>(bits);
    return true;
}

} // namespace

bool HexInt(const QString& token, int16_t* out) {
    int32_t v = 0;
    if (!HexValue(token, &v) || v < std::numeric_limits<int16_t>::min() ||
        v > std::numeric_limits<int16_t>::max())
        return false;
    *out = static_cast<int16_t>(v);
    return true;
}

bool HexLong(const QString& token, int32_t* out) {
    return HexValue(token, out);
}

int16_t FlagChar(const QString& text) {
    return (!text.isEmpty() && text.at(0) == QLatin1Char('1')) ? 1 : 0;
}

int Decimals(const QString& text) {
    return modGasCommon::DecimalsOf(text);
}

bool HexSingle(const QString& token, float* out) {
    bool ok = false;
    const float v = HexToSingle(token.trimmed(), &ok);
    if (ok)
        *out = v;
    return ok;
}

namespace {

bool AllDigits(const QString& text) {
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

// "YYMMDD" + "hhnnss" with the century chosen by the caller.
QDateTime DateTimeOf(const QString& twelve, int century) {
    if (twelve.size() != 12 || !AllDigits(twelve))
        return QDateTime();
    auto num = [&](int pos) { return twelve.mid(pos, 2).toInt(); };
    const QDate date(century + num(0), num(2), num(4));
    const QTime time(num(6), num(8), num(10));
    if (!date.isValid() || !time.isValid())
        return QDateTime();
    return QDateTime(date, time);
}

} // namespace

QDateTime ParseClock(const QString& digits) {
    return DateTimeOf(digits, 2000);
}

// --- Row building blocks -------------------------------------------------------

namespace {

using I = clsInstrument;
using GetInt = int16_t (I::*)() const;
using SetInt = void (I::*)(int16_t);
using SetFlag = void (I::*)(bool);
using GetText = QString (I::*)() const;
using SetText = void (I::*)(const QString&);
using GetValue = float (I::*)(int) const;
using SetValue = void (I::*)(int, float);
using SetChannelFlag = void (I::*)(int, bool);
using GetList = QString (I::*)(int) const;
using SetList = void (I::*)(int, const QString&);

QString TokenAt(const AnswerFrame& a, int i) {
    return (i >= 0 && i < a.Tokens.size()) ? a.Tokens.at(i) : QString();
}

bool Accept(const AnswerFrame&, ResponseContext&) {
    return true;
}

// Answers that carry no value worth checking (an echo or an ACK) are
// accepted, but a refusal (NAK) is not: taking it as done would report a
// switch, a clock or a check pattern as set when the detector said no.
bool NotRefused(const AnswerFrame& a, ResponseContext& ctx) {
    if (a.Status != kNak)
        return true;
    ctx.log(kResponseError);
    return false;
}

bool Status(const AnswerFrame& a, ResponseContext& ctx) {
    if (a.Status == kAck)
        return true;
    ctx.log(kResponseError);
    return false;
}

bool Commit(const AnswerFrame& a, ResponseContext& ctx) {
    ctx.CommitDone = (a.Status == kAck);
    return true;
}

// How a row reads an integer field from its token.
enum class Conv {
    HexInt,          // hex int
    DecInt,          // dec int
    DecIntOrMinus1,  // dec int; a non-numeric token means "not supported" (-1)
    FlagChar,        // first character as flag char
    NumericFlagChar, // numeric token, its first character as flag char
};

// How a row writes an integer field into its request.
enum class Enc { None, Dec, Digit, Fmt0, Hex2, Hex4 };

bool Convert(Conv conv, const QString& token, int16_t* out, bool echo) {
    switch (conv) {
    case Conv::HexInt:
        return HexInt(token, out);
    case Conv::DecInt:
        return DecInt(token, out);
    case Conv::DecIntOrMinus1:
        if (DecInt(token, out))
            return true;
        if (echo)
            return false; // a write answer must carry the number written
        *out = -1;
        return true;
    case Conv::FlagChar:
        *out = FlagChar(token.trimmed());
        return true;
    case Conv::NumericFlagChar:
        if (!IsNumeric(token))
            return false;
        *out = FlagChar(token.trimmed());
        return true;
    }
    return false;
}

QString Encode(Enc enc, int32_t value) {
    switch (enc) {
    case Enc::None:
        break;
    case Enc::Dec:
        return Dec(value);
    case Enc::Digit:
        return Digit(value);
    case Enc::Fmt0:
        return Fmt0(value);
    case Enc::Hex2:
        return Hex2(value);
    case Enc::Hex4:
        return Hex4(value);
    }
    return QString();
}

CommandRow Row(const char* code) {
    CommandRow r;
    r.Code = QString::fromLatin1(code);
    r.Commit = Commit;
    return r;
}

// One integer setting: "XX,R," answers one token; "XX,W," + the encoded
// value is answered by its echo.
CommandRow ScalarRow(const char* code, Conv conv, Enc enc, GetInt get, SetInt set,
                     SetFlag clearFlag = nullptr) {
    CommandRow r = Row(code);
    r.Read = [=](const AnswerFrame& a, ResponseContext& ctx) {
        I* rec = ctx.Instrument;
        int16_t v = 0;
        if (!rec || a.Tokens.isEmpty() || !Convert(conv, a.Tokens.at(0), &v, false))
            return false;
        (rec->*set)(v);
        if (clearFlag)
            (rec->*clearFlag)(false);
        return true;
    };
    if (enc != Enc::None) {
        r.Write = [=](const AnswerFrame& a, ResponseContext& ctx) {
            const I* rec = ctx.Instrument;
            int16_t v = 0;
            if (!rec || a.Tokens.isEmpty() || !Convert(conv, a.Tokens.at(0), &v, true))
                return false;
            return v == (rec->*get)();
        };
        r.WriteParams = [=](const I& rec, int) { return Encode(enc, (rec.*get)()); };
    }
    return r;
}

// Several integer settings in one answer, each a dec int, written as Dec
// values separated by commas. With `exactCount` a different token count is a
// format error; otherwise at least that many tokens are needed.
struct IntField {
    GetInt get;
    SetInt set;
    SetFlag clearFlag;
};

CommandRow IntListRow(const char* code, std::vector<IntField> fields, bool exactCount) {
    CommandRow r = Row(code);
    const int n = static_cast<int>(fields.size());
    r.Read = [=](const AnswerFrame& a, ResponseContext& ctx) {
        I* rec = ctx.Instrument;
        if (!rec)
            return false;
        if (exactCount && a.Tokens.size() != n) {
            ctx.log(kFormatError);
            return false;
        }
        if (a.Tokens.size() < n)
            return false;
        for (int i = 0; i < n; ++i) {
            int16_t v = 0;
            if (!DecInt(a.Tokens.at(i), &v))
                return false;
            (rec->*fields[i].set)(v);
            if (fields[i].clearFlag)
                (rec->*fields[i].clearFlag)(false);
        }
        return true;
    };
    // The echo carries the values written; every value it carries must match.
    r.Write = [=](const AnswerFrame& a, ResponseContext& ctx) {
        const I* rec = ctx.Instrument;
        if (!rec || a.Tokens.isEmpty())
            return false;
        for (int i = 0; i < n && i < a.Tokens.size(); ++i) {
            int16_t v = 0;
            if (!DecInt(a.Tokens.at(i), &v) || v != (rec->*fields[i].get)())
                return false;
        }
        return true;
    };
    r.WriteParams = [=](const I& rec, int) {
        QStringList parts;
        for (const IntField& f : fields)
            parts << Dec((rec.*f.get)());
        return parts.join(QLatin1Char(','));
    };
    return r;
}

// An identity text of fixed width: the answer's token, trimmed, is the value;
// the write answer must echo what was sent.
CommandRow TextRow(const char* code, int width, GetText get, SetText set, SetFlag clearFlag) {
    CommandRow r = Row(code);
    r.Read = [=](const AnswerFrame& a, ResponseContext& ctx) {
        I* rec = ctx.Instrument;
        if (!rec)
            return false;
        (rec->*set)(TokenAt(a, 0).trimmed());
        (rec->*clearFlag)(false);
        return true;
    };
    r.Write = [=](const AnswerFrame& a, ResponseContext& ctx) {
        const I* rec = ctx.Instrument;
        return rec && TokenAt(a, 0).trimmed() == Txt((rec->*get)(), width).trimmed();
    };
    r.WriteParams = [=](const I& rec, int) { return Txt((rec.*get)(), width); };
    return r;
}

// Five channel values (alarm points, calibration gas): five valid tokens.
CommandRow ReadingsRow(const char* code, GetValue get, SetValue set, SetChannelFlag clearFlag) {
    CommandRow r = Row(code);
    r.Read = [=](const AnswerFrame& a, ResponseContext& ctx) {
        I* rec = ctx.Instrument;
        if (!rec || a.Tokens.size() != 5)
            return false;
        // Every token is stored; an invalid one rejects the answer afterwards.
        bool ok = true;
        for (int i = 0; i < 5; ++i) {
            const QString& t = a.Tokens.at(i);
            (rec->*set)(i, ReadingValue(t));
            (rec->*clearFlag)(i, false);
            if (!IsValidToken(t))
                ok = false;
        }
        return ok;
    };
    r.Write = [](const AnswerFrame& a, ResponseContext&) {
        if (a.Tokens.size() != 5)
            return false;
        for (const QString& t : a.Tokens) {
            if (!IsValidToken(t))
                return false;
        }
        return true;
    };
    r.WriteParams = [=](const I& rec, int) {
        return FieldFormat::ChannelValues(rec, get).join(QLatin1Char(','));
    };
    return r;
}

// The current station or user ("****") and the 128 list entries.
CommandRow ListRow(const char* code, GetText getCurrent, SetText setCurrent, GetList getEntry,
                   SetList setEntry, SetChannelFlag clearEntryFlag) {
    static const QString kCurrent = QStringLiteral("****");
    CommandRow r = Row(code);
    r.Read = [=](const AnswerFrame& a, ResponseContext& ctx) {
        I* rec = ctx.Instrument;
        if (!rec || a.Tokens.isEmpty())
            return false;
        if (a.Tokens.at(0).trimmed() == kCurrent) {
            (rec->*setCurrent)(TokenAt(a, 1).trimmed());
            return true;
        }
        int16_t index = 0;
        if (!HexInt(a.Tokens.at(0), &index) || index < 0 || index >= I::kListEntries)
            return false;
        (rec->*setEntry)(index, TokenAt(a, 1));
        (rec->*clearEntryFlag)(index, false);
        return true;
    };
    // The echo names the address written and the text stored there.
    r.Write = [=](const AnswerFrame& a, ResponseContext& ctx) {
        const I* rec = ctx.Instrument;
        if (!rec || a.Tokens.isEmpty())
            return false;
        const QString text = TokenAt(a, 1).trimmed();
        if (a.Tokens.at(0).trimmed() == kCurrent)
            return text == Txt((rec->*getCurrent)(), 16).trimmed();
        int16_t index = 0;
        if (!HexInt(a.Tokens.at(0), &index) || index < 0 || index >= I::kListEntries)
            return false;
        return text == Txt((rec->*getEntry)(index), 16).trimmed();
    };
    r.WriteParams = [=](const I& rec, int index) {
        if (index < 0)
            return kCurrent + QLatin1Char(',') + Txt((rec.*getCurrent)(), 16);
        return Hex4(index) + QLatin1Char(',') + Txt((rec.*getEntry)(index), 16);
    };
    return r;
}

// --- Rows with rules of their own ------------------------------------------------

bool ReadRomNumber(const AnswerFrame& a, ResponseContext& ctx) {
    int32_t v = 0;
    if (!ctx.Instrument || !DecLong(TokenAt(a, 0), &v))
        return false;
    ctx.Instrument->setRomNumber(v);
    return true;
}

bool ReadProgramSum(const AnswerFrame& a, ResponseContext& ctx) {
    int32_t v = 0;
    const QString t = TokenAt(a, 0).trimmed();
    if (!ctx.Instrument || !HexLong(t, &v))
        return false;
    ctx.Instrument->setSUM(t);
    return true;
}

bool ReadClock(const AnswerFrame& a, ResponseContext& ctx) {
    I* rec = ctx.Instrument;
    if (!rec)
        return false;
    const QString t = TokenAt(a, 0);
    const QDateTime when = ParseClock(t.trimmed());
    if (!when.isValid()) {
        ctx.log(kImproperDate + t);
        rec->setFailLine(t);
        return false;
    }
    const double sysDate = OleDate::FromDateTime(when);
    rec->setSysDate(sysDate);
    rec->setSysDateOffset(OleDate::FromDateTime(ctx.now()) - sysDate);
    return true;
}

// Gas table: five 25-character records, or 25 asterisks for a disabled channel.
bool ReadGasTable(const AnswerFrame& a, ResponseContext& ctx) {
    I* rec = ctx.Instrument;
    if (!rec)
        return false;
    if (a.Tokens.size() != 5) {
        ctx.log(kFormatError);
        return false;
    }
    static const QString kDisabled(25, QLatin1Char('*'));
    for (int i = 0; i < 5; ++i) {
        const QString& t = a.Tokens.at(i);
        if (t.size() != 25)
            return false;
        if (t == kDisabled) {
            rec->setGasEnabled(i, false);
            rec->setGasName(i, QStringLiteral("----------"));
        } else {
            const QString fullScale = t.mid(11, 5).trimmed();
            const QString step = t.mid(16, 5).trimmed();
            if (!IsNumeric(fullScale) || !IsNumeric(step))
                return false;
            rec->setGasName(i, t.mid(0, 11).trimmed());
            rec->setGasFullScale(i, fullScale.toFloat());
            rec->setGasDesit(i, step.toFloat());
            rec->setGasPoint(i, static_cast<int16_t>(Decimals(step)));
            rec->setGasUnit(i, t.mid(21, 4).trimmed());
            rec->setGasEnabled(i, true);
        }
        rec->setChange_GasEnable(i, false);
    }
    return true;
}

// The echo of a gas table write carries the five records that were sent.
bool EchoGasTable(const AnswerFrame& a, ResponseContext& ctx) {
    const I* rec = ctx.Instrument;
    if (!rec || a.Tokens.size() != 5)
        return false;
    for (int i = 0; i < 5; ++i) {
        if (a.Tokens.at(i) != Gas25(*rec, i))
            return false;
    }
    return true;
}

// One gas-table entry of the LI and LS answers: name, full scale, step (its
// decimals give the point), unit, ratio as a hex single.
struct GasEntryFields {
    QString name, unit;
    float fullScale = 0, step = 0, ratio = 0;
    int16_t point = 0;
};

bool ReadGasEntry(const AnswerFrame& a, int first, GasEntryFields* out) {
    const QString fullScale = TokenAt(a, first + 1).trimmed();
    const QString step = TokenAt(a, first + 2).trimmed();
    if (!IsNumeric(fullScale) || !IsNumeric(step) || !HexSingle(TokenAt(a, first + 4), &out->ratio))
        return false;
    out->name = TokenAt(a, first);
    out->fullScale = fullScale.toFloat();
    out->step = step.toFloat();
    out->point = static_cast<int16_t>(Decimals(step));
    out->unit = TokenAt(a, first + 3);
    return true;
}

bool ReadSensorPair(const AnswerFrame& a, ResponseContext& ctx) {
    I* rec = ctx.Instrument;
    if (!rec)
        return false;
    if (a.Tokens.size() != 12) {
        ctx.log(kFormatError);
        return false;
    }
    for (int j = 0; j < 2; ++j) {
        const QString indexToken = a.Tokens.at(6 * j).trimmed();
        if (indexToken == QLatin1String("00"))
            continue;
        int16_t index = 0;
        GasEntryFields f;
        if (!HexInt(indexToken, &index) || !ReadGasEntry(a, 6 * j + 1, &f))
            return false;
        if (j == 0)
            rec->setLSindex(index);
        rec->setLS_Name(j, f.name);
        rec->setLS_FullScale(j, f.fullScale);
        rec->setLS_Digit(j, f.step);
        rec->setLS_Point(j, f.point);
        rec->setLS_Unit(j, f.unit);
        rec->setLS_Ratio(j, f.ratio);
        rec->setChange_LSData(j, false);
    }
    return true;
}

bool ReadSensorLibrary(const AnswerFrame& a, ResponseContext& ctx) {
    I* rec = ctx.Instrument;
    int16_t k = 0;
    if (!rec || a.Tokens.size() != 11 || !HexInt(a.Tokens.at(0), &k))
        return false;
    for (int j = 0; j < 2; ++j) {
        const int index = k + 15 * j;
        GasEntryFields f;
        if (index < 0 || index >= I::kLiEntries || !ReadGasEntry(a, 5 * j + 1, &f))
            return false;
        rec->setLI_Name(index, f.name);
        rec->setLI_FullScale(index, f.fullScale);
        rec->setLI_Digit(index, f.step);
        rec->setLI_Point(index, f.point);
        rec->setLI_Unit(index, f.unit);
        rec->setLI_Ratio(index, f.ratio);
    }
    return true;
}

// Zero follower flags: one token of five characters, one per channel.
bool ReadZeroFlags(const AnswerFrame& a, ResponseContext& ctx) {
    I* rec = ctx.Instrument;
    if (!rec)
        return false;
    if (a.Tokens.size() != 1 || a.Tokens.at(0).size() != 5) {
        ctx.log(kFormatError);
        return false;
    }
    const QString& t = a.Tokens.at(0);
    for (int i = 0; i < 5; ++i) {
        if (!t.at(i).isDigit())
            continue;
        rec->setZero(i, FlagChar(t.mid(i, 1)));
        rec->setChange_Zero(i, false);
    }
    return true;
}

bool EchoZeroFlags(const AnswerFrame& a, ResponseContext& ctx) {
    return ctx.Instrument && a.Tokens.size() == 1 &&
           a.Tokens.at(0).trimmed() == FieldFormat::ZeroFlags(*ctx.Instrument);
}

bool ReadOverScale(const AnswerFrame& a, ResponseContext& ctx) {
    I* rec = ctx.Instrument;
    if (!rec || a.Tokens.isEmpty() || a.Tokens.at(0).size() != 4)
        return false;
    for (int i = 0; i < 4; ++i) {
        rec->setOverScale(i, FlagChar(a.Tokens.at(0).mid(i, 1)));
        rec->setChange_OverScale(i, false);
    }
    return true;
}

bool ReadFlowLevel(const AnswerFrame& a, ResponseContext& ctx) {
    int32_t v = 0;
    if (!ctx.Instrument || !HexLong(TokenAt(a, 0), &v))
        return false;
    ctx.Instrument->setFlowLevel(v);
    return true;
}

bool EchoFlowLevel(const AnswerFrame& a, ResponseContext& ctx) {
    int32_t v = 0;
    return ctx.Instrument && HexLong(TokenAt(a, 0), &v) && v == ctx.Instrument->FlowLevel();
}

// Pressure offset: its write answer also carries the display id.
bool EchoPressOffset(const AnswerFrame& a, ResponseContext& ctx) {
    const I* rec = ctx.Instrument;
    int16_t offset = 0;
    int16_t dispId = 0;
    return rec && HexInt(TokenAt(a, 0), &offset) && offset == rec->pressOffset() &&
           DecInt(TokenAt(a, 1), &dispId) && dispId == rec->DispID();
}

bool IsSpecType(const QString& t) {
    return t.size() == 1 && t.at(0) >= QLatin1Char('0') && t.at(0) <= QLatin1Char('4');
}

bool ReadSpecType(const AnswerFrame& a, ResponseContext& ctx) {
    const QString t = TokenAt(a, 0).trimmed();
    if (!ctx.Instrument || !IsSpecType(t))
        return false;
    ctx.Instrument->setSpecType(t);
    return true;
}

bool EchoSpecType(const AnswerFrame& a, ResponseContext& ctx) {
    const QString t = TokenAt(a, 0).trimmed();
    return ctx.Instrument && IsSpecType(t) && t == ctx.Instrument->SpecType().trimmed();
}

bool ReadUserPassword(const AnswerFrame& a, ResponseContext& ctx) {
    I* rec = ctx.Instrument;
    int16_t use = 0;
    if (!rec || a.Tokens.size() < 2 || !DecInt(a.Tokens.at(0), &use))
        return false;
    rec->setUseUserPassword(use);
    rec->setUserPassword2(a.Tokens.at(1).trimmed());
    rec->setChange_UseUserPassword(false);
    rec->setChange_UserPassword2(false);
    return true;
}

bool EchoUserPassword(const AnswerFrame& a, ResponseContext& ctx) {
    const I* rec = ctx.Instrument;
    int16_t use = 0;
    if (!rec || !DecInt(TokenAt(a, 0), &use) || use != rec->UseUserPassword())
        return false;
    return a.Tokens.size() < 2 || a.Tokens.at(1).trimmed() == rec->UserPassword2().trimmed();
}

// Raw converter values: seven hex ints and the converter reading as a hex single.
bool ReadAnalogValues(const AnswerFrame& a, ResponseContext& ctx) {
    I* rec = ctx.Instrument;
    if (!rec || a.Tokens.size() < 8)
        return false;
    for (int i = 0; i < 7; ++i) {
        int16_t v = 0;
        if (!HexInt(a.Tokens.at(i), &v))
            return false;
        rec->setAnalogValue(i, v);
    }
    float real = 0;
    if (!HexSingle(a.Tokens.at(7), &real))
        return false;
    rec->setAdrealValue(real);
    return true;
}

bool ReadConnect(const AnswerFrame& a, ResponseContext& ctx) {
    if (!a.Data.contains(kModelName))
        return false;
    if (ctx.ConnectAnswer)
        ctx.ConnectAnswer();
    return true;
}

// --- Maintenance answers ---------------------------------------------------------

bool ReadZeroStatus(const AnswerFrame& a, ResponseContext& ctx) {
    if (a.Tokens.size() != 4) {
        ctx.log(kFormatError);
        return false;
    }
    return true;
}

// Confirm answer of a zero run: the five-character per-channel result once
// the detector has finished.
bool CommitZero(const AnswerFrame& a, ResponseContext& ctx) {
    Commit(a, ctx);
    const QString t = TokenAt(a, 0).trimmed();
    if (t.size() == 5)
        ctx.ZeroResult = t;
    return true;
}

bool ReadSpanResult(const AnswerFrame& a, ResponseContext& ctx) {
    // The detector refused the span (NAK): no result, and not accepted, so
    // that the run fails instead of ending as a run whose channels all failed.
    if (a.Status == kNak) {
        ctx.SpanResult.clear();
        ctx.log(kResponseError);
        return false;
    }
    const QString t = TokenAt(a, 0).trimmed();
    ctx.SpanResult = (t.size() == 5) ? t : QString();
    return true;
}

// Live readings. Without a record the readings still reach the host; a
// channel without a numeric reading then reports "no value".
bool ReadConcentrations(const AnswerFrame& a, ResponseContext& ctx) {
    I* rec = ctx.Instrument;
    std::array<float, 5> values{};
    for (int i = 0; i < 5; ++i) {
        const QString t = TokenAt(a, i);
        float v = modGasCommon::kNoValue;
        if (IsNumeric(t)) {
            v = t.trimmed().toFloat();
            if (rec)
                rec->setLimitValue(i, v);
        }
        values[static_cast<size_t>(i)] = rec ? rec->LimitValue(i) : v;
    }
    if (ctx.Densty)
        ctx.Densty(values);
    return true;
}

// A value field of the latest calibration and bump answers.
float HistoryValue(const QString& field, bool failAllowed) {
    if (failAllowed && field.trimmed().toUpper() == QLatin1String("FAIL"))
        return modGasCommon::kFailSpan;
    if (field.contains(QLatin1Char('-')) || !IsNumeric(field))
        return modGasCommon::kNoValue;
    return field.trimmed().toFloat();
}

// Five tokens "YYMMDDhhnnss" + two five-character values, one per channel.
// Two-digit years 0..29 are 2000..2029, 30..99 are 1930..1999.
bool ReadHistory(const AnswerFrame& a, ResponseContext& ctx, bool bump) {
    I* rec = ctx.Instrument;
    if (!rec || a.Tokens.size() != 5)
        return false;
    for (int i = 0; i < 5; ++i) {
        const QString& t = a.Tokens.at(i);
        if (t.size() < 22)
            return false;
        const QString stamp = t.left(12);
        const int year = stamp.left(2).toInt();
        const QDateTime when = DateTimeOf(stamp, year < 30 ? 2000 : 1900);
        if (!when.isValid())
            return false;
        const double date = OleDate::FromDateTime(when);
        const float first = HistoryValue(t.mid(12, 5), bump);
        const float second = HistoryValue(t.mid(17, 5), bump);
        if (bump) {
            rec->setBumpDates(i, date);
            rec->setBumpResult(i, first);
            rec->setBumpConcentration(i, second);
        } else {
            rec->setCalibDate(i, date);
            rec->setCalibBefore(i, first);
            rec->setCalibAfter(i, second);
        }
    }
    return true;
}

// Sampling-head mode; a switch is accepted also when no record is attached.
bool ReadShMode(const AnswerFrame& a, ResponseContext& ctx) {
    int16_t v = 0;
    if (!DecInt(TokenAt(a, 0), &v))
        return false;
    if (ctx.Instrument)
        ctx.Instrument->setSHmode(v);
    return true;
}

bool Dump(const AnswerFrame& a, ResponseContext& ctx) {
    return ctx.DumpAnswer ? ctx.DumpAnswer(a) : false;
}

// --- The table -------------------------------------------------------------------

std::vector<CommandRow> BuildRows() {
    std::vector<CommandRow> rows;
    auto add = [&](CommandRow r) { rows.push_back(std::move(r)); };
    auto custom = [&](const char* code, AnswerRule read, AnswerRule write,
                      ParamBuilder params = nullptr) {
        CommandRow r = Row(code);
        r.Read = std::move(read);
        r.Write = std::move(write);
        r.WriteParams = std::move(params);
        add(std::move(r));
    };

    // Identity.
    custom("VP", ReadRomNumber, nullptr);
    custom("VS", ReadProgramSum, nullptr);
    add(TextRow("IN", 20, &I::SerialNo, &I::setSerialNo, &I::setChange_SerialNo));
    add(TextRow("HN", 20, &I::DummySerial, &I::setDummySerial, &I::setChange_DummySerial));
    add(TextRow("BS", 10, &I::SpecNo, &I::setSpecNo, &I::setChange_SpecNo));
    custom("HC", ReadClock, NotRefused);
    add(ListRow("XS", &I::StationID, &I::setStationID, &I::StationList, &I::setStationList,
                &I::setChange_StationList));
    add(ListRow("XZ", &I::UserID, &I::setUserID, &I::UserList, &I::setUserList,
                &I::setChange_UserList));

    // Gas channels and sensor tables.
    custom("GJ", ReadGasTable, EchoGasTable, [](const I& rec, int) {
        QStringList parts;
        for (int i = 0; i < 5; ++i)
            parts << Gas25(rec, i);
        return parts.join(QLatin1Char(','));
    });
    custom("LS", ReadSensorPair, NotRefused, [](const I& rec, int) { return Hex2(rec.LSindex()); });
    custom("LI", ReadSensorLibrary, nullptr);
    add(ReadingsRow("A1", &I::Warning, &I::setWarning, &I::setChange_Warn));
    add(ReadingsRow("A2", &I::Alarm, &I::setAlarm, &I::setChange_Alarm));
    add(ReadingsRow("AS", &I::Stel, &I::setStel, &I::setChange_Stel));
    add(ReadingsRow("AW", &I::Twa, &I::setTwa, &I::setChange_Twa));
    add(ReadingsRow("SA", &I::AutoCalib, &I::setAutoCalib, &I::setChange_AutoCal));
    custom("UZ", ReadZeroFlags, EchoZeroFlags,
           [](const I& rec, int) { return FieldFormat::ZeroFlags(rec); });
    custom("AO", ReadOverScale, nullptr);

    // Hexadecimal settings.
    add(ScalarRow("SC", Conv::HexInt, Enc::Hex4, &I::CalLimit, &I::setCalLimit));
    add(ScalarRow("XP", Conv::HexInt, Enc::Hex4, &I::Intervals, &I::setIntervals,
                  &I::setChange_Interval));
    add(ScalarRow("XT", Conv::HexInt, Enc::Hex4, &I::LcdBackLight, &I::setLcdBackLight));
    add(ScalarRow("BK", Conv::HexInt, Enc::Hex4, &I::BumpLimit, &I::setBumpLimit));
    custom("CP", ReadFlowLevel, EchoFlowLevel,
           [](const I& rec, int) { return Hex4(rec.FlowLevel()); });
    {
        CommandRow r =
            ScalarRow("HF", Conv::HexInt, Enc::Hex2, &I::pressOffset, &I::setpressOffset);
        r.Write = EchoPressOffset;
        add(std::move(r));
    }
    add(ScalarRow("XI", Conv::HexInt, Enc::Dec, &I::DispID, &I::setDispID));
    add(ScalarRow("X7", Conv::HexInt, Enc::Dec, &I::dlogOnOff, &I::setdlogOnOff));
    add(ScalarRow("X8", Conv::HexInt, Enc::Dec, &I::PumpOnOffDisp, &I::setPumpOnOffDisp,
                  &I::setChange_PumpOnOffDisp));
    add(ScalarRow("EB", Conv::HexInt, Enc::Dec, &I::PeakBar, &I::setPeakBar));
    add(ScalarRow("XB", Conv::HexInt, Enc::Fmt0, &I::Confirmation, &I::setConfirmation));

    // Decimal settings.
    add(ScalarRow("LP", Conv::DecInt, Enc::Fmt0, &I::HcMode, &I::setHcMode));
    add(ScalarRow("AP", Conv::DecInt, Enc::Fmt0, &I::AlarmMode, &I::setAlarmMode));
    add(ScalarRow("SD", Conv::DecInt, Enc::Digit, &I::DispCalLimit, &I::setDispCalLimit));
    add(ScalarRow("SM", Conv::DecInt, Enc::Fmt0, &I::CalCheck, &I::setCalCheck));
    add(ScalarRow("SW", Conv::DecIntOrMinus1, Enc::Fmt0, &I::CalCheckALL, &I::setCalCheckALL,
                  &I::setChange_CalCheckALL));
    add(ScalarRow("BW", Conv::DecIntOrMinus1, Enc::Fmt0, &I::BumpCheckALL, &I::setBumpCheckALL,
                  &I::setChange_BumpCheckALL));
    add(ScalarRow("XL", Conv::DecInt, Enc::Fmt0, &I::LunchBreak, &I::setLunchBreak));
    add(ScalarRow("XA", Conv::DecInt, Enc::Fmt0, &I::AlarmSilence, &I::setAlarmSilence));
    add(ScalarRow("XW", Conv::DecInt, Enc::Fmt0, &I::LogOverWrite, &I::setLogOverWrite));
    add(ScalarRow("LE", Conv::DecInt, Enc::Dec, &I::Lc_PpmAuto, &I::setLc_PpmAuto));
    add(ScalarRow("XF", Conv::DecInt, Enc::Dec, &I::IsCustom, &I::setIsCustom));
    add(ScalarRow("BV", Conv::DecInt, Enc::Dec, &I::BumpFunction, &I::setBumpFunction));
    add(ScalarRow("BL", Conv::DecInt, Enc::Fmt0, &I::BumpCheck, &I::setBumpCheck));
    add(ScalarRow("BJ", Conv::FlagChar, Enc::Dec, &I::DispBumpLimit, &I::setDispBumpLimit));
    add(IntListRow("BU",
                   {{&I::BumpTime, &I::setBumpTime, &I::setChange_BumpTime},
                    {&I::BumpThreshold, &I::setBumpThreshold, &I::setChange_BumpThreshold},
                    {&I::BumpFailCalTime, &I::setBumpFailCalTime, &I::setChange_BumpFailCalTime},
                    {&I::BumpFailAfter, &I::setBumpFailAfter, &I::setChange_BumpFailAfter}},
                   false));
    add(IntListRow("WB",
                   {{&I::LcBhMode, &I::setLcBhMode, &I::setChange_LcBhMode},
                    {&I::BhTime, &I::setBhTime, &I::setChange_BhTime},
                    {&I::LcBuzzer, &I::setLcBuzzer, &I::setChange_LcBuzzer}},
                   true));
    add(ScalarRow("AT", Conv::DecInt, Enc::Fmt0, &I::AlarmO2, &I::setAlarmO2));
    add(ScalarRow("AF", Conv::DecInt, Enc::Dec, &I::AlarmOnOff, &I::setAlarmOnOff));
    add(ScalarRow("AM", Conv::DecInt, Enc::Dec, &I::StelTwaOnOff, &I::setStelTwaOnOff));
    add(ScalarRow("SG", Conv::NumericFlagChar, Enc::Dec, &I::DemandZero, &I::setDemandZero));
    add(ScalarRow("SJ", Conv::NumericFlagChar, Enc::Dec, &I::AutoZero, &I::setAutoZero));
    custom("UJ", ReadSpecType, EchoSpecType, [](const I& rec, int) { return rec.SpecType(); });
    custom("MP", ReadUserPassword, EchoUserPassword, [](const I& rec, int) {
        return Dec(rec.UseUserPassword()) + QLatin1Char(',') + rec.UserPassword2();
    });
    add(ScalarRow("HB", Conv::NumericFlagChar, Enc::None, &I::Battery, &I::setBattery));
    custom("HA", ReadAnalogValues, nullptr);

    // Link control.
    custom("DW", nullptr, Status);
    custom("RC", ReadConnect, nullptr);

    // Maintenance.
    {
        CommandRow r = Row("SZ");
        r.Read = ReadZeroStatus;
        r.Write = Status;
        r.Commit = CommitZero;
        add(std::move(r));
    }
    custom("S1", nullptr, ReadSpanResult);
    custom("S2", nullptr, ReadSpanResult);
    // The detector refuses an oxygen zero it cannot do (NAK): not accepted.
    custom("SN", nullptr, Status);
    custom("DN", ReadConcentrations, nullptr);
    custom(
        "SO", [](const AnswerFrame& a, ResponseContext& c) { return ReadHistory(a, c, false); },
        nullptr);
    custom(
        "BO", [](const AnswerFrame& a, ResponseContext& c) { return ReadHistory(a, c, true); },
        nullptr);
    custom("XC", nullptr, Status);
    custom("XY", nullptr, Status);
    custom("UX", nullptr, Status);
    custom("UD", nullptr, Status);
    custom("UP", nullptr, Status);
    custom("LR", ReadShMode, ReadShMode);
    custom("SQ", nullptr, NotRefused);
    custom("RO", nullptr, Status);
    {
        CommandRow r = Row("XH");
        r.Execute = NotRefused;
        add(std::move(r));
    }
    custom("BP", nullptr, NotRefused);

    // Memory dumps: their layout belongs to the dump transfers.
    for (const char* code : {"EP", "EF", "ES"}) {
        CommandRow r = Row(code);
        r.Read = r.Write = r.Commit = r.Execute = Dump;
        add(std::move(r));
    }
    // "YA" to "YV": accepted without parsing.
    for (char c = 'A'; c <= 'V'; ++c) {
        const char code[3] = {'Y', c, '\0'};
        CommandRow r = Row(code);
        r.Read = r.Write = r.Commit = r.Execute = Accept;
        add(std::move(r));
    }
    return rows;
}

} // namespace

const std::vector<CommandRow>& Rows() {
    static const std::vector<CommandRow> rows = BuildRows();
    return rows;
}

const CommandRow* FindRow(const QString& code) {
    static const QHash<QString, int> index = [] {
        QHash<QString, int> h;
        const auto& rows = Rows();
        for (int i = 0; i < static_cast<int>(rows.size()); ++i)
            h.insert(rows[static_cast<size_t>(i)].Code, i);
        return h;
    }();
    const auto it = index.constFind(code);
    return it == index.constEnd() ? nullptr : &Rows()[static_cast<size_t>(it.value())];
}

bool ApplyAnswer(const AnswerFrame& answer, ResponseContext& ctx) {
    if (answer.Code.size() != 4 || answer.Code.at(2) != QLatin1Char(','))
        return false;
    const CommandRow* row = FindRow(answer.Code.left(2));
    if (!row)
        return false;
    const AnswerRule* rule = nullptr;
    switch (answer.Form.unicode()) {
    case 'R':
        rule = &row->Read;
        break;
    case 'W':
        rule = &row->Write;
        break;
    case 'C':
        rule = &row->Commit;
        break;
    case 'E':
        rule = &row->Execute;
        break;
    default:
        return false;
    }
    return *rule ? (*rule)(answer, ctx) : false;
}

QString WriteCommand(const QString& code, const clsInstrument& record, int index) {
    const CommandRow* row = FindRow(code);
    if (!row || !row->WriteParams)
        return QString();
    return code + QStringLiteral(",W,") + row->WriteParams(record, index);
}

QString ReadCommand(const QString& code, const QString& params) {
    return code + QStringLiteral(",R,") + params;
}

} // namespace CommandSet
