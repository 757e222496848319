#include "records/ListFile.h"

#include "app/Catalogue.h"
#include "app/Helpers.h"
#include "app/MessageIds.h"
#include "app/clsToken.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>

namespace ListFile {

namespace {

QString Shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// The lines of a text: CR LF, LF and CR each end a line; the end of the text
// ends the last line without adding an empty one.
QStringList SplitLines(const QString& text) {
    QStringList lines;
    QString current;
    bool pending = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines << current;
            current.clear();
            pending = false;
            if (c == QLatin1Char('\r') && i + 1 < text.size() &&
                text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            continue;
        }
        current += c;
        pending = true;
    }
    if (pending)
        lines << current;
    return lines;
}

ReadResult Refused(const QString& error) {
    ReadResult r;
    r.error = error;
    return r;
}

} // namespace

QString DefaultFileName(List list) {
    return list == List::Station ? QStringLiteral("Station.csv") : QStringLiteral("User.csv");
}

QString ListName(List list) {
    return LoadMessage(list == List::Station ? kMsgStationList : kMsgUserList);
}

bool IsIdentifierValid(const QString& identifier) {
    return identifier.size() <= kIdentifierLength && IsIdTextValid(identifier);
}

bool IsIdentifierSendable(const QString& identifier) {
    if (identifier.size() > kIdentifierLength)
        return false;
    for (const QChar c : identifier) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E || c == QLatin1Char(','))
            return false;
    }
    return true;
}

int LeadingBlanks(const QString& identifier) {
    int n = 0;
    while (n < identifier.size() && identifier.at(n) == QLatin1Char(' '))
        ++n;
    return n;
}

QString IdentifierOfLine(const QString& line) {
    clsToken token;
    token.AddDelimiters(QStringLiteral(","));
    token.AddDelimiters(QStringLiteral("\t"));
    token.setSource(line);
    if (token.Overflowed()) {
        // More fields than the splitter keeps: the same split without a cap.
        static const QRegularExpression kDelimiters(QStringLiteral("[,\t]"));
        const QStringList fields = line.split(kDelimiters, Qt::SkipEmptyParts);
        return fields.mid(1).join(QLatin1Char(','));
    }
    QString identifier = token.Tokens(1);
    for (int k = 2; k < token.TokenCount(); ++k)
        identifier += QLatin1Char(',') + token.Tokens(k);
    return identifier;
}

QString LineOf(int index, const QString& identifier) {
    return QString::number(index + 1) + QLatin1Char(',') + identifier;
}

QList<int> InvalidEntries(const QStringList& identifiers) {
    QList<int> invalid;
    for (int i = 0; i < identifiers.size(); ++i) {
        if (!IsIdentifierValid(identifiers.at(i)))
            invalid << i;
    }
    return invalid;
}

ReadResult Read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Refused(LoadMessage(kMsgListFileUnreadable, {Shown(path), file.errorString()}));
    // One byte more than allowed tells a file that is too large, also one
    // whose size the file system does not report (a pipe).
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return Refused(LoadMessage(kMsgListFileUnreadable, {Shown(path), file.errorString()}));
    if (bytes.size() > kMaxFileBytes)
        return Refused(LoadMessage(kMsgListFileTooLarge, {Shown(path)}));
    if (bytes.contains('\0'))
        return Refused(LoadMessage(kMsgListFileNul, {Shown(path)}));
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return Refused(LoadMessage(kMsgListFileNotUtf8, {Shown(path)}));

    QStringList lines = SplitLines(text);
    while (lines.size() > kEntries && lines.last().isEmpty())
        lines.removeLast();
    if (lines.size() > kEntries)
        return Refused(LoadMessage(kMsgListFileTooManyLines, {Shown(path)}));
    ReadResult r;
    for (int n = 0; n < lines.size(); ++n) {
        if (lines.at(n).size() > kMaxLineLength)
            return Refused(LoadMessage(kMsgListFileLineTooLong, {n + 1, Shown(path)}));
        r.identifiers << IdentifierOfLine(lines.at(n));
    }
    r.ok = true;
    return r;
}

bool Write(const QString& path, const QStringList& identifiers, QString* error) {
    QByteArray bytes;
    for (int i = 0; i < kEntries; ++i)
        bytes += LineOf(i, identifiers.value(i)).toUtf8() + "\r\n";
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = LoadMessage(kMsgListFileNotWritten, {Shown(path), file.errorString()});
        file.cancelWriting();
        return false;
    }
    return true;
}

} // namespace ListFile
