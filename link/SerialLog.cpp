#include "link/SerialLog.h"

#include <QDir>
#include <QFile>

SerialLog::SerialLog(const QString& folder) {
    setFolder(folder);
}

void SerialLog::setFolder(const QString& folder) {
    folder_ = folder.isEmpty() ? QDir::currentPath() : folder;
    headingWritten_ = false;
}

void SerialLog::setHeading(const QString& heading) {
    heading_ = heading;
    headingWritten_ = false;
}

QString SerialLog::joinPath(const QString& folder, const QString& fileName) {
    if (folder.isEmpty())
        return fileName;
    if (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))
        return folder + fileName;
    // A folder written with back-slashes only keeps that style.
    const QChar separator =
        (folder.contains(QLatin1Char('\\')) && !folder.contains(QLatin1Char('/')))
            ? QLatin1Char('\\')
            : QLatin1Char('/');
    return folder + separator + fileName;
}

QString SerialLog::filePath() const {
    return joinPath(folder_, QString::fromLatin1(kFileName));
}

bool SerialLog::write(const QString& text) const {
    QFile file(filePath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QString stamp = now().time().toString(QStringLiteral("HH:mm:ss")) + QLatin1Char(' ');
    QString lines;
    const bool withHeading = !headingWritten_ && !heading_.isEmpty();
    if (withHeading)
        lines = stamp + heading_ + QStringLiteral("\r\n");
    lines += stamp + text + QStringLiteral("\r\n");
    const QByteArray bytes = lines.toUtf8();
    const bool ok = file.write(bytes) == bytes.size();
    file.close();
    if (ok && withHeading)
        headingWritten_ = true;
    return ok;
}

QString SerialLog::RenderControl(const QString& frame) {
    QString out;
    out.reserve(frame.size() + 16);
    for (const QChar c : frame) {
        const ushort code = c.unicode();
        if (code >= 32) {
            out += c;
            continue;
        }
        switch (code) {
        case 2:
            out += QStringLiteral("[STX]");
            break;
        case 3:
            out += QStringLiteral("[ETX]");
            break;
        case 4:
            out += QStringLiteral("[EOT]");
            break;
        case 5:
            out += QStringLiteral("[ENQ]");
            break;
        case 6:
            out += QStringLiteral("[ACK]");
            break;
        case 10:
        case 13:
            out += c;
            break;
        case 21:
            out += QStringLiteral("[NAK]");
            break;
        case 23:
            out += QStringLiteral("[ETB]");
            break;
        case 26:
            out += QStringLiteral("[SUB]");
            break;
        case 27:
            out += QStringLiteral("[ESC]");
            break;
        default:
            out += QStringLiteral("[%1]").arg(code, 2, 16, QLatin1Char('0')).toUpper();
            break;
        }
    }
    return out;
}

QString SerialLog::GeneralDate(const QDateTime& when) {
    return when.toString(QStringLiteral("MM/dd/yyyy HH:mm:ss"));
}
