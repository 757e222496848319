#include "workflows/WriteFromFile.h"

#include "model/clsInstrument.h"
#include "records/SettingsImport.h"

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
        SettingsImport::AfterImport(p.Record, options.ChannelLocked);
        p.Check = CheckBeforeWrite(p.Record);
    }
    return p;
}

Result Run(uclTqif& link, clsInstrument& record, const Prepared& prepared,
           const workflows::Report& report) {
    const Options& options = prepared.options;
    const WriteSettings::Mode mode =
        options.IdentityOnly ? WriteSettings::Mode::UpdateId : WriteSettings::Mode::Update;
    Result result;
    if (!prepared.Ready()) {
        result.outcome = Outcome::Refused;
        result.Reload = prepared.Load;
        result.Check = prepared.Check;
        return result;
    }
    clsInstrument detector; // as just read, for a dry run
    if (prepared.ReadFirst || options.DryRun) {
        InformationDownload::Options readOptions;
        readOptions.ChannelLocked = options.ChannelLocked;
        readOptions.ReadHistories = options.AppendHistory && !options.DryRun;
        result.ReadRan = true;
        result.Read = InformationDownload::Run(link, record, readOptions, report);
        if (!result.Read.Success()) {
            result.outcome = result.Read.outcome;
            result.reason = result.Read.reason;
            return result;
        }
        detector = record;
        result.DetectorSerialNo = record.SerialNo();
    }
    if (!prepared.ReadFirst) {
        record = prepared.Record;
    } else {
        // The file goes over what was read (the reader changes the record
        // only when the whole file reads).
        clsInstrument combined = record;
        result.Reload = SettingsImport::Load(options.Path, combined, options.ChannelLocked);
        if (!result.Reload.ok) {
            result.outcome = Outcome::Refused;
            return result;
        }
        record = combined;
        ApplyIdentity(record, options);
        result.Check = CheckBeforeWrite(record);
        if (!result.Check.passed()) {
            result.outcome = Outcome::Refused;
            return result;
        }
    }

    if (options.DryRun) {
        result.Preview = WritePreview::Build(&detector, record, mode);
        result.outcome = Outcome::Success;
        return result;
    }
    WriteSettings::Options write;
    write.mode = mode;
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
