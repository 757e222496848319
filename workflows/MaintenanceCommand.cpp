#include "workflows/MaintenanceCommand.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "link/uclTqif.h"
#include "model/clsInstrument.h"

#include <functional>

namespace MaintenanceCommand {

namespace {

using workflows::Tone;

struct Texts {
    int start;
    int done;
    int failed;
    int notConnected;
    int notConnectedLog; // serial-log line, 0: none
    std::function<bool(uclTqif&)> operation;
};

const Texts& TextsOf(Kind kind) {
    static const Texts kDefault{kMsgDefaultStart,
                                kMsgDefaultComplete,
                                kMsgDefaultFail,
                                kMsgDataRemovalNoResponse,
                                kMsgDataRemoveSequenceNoResponse,
                                [](uclTqif& l) { return l.DefaultInstrument(); }};
    static const Texts kClearPower{
        kMsgClearPowerAreaStart,          kMsgClearPowerAreaComplete,
        kMsgClearPowerAreaFail,           kMsgDataRemovalNoResponse,
        kMsgDataRemoveSequenceNoResponse, [](uclTqif& l) { return l.PowerDataClear(); }};
    static const Texts kClearLogger{kMsgDataRemovalStart,
                                    kMsgDataRemovalComplete,
                                    kMsgDataRemovalFailed,
                                    kMsgDataRemovalNoResponse,
                                    kMsgDataRemoveSequenceNoResponse,
                                    [](uclTqif& l) { return l.BodyDataClear(); }};
    static const Texts kPowerOff{kMsgAutoPowerOff,
                                 kMsgAutoPowerOffComplete,
                                 kMsgAutoPowerOffFailed,
                                 kMsgPowerOffNoResponse,
                                 0,
                                 [](uclTqif& l) { return l.BodyPowerOff(); }};
    switch (kind) {
    case Kind::Default:
        return kDefault;
    case Kind::ClearPower:
        return kClearPower;
    case Kind::ClearLogger:
        return kClearLogger;
    case Kind::PowerOff:
        break;
    }
    return kPowerOff;
}

} // namespace

Result Run(uclTqif& link, clsInstrument& record, Kind kind, const workflows::Report& report) {
    const Texts& t = TextsOf(kind);
    Result result;
    if (!link.Connected()) {
        report.Line(LoadMessage(t.notConnected), Tone::Failure);
        if (t.notConnectedLog != 0)
            link.AddLog(LoadMessage(t.notConnectedLog));
        result.outcome = Outcome::NotConnected;
        result.reason = LinkResult::NotConnected;
        return result;
    }
    if (link.IsBusy()) {
        result.outcome = Outcome::Busy;
        result.reason = LinkResult::Busy;
        return result;
    }
    report.Line(LoadMessage(t.start), Tone::Progress);
    if (!t.operation(link)) {
        // A command that failed is reported as failed, whatever had been
        // received before, and in the failure colour: a failure line in the
        // colour of success is too easily read as done.
        report.Line(LoadMessage(t.failed), Tone::Failure);
        result.reason =
            link.LastResult() == LinkResult::Done ? LinkResult::Refused : link.LastResult();
        result.outcome = workflows::OutcomeOf(result.reason);
        return result;
    }
    if (kind == Kind::PowerOff) {
        record.setCommFlags(false);
        record.setImportFlag(false);
        record.ClearDatas();
    }
    result.outcome = Outcome::Success;
    result.DoneText = LoadMessage(t.done);
    return result;
}

} // namespace MaintenanceCommand
