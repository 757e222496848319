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

// Reads everything into `iObj`: clears the record, empties its FailLine,
// makes it the record the answers fill (ctx.Instrument) and sends the read
// table in order. While a command waits, a message text the record holds is
// raised as InstMessage and emptied. Stops at the first command that does
// not end with status 6 and returns false; the record keeps what was read.
// False at once when `iObj` is null.
bool GetInstrument(uclTqif& link, ResponseContext& ctx, clsInstrument* iObj);
