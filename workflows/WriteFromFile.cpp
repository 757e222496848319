#include "workflows/WriteFromFile.h"

#include "model/clsInstrument.h"

#include <QFile>
#include <QSet>

namespace WriteFromFile {

namespace {

// The codes of the lines a settings file holds ("A1", "GJ" ...), read the
// way the settings-file reader reads them.
QSet<QString> CodesInFile(const QString& path) {
    QSet<QString> codes;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return codes;
    const QByteArray content = file.read(SettingsFile::kMaxFileBytes);
    for (const QByteArray& raw : content.split('\n')) {
        const QString text = QString::fromUtf8(raw).section(QLatin1Char(';'), 0, 0);
        const QStringList tokens = text.split(QLatin1Char(','));
        if (tokens.size() < 2 || tokens.at(1).trimmed().toUpper() != QLatin1String("W"))
            continue;
        codes.insert(tokens.at(0).trimmed().toUpper().remove(QChar(0xFEFF)));
    }
    return codes;
}

// The lines a complete settings file holds and this one does not.
QStringList MissingLines(const QString& path) {
    const QSet<QString> present = CodesInFile(path);
    QStringList missing;
    for (const QString& line : SettingsFile::SettingsFileLines(clsInstrument())) {
        const QString code = line.left(2);
        if (!present.contains(code))
            missing << code;
    }
    return missing;
}

} // namespace

void AfterImport(clsInstrument& record, const std::array<bool, 5>& locked) {
    record.SetChangeFlags(true, false);
    record.setImportFlag(true);
    for (int ch = 0; ch < 5; ++ch)
        if (locked[size_t(ch)])
            record.setGasEnabled(ch, true);
}

namespace {

void ApplyIdentity(clsInstrument& record, const Options& options) {
    if (!options.IdentityOnly)
        return;
    if (!options.SerialNo.isEmpty())
        record.setSerialNo(options.SerialNo);
    if (!options.StationId.isEmpty())
        record.setStationID(options.StationId);
    if (!options.UserId.isEmpty())
        record.setUserID(options.UserId);
}

} // namespace

Prepared Prepare(const Options& options) {
    Prepared p;
    p.options = options;
    clsInstrument fromFile;
    p.Load = SettingsFile::LoadSettingsFile(options.Path, fromFile);
    if (!p.Load.ok)
        return p;
    p.MissingLines = MissingLines(options.Path);
    p.ReadFirst = options.IdentityOnly || !p.MissingLines.isEmpty() || options.AppendHistory;
    if (!p.ReadFirst) {
        p.Record = fromFile;
        AfterImport(p.Record, options.ChannelLocked);
        p.Check = CheckBeforeWrite(p.Record);
    }
    return p;
}

Result Run(uclTqif& link, clsInstrument& record, const Prepared& prepared,
           const workflows::Report& report) {
    const Options& options = prepared.options;
    Result result;
    if (!prepared.Ready()) {
        result.outcome = Outcome::Refused;
        result.Reload = prepared.Load;
        result.Check = prepared.Check;
        return result;
    }
    if (!prepared.ReadFirst) {
        record = prepared.Record;
    } else {
        InformationDownload::Options readOptions;
        readOptions.ChannelLocked = options.ChannelLocked;
        readOptions.ReadHistories = options.AppendHistory;
        result.ReadRan = true;
        result.Read = InformationDownload::Run(link, record, readOptions, report);
        if (!result.Read.Success()) {
            result.outcome = result.Read.outcome;
            result.reason = result.Read.reason;
            return result;
        }
        // The file goes over what was read (the reader changes the record
        // only when the whole file reads).
        clsInstrument combined = record;
        result.Reload = SettingsFile::LoadSettingsFile(options.Path, combined);
        if (!result.Reload.ok) {
            result.outcome = Outcome::Refused;
            return result;
        }
        record = combined;
        AfterImport(record, options.ChannelLocked);
        ApplyIdentity(record, options);
        result.Check = CheckBeforeWrite(record);
        if (!result.Check.passed()) {
            result.outcome = Outcome::Refused;
            return result;
        }
    }

    WriteSettings::Options write;
    write.mode = options.IdentityOnly ? WriteSettings::Mode::UpdateId : WriteSettings::Mode::Update;
    write.Verify = options.Verify;
    write.AppendHistory = options.AppendHistory;
    write.HistoryFolder = options.HistoryFolder;
    write.HistorySuffix = options.HistorySuffix;
    result.WriteRan = true;
    result.Write = WriteSettings::Run(link, record, write, report);
    result.outcome = result.Write.outcome;
    result.reason = result.Write.reason;
    return result;
}

} // namespace WriteFromFile
