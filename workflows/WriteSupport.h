// Steps shared by the workflows that write settings and make sure they were
// stored: the verified write (WriteSettings.h) and the resolution of an
// unfinished write (UnfinishedWrite.h).
#pragma once

#include "link/LinkResult.h"

#include <QString>
#include <QStringList>

class clsInstrument;
class uclTqif;

namespace WriteSupport {

// Reads the detector's identity into `record`: ROM number, SUM, serial
// numbers, Spec No., station and user ID, and its clock (SysDateOffset).
LinkResult ReadIdentity(uclTqif& link, clsInstrument& record);

// Reads back the settings `sent` carries and compares: Done when the reads
// went through (`differences` then lists, in the user's words, every field
// the detector holds otherwise than sent; empty when it holds them all), or
// the link's reason when they did not.
LinkResult Verify(uclTqif& link, const QStringList& sent, QStringList* differences);

// Sends `commands` as they stand, commits, and reads back `check` (by
// default the same commands). Done when the detector stored them and holds
// what `check` says.
LinkResult WriteAndVerify(uclTqif& link, const QStringList& commands, QStringList* differences,
                          const QStringList& check = {});

// "tq7350ctl 0.1.0": the program and version, for the journal.
QString ProgramName();

} // namespace WriteSupport
