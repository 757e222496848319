// stations export|import FILE and users export|import FILE: the station and
// user lists between the detector and a list file, through the ListExchange
// workflow. An import is checked before the detector is opened: a file that
// is no list file, or whose identifiers break the rule (without --force), is
// refused with the lines named and nothing is sent.
#include "cli/commands/Commands.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "cli/CliConsole.h"
#include "cli/CliSession.h"
#include "cli/CommandContext.h"
#include "workflows/ListExchange.h"

#include <QJsonArray>

namespace cli {

namespace {

using ListFile::List;

QJsonArray Numbers(const QList<int>& values, int offset) {
    QJsonArray out;
    for (int v : values)
        out.append(v + offset);
    return out;
}

int Export(CommandContext& c, List list) {
    CliSession& s = c.session();
    const QString path = c.absolute(c.inv.file);
    if (c.inv.force) {
        c.error(
            LoadMessage(kMsgOptionNotForCommand, {QStringLiteral("--force"),
                                                  c.inv.commandName + QStringLiteral(" export")}));
        return kExitUsage;
    }
    if (!CheckOutputFile(c, path))
        return kExitUsage;
    if (const int status = Connect(c); status != kExitDone)
        return status;
    ListExchange::Result r;
    {
        CommandCounter counter(c, s.link(), LoadMessage(kMsgNowDownloading), ListFile::kEntries);
        r = ListExchange::Export(s.link(), list, path, ConsoleReport(c));
    }
    if (!r.Success()) {
        if (s.interrupted())
            return Interrupted(c);
        c.lastError = Console::Tidy(r.FailureLines.value(0, LoadMessage(kMsgCommandFailed)));
        return kExitFailed;
    }
    c.result.insert(QStringLiteral("entries"), QJsonArray::fromStringList(r.Entries));
    c.result.insert(QStringLiteral("invalidEntries"),
                    Numbers(ListFile::InvalidEntries(r.Entries), 1));
    c.out(LoadMessage(kMsgListExported, {ListFile::ListName(list), path}));
    return kExitDone;
}

int Import(CommandContext& c, List list) {
    CliSession& s = c.session();
    ListExchange::ImportOptions options;
    options.list = list;
    options.Path = c.absolute(c.inv.file);
    options.Force = c.inv.force;
    options.Verify = !c.inv.noVerify;
    const workflows::Report report = ConsoleReport(c);

    // The file first: nothing is opened for a file that is refused.
    const ListExchange::PreparedImport prepared = ListExchange::PrepareImport(options, report);
    c.result.insert(QStringLiteral("invalidLines"), Numbers(prepared.check.InvalidLines, 0));
    c.result.insert(QStringLiteral("forced"), prepared.check.Forced);
    if (!prepared.Ready()) {
        if (!prepared.check.InvalidLines.isEmpty() && !options.Force)
            c.console.error(LoadMessage(kMsgListForceHint));
        c.lastError = Console::Tidy(
            prepared.check.FailureLines.value(prepared.check.FailureLines.size() - 1));
        return kExitUsage;
    }
    if (const int status = Connect(c); status != kExitDone)
        return status;
    ListExchange::Result r;
    {
        CommandCounter counter(c, s.link(), LoadMessage(kMsgNowUploading), 0);
        r = ListExchange::Import(s.link(), options, prepared, report);
    }
    c.result.insert(QStringLiteral("changed"), Numbers(r.Changed, 1));
    c.result.insert(QStringLiteral("commands"), r.Write.Commands);
    c.result.insert(QStringLiteral("verified"), r.Write.Verified);
    if (!r.Success()) {
        c.result.insert(QStringLiteral("failures"), QJsonArray::fromStringList(r.FailureLines));
        c.result.insert(QStringLiteral("differences"),
                        QJsonArray::fromStringList(r.Write.Differences));
        c.result.insert(QStringLiteral("restored"), r.Write.Restored);
        c.result.insert(QStringLiteral("unfinished"), r.Write.Unfinished);
        if (!r.FailureLines.isEmpty())
            c.lastError = Console::Tidy(r.FailureLines.first());
        else if (s.interrupted())
            return Interrupted(c);
        else
            c.error(LoadMessage(kMsgCommandFailed));
        return kExitFailed;
    }
    if (!r.Changed.isEmpty()) {
        RegisterEvents::Event e = RegisterEvents::FromWrite(WriteSettings::Mode::Flagged, r.Write);
        e.action = c.inv.commandName + QStringLiteral(" import");
        RecordEvent(c, e);
    }
    const QString name = ListFile::ListName(list);
    if (r.Changed.isEmpty())
        c.out(LoadMessage(kMsgListNothingToWrite, {name}));
    else
        c.out(LoadMessage(kMsgListImported, {name, r.Changed.size()}));
    return kExitDone;
}

int RunList(CommandContext& c, List list) {
    c.result.insert(QStringLiteral("file"), c.absolute(c.inv.file));
    c.result.insert(QStringLiteral("action"), c.inv.action);
    return c.inv.action == QLatin1String("export") ? Export(c, list) : Import(c, list);
}

} // namespace

int RunStations(CommandContext& c) {
    return RunList(c, List::Station);
}

int RunUsers(CommandContext& c) {
    return RunList(c, List::User);
}

} // namespace cli
