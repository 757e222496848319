// "FLASH Check": tests the detector's logger (flash) memory. Clears the
// logger data and the power log, writes the known check pattern, downloads
// the whole logger memory (LoggerDownload), clears both again and compares
// the downloaded image byte for byte with the reference image of the check
// pattern shipped beside the program: "FLASH Check OK" or "FLASH Check NG".
//
// The reference image is checked before anything is sent: without a
// complete reference there is nothing to judge by, and neither OK nor NG is
// ever reported. A step that fails stops the check with its own fixed text
// (FailureText) and no verdict; so does a download that failed or was
// cancelled, whose image is not compared.
//
// The main window ("FLASH Check", factory mode) and the command-line tool
// (`flash-check`) run it.
#pragma once

#include "app/DataPaths.h"

#include "workflows/LoggerDownload.h"
#include "workflows/Report.h"

#include <QByteArray>
#include <QString>

#include <functional>

class uclTqif;

namespace FlashCheck {

using workflows::Outcome;

// The reference image's name.
constexpr const char* kReferenceFileName = kCheckReferenceImage;

// Where the program finds the reference image: beside the program in
// `programFolder`, else in the installed data folder (app/DataPaths.h).
QString ReferenceImagePath(const QString& programFolder);

// The stretch of the check that runs (the window shows it in the progress
// window's caption).
enum class Phase {
    Writing,     // clearing and writing the check pattern
    Downloading, // the logger download
    Clearing,    // clearing again after the download
};

enum class Verdict {
    None, // not judged (a step failed, the reference is missing)
    Ok,   // the image equals the reference
    Ng,   // the image differs from the reference
};

struct Options {
    // The downloaded image ("TQ7350.DAT") and the reference, full paths.
    QString ImagePath;
    QString ReferencePath;
    int MaxRetries = LoggerDownload::kMaxRetries;
    // As for LoggerDownload: the user asked to stop.
    std::function<bool()> Cancelled;
    // Called as each phase begins.
    std::function<void(Phase)> PhaseChanged;
};

struct Result {
    // Success: the check ran to its end and judged (see verdict). Refused:
    // the reference image is missing or not a whole image; nothing was
    // sent. Failed, Cancelled, NotConnected, Busy: no verdict.
    Outcome outcome = Outcome::Failed;
    LinkResult reason = LinkResult::Done;
    Verdict verdict = Verdict::None;
    // The fixed text of the clearing or writing step that failed ("Clear
    // log data failed"); empty otherwise. The window shows it in a box.
    QString FailureText;
    // Byte offset of the first difference (NG), -1 otherwise.
    qint64 FirstDifference = -1;
    LoggerDownload::Result download;
    // Ran to its end and the memory holds what was written.
    bool Passed() const { return outcome == Outcome::Success && verdict == Verdict::Ok; }
};

Result Run(uclTqif& link, const Options& options, const workflows::Report& report);

// A whole image file (Dumps::kImageBytes); empty when missing, unreadable
// or of another size.
QByteArray ReadImage(const QString& path);

// -1 when the two are equal, else the offset of the first byte that
// differs (the shorter length when one is a prefix of the other).
qint64 FirstDifference(const QByteArray& a, const QByteArray& b);

} // namespace FlashCheck
