// The settings table and the record operations that walk it.
#include "model/SettingsTable.h"
#include "model/clsInstrument.h"

#include <QSet>
#include <gtest/gtest.h>
#include <ostream>

// Readable values in failure messages.
inline void PrintTo(const QVariant& value, std::ostream* os) {
    *os << value.typeName() << ' ' << value.toString().toStdString();
}

using SettingsTable::Rows;
using SettingsTable::Setting;
using SettingsTable::ValueType;

namespace {

// The change flags by what SetChangeFlags(pFlag, pIDflag) does with them, as
// the record defines them (every other flag follows pFlag); the table's own
// Group column is not consulted.
const QSet<QString> kIdentityFlags = {"Change_UserID", "Change_StationID", "Change_SerialNo",
                                      "Change_StationList", "Change_UserList"};
const QSet<QString> kAlwaysCleared = {"Change_DummySerial"};
const QSet<QString> kUntouched = {"Change_FlowLevel", "Change_pressOffset", "Change_GasName",
                                  "Change_GasDesit",  "Change_GasUnit",     "Change_GasFullScale"};

void SetAllFlags(clsInstrument& r, bool on) {
    for (const Setting& s : Rows())
        for (int i = 0; i < s.count(); ++i)
            s.SetChanged(r, i, on);
}

// A value of the setting's type that differs from `current`.
QVariant Other(const Setting& s, const QVariant& current) {
    switch (s.Type) {
    case ValueType::Integer:
        return QVariant::fromValue(static_cast<int16_t>(current.value<int16_t>() + 1));
    case ValueType::Long:
        return QVariant::fromValue(current.value<int32_t>() + 70000);
    case ValueType::Single:
        return QVariant::fromValue(current.value<float>() + 12.5f);
    case ValueType::Double:
        return QVariant::fromValue(current.value<double>() + 0.25);
    case ValueType::Boolean:
        return QVariant::fromValue(!current.value<bool>());
    case ValueType::Text:
        return QVariant::fromValue(current.value<QString>() + QStringLiteral("X1"));
    }
    return QVariant();
}

QString Where(const Setting& s, int i) {
    return s.Key + QLatin1Char('(') + QString::number(i) + QLatin1Char(')');
}

} // namespace

TEST(SettingsTable, EveryWriteMarksItsOwnFlagAndNoOther) {
    for (const Setting& s : Rows()) {
        const int last = s.count() - 1;
        for (int i = 0; i <= last; i += qMax(1, last)) { // the first and the last index
            clsInstrument r;
            SetAllFlags(r, false);
            const QVariant value = Other(s, s.Get(r, i));
            s.Set(r, i, value);
            EXPECT_EQ(s.Get(r, i), value) << Where(s, i).toStdString();
            EXPECT_TRUE(s.Changed(r, i)) << Where(s, i).toStdString();
            for (const Setting& o : Rows()) {
                for (int j = 0; j < o.count(); ++j) {
                    if (o.Flag == s.Flag && j == i)
                        continue; // the LS fields share their entry's flag
                    ASSERT_FALSE(o.Changed(r, j)) << Where(s, i).toStdString() << " also marks "
                                                  << o.Flag.toStdString() << '(' << j << ')';
                }
            }
        }
    }
}

TEST(SettingsTable, SetChangeFlagsTreatsEachFlagByItsGroup) {
    for (const bool before : {false, true}) {
        for (const auto& [pFlag, pIDflag] : {std::pair{true, false}, {false, true}, {true, true}}) {
            clsInstrument r;
            SetAllFlags(r, before);
            r.SetChangeFlags(pFlag, pIDflag);
            for (const Setting& s : Rows()) {
                const bool expected = kIdentityFlags.contains(s.Flag)   ? pIDflag
                                      : kAlwaysCleared.contains(s.Flag) ? false
                                      : kUntouched.contains(s.Flag)     ? before
                                                                        : pFlag;
                for (int i = 0; i < s.count(); ++i)
                    ASSERT_EQ(s.Changed(r, i), expected)
                        << Where(s, i).toStdString() << " before " << before << " SetChangeFlags("
                        << pFlag << ", " << pIDflag << ")";
            }
        }
    }
}

TEST(SettingsTable, CopyChangedFromCopiesExactlyTheFlaggedSettings) {
    const clsInstrument fresh;
    clsInstrument source;
    for (const Setting& s : Rows())
        for (int i = 0; i < s.count(); ++i)
            s.Set(source, i, Other(s, s.Get(source, i)));
    source.setCalibBefore(0, 9.0f); // outside the table: never copied
    SetAllFlags(source, false);
    int k = 0;
    for (const Setting& s : Rows())
        for (int i = 0; i < s.count(); ++i)
            if (++k % 3 == 0)
                s.SetChanged(source, i, true);

    clsInstrument target = fresh;
    SetAllFlags(target, false);
    target.CopyChangedFrom(source);
    for (const Setting& s : Rows()) {
        for (int i = 0; i < s.count(); ++i) {
            const bool flagged = s.Changed(source, i);
            EXPECT_EQ(s.Get(target, i), flagged ? s.Get(source, i) : s.Get(fresh, i))
                << Where(s, i).toStdString();
            EXPECT_EQ(s.Changed(target, i), flagged) << Where(s, i).toStdString();
        }
    }
    EXPECT_EQ(target.CalibBefore(0), fresh.CalibBefore(0));
}

TEST(SettingsTable, LookupByNameAndByCommand) {
    const Setting* alarmMode = SettingsTable::Find("AlarmMode");
    ASSERT_NE(alarmMode, nullptr);
    EXPECT_EQ(alarmMode->Flag, "Change_AlarmMode");
    EXPECT_EQ(alarmMode->Command, "AP");
    EXPECT_EQ(SettingsTable::Find("Change_AlarmMode"), nullptr);

    QStringList bu;
    for (const Setting* s : SettingsTable::CarriedBy("BU"))
        bu << s->Key;
    EXPECT_EQ(bu, QStringList({"BumpTime", "BumpThreshold", "BumpFailAfter", "BumpFailCalTime"}));
    EXPECT_TRUE(SettingsTable::CarriedBy("").empty());

    clsInstrument r;
    r.ClearChangeFlags();
    const Setting* warning = SettingsTable::Find("Warning");
    ASSERT_NE(warning, nullptr);
    EXPECT_FALSE(warning->anyChanged(r));
    r.setWarning(4, 25.0f);
    EXPECT_TRUE(warning->anyChanged(r));
}
