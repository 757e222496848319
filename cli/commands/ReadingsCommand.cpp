// readings: the live concentrations, N lines of the five channels.
#include "cli/commands/Commands.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "cli/CliSession.h"
#include "cli/CommandContext.h"
#include "cli/RecordJson.h"
#include "cli/RecordText.h"
#include "model/clsInstrument.h"

#include <QJsonArray>
#include <QList>

#include <array>

namespace cli {

int RunReadings(CommandContext& c) {
    CliSession& s = c.session();
    if (const int status = Connect(c); status != kExitDone)
        return status;
    clsInstrument& r = s.record();
    if (!s.link().GetGasInfo(&r)) {
        c.error(LoadMessage(kMsgCommandFailed));
        return kExitFailed;
    }
    QList<std::array<float, 5>> readings;
    const QMetaObject::Connection conn = QObject::connect(
        &s.link(), &uclTqif::Densty, [&readings](float v0, float v1, float v2, float v3, float v4) {
            readings.append({v0, v1, v2, v3, v4});
        });
    c.out(ReadingsHeader(r));
    // A reading is due every second; give up when none arrives within the
    // time a command may take with all its repetitions.
    const qint64 limitMs = qint64(s.link().Timeout()) * (s.link().Retry() + 1) * 1000 + 2000;
    s.link().setRunDensty(true);
    int shown = 0;
    while (readings.size() < c.inv.count && !s.interrupted()) {
        const int before = readings.size();
        s.idleWhile([&] { return readings.size() == before; }, limitMs);
        for (; shown < readings.size() && shown < c.inv.count; ++shown)
            c.out(ReadingsLine(r, readings.at(shown)));
        if (readings.size() == before)
            break;
    }
    s.link().setRunDensty(false);
    QObject::disconnect(conn);

    QJsonArray list;
    for (int i = 0; i < readings.size() && i < c.inv.count; ++i) {
        QJsonArray values;
        for (float v : readings.at(i))
            values.append(ValueJson(v));
        list.append(values);
    }
    QJsonArray names;
    for (int ch = 0; ch < 5; ++ch)
        names.append(r.GasEnabled(ch) ? QJsonValue(r.GasName(ch).trimmed()) : QJsonValue());
    c.result.insert(QStringLiteral("channels"), names);
    c.result.insert(QStringLiteral("readings"), list);
    if (s.interrupted())
        return Interrupted(c);
    if (readings.size() < c.inv.count) {
        c.error(LoadMessage(kMsgNoReading));
        return kExitFailed;
    }
    return kExitDone;
}

} // namespace cli
