// The maker's names as the program shows them: the splash window, the
// configuration file's rights notice and the dump list header all use these.
#pragma once

#include <QString>

extern const char* const kMakerCompanyHome;     // the home-market company
extern const char* const kMakerCompanyOverseas; // the company abroad

// The company for the catalogue in use: overseas when kMsgLanguageCode is "EN".
QString MakerCompanyName();
// "Copyright (C) <company> All rights reserved." for the catalogue in use.
QString MakerRightsNotice();
