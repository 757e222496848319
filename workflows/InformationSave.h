// "Information Get && Save": the "Instrument Information" download
// (InformationDownload) followed, after a successful read, by a "Read" line
// in the settings history file "TQ7350_Setting<suffix>.csv".
//
// The suffix is checked first: one that a file name cannot carry (\ / : | <
// > * ? " or a control character) refuses the command before anything is
// sent. The main window (its suffix box) and the command-line tool (`read
// --history SUFFIX`) run it.
#pragma once

#include "workflows/InformationDownload.h"
#include "workflows/Report.h"

#include <QDateTime>
#include <QString>

class clsInstrument;
class uclTqif;

namespace InformationSave {

using workflows::Outcome;

struct Options {
    InformationDownload::Options download;
    // The history file's folder and the suffix of its name.
    QString Folder;
    QString Suffix;
};

struct Result {
    // Success: read and the history line written. Refused: the suffix is
    // not usable; nothing was sent. Failed with download.Success(): the read
    // succeeded but the history line could not be written. Otherwise the
    // download's own outcome.
    Outcome outcome = Outcome::Failed;
    LinkResult reason = LinkResult::Done;
    InformationDownload::Result download;
    // The history file (set when the line was written).
    QString HistoryPath;
    bool Success() const { return outcome == Outcome::Success; }
};

// True when the suffix can be part of the history file's name.
bool SuffixAcceptable(const QString& suffix);

// Runs the download into `record`, then appends the "Read" line with the
// PC's present date. The refused suffix reports nothing (the caller says
// why); a history line that could not be written is reported as a failure.
Result Run(uclTqif& link, clsInstrument& record, const Options& options,
           const workflows::Report& report);

} // namespace InformationSave
