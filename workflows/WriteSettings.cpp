#include "workflows/WriteSettings.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "link/SerialLog.h"
#include "link/WriteSequence.h"
#include "link/uclTqif.h"
#include "model/clsInstrument.h"
#include "records/SettingsHistory.h"

#include <QDateTime>
#include <QDir>

namespace WriteSettings {

Result Run(uclTqif& link, clsInstrument& record, const Options& options,
           const workflows::Report& report) {
    using workflows::Tone;
    Result result;
    if (link.IsBusy()) {
        result.outcome = Outcome::Busy;
        result.reason = LinkResult::Busy;
        return result;
    }
    if (options.mode == Mode::UpdateId)
        record.SetChangeFlags(false, true);
    else
        record.SetChangeFlags(true, false);
    result.Commands = PendingWriteCommands(record).size();

    link.AddLog(
        LoadMessage(kMsgUploadSequenceStart, {SerialLog::GeneralDate(link.serialLog().now())}));
    report.Line(LoadMessage(kMsgUploadStart), Tone::Progress);
    report.Progress(LoadMessage(kMsgNowUploading));
    const bool ok = link.SetInstrument(&record);
    report.Line(LoadMessage(kMsgUploadComplete), Tone::Progress);
    if (!ok) {
        result.reason =
            link.LastResult() == LinkResult::Done ? LinkResult::Refused : link.LastResult();
        result.outcome = workflows::OutcomeOf(result.reason);
        return result;
    }
    result.outcome = Outcome::Success;
    if (options.AppendHistory) {
        const HistoryAction action =
            options.mode == Mode::UpdateId ? HistoryAction::WriteID : HistoryAction::Write;
        QString error;
        if (AppendHistoryLine(options.HistoryFolder, options.HistorySuffix, record, action,
                              QDateTime::currentDateTime(), &error))
            result.HistoryPath =
                QDir(options.HistoryFolder).filePath(HistoryFileName(options.HistorySuffix));
        else
            result.HistoryError = error;
    }
    return result;
}

} // namespace WriteSettings
