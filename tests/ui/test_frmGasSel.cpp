// The gas selection dialog: which gases it offers per channel, the library
// entries of channel 0, the custom-board rules of channel 3, and its result.
#include "UiTestKit.h"

#include "app/AppSettings.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"
#include "ui/calibration/frmGasSel.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

namespace {

struct GasSelFixture {
    AppSettings settings;
    clsInstrument record;
    GasSelFixture() { modGasCommon::LoadBuiltInGasList(settings); }
};

std::vector<int> Shown(const frmGasSel& dialog) {
    std::vector<int> indexes;
    for (int k = 0; k < frmGasSel::kOptions; ++k) {
        if (!dialog.optGasList[k]->isHidden())
            indexes.push_back(k);
    }
    return indexes;
}

int Checked(const frmGasSel& dialog) {
    for (int k = 0; k < frmGasSel::kOptions; ++k) {
        if (dialog.optGasList[k]->isChecked())
            return k;
    }
    return -1;
}

} // namespace

TEST(frmGasSel, OffersTheChangeTableOfAChannel) {
    GasSelFixture f;
    frmGasSel dialog(f.record, f.settings, false);
    dialog.setGasNo(2);
    EXPECT_EQ(Shown(dialog), std::vector<int>{0});
    EXPECT_EQ(dialog.optGasList[0]->text(), QStringLiteral("CO(500ppm)"));
    EXPECT_EQ(dialog.SelNum(), -1);
    EXPECT_FALSE(dialog.cmdGasSel[0]->isEnabled()); // nothing chosen yet

    // Channel 0 without the detector's library: the eight combustible gases,
    // in two columns of four.
    dialog.setGasNo(0);
    EXPECT_EQ(Shown(dialog), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(dialog.optGasList[7]->text(), QStringLiteral("MEK(100%LEL)"));
    auto* layout = static_cast<QGridLayout*>(dialog.fraGasSel->layout());
    int row = 0, col = 0, span = 0;
    layout->getItemPosition(layout->indexOf(dialog.optGasList[4]), &row, &col, &span, &span);
    EXPECT_EQ(col, 1);
    EXPECT_EQ(row, 0);

    // Entries beyond 8 are never offered; entries not enabled neither.
    auto& table = f.settings.GasChangeTable[2];
    table[9].enabled = true;
    table[9].name = QStringLiteral("NO2");
    table[3].enabled = true;
    table[3].name = QStringLiteral("SO2");
    table[3].unit = QStringLiteral("ppm");
    table[3].fullScale = 20;
    table[3].points = 1;
    dialog.setGasNo(2);
    EXPECT_EQ(Shown(dialog), (std::vector<int>{0, 3}));
    EXPECT_EQ(dialog.optGasList[3]->text(), QStringLiteral("SO2(20.0ppm)"));
}

TEST(frmGasSel, ChosenOrCancelled) {
    GasSelFixture f;
    // OK, the Cancel button, Escape: only OK counts as chosen.
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        frmGasSel dialog(f.record, f.settings, false);
        dialog.setGasNo(0);
        QTimer::singleShot(0, &dialog, [&dialog, way]() {
            QTest::mouseClick(dialog.optGasList[5], Qt::LeftButton);
            EXPECT_TRUE(dialog.cmdGasSel[0]->isEnabled());
            if (way < 2)
                QTest::mouseClick(dialog.cmdGasSel[way], Qt::LeftButton);
            else
                QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        EXPECT_EQ(dialog.exec(), way == 0 ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(dialog.Flags(), way == 0);
        EXPECT_EQ(dialog.SelNum(), 5);
        EXPECT_FALSE(dialog.isVisible());
    }
}

TEST(frmGasSel, LibraryEntriesForChannel0) {
    GasSelFixture f;
    const char* names[] = {"NOT OFFERED", "CH4", "i-C4H10", "----------", "", "H2"};
    for (int k = 0; k <= 5; ++k) {
        f.record.setLI_Name(k, QString::fromLatin1(names[k]));
        f.record.setLI_Unit(k, QStringLiteral("%LEL"));
        f.record.setLI_FullScale(k, 100);
        f.record.setLI_Point(k, 0);
        f.record.setLI_Ratio(k, 1.5f);
    }
    f.record.setLSindex(2); // the detector's 1-based library entry: option 1
    frmGasSel dialog(f.record, f.settings, true);
    dialog.setGasNo(0);
    // Entry k is option k - 1 (entry 0 is not a choice); "---" names and
    // empty names are not offered.
    EXPECT_EQ(Shown(dialog), (std::vector<int>{0, 1, 4}));
    EXPECT_EQ(dialog.optGasList[0]->text(), QStringLiteral("CH4(100%LEL)\nRatio=1.5"));
    EXPECT_EQ(dialog.ColumnCount(), 4);
    // The option of the gas in use is preselected.
    EXPECT_EQ(Checked(dialog), 1);
    EXPECT_EQ(dialog.SelNum(), 1);
    EXPECT_TRUE(dialog.cmdGasSel[0]->isEnabled());

    // A preselection that points at an entry not offered selects nothing.
    f.record.setLSindex(3);
    dialog.setGasNo(0);
    EXPECT_EQ(Checked(dialog), -1);
    EXPECT_EQ(dialog.SelNum(), -1);
}

TEST(frmGasSel, Channel3OnStandardAndCustomBoards) {
    GasSelFixture f;
    frmGasSel dialog(f.record, f.settings, false);
    dialog.setGasNo(3);
    EXPECT_EQ(Shown(dialog), std::vector<int>{0}); // H2S only
    EXPECT_EQ(dialog.optGasList[0]->text(), QStringLiteral("H2S(100.0ppm)"));

    // A custom board measures the combustible gas of channel 0 in ppm: the
    // one option of that gas, preselected.
    f.record.setIsCustom(1);
    for (int k : {1, 2}) {
        f.record.setGasName(0, QString::fromLatin1(k == 1 ? "CH4" : "i-C4H10"));
        f.record.setLSindex(k);
        dialog.setGasNo(3);
        EXPECT_EQ(Shown(dialog), std::vector<int>{k});
        EXPECT_EQ(Checked(dialog), k);
        EXPECT_EQ(dialog.SelNum(), k);
    }
    EXPECT_EQ(dialog.optGasList[1]->text(), QStringLiteral("CH4(5000ppm)"));
}
