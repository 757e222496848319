// Writing a settings file to the detector (the command-line tool's "write"):
// the file is read first, before anything is opened, so a bad file ends the
// command with nothing sent. A complete file decides every setting that
// "Update" sends; a file that lacks lines is applied over the detector's
// present settings (read first), so the settings it does not carry keep
// their values and the pre-write checks see what the detector will hold.
// Identity items are not in a settings file: an identity write always starts
// from the detector's identity, with the texts the caller gives. A write
// that leaves a history line reads the detector first too, so that the line
// holds its lists and its calibration and bump-test dates.
//
// After the record is put together the workflow does what "Load local file"
// does (SettingsImport::AfterImport: all settings flagged, ImportFlag set,
// locked channels enabled), runs
// the pre-write checks and, when they pass, "Update" or "Update ID".
#pragma once

#include "model/clsInstrument.h"
#include "records/SettingsFile.h"
#include "records/WriteChecks.h"
#include "workflows/InformationDownload.h"
#include "workflows/WritePreview.h"
#include "workflows/WriteSettings.h"

#include <QString>
#include <QStringList>

#include <array>

class uclTqif;

namespace WriteFromFile {

using workflows::Outcome;

struct Options {
    QString Path;
    // "Update ID" instead of "Update".
    bool IdentityOnly = false;
    // Channels the configuration locks to enabled.
    std::array<bool, 5> ChannelLocked{};
    // Identity texts for an identity write (empty: keep the detector's).
    QString SerialNo;
    QString StationId;
    QString UserId;
    // Read every written setting back (see WriteSettings::Options).
    bool Verify = true;
    // History line after a successful write (see WriteSettings::Options).
    bool AppendHistory = false;
    // Read the detector, put the record together and run the checks as for
    // the write, then only build the preview of what the write would change
    // (WritePreview.h): nothing is written, no history line.
    bool DryRun = false;
    QString HistoryFolder;
    QString HistorySuffix;
};

// The file as read before the link is opened.
struct Prepared {
    Options options;
    SettingsFile::FileResult Load;
    // Codes of the settings lines a complete file holds and this one lacks.
    QStringList MissingLines;
    // The detector must be read first: the file lacks lines, the write is an
    // identity write, or a history line is asked for.
    bool ReadFirst = false;
    // A complete file: the record as it will be written and its checks.
    clsInstrument Record;
    WriteCheckResult Check;
    bool Loaded() const { return Load.ok; }
    // The file is read and nothing stops the write before the link is used.
    bool Ready() const { return Load.ok && Check.passed(); }
};

// Reads the file and, for a complete file, puts the record together and
// runs the checks; nothing is opened or sent.
Prepared Prepare(const Options& options);

struct Result {
    // Refused: the pre-write checks refused the record (see Check), or the
    // file could not be read again after the detector was read.
    Outcome outcome = Outcome::Failed;
    LinkResult reason = LinkResult::Done;
    WriteCheckResult Check;
    // The read that came first, when the file needed it.
    bool ReadRan = false;
    InformationDownload::Result Read;
    // The load of the file over the detector's settings, when it failed.
    SettingsFile::FileResult Reload;
    // The write itself, when it ran.
    bool WriteRan = false;
    WriteSettings::Result Write;
    // A dry run: what the write would change against the detector as it was
    // just read (Success: the preview was made; nothing was written).
    WritePreview::Preview Preview;
    QString DetectorSerialNo;
    bool Success() const { return outcome == Outcome::Success; }
};

// Puts the record together (reads the detector first when the file needs
// it, or for a dry run), runs the checks and writes, or for a dry run
// builds the preview. `record` becomes the record written (or that would
// be written).
Result Run(uclTqif& link, clsInstrument& record, const Prepared& prepared,
           const workflows::Report& report);

} // namespace WriteFromFile
