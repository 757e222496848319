// Reading the whole detector: the fixed table of read commands and the walk
// that sends them one after the other into a settings record.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class clsInstrument;
class uclTqif;
struct ResponseContext;

// Slots of the read table (0..332); the empty ones are skipped and keep the
// indices of the others stable.
constexpr int kReadCommandSlots = 333;

// The read table: 333 command texts, 313 of them non-empty.
const QStringList& ReadCommandTable();

// Runs one command the way every sequence does: sets the status (4 or 5),
// sends the text as a frame with InitFlag and waits while the status keeps
// that value. `whileWaiting` runs before the first and after every event of
// the wait. Returns the status the wait ended with, or -1 when the wait could
// not run (another wait is active: nothing is sent) or was abandoned.
int RunCommand(uclTqif& link, const QString& commandText, int waitStatus,
               const std::function<void()>& whileWaiting = {});

// Reads everything into `iObj`: clears the record, empties its FailLine,
// makes it the record the answers fill (ctx.Instrument) and sends the read
// table in order. While a command waits, a message text the record holds is
// raised as InstMessage and emptied. Stops at the first command that does
// not end with status 6 and returns false; the record keeps what was read.
// False at once when `iObj` is null.
bool GetInstrument(uclTqif& link, ResponseContext& ctx, clsInstrument* iObj);
