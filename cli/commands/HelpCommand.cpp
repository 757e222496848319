// help (and --help, -h): the usage text.
#include "cli/commands/Commands.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "cli/CliConsole.h"
#include "cli/CommandContext.h"

namespace cli {

int RunHelp(CommandContext& c) {
    // The short form "tq7350ctl --version" goes under the usage line, before
    // the first blank line.
    QString usage = LoadMessage(kMsgUsage);
    const QString lineBreak = QStringLiteral("\r\n");
    const int blank = usage.indexOf(lineBreak + lineBreak);
    const QString versionForm = lineBreak + LoadMessage(kMsgUsageVersion);
    if (blank < 0)
        usage += versionForm;
    else
        usage.insert(blank, versionForm);
    // The register's command and options after the other commands, before
    // the last blank line (the exit status).
    const QString registerLines = lineBreak + LoadMessage(kMsgRegisterUsage);
    const int last = usage.lastIndexOf(lineBreak + lineBreak);
    if (last < 0)
        usage += registerLines;
    else
        usage.insert(last, registerLines);
    c.console.out(usage);
    return kExitDone;
}

} // namespace cli
