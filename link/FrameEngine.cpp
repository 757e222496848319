#include "link/FrameEngine.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "link/SerialLog.h"

#include <QDateTime>

#include <algorithm>

namespace {

const char* const kFormatError = "<<< Format error >>>";
const char* const kModelName = "TQ-7350";

} // namespace

FrameEngine::FrameEngine(SerialLog* log, QObject* parent) : QObject(parent), log_(log) {}

// --- Frames ------------------------------------------------------------------

QString FrameEngine::Checksum(const QByteArray& stxThroughEtx) {
    unsigned sum = 0;
    for (const char c : stxThroughEtx)
        sum += static_cast<unsigned char>(c);
    const unsigned value = (256 - (sum % 256)) % 256;
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

QString FrameEngine::BuildFrame(const QString& commandText, char terminator) {
    // The frame travels as single bytes; the checksum is taken over exactly
    // the bytes that are sent.
    QByteArray body;
    body.reserve(commandText.size() + 8);
    body += STX;
    body += "0001";
    body += commandText.toLatin1();
    body += ETX;
    QString frame = QString::fromLatin1(body);
    frame += Checksum(body);
    frame += QLatin1Char(terminator);
    return frame;
}

bool FrameEngine::IsNeverRepeated(const QString& frame) {
    return frame.contains(QLatin1String("UX,W")) || frame.contains(QLatin1String("XC,W")) ||
           frame.contains(QLatin1String("SZ,W")) || frame.contains(QLatin1String("S1,W"));
}

QString FrameEngine::AnswerCode(const QString& frame) {
    QString cleaned;
    cleaned.reserve(frame.size());
    for (const QChar c : frame) {
        if (c.unicode() == CR)
            cleaned += QLatin1Char(',');
        else if (c.unicode() >= 32 && c.unicode() < 128)
            cleaned += c;
    }
    if (cleaned.size() < 8)
        return QString();
    return cleaned.mid(4, 4);
}

QString FrameEngine::BlockReplyFrame(char ackOrNak, bool allowSeven) const {
    const int length = (allowSeven && lastFrame_.contains(QLatin1String("IH"))) ? 7 : 5;
    return BuildFrame(lastFrame_.mid(5, length) + QLatin1Char(ackOrNak), ETB);
}

void FrameEngine::DataSend(const QString& datas, bool initFlag) {
    receiveBuffer_.clear();
    overflowReported_ = false;
    if (sender_)
        sender_(datas.toLatin1());
    noteActivity();
    emit StsTransmit();
    receivingFlag_ = false;
    lastFrame_ = datas;
    timeoutTicks_ = timeout_ * 10;
    if (initFlag)
        retryCount_ = 0;
    log(LoadMessage(kMsgSent, {SerialLog::RenderControl(datas)}));
}

// --- Receiving ---------------------------------------------------------------

void FrameEngine::onDataReceived(const QByteArray& bytes, bool socketEvent) {
    if (bytes.isEmpty())
        return;
    noteActivity();
    emit StsTransmit();
    receivingFlag_ = true;
    if (status_ == kStatusBinaryDump) {
        // Binary dump: raw bytes, no framing.
        if (!socketEvent)
            lineErrorCount_ = 0;
        if (binarySink_)
            binarySink_(bytes);
        if (socketEvent)
            emit StsIdle();
        return;
    }
    lineErrorCount_ = 0;
    receiveBuffer_.append(bytes);
    processReceiveBuffer();
    if (socketEvent)
        emit StsIdle();
}

void FrameEngine::processReceiveBuffer() {
    if (cancel_) {
        endWith(kStatusCancelled, LinkResult::Cancelled);
        receiveBuffer_.clear();
        return;
    }
    inReceive_ = true;
    for (;;) {
        const int etb = receiveBuffer_.indexOf(ETB);
        const int eot = receiveBuffer_.indexOf(EOT);
        int end = -1; // index of the frame's terminator
        if (etb >= 0 && eot >= 0)
            end = std::min(etb, eot);
        else
            end = std::max(etb, eot);

        if (end < 0) {
            const int cr = receiveBuffer_.indexOf(CR);
            if (cr < 0)
                break;
            // A CR inside a frame that has begun separates fields: wait for
            // the rest of that frame.
            if (receiveBuffer_.left(cr).contains(STX))
                break;
            // A CR on its own: the detector did not understand the frame.
            if (!IsAwaiting(status_)) {
                // Nothing is awaited, so there is nothing to repeat.
                receiveBuffer_.remove(0, cr + 1);
                continue;
            }
            if (retryCount_ >= retry_) {
                endWith(kStatusFailed, LinkResult::Refused);
                break;
            }
            ++retryCount_;
            if (retryCount_ > 1)
                emit ConnectRetry(retryCount_);
            if (IsNeverRepeated(lastFrame_)) {
                // Never sent twice; its time-out ends it.
                receiveBuffer_.clear();
                break;
            }
            DataSend(lastFrame_, false);
            continue;
        }

        const QByteArray frameBytes = receiveBuffer_.left(end + 1);
        receiveBuffer_.remove(0, end + 1);
        const char terminator = frameBytes.at(end);
        const QString frame = QString::fromLatin1(frameBytes);
        log(LoadMessage(kMsgReceived, {SerialLog::RenderControl(frame)}));

        if (parseFrame(frame)) {
            // A command that ended without success (failed on an earlier
            // frame of the same burst, cancelled, stopped) stays so: a later
            // answer never turns it into a success.
            const bool endedWithout = status_ == kStatusFailed || status_ == kStatusCancelled ||
                                      status_ == kStatusStopped;
            if (terminator == EOT && !endedWithout)
                endWith(kStatusDone, LinkResult::Done);
            else
                DataSend(BlockReplyFrame(ACK), true);
            continue;
        }
        if (retryCount_ >= retry_) {
            endWith(kStatusFailed, LinkResult::Refused);
            continue;
        }
        ++retryCount_;
        if (status_ == kStatusAwaitingRead || status_ == kStatusAwaiting) {
            if (!IsNeverRepeated(lastFrame_))
                DataSend(lastFrame_, false);
        } else {
            DataSend(BlockReplyFrame(NAK), false);
        }
    }
    capReceiveBuffer();
    inReceive_ = false;
    if (connectPending_) {
        connectPending_ = false;
        emit OnConnect();
    }
}

void FrameEngine::capReceiveBuffer() {
    const int excess = receiveBuffer_.size() - kReceiveBufferCap;
    if (excess <= 0)
        return;
    // Keep the newest characters: a frame that begins now must survive.
    receiveBuffer_.remove(0, excess);
    if (!overflowReported_) {
        overflowReported_ = true;
        ++lineErrorCount_;
        log(LoadMessage(kMsgReceiveOverflow, {nowText()}));
    }
}

bool FrameEngine::parseFrame(const QString& frame) {
    // While a command waits, only an answer with its code and form ("SA,R"
    // for "SA,R,...") can end the wait. Any other answer (a late one to an
    // earlier command, a second connect answer to a poll long gone) is
    // rejected like a garbled one, so that the command is repeated rather
    // than taken as answered by someone else's answer. The code is read from
    // the frame's last STX on, so that line noise in front of a frame does
    // not hide whose answer it is.
    if (IsAwaiting(status_)) {
        const qsizetype stx = frame.lastIndexOf(QLatin1Char(STX));
        if (AnswerCode(stx > 0 ? frame.mid(stx) : frame) != AnswerCode(lastFrame_))
            return false;
    }
    if (AnswerCode(frame) == QLatin1String("RC,R"))
        return parseConnectAnswer(frame);
    if (parser_)
        return parser_(frame);
    // No answer parser installed: only the common length check applies and
    // every other answer is unknown.
    if (frame.size() < 15)
        log(QString::fromLatin1(kFormatError));
    return false;
}

bool FrameEngine::parseConnectAnswer(const QString& frame) {
    if (frame.size() < 15) {
        log(QString::fromLatin1(kFormatError));
        return false;
    }
    if (!frame.contains(QLatin1String(kModelName))) {
        // Remember who answered instead, so that the host can say so rather
        // than report that nothing answered.
        const int from = frame.indexOf(QLatin1String("RC,R")) + 4;
        const int to = frame.indexOf(QLatin1Char(ETX));
        QString name = frame.mid(from, to > from ? to - from : 0);
        if (name.startsWith(QLatin1Char(',')))
            name.remove(0, 1);
        QString printable;
        for (const QChar c : name.left(32))
            printable += (c.unicode() >= 0x20 && c.unicode() < 0x7F) ? c : QLatin1Char('?');
        foreignModel_ = printable.trimmed();
        return false;
    }
    if (linkState_ != kLinkConnected) {
        setLinkState(kLinkConnected);
        if (inReceive_)
            connectPending_ = true;
        else
            emit OnConnect();
        log(LoadMessage(kMsgConnectFinished));
    }
    return true;
}

// --- The link tick -----------------------------------------------------------

void FrameEngine::onTick() {
    ++idleTicks_;
    if (linkState_ == kLinkConnecting)
        connectPollingStep();
    // Time-outs run while connected, and also while a caller waits on a link
    // that is down, so that such a wait always ends.
    if (linkState_ == kLinkConnected || (linkState_ == kLinkIdle && IsAwaiting(status_)))
        timeoutStep();
}

void FrameEngine::connectPollingStep() {
    if (status_ != kStatusAwaitingRead) {
        log(LoadMessage(kMsgConnectStarted));
        if (retryCount_ >= retry_) {
            setStatus(kStatusIdle);
            setLinkState(kLinkIdle);
            lineErrorCount_ = 0;
            idleTicks_ = 0;
            emit AlarmMessage(LoadMessage(kMsgConnectNoResponse));
            return;
        }
        ++retryCount_;
        const int attempts = retryCount_;
        setStatus(kStatusAwaitingRead);
        DataSend(BuildFrame(QStringLiteral("RC,R,"), EOT), false);
        idleTicks_ = 0;
        if (attempts % 5 == 0 && attempts > 1)
            emit ConnectRetry(attempts / 5);
    } else if (idleTicks_ > 10) {
        setStatus(kStatusIdle);
        lineErrorCount_ = 0;
        idleTicks_ = 0;
    }
}

void FrameEngine::timeoutStep() {
    if (timeoutTicks_ >= 1) {
        --timeoutTicks_;
        return;
    }
    if (retryCount_ >= retry_) {
        if (status_ != kStatusDone && status_ != kStatusStopped) {
            if (status_ == kStatusCancelled) {
                endWith(kStatusStopped, LinkResult::Cancelled);
            } else {
                receivingFlag_ = false;
                endWith(kStatusFailed, LinkResult::TimedOut);
            }
        }
        return;
    }
    ++retryCount_;
    switch (status_) {
    case kStatusBlockTransfer:
        if (lastFrame_.endsWith(QLatin1Char(EOT)))
            DataSend(lastFrame_, false);
        else
            DataSend(BlockReplyFrame(NAK, false), false);
        break;
    case kStatusBinaryDump:
        log(QStringLiteral("= timeout ="));
        binaryRetry_ = true;
        cancel_ = true;
        noteActivity();
        break;
    case kStatusAwaitingRead:
    case kStatusAwaiting:
        if (!IsNeverRepeated(lastFrame_))
            DataSend(lastFrame_, false);
        break;
    default:
        break;
    }
}

// --- Line events -------------------------------------------------------------

void FrameEngine::lineGone() {
    ++lineLosses_;
    setLinkState(kLinkIdle);
    // A command still waiting has failed; otherwise the link is simply done.
    if (IsAwaiting(status_))
        endWith(kStatusFailed, LinkResult::LineLost);
    else
        setStatus(kStatusDone);
    retryCount_ = 0;
    emit LineDown();
}

void FrameEngine::onLineStatus(bool cts, bool dsr) {
    if (!cts && !dsr) {
        lineGone();
        return;
    }
    setLinkState(kLinkConnecting);
    retryCount_ = 0;
}

void FrameEngine::countLineError(int messageId) {
    ++lineErrorCount_;
    log(LoadMessage(messageId, {nowText()}));
}

void FrameEngine::onLineError(int code) {
    switch (code) {
    case 1001:
        countLineError(kMsgBreak);
        break;
    case 1004:
        countLineError(kMsgFraming);
        endWith(kStatusFailed, LinkResult::LineError);
        break;
    case 1006:
        countLineError(kMsgOverrun);
        endWith(kStatusFailed, LinkResult::LineError);
        break;
    case 1008:
        countLineError(kMsgReceiveOverflow);
        endWith(kStatusFailed, LinkResult::LineError);
        break;
    case 1009:
        countLineError(kMsgParity);
        endWith(kStatusFailed, LinkResult::LineError);
        break;
    case 1010:
        if (linkState_ == kLinkConnecting)
            return;
        countLineError(kMsgSendOverflow);
        endOrDone(LinkResult::LineError);
        break;
    case 1011:
        countLineError(kMsgDeviceControl);
        endOrDone(LinkResult::LineError);
        break;
    default:
        break;
    }
}

void FrameEngine::onPeerConnected() {
    if (linkState_ != kLinkIdle)
        return;
    log(LoadMessage(kMsgPeerConnected, {nowText()}));
    retryCount_ = 0;
    receiveBuffer_.clear();
    idleTicks_ = 0;
    setLinkState(kLinkConnecting);
}

void FrameEngine::onSocketError(int errorCode) {
    ++lineErrorCount_;
    endWith(kStatusFailed, LinkResult::LineError);
    log(QStringLiteral("Soket Error[%1](%2)").arg(nowText()).arg(errorCode));
    emit IrDAError(errorCode);
}

void FrameEngine::onSocketEvent(int eventCode, int errorCode) {
    ++lineErrorCount_;
    endWith(kStatusFailed, LinkResult::LineError);
    log(QStringLiteral("IrDA Error[%1][%2] (%3)").arg(nowText()).arg(eventCode).arg(errorCode));
}

void FrameEngine::onLineLost() {
    if (linkState_ != kLinkIdle)
        lineGone();
}

bool FrameEngine::DisConnect() {
    endWith(kStatusStopped, LinkResult::Cancelled);
    idleTicks_ = 0;
    return false;
}

// --- State -------------------------------------------------------------------

void FrameEngine::endWith(int status, LinkResult why) {
    // The reason is recorded first, so that a waiter woken by the status
    // change reads it.
    lastFailure_ = why;
    setStatus(status);
}

void FrameEngine::endOrDone(LinkResult why) {
    if (IsAwaiting(status_))
        endWith(kStatusFailed, why);
    else
        setStatus(kStatusDone);
}

void FrameEngine::setStatus(int status) {
    // A new wait starts without a reason from the one before.
    if (IsAwaiting(status) && !IsAwaiting(status_))
        lastFailure_ = LinkResult::Done;
    if (status_ == status)
        return;
    status_ = status;
    noteActivity();
    emit statusChanged(status);
}

void FrameEngine::setLinkState(int state) {
    if (linkState_ == state)
        return;
    linkState_ = state;
    noteActivity();
    emit linkStateChanged(state);
}

void FrameEngine::setTimeout(int seconds) {
    // Held in ticks of 100 ms in a 16-bit counter.
    timeout_ = static_cast<qint16>(std::clamp(seconds, 0, 3276));
}

void FrameEngine::log(const QString& text) const {
    if (log_)
        log_->write(text);
}

QString FrameEngine::nowText() const {
    return SerialLog::GeneralDate(log_ ? log_->now() : QDateTime::currentDateTime());
}

void FrameEngine::noteActivity() const {
    if (activity_)
        activity_();
}
