#include "cli/CliCommands.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "cli/CliConsole.h"
#include "cli/CommandContext.h"
#include "cli/CommandTable.h"

#include "ProgramInfo.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace cli {

int RunInvocation(const Invocation& inv, Console& console) {
    // The name and the version, as the other two programs print them.
    if (inv.command == Command::Version) {
        console.out(QStringLiteral("tq7350ctl ") + QLatin1String(kProgramVersion));
        return kExitDone;
    }
    const CommandSpec* spec = FindCommand(inv.command);
    if (!spec)
        return kExitUsage;
    CommandContext c(inv, console);
    int status = kExitDone;
    if (spec->confirmation.needed && !inv.yes) {
        // Nothing is opened: the question with the hint that --yes answers it.
        c.error(spec->confirmation.text());
        c.error(LoadMessage(kMsgNeedsYes, {inv.commandName}));
        status = kExitUsage;
    } else {
        status = spec->run(c);
        c.closeSession();
    }
    // The usage text is printed as it is, with no document around it.
    if (inv.json && inv.command != Command::Help) {
        QJsonObject o = c.result;
        o.insert(QStringLiteral("command"), inv.commandName);
        o.insert(QStringLiteral("ok"), status == kExitDone);
        o.insert(QStringLiteral("exitStatus"), status);
        if (status != kExitDone)
            o.insert(QStringLiteral("error"), c.lastError);
        console.outRaw(QJsonDocument(o).toJson(QJsonDocument::Indented));
    }
    return status;
}

} // namespace cli
