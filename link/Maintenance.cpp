#include "link/Maintenance.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "link/CommandSet.h"
#include "link/LinkClock.h"
#include "link/ReadSequence.h"
#include "link/SerialTransport.h"
#include "link/SocketTransport.h"
#include "link/uclTqif.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"

namespace {

constexpr int kChannels = 5;
// Entries of the read table that make up the identity read.
constexpr int kIdentityEntries = 5;
// Ticks of the link clock the detector needs to switch itself off.
constexpr int kPowerOffTicks = 50;

const QString kConcentrationRead = QStringLiteral("DN,R,");

// Raises the record's message text through `raise` and empties it.
std::function<void()> MessageRaiser(clsInstrument* rec,
                                    const std::function<void(const QString&)>& raise) {
    return [rec, raise] {
        if (!rec)
            return;
        const QString text = rec->MessageString();
        if (!text.isEmpty()) {
            raise(text);
            rec->setMessageString(QString());
        }
    };
}

} // namespace

Maintenance::Maintenance(uclTqif& link, ResponseContext& ctx) : link_(link), ctx_(ctx) {}

// --- Helpers -------------------------------------------------------------------

bool Maintenance::sendAndWait(const QString& commandText, int waitStatus,
                              const std::function<void()>& whileWaiting) {
    return link_.SendAndWait(commandText, waitStatus, whileWaiting) == LinkResult::Done;
}

LinkResult Maintenance::confirm(const QString& confirmText, int waitStatus, qint64 pollMs,
                                const std::function<bool()>& done,
                                const std::function<void()>& eachPause) {
    return ConfirmEvery(link_, ctx_, confirmText, waitStatus,
                        ConfirmTiming{pollMs, confirmLimitMs_}, done, eachPause);
}

bool Maintenance::begin() {
    // Another command is waiting: this one is refused and changes nothing.
    if (link_.IsBusy()) {
        link_.setLastResult(LinkResult::Busy);
        return false;
    }
    // A cancel left from an earlier operation would end this one at once.
    link_.setCancel(false);
    return true;
}

QString Maintenance::dateText() const {
    return SerialLog::GeneralDate(link_.serialLog().now());
}

bool Maintenance::ChannelSucceeded(const QString& result, int index) {
    return result.size() == kChannels && index >= 0 && index < kChannels &&
           result.at(index) == QLatin1Char('0');
}

// --- Partial reads -------------------------------------------------------------

bool Maintenance::beginRead(clsInstrument* iObj) {
    if (!iObj || !begin())
        return false;
    ctx_.Instrument = iObj;
    return true;
}

bool Maintenance::GetRomNo(clsInstrument* iObj) {
    if (!beginRead(iObj))
        return false;
    iObj->setFailLine(QString());
    const auto raise =
        MessageRaiser(iObj, [this](const QString& text) { emit link_.InstMessage(text); });
    const QStringList& table = ReadCommandTable();
    for (int i = 0; i < kIdentityEntries; ++i) {
        if (!sendAndWait(table.at(i), kStatusAwaitingRead, raise))
            return false;
    }
    return true;
}

bool Maintenance::singleRead(clsInstrument* iObj, const QString& commandText) {
    if (!beginRead(iObj))
        return false;
    iObj->setFailLine(QString());
    return sendAndWait(
        commandText, kStatusAwaitingRead,
        MessageRaiser(iObj, [this](const QString& text) { emit link_.InstMessage(text); }));
}

bool Maintenance::GetGasInfo(clsInstrument* iObj) {
    if (link_.IsBusy())
        return false;
    if (singleRead(iObj, CommandSet::ReadCommand(QStringLiteral("GJ"))))
        return true;
    link_.setStatus(kStatusStopped);
    if (iObj) {
        for (int i = 0; i < kChannels; ++i) {
            iObj->setGasEnabled(i, false);
            iObj->setGasName(i, QStringLiteral("----------"));
            iObj->setChange_GasEnable(i, false);
        }
    }
    return false;
}

bool Maintenance::GetAutoCalDensty(clsInstrument* iObj) {
    if (link_.IsBusy())
        return false;
    if (singleRead(iObj, CommandSet::ReadCommand(QStringLiteral("SA"))))
        return true;
    link_.setStatus(kStatusStopped);
    if (iObj) {
        for (int i = 0; i < kChannels; ++i)
            iObj->setAutoCalib(i, modGasCommon::kNoValue);
    }
    return false;
}

bool Maintenance::historyRead(clsInstrument* iObj, const QString& commandText) {
    if (!beginRead(iObj))
        return false;
    const bool ok = sendAndWait(
        commandText, kStatusAwaitingRead,
        MessageRaiser(iObj, [this](const QString& text) { emit link_.InterMessage(text); }));
    link_.setStatus(kStatusStopped);
    return ok;
}

bool Maintenance::GetLatestHistory(clsInstrument* iObj) {
    return historyRead(iObj, CommandSet::ReadCommand(QStringLiteral("SO")));
}

bool Maintenance::GetLatestBumpHistory(clsInstrument* iObj) {
    return historyRead(iObj, CommandSet::ReadCommand(QStringLiteral("BO")));
}

// --- Single commands -------------------------------------------------------------

bool Maintenance::SetDateTime(const QDateTime& vData) {
    if (!begin())
        return false;
    return sendAndWait(QStringLiteral("HC,W,") + CommandSet::DateParam(vData));
}

bool Maintenance::SetCheckData() {
    if (!begin())
        return false;
    return sendAndWait(QStringLiteral("XH,E,"));
}

bool Maintenance::SetPump(bool on) {
    if (!begin())
        return false;
    return sendAndWait(QStringLiteral("BP,W,") + CommandSet::Digit(on ? 1 : 0));
}

bool Maintenance::SHWetDry(int isDry) {
    if (!begin())
        return false;
    return sendAndWait(QStringLiteral("SQ,W,") + CommandSet::Dec(isDry));
}

bool Maintenance::zCal(const QString& O2denst) {
    if (!begin())
        return false;
    return sendAndWait(QStringLiteral("SN,W,") + O2denst);
}

bool Maintenance::SHOnOff(int Index, const std::function<void()>& progress) {
    if (!begin())
        return false;
    link_.AddLog(QStringLiteral("HC Select"));
    bool ok = sendAndWait(QStringLiteral("LR,W,") + CommandSet::Dec(Index));
    if (ok && Index == 1)
        ok = confirm(QStringLiteral("LR,C,"), kStatusAwaiting, kSwitchPollMs, {}, progress) ==
             LinkResult::Done;
    link_.AddLog(ok ? QStringLiteral("Finished") : QStringLiteral("Failed"));
    return ok;
}

// --- Clears, factory default, power-off --------------------------------------------

bool Maintenance::clearSequence(const QString& code) {
    if (!begin())
        return false;
    link_.AddLog(LoadMessage(kMsgDataRemoveSequenceStart));
    bool ok = sendAndWait(code + QStringLiteral(",W,"));
    if (ok)
        ok = confirm(code + QStringLiteral(",C,"), kStatusAwaiting, kStoringPollMs) ==
             LinkResult::Done;
    link_.AddLog(LoadMessage(ok ? kMsgDataRemoveSequenceFinished : kMsgDataRemoveSequenceFailed));
    return ok;
}

bool Maintenance::BodyDataClear() {
    return clearSequence(QStringLiteral("XC"));
}

bool Maintenance::PowerDataClear() {
    return clearSequence(QStringLiteral("XY"));
}

bool Maintenance::DefaultInstrument() {
    if (!begin())
        return false;
    bool ok = sendAndWait(QStringLiteral("UX,W,"));
    if (ok)
        ok = confirm(QStringLiteral("UX,C,"), kStatusAwaitingRead, kStoringPollMs) ==
             LinkResult::Done;
    link_.AddLog(LoadMessage(ok ? kMsgDefaultFinished : kMsgDefaultFailed));
    return ok;
}

bool Maintenance::BodyPowerOff() {
    if (!begin())
        return false;
    link_.AddLog(LoadMessage(kMsgAutoPowerOffSequenceStart));
    // Whether the detector answers or not, it is switched off or about to
    // be: the link lets go of the line either way.
    sendAndWait(QStringLiteral("RO,W,"));

    LinkTransport* inUse = link_.currentTransport();
    SerialTransport& serial = link_.serialTransport();
    SocketTransport& socket = link_.socketTransport();
    if (inUse && inUse != &serial && inUse != &socket)
        inUse->close();
    if (serial.isOpen())
        serial.close();
    socket.close();

    link_.sleepTicks(kPowerOffTicks);
    link_.setLinkState(kLinkIdle);
    link_.setStatus(kStatusIdle);
    if (!link_.SerialComm() && link_.currentTransport() == &socket)
        socket.open();
    link_.AddLog(LoadMessage(kMsgAutoPowerOffSequenceFinished));
    return true;
}

// --- Calibration -------------------------------------------------------------------

bool Maintenance::storeIfAnySucceeded(const QString& result) {
    if (!result.contains(QLatin1Char('0')))
        return true;
    return confirm(QStringLiteral("DW,C,"), kStatusAwaiting, kStoringPollMs) == LinkResult::Done;
}

bool Maintenance::ZeroCal(const QString& GasFlag) {
    if (!begin())
        return false;
    // A result left from an earlier run must not end this run's polling.
    ctx_.ZeroResult.clear();
    if (!sendAndWait(QStringLiteral("SZ,W,") + GasFlag)) {
        link_.AddLog(LoadMessage(kMsgCalibrationUploadFailed, {dateText()}));
        return false;
    }
    const LinkResult adjusted = confirm(QStringLiteral("SZ,C,"), kStatusAwaiting, kSwitchPollMs,
                                        [this] { return ctx_.ZeroResult.size() == kChannels; });
    if (adjusted != LinkResult::Done)
        return false;
    return storeIfAnySucceeded(ctx_.ZeroResult);
}

bool Maintenance::SpanCal(const QString& GasFlag) {
    if (!begin())
        return false;
    ctx_.SpanResult.clear();
    if (!sendAndWait(QStringLiteral("S2,W,") + GasFlag)) {
        link_.AddLog(LoadMessage(kMsgCalibrationUploadFailed, {dateText()}));
        return false;
    }
    return storeIfAnySucceeded(ctx_.SpanResult);
}

bool Maintenance::ZeroStatus(int Index) const {
    return ChannelSucceeded(ctx_.ZeroResult, Index);
}

bool Maintenance::SpanStatus(int Index) const {
    return ChannelSucceeded(ctx_.SpanResult, Index);
}

// --- Concentration polling ------------------------------------------------------

void Maintenance::setRunDensty(bool run) {
    // A poll still outstanding is answered or timed out first, so that its
    // answer does not land in the next command.
    if (denstyRunning_ && link_.Status() == kStatusAwaitingRead)
        link_.waitWhileStatus(kStatusAwaitingRead);
    denstyRunning_ = run;
    denstyTicks_ = 0;
}

void Maintenance::onTick() {
    if (!denstyRunning_)
        return;
    if (++denstyTicks_ < kDenstyIntervalMs / LinkClock::kTickMs)
        return;
    denstyTicks_ = 0;
    // Nothing to poll while the detector is not connected (connect polling
    // uses the status itself).
    if (link_.LinkState() != kLinkConnected)
        return;

    const int status = link_.Status();
    if (status == kStatusAwaitingRead) {
        // Only this timer's own poll is timed out here; a read started by
        // someone else keeps its own time-out.
        if (link_.LastFrame() == uclTqif::BuildFrame(kConcentrationRead)) {
            link_.AddLog(LoadMessage(kMsgReadingTimeout, {dateText()}));
            link_.setStatus(kStatusStopped);
        }
        return;
    }
    // Never in the middle of another operation, including the pauses of
    // its confirm loop (they are waits too).
    if (link_.IsBusy())
        return;
    if (status == kStatusStopped || status == kStatusDone || status == kStatusFailed) {
        link_.setStatus(kStatusAwaitingRead);
        link_.DataSend(uclTqif::BuildFrame(kConcentrationRead), true);
    }
}

float Maintenance::FactCal(int Index) const {
    if (Index < 0 || Index >= kChannels)
        return 0;
    return factCal_[static_cast<size_t>(Index)];
}

void Maintenance::setFactCal(int Index, float value) {
    if (Index < 0 || Index >= kChannels)
        return;
    factCal_[static_cast<size_t>(Index)] = value;
}
