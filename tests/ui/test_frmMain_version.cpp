// The main window's title names the program's version.
#include "MainWindowRig.h"

#include "ProgramInfo.h"

#include <gtest/gtest.h>

using namespace windowtest;

TEST(frmMainVersion, TheTitleShowsTheVersionAfterTheProgramsName) {
    for (const CatalogueLanguage language :
         {CatalogueLanguage::English, CatalogueLanguage::Japanese}) {
        SetCatalogueLanguage(language);
        MainWindowRig rig(MainWindowRig::With(false));
        const QString title = rig.window->windowTitle();
        EXPECT_TRUE(title.startsWith(AppTitle() + QLatin1Char(' ') +
                                     QLatin1String(kProgramVersion) + QStringLiteral(" [P.No.")))
            << title.toStdString();
    }
    SetCatalogueLanguage(CatalogueLanguage::English);
}
