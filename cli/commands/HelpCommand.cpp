// help (and --help, -h): the usage text.
#include "cli/commands/Commands.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "cli/CliConsole.h"
#include "cli/CommandContext.h"

namespace cli {

int RunHelp(CommandContext& c) {
    c.console.out(LoadMessage(kMsgUsage));
    return kExitDone;
}

} // namespace cli
