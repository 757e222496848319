// Checks before a settings write. See WriteChecks.h.
#include "records/WriteChecks.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "model/OptionRules.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"

namespace {

constexpr int kChannels = clsInstrument::kGasChannels;

WriteCheckResult Refuse(WriteCheck check, int channel = -1) {
    WriteCheckResult r;
    r.check = check;
    r.channel = channel;
    return r;
}

bool HasName(const clsInstrument& record, int ch) {
    return !record.GasName(ch).trimmed().isEmpty();
}

} // namespace

int WriteCheckResult::messageId() const {
    switch (check) {
    case WriteCheck::PointsOutOfRange:
        return kMsgCheckAlarmPoints; // "Check warning and alarm value. (red color cells)"
    case WriteCheck::ImproperAutoCal:
        return kMsgImproperAutoCal; // "Improper Auto Cal."
    case WriteCheck::NoSensor:
        return kMsgNoAvailableSensor; // "No available sensor."
    case WriteCheck::BadCombination:
        return kMsgUnavailableCombination; // "This is not available combination."
    case WriteCheck::Passed:
        break;
    }
    return 0;
}

int WriteCheckResult::titleId() const {
    switch (check) {
    case WriteCheck::PointsOutOfRange:
        return kMsgAlarmPointRange; // "Warning and alarm range."
    case WriteCheck::ImproperAutoCal:
        return kMsgAutoCalTitle; // "Auto Cal."
    case WriteCheck::NoSensor:
        return kMsgNoSensor; // "No sensor"
    case WriteCheck::BadCombination:
        return kMsgCommunicationNotPossible; // "The communication is not possible"
    case WriteCheck::Passed:
        break;
    }
    return 0;
}

QString WriteCheckResult::messageText() const {
    return passed() ? QString() : LoadMessage(messageId());
}

QString WriteCheckResult::titleText() const {
    return passed() ? QString() : LoadMessage(titleId());
}

WriteCheckResult CheckBeforeWrite(const clsInstrument& record) {
    // 1. Alarm points of the enabled channels 0..3.
    for (int ch = 0; ch <= 3; ++ch) {
        if (record.GasEnabled(ch) && !OptionRules::ChannelPointsValid(record, ch))
            return Refuse(WriteCheck::PointsOutOfRange, ch);
    }
    // 2. Auto-cal values of every channel, enabled or not.
    for (int ch = 0; ch < kChannels; ++ch) {
        if (!OptionRules::AutoCalValid(record, ch))
            return Refuse(WriteCheck::ImproperAutoCal, ch);
    }
    // 3. At least one channel in use.
    bool anyEnabled = false;
    for (int ch = 0; ch < kChannels; ++ch)
        anyEnabled = anyEnabled || record.GasEnabled(ch);
    if (!anyEnabled)
        return Refuse(WriteCheck::NoSensor);
    // 4. The combustible pair (channel 0 in %LEL, channel 4 in volume) and
    //    the gas names.
    const bool lel = record.GasEnabled(0);
    const bool vol = record.GasEnabled(4);
    switch (record.HcMode()) {
    case 0:
        if (lel != vol)
            return Refuse(WriteCheck::BadCombination, lel ? 4 : 0);
        break;
    case 1:
        if (vol && !lel)
            return Refuse(WriteCheck::BadCombination, 0);
        break;
    case 2:
        if (lel && !vol)
            return Refuse(WriteCheck::BadCombination, 4);
        break;
    default:
        break;
    }
    if (lel && vol && record.GasName(0).trimmed() != record.GasName(4).trimmed())
        return Refuse(WriteCheck::BadCombination, 4);
    for (int ch = 0; ch < kChannels; ++ch) {
        if (record.GasEnabled(ch) && !HasName(record, ch))
            return Refuse(WriteCheck::BadCombination, ch);
    }
    return WriteCheckResult{};
}

namespace {

// "Channel 0 CH4(100%LEL): <text>".
QString ChannelLine(const clsInstrument& record, int ch, const QString& text) {
    return LoadMessage(kMsgChannelCheckLine,
                       {ch, modGasCommon::FormatGasLabel(record, ch, true), text});
}

QStringList CombinationDetails(const clsInstrument& record) {
    const bool lel = record.GasEnabled(0);
    const bool vol = record.GasEnabled(4);
    const int mode = record.HcMode();
    QStringList lines;
    if (mode == 0 && lel != vol)
        lines << LoadMessage(kMsgHcBothOrNone, {mode});
    if (mode == 1 && vol && !lel)
        lines << LoadMessage(kMsgHcVolAlone, {mode});
    if (mode == 2 && lel && !vol)
        lines << LoadMessage(kMsgHcLelAlone, {mode});
    if (lel && vol && record.GasName(0).trimmed() != record.GasName(4).trimmed())
        lines << LoadMessage(kMsgHcDifferentGases,
                             {record.GasName(0).trimmed(), record.GasName(4).trimmed()});
    for (int ch = 0; ch < kChannels; ++ch) {
        if (record.GasEnabled(ch) && !HasName(record, ch))
            lines << LoadMessage(kMsgChannelWithoutName, {ch});
    }
    return lines;
}

} // namespace

QStringList CheckDetails(const clsInstrument& record, const WriteCheckResult& result) {
    QStringList lines;
    switch (result.check) {
    case WriteCheck::PointsOutOfRange:
        for (int ch = 0; ch <= 3; ++ch) {
            if (!record.GasEnabled(ch))
                continue;
            for (const QString& problem : OptionRules::PointProblems(record, ch))
                lines << ChannelLine(record, ch, problem);
        }
        break;
    case WriteCheck::ImproperAutoCal:
        for (int ch = 0; ch < kChannels; ++ch) {
            const QString problem = OptionRules::AutoCalProblem(record, ch);
            if (!problem.isEmpty())
                lines << ChannelLine(record, ch, problem);
        }
        break;
    case WriteCheck::BadCombination:
        lines = CombinationDetails(record);
        break;
    case WriteCheck::NoSensor:
    case WriteCheck::Passed:
        break;
    }
    return lines;
}
