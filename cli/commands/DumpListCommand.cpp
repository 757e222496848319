// dump-list: "EEPROM Dump", the detector's memory dump list as a commented
// hexadecimal listing, through the DumpList workflow.
#include "cli/commands/Commands.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "cli/CliSession.h"
#include "cli/CommandContext.h"
#include "workflows/DumpList.h"

namespace cli {

int RunDumpList(CommandContext& c) {
    CliSession& s = c.session();
    const QString path = c.absolute(c.inv.file);
    if (!CheckOutputFile(c, path))
        return kExitUsage;
    if (const int status = Connect(c); status != kExitDone)
        return status;
    c.result.insert(QStringLiteral("file"), path);

    DumpList::Options options;
    options.Path = path;
    DumpList::Result r;
    {
        StepProgress progress(c, LoadMessage(kMsgDataDownloadNow));
        r = DumpList::Run(s.link(), options, progress.report());
    }
    if (!r.Success())
        return r.outcome == DumpList::Outcome::Cancelled || s.interrupted() ? Interrupted(c)
                                                                            : kExitFailed;
    c.out(LoadMessage(kMsgDumpListWritten, {path}));
    return kExitDone;
}

} // namespace cli
