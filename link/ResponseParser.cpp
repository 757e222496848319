#include "link/ResponseParser.h"

#include "app/clsToken.h"

namespace {

constexpr int kMinimumFrame = 15;

} // namespace

bool SplitAnswer(const QString& frame, AnswerFrame* out) {
    if (frame.size() < kMinimumFrame)
        return false;

    out->Status = frame.at(10);

    // A CR separates fields like a comma; every control character and every
    // character outside 7-bit ASCII is dropped (STX, ETX, ETB, EOT, ACK...).
    QString text;
    text.reserve(frame.size());
    for (QChar c : frame) {
        if (c == QChar(0x0D))
            c = QLatin1Char(',');
        if (c.unicode() < 32 || c.unicode() >= 128)
            continue;
        text += c;
    }
    // Address before, checksum after.
    text = text.mid(4);
    text.chop(2);

    out->Code = text.left(4);
    out->Form = out->Code.size() == 4 ? out->Code.at(3) : QChar();
    out->Data = text.mid(5);

    clsToken splitter;
    splitter.AddDelimiters(QStringLiteral("\r"));
    splitter.AddDelimiters(QStringLiteral(","));
    splitter.setSource(out->Data);
    out->Tokens.clear();
    for (int i = 0; i < splitter.TokenCount(); ++i)
        out->Tokens << splitter.Tokens(i);
    return true;
}

bool ParseResponse(const QString& frame, ResponseContext& ctx) {
    AnswerFrame answer;
    if (!SplitAnswer(frame, &answer)) {
        ctx.log(CommandSet::kFormatError);
        return false;
    }
    return CommandSet::ApplyAnswer(answer, ctx);
}
