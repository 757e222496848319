// The values of the settings as the user reads them: "ON"/"OFF" for a
// switch, the name of a coded choice ("Latch", "Confirm to use", "LC BH"),
// a channel value with the channel's decimals ("-----" when not set), the
// text of a text setting. The settings history and the preview of a write
// show the same texts.
//
// Texts chosen for coded settings (the same order as the factory settings
// dialog lists them):
//   AlarmMode 0 "Reset", 1 "Latch"; SpecType "0" "Domestic", "1" "HVK",
//   "2" "Germany", "3" "Foreign"; Battery 0 "Alkaline", 1 "Ni-MH";
//   CalCheckALL / BumpCheckALL 0 "4GAS", 1 "ALL"; IsCustom 0 "Standard",
//   1 "for Gas Company"; BumpTime 0..3 "30" "45" "60" "90"; BumpThreshold
//   0..4 "10".."50"; BumpFailCalTime 0 "90", 1 "120"; BhTime 0..2 "30" "45"
//   "60"; LcBhMode 0..3 "OFF" "LC" "BH" "LC BH"; HcMode 0..2 "Auto" "LEL"
//   "vol"; AlarmO2 0..2 "H-L" "L-LL" "H-HH"; CalCheck / BumpCheck 0..2
//   "Confirm to use" "Can't use" "None".
// A value outside its list is written as its number, so nothing is hidden.
// Switches are "ON" for 1 and "OFF" otherwise.
#pragma once

#include <QString>

class clsInstrument;

namespace SettingTexts {

// "ON" for 1, "OFF" otherwise.
QString Switch(int value);

// The value of a setting of the settings table (model/SettingsTable.h) by
// its key ("AlarmMode") and index (the channel, the list entry, 0 for a
// single value). Texts are given as the record holds them (not trimmed).
// A key without a form of its own gives the value as a plain number or
// text.
QString ValueText(const QString& key, int index, const clsInstrument& record);

} // namespace SettingTexts
