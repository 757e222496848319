#include "workflows/WriteSupport.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "link/CommandSet.h"
#include "link/ReadBack.h"
#include "link/WriteSequence.h"
#include "link/uclTqif.h"
#include "model/clsInstrument.h"
#include "records/WriteLabels.h"

#include <QCoreApplication>

namespace WriteSupport {

LinkResult ReadIdentity(uclTqif& link, clsInstrument& record) {
    const InstrumentScope scope(link, &record);
    const QString current = QStringLiteral("****");
    const QStringList reads = {
        CommandSet::ReadCommand(QStringLiteral("VP")),
        CommandSet::ReadCommand(QStringLiteral("VS")),
        CommandSet::ReadCommand(QStringLiteral("IN")),
        CommandSet::ReadCommand(QStringLiteral("HN")),
        CommandSet::ReadCommand(QStringLiteral("BS")),
        CommandSet::ReadCommand(QStringLiteral("XS"), current),
        CommandSet::ReadCommand(QStringLiteral("XZ"), current),
        CommandSet::ReadCommand(QStringLiteral("HC")),
    };
    for (const QString& read : reads) {
        const LinkResult result = link.SendAndWait(read, kStatusAwaitingRead);
        if (result != LinkResult::Done)
            return result;
    }
    return LinkResult::Done;
}

LinkResult Verify(uclTqif& link, const QStringList& sent, QStringList* differences) {
    clsInstrument held;
    const LinkResult read = ReadBack::ReadSettingsOf(link, sent, held);
    if (read != LinkResult::Done)
        return read;
    const QStringList heldCommands = ReadBack::CommandsFrom(held, sent);
    for (const ReadBack::FieldDifference& d : ReadBack::Compare(sent, heldCommands)) {
        const QString sentCommand = sent.at(
            int(std::find_if(sent.begin(), sent.end(),
                             [&d](const QString& s) {
                                 return s.left(2) == d.Code && ReadBack::EntryOf(s) == d.Entry;
                             }) -
                sent.begin()));
        if (differences)
            *differences << LoadMessage(
                kMsgVerifyDifference,
                {WriteFieldLabel(sentCommand, d.Field, held), d.Sent.trimmed(), d.Held.trimmed()});
    }
    return LinkResult::Done;
}

LinkResult WriteAndVerify(uclTqif& link, const QStringList& commands, QStringList* differences,
                          const QStringList& check) {
    // The answers are checked against what the commands carry; a command
    // that cannot be taken back into a record is not sent at all.
    clsInstrument echo;
    if (!ReadBack::RecordFromCommands(commands, echo))
        return LinkResult::Refused;
    if (!commands.isEmpty()) {
        const WriteRun run = WriteCommands(link, link.responseContext(), echo, commands);
        if (run.Result != LinkResult::Done)
            return run.Result;
    }
    return Verify(link, check.isEmpty() ? commands : check, differences);
}

QString ProgramName() {
    QString name = QCoreApplication::applicationName();
    if (!QCoreApplication::applicationVersion().isEmpty())
        name += QLatin1Char(' ') + QCoreApplication::applicationVersion();
    return name;
}

} // namespace WriteSupport
