// Single-purpose operations on the detector besides reading and writing the
// whole record: partial reads, the clock, the sampling head and the pump,
// clearing memories, factory default, power-off, zero and span calibration,
// and the periodic concentration reading (tmrDenst) that feeds the live
// display through the Densty event.
//
// Every operation waits for its answers like any other command (the status
// goes to 4 or 5 and the caller waits while it keeps that value) and reports
// success as a bool. Operations that leave the detector busy finish with a
// confirm loop (ConfirmEvery): a Cancel ends it, and so does a detector that
// stays busy longer than two minutes; both count as failure. An operation
// called while another command waits is refused: false, nothing sent.
#pragma once

#include "link/ConfirmLoop.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <functional>

class clsInstrument;
class uclTqif;
struct ResponseContext;

class Maintenance {
public:
    // Interval of the concentration polling timer tmrDenst.
    static constexpr int kDenstyIntervalMs = 1000;
    // Confirm pauses.
    static constexpr qint64 kStoringPollMs = 5000; // clears, factory default, calibration storing
    static constexpr qint64 kSwitchPollMs = 1000;  // sampling-head switch, zero result
    static constexpr qint64 kConfirmLimitMs = 120000;

    Maintenance(uclTqif& link, ResponseContext& ctx);

    // --- Partial reads ---------------------------------------------------------
    // The identity commands ("VP", "XZ"/"XS" current, "IN", "HN") into `iObj`,
    // which is not cleared first (only its FailLine emptied). Message texts of
    // the record are raised as InstMessage.
    bool GetRomNo(clsInstrument* iObj);
    // "GJ,R,". On failure the status becomes 2 and all five channels are set
    // off, as for a gas table of 25 asterisks per channel.
    bool GetGasInfo(clsInstrument* iObj);
    // "SA,R,". On failure the status becomes 2 and the five span gas values
    // become "no value" (-101).
    bool GetAutoCalDensty(clsInstrument* iObj);
    // "SO,R," / "BO,R,": the latest calibration / bump test per channel.
    // Message texts are raised as InterMessage. The status ends at 2.
    bool GetLatestHistory(clsInstrument* iObj);
    bool GetLatestBumpHistory(clsInstrument* iObj);

    // --- Single commands ---------------------------------------------------------
    bool SetDateTime(const QDateTime& vData); // "HC,W," + YYMMDDhhnnss
    bool SetCheckData();                      // "XH,E,": check pattern into the logger memory
    bool SetPump(bool on);                    // "BP,W,1" / "BP,W,0"
    bool SHWetDry(int isDry);                 // "SQ,W," + isDry
    bool zCal(const QString& O2denst);        // "SN,W," + oxygen reading text

    // "LR,W," + Index; for Index 1 the detector switches the range and is
    // confirmed every second with "LR,C,". `progress` runs once a second
    // while it switches (the host steps its progress display). Logs
    // "HC Select" and "Finished" or "Failed".
    bool SHOnOff(int Index, const std::function<void()>& progress = {});

    // --- Clears, factory default, power-off ----------------------------------------
    bool BodyDataClear();     // "XC,W," then "XC,C," every 5 s
    bool PowerDataClear();    // "XY,W," then "XY,C," every 5 s
    bool DefaultInstrument(); // "UX,W," then "UX,C," every 5 s
    // "RO,W,", then the port (and the socket) closed, 5 s on the link clock,
    // link idle (LinkState 0, Status 0), the socket reopened when it is the
    // transport in use. Always true: the detector is off or will be.
    bool BodyPowerOff();

    // --- Calibration -------------------------------------------------------------------
    // "SZ,W," + flags, then "SZ,C," every second until the five-character
    // result arrives; when any channel succeeded, "DW,C," every 5 s until
    // stored.
    bool ZeroCal(const QString& GasFlag);
    // "S2,W," + flags and span values; its answer is the result; when any
    // channel succeeded, "DW,C," every 5 s until stored.
    bool SpanCal(const QString& GasFlag);
    // Whether channel `Index` (0..4) succeeded in the last zero / span run.
    bool ZeroStatus(int Index) const;
    bool SpanStatus(int Index) const;

    // --- Concentration polling ------------------------------------------------------
    bool RunDensty() const { return denstyRunning_; }
    // Stopping or starting while a poll is outstanding first waits for its
    // answer or its time-out.
    void setRunDensty(bool run);
    // One tick of the link clock (100 ms); tmrDenst fires every
    // kDenstyIntervalMs of them.
    void onTick();

    // Five values kept for the host; the link does not use them.
    float FactCal(int Index) const;
    void setFactCal(int Index, float value);

    // Longest a confirm loop may keep going (tests shorten it).
    void setConfirmLimitMs(qint64 ms) { confirmLimitMs_ = ms; }

private:
    // Sets the status, sends, waits; true when the command ended with 6.
    // Refuses (false) while another command waits; clears Cancel.
    bool begin();
    bool sendAndWait(const QString& commandText, int waitStatus = kStatusAwaiting,
                     const std::function<void()>& whileWaiting = {});
    LinkResult confirm(const QString& confirmText, int waitStatus, qint64 pollMs,
                       const std::function<bool()>& done = {},
                       const std::function<void()>& eachPause = {});
    // begin() for a read into `iObj`, which the answers then fill.
    bool beginRead(clsInstrument* iObj);
    bool singleRead(clsInstrument* iObj, const QString& commandText);
    bool historyRead(clsInstrument* iObj, const QString& commandText);
    bool clearSequence(const QString& code);
    bool storeIfAnySucceeded(const QString& result);
    QString dateText() const;
    static bool ChannelSucceeded(const QString& result, int index);

    uclTqif& link_;
    ResponseContext& ctx_;
    qint64 confirmLimitMs_ = kConfirmLimitMs;
    bool denstyRunning_ = false;
    int denstyTicks_ = 0;
    std::array<float, 5> factCal_{};
};
