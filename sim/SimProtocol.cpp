#include "sim/SimProtocol.h"

#include <QtGlobal>
#include <cmath>
#include <cstring>

namespace simproto {

QByteArray Checksum(const QByteArray& stxToEtx) {
    unsigned sum = 0;
    for (char c : stxToEtx)
        sum += static_cast<unsigned char>(c);
    const unsigned cs = (256u - (sum % 256u)) % 256u;
    return HexFixed(int(cs), 2);
}

static QByteArray Frame(const QByteArray& body, char terminator) {
    QByteArray f;
    f.reserve(body.size() + 9);
    f += STX;
    f += "0001";
    f += body;
    f += ETX;
    f += Checksum(f);
    f += terminator;
    return f;
}

QByteArray BuildAnswer(const QByteArray& code4, const QByteArray& data, char terminator) {
    return Frame(code4 + ',' + data, terminator);
}

QByteArray BuildRequest(const QByteArray& text, char terminator) {
    return Frame(text, terminator);
}

QList<RequestFrame> RequestSplitter::feed(const QByteArray& bytes) {
    QList<RequestFrame> out;
    buf_ += bytes;
    for (;;) {
        const int stx = int(buf_.indexOf(STX));
        if (stx < 0) {
            discarded_ += buf_.size();
            buf_.clear();
            break;
        }
        if (stx > 0) {
            discarded_ += stx;
            buf_.remove(0, stx);
        }
        // A second STX before the ETX means the first frame was cut off:
        // resynchronise on the later one.
        const int etx = int(buf_.indexOf(ETX, 1));
        const int nextStx = int(buf_.indexOf(STX, 1));
        if (nextStx > 0 && (etx < 0 || nextStx < etx)) {
            discarded_ += nextStx;
            buf_.remove(0, nextStx);
            continue;
        }
        if (etx < 0) {
            if (buf_.size() > kMaxFrame) {
                discarded_ += buf_.size();
                buf_.clear();
            }
            break;
        }
        if (buf_.size() < etx + 4)
            break; // checksum and terminator still to come
        const char term = buf_.at(etx + 3);
        if (term != EOT && term != ETB) {
            discarded_ += etx + 1;
            buf_.remove(0, etx + 1);
            continue;
        }
        RequestFrame f;
        f.raw = buf_.left(etx + 4);
        f.terminator = term;
        f.addressOk = etx >= 5 && buf_.mid(1, 4) == "0001";
        f.text = etx >= 5 ? buf_.mid(5, etx - 5) : QByteArray();
        f.checksumOk = Checksum(buf_.left(etx + 1)) == buf_.mid(etx + 1, 2);
        buf_.remove(0, etx + 4);
        out.append(f);
    }
    return out;
}

QString Render(const QByteArray& bytes) {
    QString s;
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case 0x02:
            s += QStringLiteral("[STX]");
            break;
        case 0x03:
            s += QStringLiteral("[ETX]");
            break;
        case 0x04:
            s += QStringLiteral("[EOT]");
            break;
        case 0x06:
            s += QStringLiteral("[ACK]");
            break;
        case 0x15:
            s += QStringLiteral("[NAK]");
            break;
        case 0x17:
            s += QStringLiteral("[ETB]");
            break;
        case 0x0D:
            s += QStringLiteral("[CR]");
            break;
        case 0x0A:
            s += QStringLiteral("[LF]");
            break;
        default:
            if (c < 0x20 || c >= 0x7F)
                s += QStringLiteral("[%1]").arg(c, 2, 16, QLatin1Char('0')).toUpper();
            else
                s += QLatin1Char(char(c));
        }
    }
    return s;
}

int Val5Decimals(int point) {
    return (point >= 0 && point <= 3) ? point : 0;
}

QByteArray ValueText(double value, int decimals) {
    if (decimals < 0 || decimals > 9)
        decimals = 0;
    return QByteArray::number(value, 'f', decimals);
}

QByteArray Val5(double value, int point) {
    if (value < 0 || std::isnan(value))
        return QByteArray(5, '*');
    const QByteArray t = QByteArray(4, ' ') + ValueText(value, Val5Decimals(point));
    return t.right(5);
}

bool ParseVal5(const QByteArray& field, int decimals, double* value) {
    if (field.size() != 5)
        return false;
    if (field == "*****") {
        if (value)
            *value = -101.0;
        return true;
    }
    int i = 0;
    while (i < 5 && field.at(i) == ' ')
        ++i;
    const QByteArray num = field.mid(i);
    if (num.isEmpty())
        return false;
    int dot = -1;
    for (int k = 0; k < num.size(); ++k) {
        const char c = num.at(k);
        if (c == '.') {
            if (dot >= 0)
                return false;
            dot = k;
        } else if (c < '0' || c > '9') {
            return false;
        }
    }
    const int have = dot < 0 ? 0 : int(num.size()) - dot - 1;
    if (have != decimals || dot == 0 || (dot >= 0 && have == 0))
        return false;
    bool ok = false;
    const double v = num.toDouble(&ok);
    if (!ok)
        return false;
    if (value)
        *value = v;
    return true;
}

int DecimalsOf(const QByteArray& text) {
    const int dot = int(text.indexOf('.'));
    return dot < 0 ? 0 : int(text.size()) - dot - 1;
}

bool ParseHexFixed(const QByteArray& field, int digits, int* value) {
    if (field.size() != digits)
        return false;
    int v = 0;
    for (char c : field) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        v = v * 16 + d;
    }
    if (value)
        *value = v;
    return true;
}

QByteArray HexFixed(int value, int digits) {
    return QByteArray::number(value, 16).toUpper().rightJustified(digits, '0').right(digits);
}

bool ParseDecStrict(const QByteArray& field, int* value) {
    if (field.isEmpty() || field.size() > 9)
        return false;
    for (char c : field)
        if (c < '0' || c > '9')
            return false;
    if (field.size() > 1 && field.at(0) == '0')
        return false;
    if (value)
        *value = field.toInt();
    return true;
}

bool IsTxtField(const QByteArray& field, int n) {
    if (field.size() != n)
        return false;
    for (char ch : field) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c > 0x7E || c == ',')
            return false;
    }
    return true;
}

QByteArray PadText(const QString& text, int n) {
    return text.toLatin1().leftJustified(n, ' ', true);
}

QByteArray SingleHex(float value) {
    quint32 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return HexFixed(int(bits >> 16), 4) + HexFixed(int(bits & 0xFFFFu), 4);
}

} // namespace simproto
