#include "records/WriteLabels.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "model/SettingsTable.h"
#include "model/clsInstrument.h"

#include <QHash>
#include <vector>

namespace {

struct CommandLabels {
    // One label for the whole command, or one per field.
    std::vector<int> ids;
    // The fields are the five channels.
    bool perChannel = false;
};

const QHash<QString, CommandLabels>& Labels() {
    static const QHash<QString, CommandLabels> table = {
        {QStringLiteral("BS"), {{kMsgSpecNo}}},
        {QStringLiteral("XZ"), {{kMsgUserId}}},
        {QStringLiteral("XS"), {{kMsgStationId}}},
        {QStringLiteral("IN"), {{kMsgSerialNo}}},
        {QStringLiteral("HN"), {{kMsgManufactureNumber}}},
        {QStringLiteral("GJ"), {{kMsgGas}, true}},
        {QStringLiteral("LS"), {{kMsgCustomSensor}}},
        {QStringLiteral("LP"), {{kMsgHcSelect}}},
        {QStringLiteral("AP"), {{kMsgAlarmPattern}}},
        {QStringLiteral("XI"), {{kMsgIdDisplay}}},
        {QStringLiteral("X7"), {{kMsgDisplayClearLogger}}},
        {QStringLiteral("EB"), {{kMsgPeakBarDisplay}}},
        {QStringLiteral("SD"), {{kMsgCalLimitDisplay}}},
        {QStringLiteral("SM"), {{kMsgCalLimitCheck}}},
        {QStringLiteral("SW"), {{kMsgCalLimitCheckGas}}},
        {QStringLiteral("XB"), {{kMsgConfirmationBeep}}},
        {QStringLiteral("XL"), {{kMsgLunchBreak}}},
        {QStringLiteral("XA"), {{kMsgAlarmSilence}}},
        {QStringLiteral("XW"), {{kMsgLoggerOverwrite}}},
        {QStringLiteral("XT"), {{kMsgBacklightTime}}},
        {QStringLiteral("X8"), {{kMsgDisplayPumpOnOff}}},
        {QStringLiteral("BV"), {{kMsgBumpTestFunction}}},
        {QStringLiteral("BJ"), {{kMsgBumpLimitDisplay}}},
        {QStringLiteral("BK"), {{kMsgBumpTimeLimit}}},
        {QStringLiteral("BL"), {{kMsgBumpLimitCheck}}},
        {QStringLiteral("BU"),
         {{kMsgBumpTestTime, kMsgBumpTestThreshold, kMsgCalTimeAfterBumpFail,
           kMsgCalAfterBumpFail}}},
        {QStringLiteral("BW"), {{kMsgBumpLimitCheckGas}}},
        {QStringLiteral("WB"), {{kMsgLcBhMode, kMsgBarHoleTime, kMsgLeakCheckBuzzer}}},
        {QStringLiteral("AF"), {{kMsgAlarmFunction}}},
        {QStringLiteral("AM"), {{kMsgStelTwaFunction}}},
        {QStringLiteral("AT"), {{kMsgOxygenAlarmType}}},
        {QStringLiteral("A1"), {{kMsgWarning}, true}},
        {QStringLiteral("A2"), {{kMsgAlarm}, true}},
        {QStringLiteral("AS"), {{kMsgStel}, true}},
        {QStringLiteral("AW"), {{kMsgTwa}, true}},
        {QStringLiteral("SA"), {{kMsgAutoCal}, true}},
        {QStringLiteral("UZ"), {{kMsgZeroFollower}, true}},
        {QStringLiteral("SC"), {{kMsgCalInterval}}},
        {QStringLiteral("XP"), {{kMsgIntervalTrendTime}}},
        {QStringLiteral("UJ"), {{kMsgDestination}}},
        {QStringLiteral("LE"), {{kMsgShNcAutoChange}}},
        {QStringLiteral("SJ"), {{kMsgAutoZero}}},
        {QStringLiteral("SG"), {{kMsgDemandZero}}},
        {QStringLiteral("MP"), {{kMsgUseUserPassword, kMsgUserPassword}}},
    };
    return table;
}

// The channel's gas name, or "CH<n+1>" when it has none.
QString ChannelName(const clsInstrument& record, int ch) {
    const QString name = record.GasName(ch).trimmed();
    if (name.isEmpty() || name.startsWith(QLatin1String("---")) ||
        name.startsWith(QLatin1String("***")))
        return LoadMessage(kMsgChannelLabel, {ch + 1});
    return name;
}

bool IsListEntry(const QString& writeCommand) {
    const QString code = writeCommand.left(2);
    return (code == QLatin1String("XS") || code == QLatin1String("XZ")) &&
           writeCommand.mid(5, 4) != QLatin1String("****");
}

} // namespace

QString WriteCommandLabel(const QString& code) {
    const auto it = Labels().constFind(code);
    if (it == Labels().constEnd())
        return code;
    return LoadMessage(it->ids.front()).remove(QStringLiteral("~1")).trimmed();
}

QString WriteFieldLabel(const QString& writeCommand, int field, const clsInstrument& record) {
    const QString code = writeCommand.left(2);
    if (IsListEntry(writeCommand)) {
        bool ok = false;
        const int entry = writeCommand.mid(5, 4).toInt(&ok, 16);
        const int list = code == QLatin1String("XS") ? kMsgStationList : kMsgUserList;
        return LoadMessage(kMsgListEntry, {LoadMessage(list), ok ? entry : -1});
    }
    const auto it = Labels().constFind(code);
    if (it == Labels().constEnd())
        return code;
    if (it->perChannel && field >= 0 && field < clsInstrument::kGasChannels) {
        const QString gas = ChannelName(record, field);
        // "Zero Follower (~1)" names its channel itself.
        if (it->ids.front() == kMsgZeroFollower)
            return LoadMessage(kMsgZeroFollower, {gas});
        return LoadMessage(it->ids.front()) + QStringLiteral(", ") + gas;
    }
    if (field >= 0 && size_t(field) < it->ids.size())
        return LoadMessage(it->ids[size_t(field)]);
    return WriteCommandLabel(code);
}

QString SettingLabel(const QString& key, int index, const clsInstrument& record) {
    const SettingsTable::Setting* row = SettingsTable::Find(key);
    if (!row || row->Command.isEmpty())
        return key;
    const QString code = row->Command;
    const bool list = code == QLatin1String("XS") || code == QLatin1String("XZ");
    switch (row->SettingKind) {
    case SettingsTable::Kind::ListEntry:
        return LoadMessage(
            kMsgListEntry,
            {LoadMessage(code == QLatin1String("XS") ? kMsgStationList : kMsgUserList), index});
    case SettingsTable::Kind::Channel:
        return WriteFieldLabel(code + QStringLiteral(",W,"), index, record);
    default:
        break;
    }
    if (list)
        return WriteCommandLabel(code); // the detector's own ID, not a list entry
    // The settings of the commands with several fields, by their field.
    static const QHash<QString, int> kFields = {
        {QStringLiteral("BumpTime"), 0},        {QStringLiteral("BumpThreshold"), 1},
        {QStringLiteral("BumpFailCalTime"), 2}, {QStringLiteral("BumpFailAfter"), 3},
        {QStringLiteral("LcBhMode"), 0},        {QStringLiteral("BhTime"), 1},
        {QStringLiteral("LcBuzzer"), 2},        {QStringLiteral("UseUserPassword"), 0},
        {QStringLiteral("UserPassword2"), 1},
    };
    return WriteFieldLabel(code + QStringLiteral(",W,"), kFields.value(key, 0), record);
}
