// The serial port of the USB infrared adapter (or any serial device, a
// pseudo-terminal included), on QSerialPort.
//
// - Port by device path or name ("/dev/ttyUSB0", "COM7") or by number.
// - Settings string "baud,parity,data bits,stop bits" ("921600,n,8,1").
// - DTR, RTS and handshaking (0 none, 1 XON/XOFF, 2 RTS/CTS, 3 both, which
//   the port cannot do at once: it runs RTS/CTS).
// - Opened exclusively: a port held by another program fails to open with a
//   message naming the port.
// - CTS and DSR are read at every link tick and a change is raised as
//   lineStateChanged (the port itself reports no modem-line changes). A
//   device without modem lines (a pseudo-terminal) counts as line up once it
//   is open; its refused DTR/RTS/pin calls are not errors.
// - Port errors become the line errors of LinkTransport; a port that goes
//   away (adapter unplugged, the other end of a pseudo-terminal closed) is
//   closed and reported as both lines down.
#pragma once

#include "link/LinkTransport.h"

#include <QSerialPort>

// The parsed form of a settings string.
struct SerialSettings {
    qint32 baudRate = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;

    // "921600,n,8,1": baud rate (a positive whole number), parity n/e/o/m/s
    // (either case), data bits 5 to 8, stop bits 1, 1.5 or 2. Blanks around
    // the fields are allowed. False with a readable reason in *error.
    static bool Parse(const QString& text, SerialSettings* out, QString* error = nullptr);
    // Back to the string form ("921600,n,8,1").
    QString toString() const;
};

class SerialTransport : public LinkTransport {
    Q_OBJECT
public:
    explicit SerialTransport(QObject* parent = nullptr);
    ~SerialTransport() override;

    Kind kind() const override { return Kind::Serial; }
    QString describe() const override { return portName_; }

    // The device to open: a path or a port name.
    void setPortName(const QString& name) { portName_ = name; }
    QString portName() const { return portName_; }
    // The device for a port number: "COMn" on Windows, "/dev/ttyS<n-1>"
    // elsewhere (numbers below 1 give an empty name).
    static QString PortNameForNumber(int number);

    // Applies to the open port at once and to every later open. A bad string
    // changes nothing and returns false (reason in lastError()).
    bool setSettings(const QString& text);
    QString settings() const { return settings_.toString(); }

    void setDataTerminalReady(bool on);
    void setRequestToSend(bool on);
    // 0 none, 1 XON/XOFF, 2 RTS/CTS, 3 both (runs as RTS/CTS). False for any
    // other value.
    bool setHandshaking(int mode);
    int handshaking() const { return handshaking_; }

    bool open() override;
    void close() override;
    bool isOpen() const override { return port_.isOpen(); }
    bool send(const QByteArray& bytes) override;
    void onTick() override;
    bool hasWorkInFlight() const override { return port_.isOpen() && port_.bytesToWrite() > 0; }

    // False for a device without modem lines (decided when it opens).
    bool hasModemLines() const { return hasModemLines_; }
    bool cts() const { return cts_; }
    bool dsr() const { return dsr_; }

private:
    void applyLines();
    void pollLines();
    void onPortError(QSerialPort::SerialPortError error);
    void onReadyRead();
    bool deviceHungUp() const;
    void portLost(const QString& reason);

    // Read errors in a row after which the port counts as lost.
    static constexpr int kReadErrorsBeforeLoss = 8;

    QSerialPort port_;
    QString portName_;
    SerialSettings settings_;
    int handshaking_ = 0;
    bool dtr_ = false;
    bool rts_ = false;
    bool hasModemLines_ = true;
    bool cts_ = false;
    bool dsr_ = false;
    // Set while calls that a device may refuse (modem lines) are made, so
    // that their errors are not taken for line errors.
    bool probing_ = false;
    bool lossPending_ = false;
    int readErrors_ = 0;
};
