// The text helpers on any bytes: the token splitter (with lists chosen by
// the input) and its round trip, placeholder expansion, and the number and
// hexadecimal conversions with their round trips.
#include "FuzzSupport.h"

#include "app/Catalogue.h"
#include "app/Helpers.h"
#include "app/clsToken.h"

#include <QStringList>
#include <QVariantList>

#include <cmath>
#include <cstring>

namespace {

// Characters the lists are drawn from: the separators the files and the
// answers use, and a few letters so that lists can clash with the text.
const char kListChars[] = ",;\t '\"\r\n#:|aZ0";

QString ListChar(uint8_t b) {
    return QString(QLatin1Char(kListChars[b % (sizeof kListChars - 1)]));
}

void Tokens(fuzz::Input& in) {
    clsToken token;
    token.ClearDelimiters();
    token.ClearStrings();
    token.ClearComments();
    const uint8_t shape = in.byte();
    for (int i = 0; i < 1 + (shape & 3); ++i)
        token.AddDelimiters(ListChar(in.byte()));
    for (int i = 0; i < ((shape >> 2) & 3); ++i)
        token.AddStrings(ListChar(in.byte()));
    for (int i = 0; i < ((shape >> 4) & 3); ++i)
        token.AddComments(ListChar(in.byte()));
    const QString source = QString::fromUtf8(in.bytes(in.byte() * 8u));
    token.setSource(source);
    const int count = token.TokenCount();
    fuzz::Check(count >= 0 && count <= clsToken::kTokenSlots, "the count stays in the table");
    fuzz::Check(token.Overflowed() == (count == clsToken::kTokenSlots && token.Overflowed()),
                "only a full table overflows");
    QStringList tokens;
    for (int i = 0; i < count; ++i)
        tokens << token.Tokens(i);
    fuzz::Check(token.Tokens(-1).isEmpty() && token.Tokens(clsToken::kTokenSlots).isEmpty(),
                "slots outside the table read as empty");
    if (token.Overflowed() || token.StringRanges(0).isEmpty())
        return;
    // Round trip: every token quoted and joined by the first delimiter splits
    // into the same tokens (no token can hold a quote character).
    // A character in several lists counts as comment over quote over
    // delimiter: the round trip needs a quote and a delimiter that are only that.
    const QString quote = token.StringRanges(0);
    const QString delimiter = token.Delimiters(0);
    auto inList = [](auto read, const QString& ch) {
        for (int i = 0; i < clsToken::kMaxListEntries; ++i)
            if (read(i) == ch)
                return true;
        return false;
    };
    const auto comments = [&token](int i) { return token.Comments(i); };
    const auto quotes = [&token](int i) { return token.StringRanges(i); };
    if (inList(comments, quote) || inList(comments, delimiter) || inList(quotes, delimiter))
        return;
    QStringList quoted;
    for (const QString& t : tokens)
        quoted << quote + t + quote;
    token.setSource(quoted.join(delimiter));
    QStringList again;
    for (int i = 0; i < token.TokenCount(); ++i)
        again << token.Tokens(i);
    fuzz::Check(again == tokens, "quoted tokens joined split into the same tokens",
                source.toUtf8() + "\n---\n" + quoted.join(delimiter).toUtf8());
}

void Placeholders(fuzz::Input& in) {
    const QString text = QString::fromUtf8(in.bytes(in.byte()));
    QVariantList args;
    for (int i = 0; i < (in.byte() & 7); ++i)
        args << QString::fromUtf8(in.bytes(in.byte() & 15));
    const QString out = ExpandPlaceholders(text, args);
    if (!text.contains(QLatin1Char('~')))
        fuzz::Check(out == text, "a text without placeholders is left alone", text.toUtf8());
    qsizetype longest = 0;
    for (const QVariant& a : args)
        longest = std::max(longest, a.toString().size());
    fuzz::Check(out.size() <= text.size() * std::max<qsizetype>(2, longest),
                "expansion grows a text by its arguments at most");
}

void Numbers(fuzz::Input& in) {
    // Any bit pattern: hexadecimal text and back keeps every bit.
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits = (bits << 8) | in.byte();
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    const QString hex = SingleToHex(value);
    bool ok = false;
    const float back = HexToSingle(hex, &ok);
    uint32_t backBits = 0;
    std::memcpy(&backBits, &back, sizeof backBits);
    fuzz::Check(ok && hex.size() == 8 && backBits == bits, "hex text keeps every bit",
                hex.toLatin1());
    // A finite value: its shortest text reads back as the same value.
    if (std::isfinite(value)) {
        const QString text = SingleToText(value);
        const float read = TextToSingle(text, std::nanf(""));
        fuzz::Check(IsNumericText(text), "the text of a number is a number", text.toLatin1());
        fuzz::Check(read == value, "a value's text reads back as the value", text.toLatin1());
    }
    // Any text: the readers agree with each other and never go out of range.
    const QString text = QString::fromUtf8(in.bytes(in.byte() & 63));
    double parsed = 0;
    const bool numeric = IsNumericText(text);
    const bool parses = ParseNumericText(text, &parsed);
    fuzz::Check(!parses || numeric, "what parses is numeric text", text.toUtf8());
    fuzz::Check(!parses || std::isfinite(parsed), "a parsed value is finite", text.toUtf8());
    const int16_t small = TextToInteger(text, -7);
    if (!numeric)
        fuzz::Check(small == -7 && TextToLong(text, -7) == -7, "no number gives the fallback",
                    text.toUtf8());
    const float single = TextToSingle(text, 0.5f);
    fuzz::Check(std::isfinite(single), "a Single read from text is finite", text.toUtf8());
    HexToSingle(text, &ok);
    if (ok)
        fuzz::Check(SingleToHex(HexToSingle(text)) == text.toUpper(),
                    "hex text reads and writes back", text.toUtf8());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::StartQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    switch (in.byte() % 3) {
    case 0:
        Tokens(in);
        break;
    case 1:
        Placeholders(in);
        break;
    default:
        Numbers(in);
        break;
    }
    return 0;
}
