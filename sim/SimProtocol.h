// Frame and field helpers of the detector side of the line protocol.
// Written independently of the PC side on purpose: both ends must agree
// on the wire, not share code.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace simproto {

constexpr char STX = 0x02;
constexpr char ETX = 0x03;
constexpr char EOT = 0x04;
constexpr char ACK = 0x06;
constexpr char NAK = 0x15;
constexpr char ETB = 0x17;
constexpr char CR = 0x0D;

// Two upper-case hex digits of (256 - sum(bytes) mod 256) mod 256, where the
// bytes run from STX through ETX inclusive.
QByteArray Checksum(const QByteArray& stxToEtx);

// STX "0001" code "," data ETX checksum terminator.
QByteArray BuildAnswer(const QByteArray& code4, const QByteArray& data, char terminator = EOT);

// A request frame (used by tests and by the program's self-check):
// STX "0001" text ETX checksum terminator.
QByteArray BuildRequest(const QByteArray& text, char terminator = EOT);

// One frame cut from the PC's byte stream.
struct RequestFrame {
    QByteArray text;     // command text between the address and ETX
    char terminator = 0; // EOT (command) or ETB (block acknowledgement)
    bool checksumOk = false;
    bool addressOk = false;
    QByteArray raw; // the whole frame as received
};

// Cuts frames out of the bytes the PC sends. Bytes outside a frame are
// dropped; a frame that does not end in EOT/ETB is dropped; the buffer is
// bounded so that line noise can never grow it without limit.
class RequestSplitter {
public:
    static constexpr int kMaxFrame = 1024;
    // Appends bytes and returns every complete frame now available.
    QList<RequestFrame> feed(const QByteArray& bytes);
    void clear() { buf_.clear(); }
    int pending() const { return int(buf_.size()); }
    // Bytes discarded as noise since construction.
    qint64 discarded() const { return discarded_; }

private:
    QByteArray buf_;
    qint64 discarded_ = 0;
};

// Renders control characters as "[STX]" etc. for log lines.
QString Render(const QByteArray& bytes);

// --- Field encodings -------------------------------------------------------

// Value right-justified in 5 characters with `point` decimals (0..3; any other
// count formats without decimals); a negative value gives "*****".
QByteArray Val5(double value, int point);
// Number of decimals a Val5 field carries for a channel point.
int Val5Decimals(int point);
// Strict check of a Val5 field: exactly 5 characters, either "*****" (value
// set to -101) or blanks followed by digits with exactly `decimals`
// decimals. Returns false for anything else.
bool ParseVal5(const QByteArray& field, int decimals, double* value);
// Plain value text with `decimals` decimals ("100", "0.1").
QByteArray ValueText(double value, int decimals);
// Number of characters after the first "." (0 without one).
int DecimalsOf(const QByteArray& text);

// Exactly `digits` upper-case hex digits.
bool ParseHexFixed(const QByteArray& field, int digits, int* value);
QByteArray HexFixed(int value, int digits);
// Decimal integer without padding or sign ("0", "12"; not "012", "+1").
bool ParseDecStrict(const QByteArray& field, int* value);
// Text field of exactly n printable characters without commas.
bool IsTxtField(const QByteArray& field, int n);
// Pads (or cuts) to n characters.
QByteArray PadText(const QString& text, int n);

// Eight hex digits of a single-precision number's bits, most significant
// byte first.
QByteArray SingleHex(float value);

} // namespace simproto
