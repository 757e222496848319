// "Download Logger Data": the detector's identity commands, then the 1024
// blocks of its logger (flash) memory into an image file of 524288 bytes.
//
// The image is downloaded into a temporary file beside the target and
// replaces the target only once every block has arrived, so a download that
// fails or is cancelled part-way leaves the previous image exactly as it
// was, never an image made of blocks of two different downloads.
//
// A block that does not arrive in time is asked for again, from that block
// on, up to MaxRetries times in a row before the download fails (an infrared
// link loses an answer now and then); each new try reads the identity first,
// as the first one did, and reports "One more time !".
//
// The main window ("Download Logger Data" and the download inside the FLASH
// check) and the command-line tool (`logger`, `flash-check`) run it.
#pragma once

#include "workflows/Report.h"

#include <QString>

#include <functional>

class uclTqif;

namespace LoggerDownload {

using workflows::Outcome;

// The image file's name in the folder that was current at start-up.
constexpr const char* kImageFileName = "TQ7350.DAT";
// Blocks of the logger memory (512 bytes each).
constexpr int kFirstBlock = 0;
constexpr int kLastBlock = 1023;
constexpr int kBlocks = kLastBlock - kFirstBlock + 1;
// How often in a row a block that timed out is asked for again.
constexpr int kMaxRetries = 3;

struct Options {
    // The image to fill (its full path).
    QString ImagePath;
    int MaxRetries = kMaxRetries;
    // True once the user asked to stop (the progress window's cancel button,
    // Ctrl+C); asked between the steps. The button also sets the link's
    // Cancel, which ends the block being waited for.
    std::function<bool()> Cancelled;
};

struct Result {
    // Success: every block arrived and the image was replaced. Cancelled:
    // the user stopped it. Failed: the identity or a block failed after its
    // retries, or the image could not be written. NotConnected, Busy:
    // nothing was sent. In every case but Success the image is unchanged.
    Outcome outcome = Outcome::Failed;
    LinkResult reason = LinkResult::Done;
    // Blocks asked for again after a time-out.
    int Retries = 0;
    // Blocks stored (kBlocks after a success).
    int BlocksDone = 0;
    bool Success() const { return outcome == Outcome::Success; }
};

// Runs the download. Lines: the start line; "One more time !" at each retry;
// the image written, or "Data Download Failed." / "Cominucation Canceled."
// (red) followed by a line that the earlier image was left as it was; the
// not-connected line and its serial-log line when no detector is connected.
// Progress: Steps(blocks stored, kBlocks) after every block; "One more
// time !" as the progress text at each retry. The identity is read into a
// record of the workflow's own: the caller's record is not touched.
Result Run(uclTqif& link, const Options& options, const workflows::Report& report);

} // namespace LoggerDownload
