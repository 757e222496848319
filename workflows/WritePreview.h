// What a settings write will change, shown before the user says Yes: one
// item per setting the write sends whose value differs from what the
// detector held when it was last read ("Alarm, CO: 50 → 35", "Station ID:
// STATION-01 → NORTH GATE"). Without a record as last read (a file loaded,
// nothing read yet) there is no detector value: every setting the write
// sends is listed with its new value.
//
// What the write sends is decided exactly as the write decides it: the
// record with the change flags of the mode (Update: every setting; Update ID:
// the identity items; Flagged: the record's own flags), and the write
// commands those flags call for (link/WriteSequence.h). A command carries
// all five channels or all fields of its settings, so every setting it
// carries is compared. The channel descriptor ("GJ") of a channel is one
// item, its gas with full scale and unit ("CH4(100%LEL)", "OFF" for a
// channel switched off).
//
// The window shows the items with its "Update Ready?" question; the
// command-line tool's "write FILE --dry-run" prints them. Nothing here talks
// to the detector.
#pragma once

#include "workflows/WriteSettings.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class clsInstrument;

namespace WritePreview {

struct Item {
    QString Key;   // the setting ("Alarm"; "Gas" for a channel descriptor)
    int Index = 0; // the channel or list entry, 0 for a single value
    QString Label; // "Alarm, CO"
    QString Old;   // as last read (empty when there is no record as last read)
    QString New;   // as it will be written
    // "Alarm, CO: 50 → 35", or "Alarm, CO: 35" without an old value.
    QString Text(bool withOld) const;
};

struct Preview {
    // The items, in the order the write sends them.
    QList<Item> Items;
    // The old values come from a record as last read.
    bool HasOld = false;
    // Write commands the write sends (without the commit).
    int Commands = 0;
    // One line per item.
    QStringList Lines() const;
};

// The text above the items: the detector and the time the old values were
// read ("Changes against the settings last read from the detector (SN-0042,
// 2024/05/01 10:42:07):"), that nothing changes, or that there are no old
// values.
QString Heading(const Preview& preview, const QString& serialNo, const QDateTime& readAt);

// The record as the write will send it: a copy with the change flags of the
// mode set (Flagged keeps the record's own).
clsInstrument FlaggedForWrite(const clsInstrument& record, WriteSettings::Mode mode);

// The preview of writing `record` in `mode`; `lastRead` is the detector as
// last read, or null when there is none.
Preview Build(const clsInstrument* lastRead, const clsInstrument& record, WriteSettings::Mode mode);

// After a successful write: every setting the write sent (as `flagged`, the
// record from FlaggedForWrite taken before the write, says) goes into the
// record as last read, which then holds what the detector holds.
void TakeWritten(clsInstrument& lastRead, const clsInstrument& flagged);

} // namespace WritePreview
