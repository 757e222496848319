// The names of the settings that write commands carry, in the user's
// language, for the messages about a write: which setting the detector
// refused ("A1 (Warning)"), which values differ after a write ("Alarm, CO:
// sent 35, the detector holds 50"). The names are the ones the window's grid
// and the factory settings dialog show.
#pragma once

#include <QString>

class clsInstrument;

// The setting a write command code carries ("Warning" for "A1"); the code
// itself for a code that carries no setting of the record.
QString WriteCommandLabel(const QString& code);

// The setting one field of a write command carries: for the channel commands
// the setting and the channel's gas ("Alarm, CO"), for the commands with
// several settings the one at that field ("Bump Test Time(sec)"), for a
// list entry the list and the entry ("Station List, entry 8"). `record`
// names the channels' gases.
QString WriteFieldLabel(const QString& writeCommand, int field, const clsInstrument& record);

// The name of one setting of the settings table (model/SettingsTable.h) by
// its key and index, as the messages about a write name it: "Alarm, CO" for
// Alarm of a channel holding CO, "Station List, entry 8", "Bump Test
// Time(sec)". The key itself for a setting no write command carries.
QString SettingLabel(const QString& key, int index, const clsInstrument& record);
