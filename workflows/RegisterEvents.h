// What the window and the tool record in the instrument register after each
// piece of work on a detector, and the recorder that does it.
//
// The register is filled after a workflow has returned, from its result, in
// one place for both programs: the workflows stay about the detector alone,
// and nothing the register does (a locked file, a server that is down) can
// change how the detector work ended or what the caller reports about it. A
// failure to record costs one warning line and nothing else.
#pragma once

#include "register/RegisterEvent.h"
#include "register/RegisterLocation.h"
#include "register/RegisterStore.h"
#include "workflows/CalibrationRun.h"
#include "workflows/FlashCheck.h"
#include "workflows/InformationDownload.h"
#include "workflows/MaintenanceCommand.h"
#include "workflows/Report.h"
#include "workflows/UnfinishedWrite.h"
#include "workflows/WriteSettings.h"

#include <array>
#include <memory>

class clsInstrument;
class uclTqif;

namespace RegisterEvents {

using InstrumentRegister::Event;

// The stored names of the maintenance commands.
QString MaintenanceAction(MaintenanceCommand::Kind kind);
constexpr const char* kFlashCheckAction = "flash-check";
// "Date/Time Set" (the detector's clock, which every date it reports hangs
// on) and "Write Check Data" (the check pattern written over its logger
// memory) change the detector too: maintenance events of these names.
constexpr const char* kClockSetAction = "clock-set";
constexpr const char* kCheckDataAction = "check-data";

// A successful "Instrument Information" read: identity, clock, the settings as
// the text of a settings file, the channels with their latest calibration
// and bump test (when the histories were read) and the limits.
Event FromRead(const clsInstrument& record, const InformationDownload::Result& result);

// A successful write: the detector it went to and what it changed.
Event FromWrite(WriteSettings::Mode mode, const WriteSettings::Result& result);

// A write that did not complete, resolved: a write event, action
// "recover-finish" (the new values sent again) or "recover-restore" (the old
// ones put back), with the commands sent.
Event FromRecovery(const clsInstrument& identity, const PendingWrite& entry,
                   UnfinishedWrite::Action action, const UnfinishedWrite::Result& result);

// The events below are filed under the detector `identity` describes (its
// serial number, station, user and clock); see Identify.

// A maintenance command.
Event FromMaintenance(const clsInstrument& identity, MaintenanceCommand::Kind kind,
                      const MaintenanceCommand::Result& result);
Event FromFlashCheck(const clsInstrument& identity, const FlashCheck::Result& result);
// A command the detector took: "Date/Time Set" or "Write Check Data".
Event FromDetectorCommand(const clsInstrument& identity, const char* action);

// A zero (`span` false) or span run: per reported channel its gas, range,
// span-gas concentration (of `calRecord`), result and reading at the end
// (`readings`, when known), and after a span run the values before and
// after from the calibration history the run read into `history`.
Event FromCalibration(const clsInstrument& identity, const clsInstrument& calRecord,
                      const clsInstrument* history, bool span,
                      const CalibrationRun::Channels& reported,
                      const CalibrationRun::Result& result,
                      const CalibrationRun::Readings* readings = nullptr);

// The N2 zero of channel 4: a zero event of that channel, action "te-n2".
constexpr const char* kTeN2Action = "te-n2";
Event FromTeN2(const clsInstrument& identity, const clsInstrument& calRecord,
               const CalibrationRun::Result& result, const CalibrationRun::Readings* readings);

// Reads the detector's identity and clock into `identity` when it holds no
// serial number (the detector was not read), so that an event can be filed.
void Identify(uclTqif& link, clsInstrument& identity);

// Records events in the register at `location`, opening it on first use.
class Recorder {
public:
    Recorder() = default;
    explicit Recorder(const InstrumentRegister::Location& location) : location_(location) {}

    void setLocation(const InstrumentRegister::Location& location);
    const InstrumentRegister::Location& location() const { return location_; }
    bool enabled() const { return location_.enabled(); }

    // Records `event`. An event without a serial number is not recorded. A
    // register that cannot be opened or written gives one failure line
    // through `report` and false; the caller goes on as before. `id`
    // receives the event's number.
    bool Record(Event event, const workflows::Report& report, qint64* id = nullptr);

    // The register, opened (for the views); null with the reason when it
    // cannot be opened.
    InstrumentRegister::Store* Open(QString* error);

private:
    InstrumentRegister::Location location_;
    std::unique_ptr<InstrumentRegister::Store> store_;
};

} // namespace RegisterEvents
