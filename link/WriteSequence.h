// Writing the detector: every setting whose change flag is set is sent with
// its write command, in a fixed order of blocks, and the detector is then
// told to store what it received ("DW,W," and "DW,C," until it acknowledges).
#pragma once

#include "link/LinkResult.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class clsInstrument;
class uclTqif;
struct ResponseContext;

// One block of the write sequence: the command it sends, the change flags
// that make it due, and the flags it clears once the detector took it.
struct WriteBlock {
    enum class Kind {
        Single,      // one command from the record's current values
        StationList, // one command per flagged station-list entry
        UserList,    // one command per flagged user-list entry
    };
    QString Code;
    Kind BlockKind = Kind::Single;
    std::function<bool(const clsInstrument&)> Changed; // Single blocks
    std::function<void(clsInstrument&)> Clear;         // after a successful send
};

// The 46 blocks in the order they are sent.
const std::vector<WriteBlock>& WriteBlocks();

// One command a write of a record would send: its text, its block (index
// into WriteBlocks()) and, for the list blocks, the list entry.
struct WriteStep {
    QString Text;
    int Block = 0;
    int Entry = -1;
};

// The commands a write of this record would send, in order (without the
// commit). The record is not changed.
std::vector<WriteStep> WriteSteps(const clsInstrument& record);
QStringList PendingWriteCommands(const clsInstrument& record);

// Timing of the commit: the pause before each "DW,C," and the longest the
// detector may take to store before the write is given up as failed.
struct CommitTiming {
    qint64 PollMs = 5000;
    qint64 LimitMs = 120000;
};

// What a write run did. The detector keeps the accepted commands staged
// until a commit stores them (or it is switched off): a run that failed
// after some were accepted leaves them there, and the next commit of any
// operation would store them.
struct WriteRun {
    // Done: every command accepted and the commit confirmed. Otherwise the
    // reason of the first failure.
    LinkResult Result = LinkResult::Done;
    // The write commands the detector accepted, in order (not the commit).
    QStringList Accepted;
    // The command that failed: a write command, "DW,W,", or empty when the
    // failure came while waiting for the detector to store.
    QString Failed;
    bool CommitStarted = false;
    // The detector confirmed that it stored ("DW,C," answered with ACK).
    bool Committed = false;
};

// Writes every flagged setting of `iObj` (which becomes ctx.Instrument, so
// that the answers are compared with it) and commits, clearing the flags of
// each block the detector accepted. Logs the start, finish (with the elapsed
// time) or failure. The first command that fails ends the run; so do a
// Cancel during the commit pauses, a commit the detector does not confirm
// within the limit, and a line that went down at any point of the run (also
// when it came back: the detector that answers may no longer hold what was
// sent). A run with nothing flagged sends nothing and succeeds.
WriteRun WriteRecord(uclTqif& link, ResponseContext& ctx, clsInstrument* iObj,
                     const CommitTiming& timing = CommitTiming());

// Sends the given write commands as they stand and commits, the same way;
// the answers are compared with `echoRecord`, which must hold what the
// commands carry (ReadBack::RecordFromCommands).
WriteRun WriteCommands(uclTqif& link, ResponseContext& ctx, clsInstrument& echoRecord,
                       const QStringList& commands, const CommitTiming& timing = CommitTiming());

// WriteRecord, answering only whether it succeeded.
bool SetInstrument(uclTqif& link, ResponseContext& ctx, clsInstrument* iObj,
                   const CommitTiming& timing = CommitTiming());
