// What the tool's commands share: the context a command runs in (its
// invocation, the console, its JSON result, the session with the detector)
// and the helpers of several commands: connecting, the console report of a
// workflow, the progress count of a sequence, the "Instrument Information"
// read.
#pragma once

#include "cli/CliOptions.h"
#include "workflows/InformationDownload.h"
#include "workflows/RegisterEvents.h"
#include "workflows/Report.h"

#include <QJsonObject>
#include <QMetaObject>
#include <QString>

#include <cstdint>
#include <memory>

class uclTqif;

namespace cli {

class CliSession;
class Console;

// Everything a command works with.
class CommandContext {
public:
    CommandContext(const Invocation& invocation, Console& output);
    ~CommandContext();
    CommandContext(const CommandContext&) = delete;
    CommandContext& operator=(const CommandContext&) = delete;

    const Invocation& inv;
    Console& console;
    // The command's members of the JSON document.
    QJsonObject result;
    // The last error reported, the document's "error".
    QString lastError;

    // The session with the detector, set up on first use: a command that
    // talks to no detector never opens one.
    CliSession& session();
    // Closes the session's port when a session was opened.
    void closeSession();

    // An error on standard error; it becomes the last error.
    void error(const QString& text);
    // A progress line on standard error.
    void info(const QString& text);
    // A line in the log pane's colour on standard error; a red one becomes
    // the last error.
    void line(const QString& text, int32_t colour);
    bool json() const { return inv.json; }
    // A result line on standard output (text mode only).
    void out(const QString& text);
    // `path` from the working folder.
    QString absolute(const QString& path) const;

    // The instrument register the command line chooses (--no-register,
    // --register, TQ7350_REGISTER, the default); a location that cannot be
    // read leaves it disabled with `registerError()` saying why.
    RegisterEvents::Recorder& recorder();
    const QString& registerError() const { return registerError_; }

private:
    std::unique_ptr<CliSession> session_;
    std::unique_ptr<RegisterEvents::Recorder> recorder_;
    QString registerError_;
};

// What the window shows when no detector answers before a command: a line on
// the console and a serial log entry given the date (catalogue texts; either
// may be kNoText).
struct NoAnswerTexts {
    int line;
    int log;
};
constexpr int kNoText = 0;
constexpr NoAnswerTexts kNoAnswerSilent{kNoText, kNoText};

// Prepares the session and connects; kExitDone or the reported status. When
// no detector answered, `noAnswer` is reported as well.
int Connect(CommandContext& c, const NoAnswerTexts& noAnswer = kNoAnswerSilent);

// Reports Ctrl+C; the exit status.
int Interrupted(CommandContext& c);

// Counts the commands a sequence starts (each sets the status to 4 or 5)
// for the progress bar.
class CommandCounter {
public:
    CommandCounter(CommandContext& c, uclTqif& link, const QString& label, int total);
    ~CommandCounter();
    CommandCounter(const CommandCounter&) = delete;
    CommandCounter& operator=(const CommandCounter&) = delete;

private:
    CommandContext& c_;
    QMetaObject::Connection connection_;
    int count_ = 0;
    bool awaiting_ = false;
};

// Where a workflow reports on the console: lines on standard error in their
// colour; the analog value list belongs to the result, not to the progress.
workflows::Report ConsoleReport(CommandContext& c);

// The progress line of a transfer that counts its blocks (logger memory,
// dump list): ConsoleReport with the workflow's steps driving the console's
// progress bar, with the time left. The bar shows on a terminal only, not
// with --quiet or --json; it is cleared when the object goes.
class StepProgress {
public:
    StepProgress(CommandContext& c, const QString& label);
    ~StepProgress();
    StepProgress(const StepProgress&) = delete;
    StepProgress& operator=(const StepProgress&) = delete;

    workflows::Report report();

private:
    void steps(int done, int total);

    CommandContext& c_;
    QString label_;
    int total_ = 0;
    workflows::TimeLeftEstimate timeLeft_;
};

// Records the event of the detector work just done. A register that cannot
// be opened or written gives one warning on standard error (and
// "registerWarning" in the JSON document); the command's exit status stays
// that of the detector work. With --no-register nothing happens.
void RecordEvent(CommandContext& c, const RegisterEvents::Event& event);

// Commands of the read of "Instrument Information", for the progress bar.
int ReadTableSize();

// The read of "Instrument Information" with its log lines; the analog value
// list is part of the result rather than a progress line.
InformationDownload::Result Download(CommandContext& c, CliSession& s, bool readHistories);

// The exit status of a failed read, reported.
int DownloadFailure(CommandContext& c, const InformationDownload::Result& r);

// --history SUFFIX names a file that can be created; reported when not.
bool CheckSuffix(CommandContext& c);

// Checks that `path` can be created: its folder exists and it is no folder.
bool CheckOutputFile(CommandContext& c, const QString& path);

} // namespace cli
