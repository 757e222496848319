#include "workflows/RegisterEvents.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "link/uclTqif.h"
#include "model/clsInstrument.h"
#include "records/SettingsFile.h"
#include "register/RecordEvent.h"
#include "workflows/WriteSupport.h"

namespace RegisterEvents {

using namespace InstrumentRegister;

QString MaintenanceAction(MaintenanceCommand::Kind kind) {
    switch (kind) {
    case MaintenanceCommand::Kind::Default:
        return QStringLiteral("default");
    case MaintenanceCommand::Kind::ClearPower:
        return QStringLiteral("clear-power");
    case MaintenanceCommand::Kind::ClearLogger:
        return QStringLiteral("clear-logger");
    case MaintenanceCommand::Kind::PowerOff:
        return QStringLiteral("power-off");
    }
    return {};
}

Event FromRead(const clsInstrument& record, const InformationDownload::Result& result) {
    Event e = EventFor(record, EventKind::Read);
    e.success = result.Success();
    e.settings = SettingsFile::SettingsFileLines(record).join(QStringLiteral("\r\n"));
    e.channels = ChannelsOf(record, result.HistoryRead || result.BumpHistoryRead);
    if (!result.HistoryRead || !result.BumpHistoryRead) {
        // A history that was not read says nothing about the dates.
        for (ChannelEntry& c : e.channels) {
            if (!result.HistoryRead)
                c.calibrationDate = QDateTime();
            if (!result.BumpHistoryRead)
                c.bumpDate = QDateTime();
        }
    }
    e.limits = LimitsOf(record);
    return e;
}

Event FromWrite(WriteSettings::Mode mode, const WriteSettings::Result& result) {
    const WriteSettings::Identity& id = result.Detector;
    clsInstrument identity;
    identity.setSerialNo(id.SerialNo);
    identity.setStationID(id.StationId);
    identity.setUserID(id.UserId);
    identity.setSUM(id.Sum);
    identity.setRomNumber(id.Rom);
    identity.setSysDate(id.Clock);
    identity.setSysDateOffset(id.ClockOffset);
    Event e = EventFor(identity, EventKind::Write);
    e.success = result.Success();
    e.action = mode == WriteSettings::Mode::UpdateId ? QStringLiteral("update-id")
                                                     : QStringLiteral("update");
    e.written = result.Changes;
    return e;
}

Event FromRecovery(const clsInstrument& identity, const PendingWrite& entry,
                   UnfinishedWrite::Action action, const UnfinishedWrite::Result& result) {
    Event e = EventFor(identity, EventKind::Write);
    e.success = result.Success();
    const bool finish = action == UnfinishedWrite::Action::Finish;
    e.action = finish ? QStringLiteral("recover-finish") : QStringLiteral("recover-restore");
    e.written = finish ? entry.NewCommands : entry.OldCommands;
    return e;
}

Event FromMaintenance(const clsInstrument& identity, MaintenanceCommand::Kind kind,
                      const MaintenanceCommand::Result& result) {
    Event e = EventFor(identity, EventKind::Maintenance);
    e.action = MaintenanceAction(kind);
    e.success = result.Success();
    return e;
}

Event FromDetectorCommand(const clsInstrument& identity, const char* action) {
    Event e = EventFor(identity, EventKind::Maintenance);
    e.action = QString::fromLatin1(action);
    return e;
}

Event FromFlashCheck(const clsInstrument& identity, const FlashCheck::Result& result) {
    Event e = EventFor(identity, EventKind::Maintenance);
    e.action = QString::fromLatin1(kFlashCheckAction);
    e.success = result.outcome == workflows::Outcome::Success;
    switch (result.verdict) {
    case FlashCheck::Verdict::Ok:
        e.result = LoadMessage(kMsgFlashCheckResult, {QStringLiteral("OK")});
        break;
    case FlashCheck::Verdict::Ng:
        e.result = LoadMessage(kMsgFlashCheckResult, {QStringLiteral("NG")});
        break;
    case FlashCheck::Verdict::None:
        e.result = result.FailureText;
        break;
    }
    return e;
}

Event FromCalibration(const clsInstrument& identity, const clsInstrument& calRecord,
                      const clsInstrument* history, bool span,
                      const CalibrationRun::Channels& reported,
                      const CalibrationRun::Result& result,
                      const CalibrationRun::Readings* readings) {
    Event e = EventFor(identity, span ? EventKind::Span : EventKind::Zero);
    e.success = result.Success();
    e.result = result.ResultText;
    e.channels = ChannelsOf(calRecord, false);
    for (ChannelEntry& c : e.channels) {
        const size_t ch = size_t(c.channel);
        c.calibrated = reported[ch];
        c.ok = reported[ch] && result.Success() && result.Status[ch];
        if (span && reported[ch])
            c.spanConcentration = calRecord.AutoCalib(c.channel);
        if (span && history) {
            c.calibrationBefore = history->CalibBefore(c.channel);
            c.calibrationAfter = history->CalibAfter(c.channel);
        }
        if (readings && reported[ch]) {
            c.readingKnown = true;
            c.reading = (*readings)[ch];
        }
    }
    return e;
}

Event FromTeN2(const clsInstrument& identity, const clsInstrument& calRecord,
               const CalibrationRun::Result& result, const CalibrationRun::Readings* readings) {
    CalibrationRun::Channels reported{};
    reported[CalibrationRun::kTeChannel] = true;
    Event e = FromCalibration(identity, calRecord, nullptr, false, reported, result, readings);
    e.action = QString::fromLatin1(kTeN2Action);
    return e;
}

void Identify(uclTqif& link, clsInstrument& identity) {
    if (!SerialOf(identity.SerialNo()).isEmpty() || !link.Connected())
        return;
    clsInstrument read;
    if (WriteSupport::ReadIdentity(link, read) != LinkResult::Done)
        return;
    identity.setSerialNo(read.SerialNo());
    identity.setStationID(read.StationID());
    identity.setUserID(read.UserID());
    identity.setSUM(read.SUM());
    identity.setRomNumber(read.RomNumber());
    identity.setSysDate(read.SysDate());
    identity.setSysDateOffset(read.SysDateOffset());
    identity.ClearChangeFlags();
}

void Recorder::setLocation(const Location& location) {
    location_ = location;
    store_.reset();
}

Store* Recorder::Open(QString* error) {
    if (store_ && store_->IsOpen())
        return store_.get();
    store_ = std::make_unique<Store>();
    if (!store_->Open(location_, error)) {
        store_.reset();
        return nullptr;
    }
    return store_.get();
}

bool Recorder::Record(Event event, const workflows::Report& report, qint64* id) {
    if (!enabled() || event.serialNo.isEmpty())
        return false;
    QString error;
    Store* store = Open(&error);
    if (store && store->Record(event, &error)) {
        if (id)
            *id = event.id;
        return true;
    }
    // Next time the register is opened afresh (the server may be back).
    store_.reset();
    report.Line(LoadMessage(kMsgRegisterNotRecorded, {error}), workflows::Tone::Failure);
    return false;
}

} // namespace RegisterEvents
