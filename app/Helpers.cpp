#include "app/Helpers.h"

#include "app/AppSettings.h"

#include <QLocale>
#include <QRegularExpression>
#include <QSerialPortInfo>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

QString PadHexByte(const QString& text) {
    if (text.size() == 1)
        return QStringLiteral("0") + text;
    return text;
}

QString SingleToHex(float value) {
    uint32_t bits = 0;
    static_assert(sizeof(bits) == sizeof(value), "Single must be 32 bits");
    std::memcpy(&bits, &value, sizeof(bits));
    QString out;
    out.reserve(8);
    for (int shift = 24; shift >= 0; shift -= 8) {
        const uint32_t byte = (bits >> shift) & 0xFFu;
        out += PadHexByte(QString::number(byte, 16).toUpper());
    }
    return out;
}

float HexToSingle(const QString& text, bool* ok) {
    if (ok)
        *ok = false;
    if (text.size() != 8)
        return 0.0f;
    uint32_t bits = 0;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        uint32_t nibble = 0;
        if (c >= u'0' && c <= u'9')
            nibble = c - u'0';
        else if (c >= u'A' && c <= u'F')
            nibble = c - u'A' + 10;
        else if (c >= u'a' && c <= u'f')
            nibble = c - u'a' + 10;
        else
            return 0.0f;
        bits = (bits << 4) | nibble;
    }
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof(value));
    if (ok)
        *ok = true;
    return value;
}

QString NormalizeIdText(const QString& text, int kind) {
    const QString trimmed = text.trimmed();
    if (!trimmed.isEmpty())
        return trimmed;
    if (kind == IdTextUser || kind == IdTextStation)
        return QString(16, QLatin1Char('-'));
    if (kind == IdTextSerial || kind == IdTextSecondSerial)
        return QString(20, QLatin1Char('-'));
    return trimmed;
}

namespace {
bool isDigit(int c) {
    return c >= '0' && c <= '9';
}
bool isUpper(int c) {
    return c >= 'A' && c <= 'Z';
}
bool isLower(int c) {
    return c >= 'a' && c <= 'z';
}
} // namespace

bool IsIdKeyAllowed(int keyCode) {
    if (keyCode < 32 || keyCode > 122)
        return keyCode == 8;
    return keyCode == ' ' || keyCode == '*' || keyCode == '-' || isDigit(keyCode) ||
           isUpper(keyCode) || isLower(keyCode);
}

bool IsTextKeyAllowed(int keyCode) {
    if (keyCode < 32 || keyCode > 126)
        return keyCode == 8;
    return keyCode == ' ' || keyCode == '-' || keyCode == '_' || keyCode == '/' || keyCode == '>' ||
           keyCode == '<' || isDigit(keyCode) || isUpper(keyCode) || isLower(keyCode);
}

bool IsIdTextValid(const QString& text) {
    for (const QChar ch : text) {
        const int c = ch.unicode();
        if (!(c == ' ' || c == '-' || c == '/' || c == '>' || c == '<' || isDigit(c) || isUpper(c)))
            return false;
    }
    return true;
}

bool IsIdentityText(const QString& text, int maxLength) {
    if (text.size() > maxLength)
        return false;
    for (const QChar ch : text) {
        const int c = ch.unicode();
        if (!(c == ' ' || c == '*' || c == '-' || isDigit(c) || isUpper(c) ||
              (c >= 'a' && c <= 'z')))
            return false;
    }
    return true;
}

bool IsAllDigits(const QString& text) {
    for (const QChar ch : text) {
        if (!isDigit(ch.unicode()))
            return false;
    }
    return true;
}

// --- Serial port discovery ---------------------------------------------------

namespace {
bool parseHexId(const QRegularExpressionMatch& match, uint16_t* id) {
    if (!match.hasMatch())
        return false;
    bool ok = false;
    const uint value = match.captured(1).toUInt(&ok, 16);
    if (!ok || value > 0xFFFFu)
        return false;
    *id = static_cast<uint16_t>(value);
    return true;
}

// The number of a "COMn" port name, 0 for any other name.
int16_t comPortNumber(const QString& portName) {
    static const QRegularExpression com(QStringLiteral("^COM([0-9]{1,5})$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = com.match(portName);
    if (!match.hasMatch())
        return 0;
    const int number = match.captured(1).toInt();
    return (number >= 1 && number <= 32767) ? static_cast<int16_t>(number) : 0;
}
} // namespace

bool ParseUsbIdSearchText(const QString& searchText, uint16_t* vendorId, uint16_t* productId) {
    // An id ends at a non-hexadecimal character, so "VID_10C4&PID_EA60" and
    // "USB\VID_10C4&PID_EA60\0001" both work.
    static const QRegularExpression vid(QStringLiteral("VID_([0-9A-F]{1,4})(?![0-9A-F])"),
                                        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression pid(QStringLiteral("PID_([0-9A-F]{1,4})(?![0-9A-F])"),
                                        QRegularExpression::CaseInsensitiveOption);
    uint16_t v = 0;
    uint16_t p = 0;
    if (!parseHexId(vid.match(searchText), &v) || !parseHexId(pid.match(searchText), &p))
        return false;
    if (vendorId)
        *vendorId = v;
    if (productId)
        *productId = p;
    return true;
}

QList<SerialPortRecord> AvailableSerialPorts() {
    QList<SerialPortRecord> ports;
    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : infos) {
        SerialPortRecord record;
        record.portName = info.portName();
        record.systemLocation = info.systemLocation();
        record.hasIds = info.hasVendorIdentifier() && info.hasProductIdentifier();
        record.vendorId = info.vendorIdentifier();
        record.productId = info.productIdentifier();
        ports.append(record);
    }
    return ports;
}

PortDiscoveryResult DiscoverUsbSerialPort(const QString& searchText, AppSettings& settings,
                                          const QList<SerialPortRecord>& ports) {
    settings.IrCommNum = 0;
    settings.IrCommPortName.clear();

    uint16_t vendorId = 0;
    uint16_t productId = 0;
    if (!ParseUsbIdSearchText(searchText, &vendorId, &productId))
        return PortDiscoveryResult::None;

    const SerialPortRecord* found = nullptr;
    int matches = 0;
    for (const SerialPortRecord& port : ports) {
        if (port.hasIds && port.vendorId == vendorId && port.productId == productId) {
            ++matches;
            if (!found)
                found = &port;
        }
    }
    if (matches == 0)
        return PortDiscoveryResult::None;
    if (matches > 1)
        return PortDiscoveryResult::Ambiguous;

    settings.IrCommNum = comPortNumber(found->portName);
    settings.IrCommPortName =
        found->systemLocation.isEmpty() ? found->portName : found->systemLocation;
    return PortDiscoveryResult::One;
}

PortDiscoveryResult DiscoverUsbSerialPort(const QString& searchText, AppSettings& settings) {
    return DiscoverUsbSerialPort(searchText, settings, AvailableSerialPorts());
}

// --- Explicit port choice ----------------------------------------------------

namespace {
void setError(QString* error, const QString& text) {
    if (error)
        *error = text;
}

bool hasControlOrBlank(const QString& text) {
    for (const QChar ch : text) {
        if (ch.unicode() < 0x20 || ch.unicode() == 0x7F || ch.isSpace())
            return true;
    }
    return false;
}
} // namespace

bool ApplyPortOverride(const QString& value, AppSettings& settings, QString* error) {
    const QString port = value.trimmed();
    if (port.isEmpty()) {
        setError(error, QStringLiteral("The serial port is empty; give a device path such as "
                                       "/dev/ttyUSB0 or a port name such as COM7."));
        return false;
    }
    if (port.size() > 1024 || hasControlOrBlank(port)) {
        setError(error, QStringLiteral("The serial port \"%1\" contains blanks or control "
                                       "characters.")
                            .arg(port.left(64)));
        return false;
    }
    const int16_t comNumber = comPortNumber(port);
    const bool isPath = port.startsWith(QLatin1Char('/')) || port.startsWith(QLatin1String("\\\\"));
    if (comNumber == 0 && !isPath) {
        setError(error, QStringLiteral("The serial port \"%1\" is neither a device path (such as "
                                       "/dev/ttyUSB0) nor a port name COM1..COM32767.")
                            .arg(port.left(64)));
        return false;
    }
    settings.IrCommNum = comNumber;
    settings.IrCommPortName = comNumber != 0 ? port.toUpper() : port;
    return true;
}

bool ParseSocketEndpoint(const QString& value, QString* host, uint16_t* port, QString* error) {
    const QString text = value.trimmed();
    const QString usage = QStringLiteral("Give the socket as host:port, for example "
                                         "localhost:7350 (port 1..65535).");
    if (text.isEmpty()) {
        setError(error, QStringLiteral("The socket endpoint is empty. ") + usage);
        return false;
    }
    if (text.size() > 300 || hasControlOrBlank(text)) {
        setError(error, QStringLiteral("The socket endpoint contains blanks or control "
                                       "characters. ") +
                            usage);
        return false;
    }
    QString hostPart;
    QString portPart;
    if (text.startsWith(QLatin1Char('['))) {
        const int close = text.indexOf(QLatin1Char(']'));
        if (close < 0 || close + 1 >= text.size() || text.at(close + 1) != QLatin1Char(':')) {
            setError(
                error,
                QStringLiteral("The socket endpoint \"%1\" is not valid. ").arg(text.left(64)) +
                    usage);
            return false;
        }
        hostPart = text.mid(1, close - 1);
        portPart = text.mid(close + 2);
    } else {
        const int colon = text.lastIndexOf(QLatin1Char(':'));
        if (colon < 0) {
            setError(error,
                     QStringLiteral("The socket endpoint \"%1\" has no port. ").arg(text.left(64)) +
                         usage);
            return false;
        }
        hostPart = text.left(colon);
        portPart = text.mid(colon + 1);
        if (hostPart.contains(QLatin1Char(':'))) {
            setError(error, QStringLiteral("Put an IPv6 address in brackets, for example "
                                           "[::1]:7350."));
            return false;
        }
    }
    if (hostPart.isEmpty()) {
        setError(error,
                 QStringLiteral("The socket endpoint \"%1\" has no host. ").arg(text.left(64)) +
                     usage);
        return false;
    }
    bool ok = !portPart.isEmpty() && portPart.size() <= 5 && IsAllDigits(portPart);
    const int number = ok ? portPart.toInt(&ok) : 0;
    if (!ok || number < 1 || number > 65535) {
        setError(error, QStringLiteral("The socket port \"%1\" is not a number from 1 to 65535.")
                            .arg(portPart.left(16)));
        return false;
    }
    if (host)
        *host = hostPart;
    if (port)
        *port = static_cast<uint16_t>(number);
    return true;
}

bool ApplySocketOverride(const QString& value, AppSettings& settings, QString* error) {
    QString host;
    uint16_t port = 0;
    if (!ParseSocketEndpoint(value, &host, &port, error))
        return false;
    const QString hostText =
        host.contains(QLatin1Char(':')) ? QStringLiteral("[%1]").arg(host) : host;
    settings.SocketEndpoint = QStringLiteral("%1:%2").arg(hostText).arg(port);
    return true;
}

bool ApplyEnvironmentOverrides(AppSettings& settings, QString* error) {
    QStringList problems;
    const QString port = qEnvironmentVariable(kPortEnvironmentName);
    if (!port.isEmpty()) {
        QString reason;
        if (!ApplyPortOverride(port, settings, &reason))
            problems << QStringLiteral("%1: %2").arg(QLatin1String(kPortEnvironmentName), reason);
    }
    const QString socket = qEnvironmentVariable(kSocketEnvironmentName);
    if (!socket.isEmpty()) {
        QString reason;
        if (!ApplySocketOverride(socket, settings, &reason))
            problems << QStringLiteral("%1: %2").arg(QLatin1String(kSocketEnvironmentName), reason);
    }
    if (!problems.isEmpty()) {
        setError(error, problems.join(QLatin1Char('\n')));
        return false;
    }
    return true;
}

// --- Numbers in text files ----------------------------------------------------

namespace {
// Largest magnitude that still rounds to a finite Single: FLT_MAX plus half
// its unit in the last place.
constexpr double kSingleLimit = 3.4028235677973366e38;
} // namespace

bool ParseNumericText(const QString& text, double* value) {
    static const QRegularExpression number(
        QStringLiteral("^\\s*[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?\\s*$"));
    if (text.size() > 400 || !number.match(text).hasMatch())
        return false;
    bool ok = false;
    const double parsed = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(parsed))
        return false;
    if (value)
        *value = parsed;
    return true;
}

bool IsNumericText(const QString& text) {
    return ParseNumericText(text, nullptr);
}

double RoundHalfEven(double value) {
    if (!std::isfinite(value))
        return value;
    const double lower = std::floor(value);
    const double diff = value - lower;
    if (diff < 0.5)
        return lower;
    if (diff > 0.5)
        return lower + 1.0;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

int16_t TextToInteger(const QString& text, int16_t fallback) {
    double value = 0;
    if (!ParseNumericText(text, &value))
        return fallback;
    const double rounded = RoundHalfEven(value);
    if (rounded < -32768.0 || rounded > 32767.0)
        return fallback;
    return static_cast<int16_t>(rounded);
}

int32_t TextToLong(const QString& text, int32_t fallback) {
    double value = 0;
    if (!ParseNumericText(text, &value))
        return fallback;
    const double rounded = RoundHalfEven(value);
    if (rounded < -2147483648.0 || rounded > 2147483647.0)
        return fallback;
    return static_cast<int32_t>(rounded);
}

float TextToSingle(const QString& text, float fallback) {
    double value = 0;
    if (!ParseNumericText(text, &value))
        return fallback;
    if (std::fabs(value) >= kSingleLimit)
        return fallback;
    return static_cast<float>(value);
}

QString SingleToText(float value) {
    if (!std::isfinite(value) || value == 0.0f)
        return QStringLiteral("0");

    // Fewest significant digits (at most 9, always enough for a Single) that
    // read back as the same value.
    char buffer[64];
    int digits = 1;
    for (; digits <= 9; ++digits) {
        std::snprintf(buffer, sizeof(buffer), "%.*e", digits - 1, static_cast<double>(value));
        if (std::strtof(buffer, nullptr) == value)
            break;
    }
    // buffer: [-]d[.ddd]e[+-]xx
    const QString scientific = QString::fromLatin1(buffer);
    const int ePos = scientific.indexOf(QLatin1Char('e'));
    const bool negative = scientific.startsWith(QLatin1Char('-'));
    QString mantissa = scientific.mid(negative ? 1 : 0, ePos - (negative ? 1 : 0));
    mantissa.remove(QLatin1Char('.'));
    while (mantissa.size() > 1 && mantissa.endsWith(QLatin1Char('0')))
        mantissa.chop(1);
    const int exponent = scientific.mid(ePos + 1).toInt();

    QString out;
    if (exponent >= -4 && exponent < 9) {
        if (exponent >= 0) {
            QString integerPart = mantissa.left(exponent + 1);
            while (integerPart.size() < exponent + 1)
                integerPart += QLatin1Char('0');
            const QString fraction = mantissa.mid(exponent + 1);
            out = fraction.isEmpty() ? integerPart : integerPart + QLatin1Char('.') + fraction;
        } else {
            out = QStringLiteral("0.") + QString(-exponent - 1, QLatin1Char('0')) + mantissa;
        }
    } else {
        out = mantissa.left(1);
        if (mantissa.size() > 1)
            out += QLatin1Char('.') + mantissa.mid(1);
        out += QLatin1Char('E');
        out += exponent < 0 ? QLatin1Char('-') : QLatin1Char('+');
        out += QStringLiteral("%1").arg(std::abs(exponent), 2, 10, QLatin1Char('0'));
    }
    return negative ? QLatin1Char('-') + out : out;
}
