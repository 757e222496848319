// ports: the serial ports the platform knows, the infrared adapter marked.
// Opens nothing.
#include "cli/commands/Commands.h"

#include "app/Catalogue.h"
#include "app/Helpers.h"
#include "app/MessageIds.h"
#include "cli/CommandContext.h"

#include <QJsonArray>
#include <QJsonObject>

namespace cli {

int RunPorts(CommandContext& c) {
    uint16_t vendor = 0;
    uint16_t product = 0;
    ParseUsbIdSearchText(QStringLiteral("VID_10C4&PID_EA60"), &vendor, &product);
    QJsonArray list;
    QStringList lines;
    for (const SerialPortRecord& port : AvailableSerialPorts()) {
        const bool adapter = port.hasIds && port.vendorId == vendor && port.productId == product;
        QJsonObject o;
        o.insert(QStringLiteral("name"), port.portName);
        o.insert(QStringLiteral("location"), port.systemLocation);
        o.insert(
            QStringLiteral("vendorId"),
            port.hasIds
                ? QJsonValue(
                      QStringLiteral("%1").arg(port.vendorId, 4, 16, QLatin1Char('0')).toUpper())
                : QJsonValue());
        o.insert(
            QStringLiteral("productId"),
            port.hasIds
                ? QJsonValue(
                      QStringLiteral("%1").arg(port.productId, 4, 16, QLatin1Char('0')).toUpper())
                : QJsonValue());
        o.insert(QStringLiteral("adapter"), adapter);
        list.append(o);
        QString text = port.systemLocation;
        if (port.hasIds)
            text += QStringLiteral("  %1:%2").arg(o.value(QStringLiteral("vendorId")).toString(),
                                                  o.value(QStringLiteral("productId")).toString());
        if (adapter)
            text += QStringLiteral("  ") + LoadMessage(kMsgAdapterMark);
        lines << text;
    }
    c.result.insert(QStringLiteral("ports"), list);
    if (lines.isEmpty()) {
        c.out(LoadMessage(kMsgNoSerialPorts));
    } else {
        c.out(LoadMessage(kMsgSerialPortsHeading));
        for (const QString& l : lines)
            c.out(QStringLiteral("  ") + l);
    }
    return kExitDone;
}

} // namespace cli
