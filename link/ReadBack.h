// Reading back what write commands set. Every write command has a read form
// that asks the detector for the same setting ("A2,W,..." is asked with
// "A2,R,", a station-list entry "XS,W,0007,..." with "XS,R,0007"). A record
// read that way gives back, through the command set, the write command the
// detector would now be sent for that setting: comparing it with the command
// that was sent shows, in the detector's own encoding and rounding, whether
// the detector holds what it was sent. The same read taken before a write
// gives the values to put back when the write cannot be completed.
#pragma once

#include "link/LinkResult.h"

#include <QString>
#include <QStringList>

class clsInstrument;
class uclTqif;

namespace ReadBack {

// "XX,R," (or "XX,R,<entry>" for the list forms) for a write command; empty
// when the text is not a write command.
QString ReadCommandFor(const QString& writeCommand);

// The list entry a write command addresses: 0..127 for "XS,W,0007,...", -1
// for every other command (also "XS,W,****," for the detector's own ID).
int EntryOf(const QString& writeCommand);

// Reads into `into` (emptied first) the settings the write commands carry:
// the gas table first (the channel values are written with its decimals),
// then each command's read form once. Done, or the link's reason.
LinkResult ReadSettingsOf(uclTqif& link, const QStringList& writeCommands, clsInstrument& into);

// For each write command, the command the record gives for the same
// setting (same code, same list entry).
QStringList CommandsFrom(const clsInstrument& record, const QStringList& writeCommands);

// One field that differs between a command sent and the one read back.
struct FieldDifference {
    QString Code;   // "A2"
    int Entry = -1; // the list entry, -1 when none
    int Field = 0;  // 0-based field after "XX,W," (the list entry not counted)
    QString Sent;
    QString Held;
};

// The fields of `sent` that `held` (same settings, read back) does not
// match; empty when the detector holds every command as sent.
QList<FieldDifference> Compare(const QStringList& sent, const QStringList& held);

// The parameter fields of a write command after "XX,W," (for a list entry
// the entry number is not among them).
QStringList FieldsOf(const QString& writeCommand);

// Puts the settings a list of write commands carries into `record`, the way
// the detector's answers to the matching reads would (the gas table first:
// the channel values are read with its decimals). False, with the first
// command that cannot be taken back in *failed, when the record would not
// give exactly the same commands again: such commands are never sent on
// the strength of a record that does not hold them.
bool RecordFromCommands(const QStringList& writeCommands, clsInstrument& record,
                        QString* failed = nullptr);

} // namespace ReadBack
