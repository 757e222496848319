// uclTqif: the instrument link as the program sees it.
//
// A thin control that owns the transports (serial port, TCP socket standing
// in for the infrared socket, or an injected one such as the in-memory pair),
// the frame engine, the serial log, the link clock and the waiter, and offers
// the properties, methods and events of the link.
//
// Events (Qt signals), by number:
//    1 OnConnect()            the detector answered the connect probe
//    2 Densty(v0..v4)         five concentration readings
//    3 ConnectRetry(n)        every fifth connect attempt (attempts / 5), and
//                             each further repetition after a bare CR (the
//                             count); passed by value
//    4 InstMessage(text)      a message text of the record during reads
//    5 InterMessage(text)     progress texts of the history reads
//    6 AlarmMessage(text)     connect polling gave up (kMsgConnectNoResponse)
//    7 DumpMessage(text)      progress texts of the dumps
//    8 LineDown()             the line went down (CTS and DSR off, the port
//                             or the socket peer lost)
//    9 IrDAError(code)        the socket transport reported an error
//   10 StsTransmit()          a frame was sent or data arrived
//   11 StsIdle()              end of a socket receive event
//
// Running a command: set Status to 4 or 5, DataSend(frame, true), then
// waitWhileStatus(4 or 5); Status 6 afterwards means success. SendAndWait()
// does the three steps, refuses to start while another wait is active, and
// names how the command ended (LinkResult); LastResult() keeps that for the
// Boolean operations built on it.
//
// Time: every tick and every wait goes through one LinkClock. The default is
// the wall clock; tests install a VirtualLinkClock with setClock() and their
// waits then take no real time (see LinkWaiter).
#pragma once

#include "link/CommandSet.h"
#include "link/FrameEngine.h"
#include "link/LinkResult.h"
#include "link/LinkWaiter.h"
#include "link/SerialLog.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class Dumps;
class LinkClock;
class LinkTransport;
class Maintenance;
class clsInstrument;
class SerialTransport;
class SocketTransport;

class uclTqif : public QObject {
    Q_OBJECT
public:
    explicit uclTqif(QObject* parent = nullptr);
    ~uclTqif() override;

    // --- Transport (serial port / socket / injected) ------------------------
    bool Enabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }

    // Serial port by number ("COMn"; "/dev/ttyS<n-1>" where ports are paths).
    int CommPort() const { return commPort_; }
    void setCommPort(int number);
    // Serial port by device path or name; overrides the number.
    QString CommPortName() const;
    void setCommPortName(const QString& name);

    // True: always the serial port. False: the socket when it is available
    // (an endpoint is set), else the serial port.
    bool SerialComm() const { return serialComm_; }
    void setSerialComm(bool serial) { serialComm_ = serial; }

    // The TCP endpoint that stands in for the infrared socket.
    void setSocketEndpoint(const QString& host, quint16 port);
    // "host:port" ("[::1]:7350" for IPv6); false for a malformed text.
    bool setSocketEndpoint(const QString& endpoint);
    QString SocketEndpoint() const;

    // Replaces the transport choice: everything goes to `transport` (not
    // owned) until it is cleared with nullptr.
    void setTransport(LinkTransport* transport);

    // Opens or closes the transport in use. Opening never raises: a port that
    // cannot be opened is written to the serial log and kept in
    // LastPortError(); the host notices through connect polling.
    bool PortOpen() const;
    void setPortOpen(bool open);
    QString LastPortError() const { return lastPortError_; }

    bool DTREnable() const { return dtrEnable_; }
    void setDTREnable(bool on);
    bool RTSEnable() const { return rtsEnable_; }
    void setRTSEnable(bool on);
    // 0 none, 1 XON/XOFF, 2 RTS/CTS, 3 both.
    int Handshaking() const { return handshaking_; }
    void setHandshaking(int mode);
    // "921600,n,8,1". A malformed string is refused (false) and logged.
    QString Settings() const;
    bool setSettings(const QString& settings);

    bool Connected() const { return engine_.Connected(); }
    void setConnected(bool) {}
    // Status 2, connect tick counter 0; returns false. The port stays open.
    bool DisConnect() { return engine_.DisConnect(); }

    // Whether the link reacts to its 100 ms tick.
    bool TimerEnabled() const { return timerEnabled_; }
    void setTimerEnabled(bool enabled) { timerEnabled_ = enabled; }

    // 0 idle, 2 connecting, 3 connected.
    int LinkState() const { return engine_.LinkState(); }
    void setLinkState(int state) { engine_.setLinkState(state); }
    int LineErrorCount() const { return engine_.LineErrorCount(); }

    // --- Transactions --------------------------------------------------------
    int Status() const { return engine_.Status(); }
    void setStatus(int status) { engine_.setStatus(status); }
    int Timeout() const { return engine_.Timeout(); }
    void setTimeout(int seconds) { engine_.setTimeout(seconds); }
    int Retry() const { return engine_.Retry(); }
    void setRetry(int retry) { engine_.setRetry(retry); }
    bool Cancel() const { return engine_.Cancel(); }
    void setCancel(bool cancel) { engine_.setCancel(cancel); }
    bool BinaryRetry() const { return engine_.BinaryRetry(); }
    void setBinaryRetry(bool value) { engine_.setBinaryRetry(value); }
    bool CommitDone() const { return engine_.CommitDone(); }
    void setCommitDone(bool value) { engine_.setCommitDone(value); }
    bool ReceivingFlag() const { return engine_.ReceivingFlag(); }
    QString LastFrame() const { return engine_.LastFrame(); }

    static QString BuildFrame(const QString& commandText, char terminator = FrameEngine::EOT) {
        return FrameEngine::BuildFrame(commandText, terminator);
    }
    void DataSend(const QString& datas, bool initFlag = false) {
        engine_.DataSend(datas, initFlag);
    }

    // Waits while the status keeps the value `status`. False when the wait was
    // refused because another wait is active (nothing was waited for), or
    // abandoned by a virtual clock's safety limit.
    bool waitWhileStatus(int status);
    // Waits while `keepWaiting()` holds; it is asked again after every event.
    bool waitWhile(const std::function<bool()>& keepWaiting);
    // Waits on the link clock, staying responsive.
    bool waitMs(qint64 ms);
    bool sleepTicks(int ticks) { return waitMs(qint64(ticks) * 100); }
    // True while a caller waits.
    bool IsBusy() const { return waiter_.isWaiting(); }

    // Sets `waitStatus` (4 or 5), sends the command text as a frame with
    // InitFlag and waits while the status keeps that value. `whileWaiting`
    // runs before the first and after every event of the wait. Done when it
    // ended with status 6; Busy (nothing sent, a serial-log line written)
    // while another wait is active; otherwise the reason the engine recorded.
    LinkResult SendAndWait(const QString& commandText, int waitStatus = kStatusAwaiting,
                           const std::function<void()>& whileWaiting = {});
    // How often the line went down (see FrameEngine::LineLosses).
    int LineLosses() const { return engine_.LineLosses(); }
    // Another model answered the connect probe (see FrameEngine).
    QString ForeignModel() const { return engine_.ForeignModel(); }
    // How the last command or operation on the link ended. The operations
    // that answer only true or false leave their reason here.
    LinkResult LastResult() const { return lastResult_; }
    void setLastResult(LinkResult result) { lastResult_ = result; }

    // The answer parser: gets every received frame except the connect answer
    // "RC,R", which the link handles itself. Without one, every other answer
    // is rejected.
    void setResponseParser(FrameEngine::ResponseParser parser);
    // Receiver of the raw bytes that arrive while the status is 9.
    void setBinarySink(FrameEngine::BinarySink sink);

    // --- Record and sequences ------------------------------------------------
    // The record that answers fill.
    clsInstrument* Instrument() const { return context_.Instrument; }
    void setInstrument(clsInstrument* record) { context_.Instrument = record; }
    // What the answer parser writes besides the record (commit flag, zero and
    // span results, dump hooks). The sequences work through it.
    ResponseContext& responseContext() { return context_; }
    QString ZeroResult() const { return context_.ZeroResult; }
    QString SpanResult() const { return context_.SpanResult; }

    // Reads everything into `iObj` (cleared first). False at the first command
    // that fails; what was read until then stays in the record.
    bool GetInstrument(clsInstrument* iObj);
    // Writes every flagged setting of `iObj` and commits it.
    bool SetInstrument(clsInstrument* iObj);

    // --- Maintenance (Maintenance.h) ------------------------------------------
    bool GetRomNo(clsInstrument* iObj);
    bool GetGasInfo(clsInstrument* iObj);
    bool GetAutoCalDensty(clsInstrument* iObj);
    bool GetLatestHistory(clsInstrument* iObj);
    bool GetLatestBumpHistory(clsInstrument* iObj);
    bool SetDateTime(const QDateTime& vData);
    bool SetCheckData();
    bool SetPump(bool Values);
    bool SHWetDry(int isDry);
    // `progress` runs once a second while the detector switches (Index 1).
    bool SHOnOff(int Index, const std::function<void()>& progress = {});
    bool BodyDataClear();
    bool PowerDataClear();
    bool DefaultInstrument();
    bool BodyPowerOff();
    bool ZeroCal(const QString& GasFlag);
    bool ZeroStatus(int Index) const;
    bool SpanCal(const QString& GasFlag);
    bool SpanStatus(int Index) const;
    bool zCal(const QString& O2denst);
    // The concentration polling timer tmrDenst ("DN,R," every second; each
    // answer raises Densty).
    bool RunDensty() const;
    void setRunDensty(bool run);
    float FactCal(int Index) const;
    void setFactCal(int Index, float value);
    Maintenance& maintenance() { return *maintenance_; }

    // --- Memory dumps (Dumps.h) ---------------------------------------------
    bool GetBinDump(const QString& FileName, int FirstBlock, int LastBlock);
    // The first block the last GetBinDump did not store: where a retry
    // after a time-out (BinaryRetry) starts.
    int BinDumpNextBlock() const;
    bool GetRomDump2(const QString& FileNames);
    QString BinDumpPath() const;
    void setBinDumpPath(const QString& path);

    // --- Serial log ----------------------------------------------------------
    void AddLog(const QString& vData) { log_.write(vData); }
    SerialLog& serialLog() { return log_; }
    const SerialLog& serialLog() const { return log_; }
    void setLogFolder(const QString& folder) { log_.setFolder(folder); }

    // --- Time ----------------------------------------------------------------
    // Replaces the clock (not owned; nullptr returns to the built-in wall
    // clock). Set it before the link is used.
    void setClock(LinkClock* clock);
    LinkClock* clock() const;

    // The parts, for the layers built on the link.
    FrameEngine& engine() { return engine_; }
    LinkWaiter& waiter() { return waiter_; }
    SerialTransport& serialTransport() { return *serial_; }
    SocketTransport& socketTransport() { return *socket_; }
    // The transport every operation goes to right now.
    LinkTransport* currentTransport() const;

signals:
    void OnConnect();                                              // 1
    void Densty(float v0, float v1, float v2, float v3, float v4); // 2
    void ConnectRetry(int count);                                  // 3
    void InstMessage(const QString& text);                         // 4
    void InterMessage(const QString& text);                        // 5
    void AlarmMessage(const QString& text);                        // 6
    void DumpMessage(const QString& text);                         // 7
    void LineDown();                                               // 8
    void IrDAError(int errorCode);                                 // 9
    void StsTransmit();                                            // 10
    void StsIdle();                                                // 11

    // Not one of the numbered events: the status changed.
    void StatusChanged(int status);

private:
    void wireTransport(LinkTransport* transport);
    void onTick();
    void onBytes(LinkTransport* from, const QByteArray& bytes);
    bool sendBytes(const QByteArray& bytes);
    bool acceptWait(LinkWaiter::Outcome outcome);

    SerialLog log_;
    FrameEngine engine_;
    ResponseContext context_;
    LinkWaiter waiter_;
    std::unique_ptr<LinkClock> ownClock_;
    QPointer<LinkClock> clock_;
    QMetaObject::Connection tickConnection_;
    int busyCheckId_ = 0;
    std::unique_ptr<SerialTransport> serial_;
    std::unique_ptr<SocketTransport> socket_;
    QPointer<LinkTransport> injected_;
    std::unique_ptr<Maintenance> maintenance_;
    std::unique_ptr<Dumps> dumps_;

    bool enabled_ = true;
    int commPort_ = 4;
    bool serialComm_ = false;
    bool dtrEnable_ = false;
    bool rtsEnable_ = false;
    int handshaking_ = 0;
    bool timerEnabled_ = true;
    int pollTicks_ = 5;
    LinkResult lastResult_ = LinkResult::Done;
    QString lastPortError_;
};

// Makes a record the link's Instrument for the length of a scope and puts
// the one before back at its end, so that the link never keeps a record
// that no longer exists (a late answer would write into it).
class InstrumentScope {
public:
    InstrumentScope(uclTqif& link, clsInstrument* record)
        : link_(link), previous_(link.Instrument()) {
        link_.setInstrument(record);
    }
    ~InstrumentScope() { link_.setInstrument(previous_); }
    InstrumentScope(const InstrumentScope&) = delete;
    InstrumentScope& operator=(const InstrumentScope&) = delete;

private:
    uclTqif& link_;
    clsInstrument* previous_;
};
