// The settings table against the command set: the write command a setting
// names really carries it, and every write request carries a setting.
#include "link/CommandSet.h"
#include "model/SettingsTable.h"
#include "model/clsInstrument.h"

#include <gtest/gtest.h>

using SettingsTable::Setting;
using SettingsTable::ValueType;

namespace {

// Two values of the setting's type that every encoding writes differently.
QVariant Sample(const Setting& s, int which) {
    switch (s.Type) {
    case ValueType::Integer:
        return QVariant::fromValue(static_cast<int16_t>(which));
    case ValueType::Long:
        return QVariant::fromValue(static_cast<int32_t>(which));
    case ValueType::Single:
        return QVariant::fromValue(static_cast<float>(which + 1));
    case ValueType::Double:
        return QVariant::fromValue(static_cast<double>(which + 1));
    case ValueType::Boolean:
        return QVariant::fromValue(which != 0);
    case ValueType::Text:
        return QVariant::fromValue(QString(QLatin1Char(which ? 'B' : 'A')));
    }
    return QVariant();
}

} // namespace

TEST(SettingsTableCommands, ASettingsWriteCommandCarriesItsValue) {
    for (const Setting& s : SettingsTable::Rows()) {
        if (s.Command.isEmpty())
            continue;
        clsInstrument r;
        for (int ch = 0; ch < clsInstrument::kGasChannels; ++ch) {
            r.setGasEnabled(ch, true); // a disabled channel sends asterisks only
            r.setGasFullScale(ch, 10.0f);
        }
        const int i = s.count() - 1;
        const int listIndex = s.SettingKind == SettingsTable::Kind::ListEntry ? i : -1;
        s.Set(r, i, Sample(s, 0));
        const QString first = CommandSet::WriteCommand(s.Command, r, listIndex);
        s.Set(r, i, Sample(s, 1));
        const QString second = CommandSet::WriteCommand(s.Command, r, listIndex);
        EXPECT_FALSE(first.isEmpty())
            << s.Key.toStdString() << ": no write request " << s.Command.toStdString();
        EXPECT_NE(first, second) << s.Key.toStdString() << " is not carried by "
                                 << s.Command.toStdString();
    }
}

TEST(SettingsTableCommands, EveryWriteRequestCarriesASetting) {
    for (const CommandSet::CommandRow& row : CommandSet::Rows()) {
        if (row.WriteParams) {
            EXPECT_FALSE(SettingsTable::CarriedBy(row.Code).empty()) << row.Code.toStdString();
        }
    }
}
