// zero and span: the calibration runs of the calibration window, through the
// CalibrationRun workflow.
#include "cli/commands/Commands.h"

#include "app/Catalogue.h"
#include "app/Helpers.h"
#include "app/MessageIds.h"
#include "cli/CliSession.h"
#include "cli/CommandContext.h"
#include "cli/RecordText.h"
#include "model/CalibrationRules.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"
#include "workflows/CalibrationRun.h"

#include <QJsonArray>
#include <QJsonObject>

#include <array>
#include <cmath>

namespace cli {

namespace {

// Gas information and span gas values of the detector, as the calibration
// window reads them when it opens; a channel takes part when it is on and
// has a span gas value. The span-gas rule needs the channels' alarm points:
// those are the detector's own, read here rather than assumed.
bool ReadCalibrationInfo(CommandContext& c, CliSession& s, CalibrationRun::Channels* calEnable,
                         bool alarmPoints = false) {
    if (CalibrationRun::ReadInfo(s.link(), s.record(), alarmPoints, calEnable) == LinkResult::Done)
        return true;
    c.error(LoadMessage(kMsgCommandFailed));
    return false;
}

// Reports the channels of a run in the calibration window's words; false
// when a reported channel failed.
bool ReportCalibration(CommandContext& c, const clsInstrument& r,
                       const CalibrationRun::Channels& reported,
                       const CalibrationRun::Result& run) {
    QJsonArray channels;
    bool all = true;
    for (int ch = 0; ch < 5; ++ch) {
        QJsonObject o;
        o.insert(QStringLiteral("channel"), ch);
        o.insert(QStringLiteral("name"), r.GasName(ch).trimmed());
        o.insert(QStringLiteral("calibrated"), reported[size_t(ch)]);
        const bool ok = reported[size_t(ch)] && run.Status[size_t(ch)];
        o.insert(QStringLiteral("ok"), ok);
        channels.append(o);
        if (!reported[size_t(ch)])
            continue;
        all = all && ok;
        c.out(CalibrationLine(r, ch, ok));
    }
    c.result.insert(QStringLiteral("result"), run.ResultText);
    c.result.insert(QStringLiteral("channels"), channels);
    return all;
}

// Who the detector is, for the register: the calibration reads replace the
// record, so its identity is asked for on its own.
clsInstrument Identity(CommandContext& c, CliSession& s) {
    clsInstrument identity;
    if (c.recorder().enabled())
        RegisterEvents::Identify(s.link(), identity);
    return identity;
}

// The report of a calibration run: its progress texts as progress lines.
workflows::Report CalibrationReport(CommandContext& c) {
    workflows::Report report = ConsoleReport(c);
    report.progress = [&c](const QString& text) { c.info(text); };
    return report;
}

} // namespace

int RunZero(CommandContext& c) {
    CliSession& s = c.session();
    if (const int status = Connect(c); status != kExitDone)
        return status;
    CalibrationRun::Channels calEnable{};
    if (!ReadCalibrationInfo(c, s, &calEnable))
        return kExitFailed;
    uclTqif& link = s.link();
    const clsInstrument identity = Identity(c, s);
    link.SetPump(true);
    CalibrationRun::Options options;
    options.RestartReadings = false;
    const CalibrationRun::Result run = CalibrationRun::Zero(link, options, CalibrationReport(c));
    link.SetPump(false);
    if (!run.Success())
        return s.interrupted() ? Interrupted(c) : kExitFailed;
    RecordEvent(
        c, RegisterEvents::FromCalibration(identity, s.record(), nullptr, false, calEnable, run));
    if (!ReportCalibration(c, s.record(), calEnable, run)) {
        c.error(LoadMessage(kMsgCalibrationFailedChannels));
        return kExitFailed;
    }
    return kExitDone;
}

int RunSpan(CommandContext& c) {
    CliSession& s = c.session();
    // --channels and --conc are checked before anything is opened.
    const QString flags = c.inv.channels;
    bool flagsOk = flags.size() == 5 && flags.contains(QLatin1Char('1'));
    for (const QChar ch : flags)
        flagsOk = flagsOk && (ch == QLatin1Char('0') || ch == QLatin1Char('1'));
    if (!flagsOk) {
        c.error(LoadMessage(kMsgBadChannelFlags));
        return kExitUsage;
    }
    std::array<bool, 5> selected{};
    for (int ch = 0; ch < 5; ++ch)
        selected[size_t(ch)] = flags.at(ch) == QLatin1Char('1');
    std::array<bool, 5> given{};
    std::array<double, 5> values{};
    if (!c.inv.concentrations.isEmpty()) {
        const QStringList parts = c.inv.concentrations.split(QLatin1Char(','));
        if (parts.size() != 5) {
            c.error(LoadMessage(kMsgBadConcentrations));
            return kExitUsage;
        }
        for (int ch = 0; ch < 5; ++ch) {
            const QString part = parts.at(ch).trimmed();
            if (part.isEmpty() || part == QLatin1String("*"))
                continue;
            // A value for a channel that is not calibrated is a mistake.
            if (!selected[size_t(ch)] || !ParseNumericText(part, &values[size_t(ch)])) {
                c.error(LoadMessage(kMsgBadConcentrations));
                return kExitUsage;
            }
            given[size_t(ch)] = true;
        }
    }

    if (const int status = Connect(c); status != kExitDone)
        return status;
    CalibrationRun::Channels calEnable{};
    if (!ReadCalibrationInfo(c, s, &calEnable, true))
        return kExitFailed;
    clsInstrument& r = s.record();

    // The calibration window's rules for a span gas value: within the full
    // scale, reaching the alarm point, taken to the channel's resolution.
    const QStringList texts = c.inv.concentrations.split(QLatin1Char(','));
    for (int ch = 0; ch < 5; ++ch) {
        if (!selected[size_t(ch)])
            continue;
        if (!calEnable[size_t(ch)]) {
            c.error(LoadMessage(kMsgChannelNotCalibratable, {ch}));
            return kExitUsage;
        }
        if (!given[size_t(ch)])
            continue;
        const SpanConcentration value =
            ParseSpanConcentration(r, ch, QString::number(values[size_t(ch)], 'g', 9));
        const int point = r.GasPoint(ch);
        if (!value.accepted) {
            c.error(LoadMessage(
                kMsgConcentrationOutOfRange,
                {texts.at(ch).trimmed(), ch,
                 modGasCommon::FormatReading(r.GasFullScale(ch), point).trimmed(),
                 modGasCommon::FormatReading(modGasCommon::AlarmLevelOf(r, ch), point).trimmed()}));
            return kExitUsage;
        }
        if (std::fabs(value.value - values[size_t(ch)]) > 1e-6)
            c.info(LoadMessage(kMsgSpanValueSnapped,
                               {texts.at(ch).trimmed(), ch,
                                modGasCommon::FormatReading(value.value, point).trimmed(),
                                modGasCommon::FormatReading(r.GasDesit(ch), point).trimmed()}));
        r.setAutoCalib(ch, value.value);
    }
    c.result.insert(QStringLiteral("request"), CalibrationRun::SpanCommandText(r, selected));

    uclTqif& link = s.link();
    const clsInstrument identity = Identity(c, s);
    link.SetPump(true);
    CalibrationRun::Options options;
    options.RestartReadings = false;
    const CalibrationRun::Result run =
        CalibrationRun::Span(link, r, selected, &r, options, CalibrationReport(c));
    link.SetPump(false);
    if (!run.Success())
        return s.interrupted() ? Interrupted(c) : kExitFailed;
    RecordEvent(c, RegisterEvents::FromCalibration(identity, r, &r, true, selected, run));
    if (!ReportCalibration(c, r, selected, run)) {
        c.error(LoadMessage(kMsgCalibrationFailedChannels));
        return kExitFailed;
    }
    return kExitDone;
}

} // namespace cli
