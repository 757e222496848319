// The detector's command set as one table: for every two-letter code, the
// parameters of its write request and the rules that check an answer and
// store its fields in the settings record. Adding or changing a command means
// adding or changing its row in CommandSet.cpp (BuildRows).
//
// The encoders and answer checks are public so that the sequences and the
// tests use exactly the same conversions; the field encodings themselves
// live in model/FieldFormat.h, shared with the settings file.
#pragma once

#include "model/FieldFormat.h"

#include <QChar>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

class clsInstrument;

// One received answer after the common first stage (see ResponseParser.h).
struct AnswerFrame {
    QString Code;       // answer code, e.g. "SA,R"
    QChar Form;         // form letter of the code: 'R', 'W', 'C' or 'E'
    QChar Status;       // the frame's eleventh character (ACK for "done")
    QString Data;       // the text after the code's comma
    QStringList Tokens; // Data split at commas and CRs, empty fields dropped
};

// Everything the answer rules write besides the record. The link façade owns
// one of these and hands it to ParseResponse for every received frame.
struct ResponseContext {
    // The record the answers fill (the link's Instrument property). Rules
    // that store into the record reject the answer while it is null.
    clsInstrument* Instrument = nullptr;

    // Set from the status character of commit and confirm answers ("C" forms).
    bool CommitDone = false;
    // Per-channel results of the last zero and span calibration.
    QString ZeroResult;
    QString SpanResult;

    // Serial-log writer for the lines of rejected answers.
    std::function<void(const QString& line)> Log;
    // Raised with the five concentrations of a "DN,R" answer.
    std::function<void(const std::array<float, 5>& values)> Densty;
    // Memory-dump answers ("EF", "ES", "EP"); without a hook they are rejected.
    std::function<bool(const AnswerFrame& answer)> DumpAnswer;
    // Raised when a connect answer naming the model arrives.
    std::function<void()> ConnectAnswer;
    // The present time (detector clock offset); defaults to the PC clock.
    std::function<QDateTime()> Now;

    void log(const QString& line) const {
        if (Log)
            Log(line);
    }
    QDateTime now() const { return Now ? Now() : QDateTime::currentDateTime(); }
};

namespace CommandSet {

// Fixed texts of rejected answers in the serial log.
inline const QString kFormatError = QStringLiteral("<<< Format error >>>");
inline const QString kResponseError = QStringLiteral("<<< Response error >>>");
inline const QString kImproperDate = QStringLiteral("<<< improper date at HC >>> ");
// The model name a connect answer must contain.
inline const QString kModelName = QStringLiteral("TQ-7350");

constexpr QChar kAck = QChar(0x06);
constexpr QChar kNak = QChar(0x15);

// --- Request parameter encodings ---------------------------------------------
// The field texts are those of the settings file too (model/FieldFormat.h).

using FieldFormat::Dec;                   // decimal, no padding
using FieldFormat::Digit;                 // "1" for a set (non-zero) value, else "0"
using FieldFormat::Gas25;                 // 25-character gas record
using FieldFormat::Hex2;                  // 2 upper-case hex digits, last two kept
using FieldFormat::Hex4;                  // 4 upper-case hex digits, last four kept
using FieldFormat::Txt;                   // left-justified, blank-padded or cut to n
using FieldFormat::Val5;                  // right-justified reading value, "*****" if < 0
QString Fmt0(int32_t value);              // the integer with the pattern "0"
QString DateParam(const QDateTime& when); // "YYMMDDhhnnss"

// --- Answer checks and conversions --------------------------------------------

// A decimal number (optional sign, digits with an optional decimal point,
// optional exponent), blanks around it allowed.
bool IsNumeric(const QString& text);
// "*****" or numeric.
bool IsValidToken(const QString& token);
// A numeric token gives its value; a status word its code (-102..-107);
// anything else -101.
float ReadingValue(const QString& token);
// Decimal integers, rounded half to even as the detector's tools do; false
// when the token is not numeric or the value does not fit.
inline bool DecInt(const QString& token, int16_t* out) {
    return FieldFormat::ParseDec16(token, out);
}
inline bool DecLong(const QString& token, int32_t* out) {
    return FieldFormat::ParseDec32(token, out);
}
// Hexadecimal integers: 1 to 8 hex digits; a value up to FFFF is a 16-bit
// number (so "FFFF" is -1), a longer one a 32-bit number. DecInt's failure
// rules apply.
bool HexInt(const QString& token, int16_t* out);
bool HexLong(const QString& token, int32_t* out);
// 1 when the first character is "1", else 0.
int16_t FlagChar(const QString& text);
// Characters after the first "."; 0 when there is none.
int Decimals(const QString& text);
// Eight hex digits holding the bits of a single-precision number.
bool HexSingle(const QString& token, float* out);
// A twelve-digit "YYMMDDhhnnss" text as a date and time (years 2000..2099).
QDateTime ParseClock(const QString& digits);

// --- The command table --------------------------------------------------------

using AnswerRule = std::function<bool(const AnswerFrame& answer, ResponseContext& ctx)>;
// Parameters of a write request; `index` selects a list entry (-1: the
// current station or user) and is ignored by the other rows.
using ParamBuilder = std::function<QString(const clsInstrument& record, int index)>;

struct CommandRow {
    QString Code;             // two letters
    AnswerRule Read;          // "R" answer
    AnswerRule Write;         // "W" answer
    AnswerRule Commit;        // "C" answer
    AnswerRule Execute;       // "E" answer
    ParamBuilder WriteParams; // parameters of the "W" request
};

// Every row, in table order.
const std::vector<CommandRow>& Rows();
// The row of a two-letter code, or null.
const CommandRow* FindRow(const QString& code);

// Applies the rules of the answer's code and form. An unknown code or a form
// the row does not answer is rejected without a log line.
bool ApplyAnswer(const AnswerFrame& answer, ResponseContext& ctx);

// "XX,W," followed by the row's parameters built from the record; empty when
// the code has no write request.
QString WriteCommand(const QString& code, const clsInstrument& record, int index = -1);
// "XX,R," followed by the given parameters.
QString ReadCommand(const QString& code, const QString& params = QString());

} // namespace CommandSet
