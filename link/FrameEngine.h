// The frame and transaction engine of the instrument link.
//
// It builds frames (STX, "0001", command text, ETX, checksum, EOT/ETB), hands
// them to the transport, cuts received characters into frames, passes each
// frame to the answer parser, acknowledges blocks, repeats and times out on
// the 100 ms link tick, polls for the detector with "RC,R," while the line is
// up, and keeps the transaction status through which callers wait:
//
//   0 idle, 2 stopped, 3 block transfer, 4/5 answer awaited, 6 done,
//   7 failed, 8 cancelled, 9 binary dump.
//
// The engine knows no transport and no clock: the link control hands it the
// received bytes, the line events and the ticks, and gives it a sender.
#pragma once

#include "link/LinkResult.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

class SerialLog;

class FrameEngine : public QObject {
    Q_OBJECT
public:
    // Control characters of the protocol.
    static constexpr char STX = 0x02;
    static constexpr char ETX = 0x03;
    static constexpr char EOT = 0x04;
    static constexpr char ACK = 0x06;
    static constexpr char NAK = 0x15;
    static constexpr char ETB = 0x17;
    static constexpr char CR = 0x0D;

    // Characters that never form a frame are dropped beyond this many.
    static constexpr int kReceiveBufferCap = 32 * 1024;

    // Hands bytes to the transport in use; false when they could not be sent.
    using Sender = std::function<bool(const QByteArray&)>;
    // Accepts (true) or rejects (false) one received frame: the characters
    // from the STX through the terminator (EOT or ETB, its last character).
    using ResponseParser = std::function<bool(const QString& frame)>;
    // Takes the raw bytes received while the status is 9 (binary dump).
    using BinarySink = std::function<void(const QByteArray& bytes)>;

    explicit FrameEngine(SerialLog* log, QObject* parent = nullptr);

    void setSender(Sender sender) { sender_ = std::move(sender); }
    void setResponseParser(ResponseParser parser) { parser_ = std::move(parser); }
    void setBinarySink(BinarySink sink) { binarySink_ = std::move(sink); }
    // Called whenever the engine sends, receives or changes status (the link
    // clock counts it to know when a test's virtual time may move on).
    void setActivityHook(std::function<void()> hook) { activity_ = std::move(hook); }

    // --- Frames -----------------------------------------------------------
    // STX + "0001" + text + ETX + checksum + terminator.
    static QString BuildFrame(const QString& commandText, char terminator);
    // Two upper-case hex digits: (256 - (sum of the character codes from STX
    // through ETX) mod 256) mod 256.
    static QString Checksum(const QByteArray& stxThroughEtx);
    // Frames the detector must never get twice ("UX,W", "XC,W", "SZ,W", "S1,W").
    static bool IsNeverRepeated(const QString& frame);
    // The answer code of a received frame ("SA,R"): the four characters after
    // the address once control characters are removed. Empty when too short.
    static QString AnswerCode(const QString& frame);

    // The block acknowledgement (ACK) or rejection (NAK) for the last frame
    // sent: its code and form ("XS,R,"; seven characters when it contains
    // "IH" and `allowSeven` is set) followed by ACK or NAK, terminator ETB.
    QString BlockReplyFrame(char ackOrNak, bool allowSeven = true) const;

    // Sends one complete frame: empties the receive buffer, hands the frame
    // to the transport, raises StsTransmit, clears ReceivingFlag, remembers
    // the frame, reloads the time-out, and with `initFlag` restarts the
    // repetition count. Logs "W : " with the frame.
    void DataSend(const QString& datas, bool initFlag = false);

    // --- Events handed in by the link control -----------------------------
    // A data-received event. `socketEvent`: it came from the socket
    // transport, which also raises StsIdle and honours Cancel at once.
    void onDataReceived(const QByteArray& bytes, bool socketEvent);
    // One tick of the 100 ms link timer.
    void onTick();
    // CTS/DSR as the line reports them after a change.
    void onLineStatus(bool cts, bool dsr);
    // A line error (LinkTransport::LineError code).
    void onLineError(int code);
    // Socket transport: peer connected (1020), socket error (1021), any other
    // event code, and the peer going away.
    void onPeerConnected();
    void onSocketError(int errorCode);
    void onSocketEvent(int eventCode, int errorCode);
    void onLineLost();

    // Status 2 and the connect tick counter 0; returns false.
    bool DisConnect();

    // --- State ------------------------------------------------------------
    int Status() const { return status_; }
    void setStatus(int status);
    // Why the status last became failed (7), stopped (2) or cancelled (8);
    // Done after a success. A caller that set the status itself reads it
    // once its wait has ended.
    LinkResult LastFailure() const { return lastFailure_; }
    // How often the line went down since the engine was made. A sequence
    // that must not go on over a line that was lost in between (a write and
    // its commit) compares this before and after each step.
    int LineLosses() const { return lineLosses_; }
    // The name a connect answer gave when it was not the detector's model
    // (empty while no such answer came).
    QString ForeignModel() const { return foreignModel_; }
    int LinkState() const { return linkState_; }
    void setLinkState(int state);
    bool Connected() const { return linkState_ == kLinkConnected; }

    int Timeout() const { return timeout_; }
    void setTimeout(int seconds);
    int Retry() const { return retry_; }
    void setRetry(int retry) { retry_ = static_cast<qint16>(retry); }
    bool Cancel() const { return cancel_; }
    void setCancel(bool cancel) { cancel_ = cancel; }
    bool BinaryRetry() const { return binaryRetry_; }
    void setBinaryRetry(bool value) { binaryRetry_ = value; }
    bool CommitDone() const { return commitDone_; }
    void setCommitDone(bool value) { commitDone_ = value; }
    bool ReceivingFlag() const { return receivingFlag_; }
    void setReceivingFlag(bool value) { receivingFlag_ = value; }

    QString LastFrame() const { return lastFrame_; }
    QByteArray ReceiveBuffer() const { return receiveBuffer_; }
    int RetryCount() const { return retryCount_; }
    int TimeoutTicks() const { return timeoutTicks_; }
    int IdleTicks() const { return idleTicks_; }
    int LineErrorCount() const { return lineErrorCount_; }

    // A status in which a caller waits for the detector (3, 4, 5, 9).
    static bool IsAwaiting(int status) {
        return status == kStatusBlockTransfer || status == kStatusAwaitingRead ||
               status == kStatusAwaiting || status == kStatusBinaryDump;
    }

    // Writes one entry to the serial log.
    void log(const QString& text) const;

signals:
    void statusChanged(int status);
    void linkStateChanged(int state);
    // The events of the link, as the control raises them (see uclTqif).
    void OnConnect();
    void ConnectRetry(int count);
    void AlarmMessage(const QString& text);
    void LineDown();
    void IrDAError(int errorCode);
    void StsTransmit();
    void StsIdle();

private:
    void processReceiveBuffer();
    bool parseFrame(const QString& frame);
    bool parseConnectAnswer(const QString& frame);
    void connectPollingStep();
    void timeoutStep();
    void capReceiveBuffer();
    void lineGone();
    // Ends the command that waits (or any status) with `status` and records
    // the reason.
    void endWith(int status, LinkResult why);
    // A command that waits fails with `why`; otherwise the status is done.
    void endOrDone(LinkResult why);
    void countLineError(int messageId);
    QString nowText() const;
    void noteActivity() const;

    SerialLog* log_;
    Sender sender_;
    ResponseParser parser_;
    BinarySink binarySink_;
    std::function<void()> activity_;

    int status_ = kStatusIdle;
    int linkState_ = kLinkIdle;
    LinkResult lastFailure_ = LinkResult::Done;
    int lineLosses_ = 0;
    QString foreignModel_;
    qint16 timeout_ = 3;
    int timeoutTicks_ = 0;
    qint16 retry_ = 3;
    int retryCount_ = 0;
    int idleTicks_ = 0;
    int lineErrorCount_ = 0;
    bool cancel_ = false;
    bool binaryRetry_ = false;
    bool commitDone_ = false;
    bool receivingFlag_ = false;
    QString lastFrame_;
    QByteArray receiveBuffer_;
    bool overflowReported_ = false;
    // OnConnect is raised once the receive processing that caused it has
    // finished, so that a host reacting to it finds the status settled.
    bool connectPending_ = false;
    bool inReceive_ = false;
};
