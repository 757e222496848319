#include "app/Maker.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"

const char* const kMakerCompanyHome = "Minamikaze Instruments Co., Ltd.";
const char* const kMakerCompanyOverseas = "Minamikaze Instruments International Inc.";

QString MakerCompanyName() {
    return QLatin1String(LoadMessage(kMsgLanguageCode) == QLatin1String("EN")
                             ? kMakerCompanyOverseas
                             : kMakerCompanyHome);
}

QString MakerRightsNotice() {
    return QStringLiteral("Copyright (C) ") + MakerCompanyName() +
           QStringLiteral(" All rights reserved.");
}
