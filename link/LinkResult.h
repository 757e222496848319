// Named values of the link: the transaction status a caller waits on, the
// link state, and the result of one command or operation with its reason.
//
// The integer Status and LinkState properties keep their numbers (the serial
// log, the window and the tests see them); code compares them with these
// names, never with bare numbers.
#pragma once

#include <QString>

// Transaction status (uclTqif::Status).
constexpr int kStatusIdle = 0;
constexpr int kStatusStopped = 2;       // stopped: time-out in a block transfer, history read
constexpr int kStatusBlockTransfer = 3; // further blocks of a multi-block answer awaited
constexpr int kStatusAwaitingRead = 4;  // an answer awaited: reads and connect polling
constexpr int kStatusAwaiting = 5;      // an answer awaited: writes and other commands
constexpr int kStatusDone = 6;
constexpr int kStatusFailed = 7;
constexpr int kStatusCancelled = 8;
constexpr int kStatusBinaryDump = 9; // raw bytes of a memory block awaited

// Link state (uclTqif::LinkState).
constexpr int kLinkIdle = 0;
constexpr int kLinkConnecting = 2;
constexpr int kLinkConnected = 3;

// How a command or an operation on the link ended.
enum class LinkResult {
    Done,         // answered and accepted
    NotConnected, // no detector connected: nothing was sent
    Busy,         // another command is waiting on the link: nothing was sent
    TimedOut,     // no answer within the time-out and its repetitions
    Refused,      // answers came but were rejected (not understood, wrong echo, NAK)
    LineLost,     // the line went down (modem lines off, port or socket peer gone)
    LineError,    // the line reported an error (framing, parity, overrun, buffers)
    Cancelled,    // the user cancelled
    GaveUp,       // the detector stayed busy beyond the longest wait allowed
};

// A short English name for logs and JSON ("timed-out").
QString LinkResultName(LinkResult result);
