// The settings of the record described once: every property of
// clsInstrument that has a change flag, with its name, its flag, how it is
// indexed, its value type, the flag group SetChangeFlags gives it, the write
// command that carries it to the detector and the value ClearDatas gives it.
//
// The record's CopyChangedFrom, SetChangeFlags, ClearChangeFlags and
// ClearDatas walk this table, and so can any code that needs every setting
// by name ("which settings does command AP carry", "is AlarmMode flagged",
// "old -> new" of each flagged setting).
//
// Values travel as QVariant holding the property's own C++ type (int16_t
// for Integer, int32_t for Long, float for Single, bool, QString). Set goes
// through the property's write, so it marks the flag exactly as an editor
// does (Intervals only on a real change).
//
// Not in the table: the record status and raw data, the calibration,
// bump-test and logging results of the channels and the "LI" library (none
// of them has a change flag).
#pragma once

#include <QString>
#include <QVariant>

#include <functional>
#include <vector>

class clsInstrument;

namespace SettingsTable {

// How a setting is indexed.
enum class Kind {
    Scalar,    // one value (index 0)
    Channel,   // one value per gas channel 0..4
    ListEntry, // one text per station or user list entry 0..127
    LsEntry,   // one field of each "LS" entry 0..1; one flag covers the entry
};

// What SetChangeFlags(pFlag, pIDflag) does with the setting's flag.
enum class FlagGroup {
    Identity, // set to pIDflag (UserID, StationID, SerialNo, the lists)
    Setting,  // set to pFlag
    Cleared,  // always cleared (DummySerial)
    Outside,  // left alone (FlowLevel, pressOffset and the channels' internal
              // name, digit, unit and full-scale flags)
};

enum class ValueType { Integer, Long, Single, Boolean, Text, Double };

struct Setting {
    QString Key;  // the property name, e.g. "AlarmMode"
    QString Flag; // its change flag, e.g. "Change_AlarmMode"
    Kind SettingKind = Kind::Scalar;
    ValueType Type = ValueType::Integer;
    FlagGroup Group = FlagGroup::Setting;
    // The command whose write request carries the value ("AP"); empty when
    // the value is only read from the detector or never exchanged. Several
    // settings can share one command ("BU", "GJ", "MP").
    QString Command;
    // The value ClearDatas writes; null when ClearDatas keeps the field.
    QVariant Default;

    std::function<QVariant(const clsInstrument& record, int index)> Get;
    std::function<void(clsInstrument& record, int index, const QVariant& value)> Set;
    std::function<bool(const clsInstrument& record, int index)> Changed;
    std::function<void(clsInstrument& record, int index, bool on)> SetChanged;

    // The number of indexes (1, 5, 128 or 2); Get, Set and the flag take
    // 0..count()-1.
    int count() const;
    // Whether the flag of any index is set.
    bool anyChanged(const clsInstrument& record) const;
};

// Every setting in the order of the record's properties.
const std::vector<Setting>& Rows();
// The setting of a property name, or null.
const Setting* Find(const QString& key);
// The settings a write command carries, in table order (empty for a code
// that carries none).
std::vector<const Setting*> CarriedBy(const QString& command);

} // namespace SettingsTable
