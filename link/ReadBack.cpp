#include "link/ReadBack.h"

#include "link/CommandSet.h"
#include "link/FrameEngine.h"
#include "link/ResponseParser.h"
#include "link/uclTqif.h"
#include "model/clsInstrument.h"

#include <QSet>

namespace ReadBack {

namespace {

bool IsWriteCommand(const QString& text) {
    return text.size() >= 5 && text.mid(2, 3) == QLatin1String(",W,");
}

// The list codes carry an entry ("0007") or "****" (the detector's own ID)
// as their first field.
bool IsListCode(const QString& code) {
    return code == QLatin1String("XS") || code == QLatin1String("XZ");
}

} // namespace

int EntryOf(const QString& writeCommand) {
    if (!IsWriteCommand(writeCommand) || !IsListCode(writeCommand.left(2)))
        return -1;
    const QString field = writeCommand.mid(5).section(QLatin1Char(','), 0, 0);
    bool ok = false;
    const int entry = field.toInt(&ok, 16);
    return ok && field.size() == 4 && entry >= 0 && entry < clsInstrument::kListEntries ? entry
                                                                                        : -1;
}

QString ReadCommandFor(const QString& writeCommand) {
    if (!IsWriteCommand(writeCommand))
        return QString();
    const QString code = writeCommand.left(2);
    if (!IsListCode(code))
        return CommandSet::ReadCommand(code);
    const int entry = EntryOf(writeCommand);
    return CommandSet::ReadCommand(code,
                                   entry >= 0 ? CommandSet::Hex4(entry) : QStringLiteral("****"));
}

QStringList FieldsOf(const QString& writeCommand) {
    if (!IsWriteCommand(writeCommand))
        return {};
    QStringList fields = writeCommand.mid(5).split(QLatin1Char(','));
    if (IsListCode(writeCommand.left(2)) && !fields.isEmpty())
        fields.removeFirst();
    return fields;
}

LinkResult ReadSettingsOf(uclTqif& link, const QStringList& writeCommands, clsInstrument& into) {
    into.ClearDatas();
    const InstrumentScope scope(link, &into);
    QStringList reads{CommandSet::ReadCommand(QStringLiteral("GJ"))};
    QSet<QString> seen{reads.first()};
    for (const QString& command : writeCommands) {
        const QString read = ReadCommandFor(command);
        if (read.isEmpty() || seen.contains(read))
            continue;
        seen.insert(read);
        reads << read;
    }
    for (const QString& read : reads) {
        const LinkResult result = link.SendAndWait(read, kStatusAwaitingRead);
        if (result != LinkResult::Done)
            return result;
    }
    return LinkResult::Done;
}

QStringList CommandsFrom(const clsInstrument& record, const QStringList& writeCommands) {
    QStringList out;
    for (const QString& command : writeCommands) {
        if (!IsWriteCommand(command)) {
            out << QString();
            continue;
        }
        out << CommandSet::WriteCommand(command.left(2), record, EntryOf(command));
    }
    return out;
}

QList<FieldDifference> Compare(const QStringList& sent, const QStringList& held) {
    QList<FieldDifference> differences;
    for (int i = 0; i < sent.size(); ++i) {
        const QString& s = sent.at(i);
        const QString h = held.value(i);
        if (s == h)
            continue;
        const QStringList sentFields = FieldsOf(s);
        const QStringList heldFields = FieldsOf(h);
        const int n = int(qMax(sentFields.size(), heldFields.size()));
        for (int f = 0; f < n; ++f) {
            const QString a = sentFields.value(f);
            const QString b = heldFields.value(f);
            if (a == b)
                continue;
            FieldDifference d;
            d.Code = s.left(2);
            d.Entry = EntryOf(s);
            d.Field = f;
            d.Sent = a;
            d.Held = b;
            differences << d;
        }
    }
    return differences;
}

namespace {

// Applies one write command's parameters as the answer to its read form.
bool ApplyAsReadAnswer(const QString& writeCommand, clsInstrument& record) {
    const QString read = ReadCommandFor(writeCommand);
    if (read.isEmpty())
        return false;
    // The custom-sensor write carries only the library entry in use; its
    // read answer carries both entries in full.
    if (writeCommand.startsWith(QLatin1String("LS,W,"))) {
        int16_t entry = 0;
        if (!CommandSet::HexInt(writeCommand.mid(5), &entry))
            return false;
        record.setLSindex(entry);
        return true;
    }
    // The answer to "XS,R,0007" carries the entry and the text, as the
    // write command does; every other answer carries the parameters.
    const QString answerText = read.left(5) + writeCommand.mid(5);
    AnswerFrame answer;
    if (!SplitAnswer(FrameEngine::BuildFrame(answerText, FrameEngine::EOT), &answer))
        return false;
    ResponseContext ctx;
    ctx.Instrument = &record;
    return CommandSet::ApplyAnswer(answer, ctx);
}

} // namespace

bool RecordFromCommands(const QStringList& writeCommands, clsInstrument& record, QString* failed) {
    QStringList ordered;
    for (const QString& c : writeCommands)
        if (c.startsWith(QLatin1String("GJ,W,")))
            ordered << c;
    for (const QString& c : writeCommands)
        if (!c.startsWith(QLatin1String("GJ,W,")))
            ordered << c;
    for (const QString& command : ordered) {
        if (!ApplyAsReadAnswer(command, record) ||
            CommandSet::WriteCommand(command.left(2), record, EntryOf(command)) != command) {
            if (failed)
                *failed = command;
            return false;
        }
    }
    return true;
}

} // namespace ReadBack
