// What every workflow shares: the way it reports to whoever runs it (the
// window's log pane and progress window, or the command-line tool's console)
// and the named outcome it ends with.
//
// A workflow is one user-level operation (read the detector, write settings,
// power it off, run a calibration...). It takes its options, runs on the
// link, reports lines and progress as they happen, and returns a result with
// an Outcome and, when the link failed, the link's reason. It never shows a
// window and never prints: the window and the tool decide how to show it.
#pragma once

#include "link/LinkResult.h"

#include <QString>

#include <functional>

namespace workflows {

// The kind of a reported line; the log pane gives each kind its colour, the
// tool its stream.
enum class Tone {
    Progress, // progress and success (green in the log pane)
    Failure,  // failures (red)
    Listing,  // a listing that belongs to the result (the analog values)
    Transfer, // start and end of a memory transfer (the dump list; brown)
};

struct Report {
    // A line for the log pane. Texts that end in CR LF carry an extra empty
    // line.
    std::function<void(const QString& text, Tone tone)> line;
    // A short progress text (the progress window's label).
    std::function<void(const QString& text)> progress;
    // Steps done of a known total (a progress bar).
    std::function<void(int done, int total)> steps;

    void Line(const QString& text, Tone tone) const {
        if (line)
            line(text, tone);
    }
    void Progress(const QString& text) const {
        if (progress)
            progress(text);
    }
    void Steps(int done, int total) const {
        if (steps)
            steps(done, total);
    }
};

// The time a run of steps still needs, from its pace so far: what the
// progress window and the tool's progress line show beside "done of total".
// A step count that goes back (a new run) starts the estimate afresh.
class TimeLeftEstimate {
public:
    // `done` of `total` steps at `ms` on any steady clock.
    void Update(int done, int total, qint64 ms) {
        if (!started_ || done < done_) {
            started_ = true;
            firstDone_ = done;
            firstMs_ = ms;
        }
        done_ = done;
        total_ = total;
        lastMs_ = ms;
    }
    // Milliseconds left; -1 while unknown (no step done since the start).
    qint64 RemainingMs() const {
        const int stepsDone = done_ - firstDone_;
        if (!started_ || stepsDone <= 0 || lastMs_ <= firstMs_)
            return done_ >= total_ && started_ ? 0 : -1;
        const qint64 left = qMax(0, total_ - done_);
        return (lastMs_ - firstMs_) * left / stepsDone;
    }
    // "m:ss" (minutes may exceed 59), rounded up to the next second.
    static QString Text(qint64 ms) {
        const qint64 seconds = (qMax<qint64>(0, ms) + 999) / 1000;
        return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    }

private:
    bool started_ = false;
    int firstDone_ = 0;
    qint64 firstMs_ = 0;
    int done_ = 0;
    int total_ = 0;
    qint64 lastMs_ = 0;
};

// How a workflow ended.
enum class Outcome {
    Success,      // done and, where the workflow checks it, confirmed
    NotConnected, // no detector connected: nothing was sent
    Busy,         // another command was waiting on the link: nothing was sent
    Cancelled,    // the user cancelled
    Failed,       // the detector or the line failed; see the link's reason
    Refused,      // the input was refused before anything was sent
};

// The outcome a link result leads to.
inline Outcome OutcomeOf(LinkResult result) {
    switch (result) {
    case LinkResult::Done:
        return Outcome::Success;
    case LinkResult::NotConnected:
        return Outcome::NotConnected;
    case LinkResult::Busy:
        return Outcome::Busy;
    case LinkResult::Cancelled:
        return Outcome::Cancelled;
    default:
        return Outcome::Failed;
    }
}

} // namespace workflows
