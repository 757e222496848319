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
