#include "records/WriteJournal.h"

#include "app/DataFolders.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace WriteJournal {

namespace {

const QString kSerials = QStringLiteral("serials");
const QString kStarted = QStringLiteral("started");
const QString kProgram = QStringLiteral("program");
const QString kCommands = QStringLiteral("commands");
const QString kNew = QStringLiteral("new");
const QString kOld = QStringLiteral("old");

// A write command: "XX,W," and printable ASCII, bounded.
bool IsWriteCommand(const QString& text) {
    if (text.size() < 5 || text.size() > kMaxCommandLength ||
        text.mid(2, 3) != QLatin1String(",W,"))
        return false;
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return false;
    }
    return text.at(0).isLetterOrNumber() && text.at(1).isLetterOrNumber();
}

// A file name for a serial number: its letters, digits and dashes, and a
// short hash so that two serials that differ only in other characters do
// not share a file.
QString FileNameFor(const QString& serial) {
    QString safe;
    for (const QChar c : serial.trimmed()) {
        if ((c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
            (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || c.isDigit() ||
            c == QLatin1Char('-'))
            safe += c;
        else
            safe += QLatin1Char('_');
    }
    const QByteArray hash =
        QCryptographicHash::hash(serial.toUtf8(), QCryptographicHash::Sha1).toHex().left(8);
    return safe.left(40) + QLatin1Char('-') + QString::fromLatin1(hash) + QStringLiteral(".json");
}

std::optional<PendingWrite> ReadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes)
        return std::nullopt;
    std::optional<PendingWrite> entry = Parse(file.read(kMaxFileBytes));
    if (entry)
        entry->FilePath = path;
    return entry;
}

} // namespace

QString Folder() {
    return QDir(SharedDataFolder()).filePath(QStringLiteral("pending-writes"));
}

QByteArray Serialize(const PendingWrite& entry) {
    QJsonObject o;
    o.insert(kSerials, QJsonArray::fromStringList(entry.Serials));
    o.insert(kStarted, entry.Started.toString(Qt::ISODate));
    o.insert(kProgram, entry.Program);
    QJsonArray commands;
    for (int i = 0; i < entry.NewCommands.size(); ++i) {
        QJsonObject c;
        c.insert(kNew, entry.NewCommands.at(i));
        c.insert(kOld, entry.OldCommands.value(i));
        commands.append(c);
    }
    o.insert(kCommands, commands);
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

std::optional<PendingWrite> Parse(const QByteArray& content, QString* error) {
    auto fail = [error](const QString& why) -> std::optional<PendingWrite> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (content.size() > kMaxFileBytes)
        return fail(QStringLiteral("too large"));
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(content, &parseError);
    if (doc.isNull() || !doc.isObject())
        return fail(QStringLiteral("not a JSON object: ") + parseError.errorString());
    const QJsonObject o = doc.object();
    PendingWrite entry;
    for (const QJsonValue& v : o.value(kSerials).toArray()) {
        if (!v.isString() || v.toString().size() > 64)
            return fail(QStringLiteral("bad serial number"));
        entry.Serials << v.toString();
    }
    if (entry.Serials.isEmpty())
        return fail(QStringLiteral("no serial number"));
    entry.Started = QDateTime::fromString(o.value(kStarted).toString(), Qt::ISODate);
    entry.Program = o.value(kProgram).toString().left(200);
    const QJsonArray commands = o.value(kCommands).toArray();
    if (commands.isEmpty() || commands.size() > kMaxCommands)
        return fail(QStringLiteral("no commands or too many"));
    for (const QJsonValue& v : commands) {
        const QString fresh = v.toObject().value(kNew).toString();
        const QString old = v.toObject().value(kOld).toString();
        if (!IsWriteCommand(fresh) || !IsWriteCommand(old) || fresh.left(2) != old.left(2))
            return fail(QStringLiteral("bad command"));
        entry.NewCommands << fresh;
        entry.OldCommands << old;
    }
    return entry;
}

bool Save(PendingWrite& entry, QString* error) {
    if (entry.Serials.isEmpty() || entry.NewCommands.isEmpty() ||
        entry.NewCommands.size() != entry.OldCommands.size()) {
        if (error)
            *error = QStringLiteral("incomplete journal entry");
        return false;
    }
    QDir dir(Folder());
    if (!dir.mkpath(QStringLiteral("."))) {
        if (error)
            *error = QStringLiteral("cannot create ") + dir.path();
        return false;
    }
    const QString path = dir.filePath(FileNameFor(entry.Serials.first()));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const QByteArray bytes = Serialize(entry);
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    entry.FilePath = path;
    return true;
}

QList<PendingWrite> All() {
    QList<PendingWrite> entries;
    const QDir dir(Folder());
    for (const QString& name : dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
        if (std::optional<PendingWrite> entry = ReadFile(dir.filePath(name)))
            entries << *entry;
    }
    return entries;
}

std::optional<PendingWrite> Find(const QString& serial) {
    const QString wanted = serial.trimmed();
    for (const PendingWrite& entry : All()) {
        for (const QString& s : entry.Serials) {
            if (s.trimmed() == wanted)
                return entry;
        }
    }
    return std::nullopt;
}

bool Remove(const PendingWrite& entry) {
    if (entry.FilePath.isEmpty())
        return false;
    QFile::remove(entry.FilePath);
    return !QFile::exists(entry.FilePath);
}

} // namespace WriteJournal
