// clock: the PC's and the detector's clock; "Date/Time Set" with --set.
#include "cli/commands/Commands.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "cli/CliConsole.h"
#include "cli/CliSession.h"
#include "cli/CommandContext.h"
#include "cli/RecordJson.h"
#include "cli/RecordText.h"
#include "link/CommandSet.h"
#include "model/clsInstrument.h"
#include "workflows/ClockAndCheckData.h"
#include "workflows/RegisterEvents.h"

#include <QDateTime>
#include <QJsonObject>

namespace cli {

namespace {

bool ReadClock(CliSession& s) {
    s.link().setInstrument(&s.record());
    return s.link().SendAndWait(CommandSet::ReadCommand(QStringLiteral("HC")),
                                kStatusAwaitingRead) == LinkResult::Done;
}

} // namespace

int RunClock(CommandContext& c) {
    CliSession& s = c.session();
    if (const int status = Connect(c); status != kExitDone)
        return status;
    if (c.inv.set) {
        // "Date/Time Set".
        const DateTimeSet::Result set =
            DateTimeSet::Run(s.link(), s.record(), {}, ConsoleReport(c));
        c.result.insert(QStringLiteral("set"), set.Success());
        if (!set.Success()) {
            if (s.interrupted())
                return Interrupted(c);
            c.error(LoadMessage(kMsgClockSetFailed));
            return kExitFailed;
        }
        clsInstrument identity = s.record();
        if (c.recorder().enabled())
            RegisterEvents::Identify(s.link(), identity);
        RecordEvent(c,
                    RegisterEvents::FromDetectorCommand(identity, RegisterEvents::kClockSetAction));
    }
    if (!ReadClock(s)) {
        if (s.interrupted())
            return Interrupted(c);
        if (s.record().FailLine().startsWith(QLatin1String("HC")))
            c.line(LoadMessage(kMsgDetectorDateInvalid), Console::kRed);
        c.error(LoadMessage(kMsgCommandFailed));
        return kExitFailed;
    }
    const QDateTime now = QDateTime::currentDateTime();
    const QJsonObject clock = ClockToJson(s.record(), now);
    c.result.insert(QStringLiteral("clock"), clock);
    if (clock.value(QStringLiteral("mismatch")).toBool())
        c.line(LoadMessage(kMsgDateMismatch), Console::kRed);
    c.out(ClockSummary(s.record(), now));
    return kExitDone;
}

} // namespace cli
