#include "workflows/InformationSave.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "link/uclTqif.h"
#include "model/clsInstrument.h"
#include "records/SettingsHistory.h"

#include <QDir>

namespace InformationSave {

bool SuffixAcceptable(const QString& suffix) {
    return IsValidHistorySuffix(suffix);
}

Result Run(uclTqif& link, clsInstrument& record, const Options& options,
           const workflows::Report& report) {
    Result result;
    if (!SuffixAcceptable(options.Suffix)) {
        result.outcome = Outcome::Refused;
        return result;
    }
    result.download = InformationDownload::Run(link, record, options.download, report);
    result.outcome = result.download.outcome;
    result.reason = result.download.reason;
    if (!result.download.Success())
        return result;

    const QString path = QDir(options.Folder).filePath(HistoryFileName(options.Suffix));
    QString error;
    if (!AppendHistoryLine(options.Folder, options.Suffix, record, HistoryAction::Read,
                           QDateTime::currentDateTime(), &error)) {
        report.Line(LoadMessage(kMsgHistoryNotWritten, {path, error}), workflows::Tone::Failure);
        result.outcome = Outcome::Failed;
        return result;
    }
    result.HistoryPath = path;
    return result;
}

} // namespace InformationSave
