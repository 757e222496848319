// The gas selection dialog: which gases it offers per channel, the library
// entries of channel 0, the custom-board rules of channel 3, and its result.
#include "app/AppSettings.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"
#include "ui/calibration/frmGasSel.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <vector>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

struct GasSelFixture {
    AppSettings settings;
    clsInstrument record;
    GasSelFixture() { modGasCommon::LoadBuiltInGasList(settings); }

    static std::vector<int> shown(const frmGasSel& dialog) {
        std::vector<int> indexes;
        for (int k = 0; k < frmGasSel::kOptions; ++k) {
            if (!dialog.optGasList[k]->isHidden())
                indexes.push_back(k);
        }
        return indexes;
    }
    static int checked(const frmGasSel& dialog) {
        for (int k = 0; k < frmGasSel::kOptions; ++k) {
            if (dialog.optGasList[k]->isChecked())
                return k;
        }
        return -1;
    }
    // Grid column of an option in the dialog's layout.
    static int columnOf(const frmGasSel& dialog, int k) {
        auto* layout = static_cast<QGridLayout*>(dialog.fraGasSel->layout());
        const int at = layout->indexOf(dialog.optGasList[k]);
        int row = 0, col = 0, rowSpan = 0, colSpan = 0;
        layout->getItemPosition(at, &row, &col, &rowSpan, &colSpan);
        return col;
    }
};

} // namespace

TEST(frmGasSel, OffersTheChangeTableOfAChannel) {
    GasSelFixture f;
    frmGasSel dialog(f.record, f.settings, false);
    dialog.setGasNo(2);
    EXPECT_EQ(GasSelFixture::shown(dialog), std::vector<int>{0});
    EXPECT_EQ(dialog.optGasList[0]->text(), QStringLiteral("CO(500ppm)"));
    EXPECT_EQ(dialog.SelNum(), -1);
    EXPECT_FALSE(dialog.cmdGasSel[0]->isEnabled()); // nothing chosen yet
    EXPECT_EQ(dialog.ColumnCount(), 1);

    // Channel 0 without the detector's library: the eight combustible gases,
    // in two columns of four.
    dialog.setGasNo(0);
    EXPECT_EQ(GasSelFixture::shown(dialog), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(dialog.optGasList[7]->text(), QStringLiteral("MEK(100%LEL)"));
    EXPECT_EQ(dialog.ColumnCount(), 2);
    EXPECT_EQ(GasSelFixture::columnOf(dialog, 3), 0);
    EXPECT_EQ(GasSelFixture::columnOf(dialog, 4), 1);

    // Entries beyond 8 are never offered; entries not enabled neither.
    f.settings.GasChangeTable[2][9].enabled = true;
    f.settings.GasChangeTable[2][9].name = QStringLiteral("NO2");
    f.settings.GasChangeTable[2][3].enabled = true;
    f.settings.GasChangeTable[2][3].name = QStringLiteral("SO2");
    f.settings.GasChangeTable[2][3].unit = QStringLiteral("ppm");
    f.settings.GasChangeTable[2][3].fullScale = 20;
    f.settings.GasChangeTable[2][3].points = 1;
    dialog.setGasNo(2);
    EXPECT_EQ(GasSelFixture::shown(dialog), (std::vector<int>{0, 3}));
    EXPECT_EQ(dialog.optGasList[3]->text(), QStringLiteral("SO2(20.0ppm)"));
}

TEST(frmGasSel, OkAndCancelSetFlags) {
    GasSelFixture f;
    {
        frmGasSel dialog(f.record, f.settings, false);
        dialog.setGasNo(0);
        dialog.show();
        QTest::mouseClick(dialog.optGasList[5], Qt::LeftButton);
        EXPECT_EQ(dialog.SelNum(), 5);
        EXPECT_TRUE(dialog.cmdGasSel[0]->isEnabled());
        QTest::mouseClick(dialog.cmdGasSel[0], Qt::LeftButton);
        EXPECT_TRUE(dialog.Flags());
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_FALSE(dialog.isVisible());
    }
    {
        frmGasSel dialog(f.record, f.settings, false);
        dialog.setGasNo(0);
        dialog.show();
        dialog.optGasList[2]->click();
        QTest::mouseClick(dialog.cmdGasSel[1], Qt::LeftButton);
        EXPECT_FALSE(dialog.Flags());
        EXPECT_EQ(dialog.SelNum(), 2);
        EXPECT_FALSE(dialog.isVisible());
    }
    {
        // Escape or the window's close button: not chosen.
        frmGasSel dialog(f.record, f.settings, false);
        dialog.setGasNo(1);
        QTimer::singleShot(0, &dialog, [&dialog]() {
            dialog.optGasList[0]->click();
            QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        EXPECT_EQ(dialog.exec(), QDialog::Rejected);
        EXPECT_FALSE(dialog.Flags());
    }
}

TEST(frmGasSel, LibraryEntriesForChannel0) {
    GasSelFixture f;
    const char* names[] = {"", "CH4", "i-C4H10", "----------", "", "H2"};
    for (int k = 1; k <= 5; ++k) {
        f.record.setLI_Name(k, QString::fromLatin1(names[k]));
        f.record.setLI_Unit(k, QStringLiteral("%LEL"));
        f.record.setLI_FullScale(k, 100);
        f.record.setLI_Point(k, 0);
        f.record.setLI_Ratio(k, 1.5f);
    }
    f.record.setLI_Name(0, QStringLiteral("NOT OFFERED")); // entry 0 is not a choice
    f.record.setLSindex(2); // the detector's 1-based library entry: option 1
    frmGasSel dialog(f.record, f.settings, true);
    dialog.setGasNo(0);
    // Entry k is option k - 1; "---" names and empty names are not offered.
    EXPECT_EQ(GasSelFixture::shown(dialog), (std::vector<int>{0, 1, 4}));
    EXPECT_EQ(dialog.optGasList[0]->text(), QStringLiteral("CH4(100%LEL)\nRatio=1.5"));
    EXPECT_EQ(dialog.ColumnCount(), 4);
    // The option of the gas in use is preselected.
    EXPECT_EQ(GasSelFixture::checked(dialog), 1);
    EXPECT_EQ(dialog.SelNum(), 1);
    EXPECT_TRUE(dialog.cmdGasSel[0]->isEnabled());

    // A preselection that points at an entry not offered selects nothing.
    f.record.setLSindex(3);
    dialog.setGasNo(0);
    EXPECT_EQ(GasSelFixture::checked(dialog), -1);
    EXPECT_EQ(dialog.SelNum(), -1);
}

TEST(frmGasSel, Channel3OnStandardAndCustomBoards) {
    GasSelFixture f;
    frmGasSel dialog(f.record, f.settings, false);
    dialog.setGasNo(3);
    EXPECT_EQ(GasSelFixture::shown(dialog), std::vector<int>{0}); // H2S only
    EXPECT_EQ(dialog.optGasList[0]->text(), QStringLiteral("H2S(100.0ppm)"));

    // A custom board measures the combustible gas of channel 0 in ppm.
    f.record.setIsCustom(1);
    f.record.setGasName(0, QStringLiteral("CH4"));
    f.record.setLSindex(1);
    dialog.setGasNo(3);
    EXPECT_EQ(GasSelFixture::shown(dialog), std::vector<int>{1});
    EXPECT_EQ(dialog.optGasList[1]->text(), QStringLiteral("CH4(5000ppm)"));
    EXPECT_EQ(GasSelFixture::checked(dialog), 1);

    f.record.setGasName(0, QStringLiteral("i-C4H10"));
    f.record.setLSindex(2);
    dialog.setGasNo(3);
    EXPECT_EQ(GasSelFixture::shown(dialog), std::vector<int>{2});
    EXPECT_EQ(GasSelFixture::checked(dialog), 2);
    EXPECT_EQ(dialog.SelNum(), 2);
}
