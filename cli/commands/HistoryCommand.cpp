// history: the latest calibration and bump test of every channel.
#include "cli/commands/Commands.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "cli/CliSession.h"
#include "cli/CommandContext.h"
#include "cli/RecordJson.h"
#include "cli/RecordText.h"
#include "model/clsInstrument.h"

#include <QJsonArray>
#include <QJsonObject>

namespace cli {

int RunHistory(CommandContext& c) {
    CliSession& s = c.session();
    if (const int status = Connect(c); status != kExitDone)
        return status;
    clsInstrument& r = s.record();
    const bool ok = s.link().GetGasInfo(&r) && s.link().GetLatestHistory(&r) &&
                    s.link().GetLatestBumpHistory(&r);
    if (!ok) {
        if (s.interrupted())
            return Interrupted(c);
        c.error(LoadMessage(kMsgHistoryReadFailed));
        return kExitFailed;
    }
    QJsonArray channels;
    for (int ch = 0; ch < 5; ++ch) {
        QJsonObject o = ChannelHistoryToJson(r, ch);
        o.insert(QStringLiteral("channel"), ch);
        o.insert(QStringLiteral("enabled"), r.GasEnabled(ch));
        o.insert(QStringLiteral("name"), r.GasName(ch).trimmed());
        channels.append(o);
    }
    c.result.insert(QStringLiteral("channels"), channels);
    c.out(HistorySummary(r));
    return kExitDone;
}

} // namespace cli
