// Writing the detector: every setting whose change flag is set is sent with
// its write command, in a fixed order of blocks, and the detector is then
// told to store what it received ("DW,W," and "DW,C," until it acknowledges).
#pragma once

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

// The commands a write of this record would send, in order (without the
// commit). The record is not changed.
QStringList PendingWriteCommands(const clsInstrument& record);

// When `result` is already false, does nothing. Otherwise sends the command
// with status 5 and waits; an end other than 6 makes `result` false, an
// answered command sets `written`.
void SendAndWait(uclTqif& link, bool& result, const QString& commandText, bool& written);

// Timing of the commit: the pause before each "DW,C," and the longest the
// detector may take to store before the write is given up as failed.
struct CommitTiming {
    qint64 PollMs = 5000;
    qint64 LimitMs = 120000;
};

// Writes every flagged setting of `iObj` (which becomes ctx.Instrument, so
// that the answers are compared with it) and commits. Logs the start, finish
// (with the elapsed time) or failure. A Cancel during the commit pauses, or a
// commit the detector does not confirm within the limit, ends with false.
// False at once when `iObj` is null.
bool SetInstrument(uclTqif& link, ResponseContext& ctx, clsInstrument* iObj,
                   const CommitTiming& timing = CommitTiming());
