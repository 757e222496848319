#include "ui/calibration/frmGasSel.h"

#include "app/AppSettings.h"
#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"
#include "ui/FontCopy.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// Texts on buttons treat "&" as a shortcut marker.
QString ButtonText(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('&'), QLatin1String("&&"));
    return escaped;
}

} // namespace

frmGasSel::frmGasSel(const clsInstrument& record, const AppSettings& settings, bool liTableState,
                     QWidget* parent)
    : QDialog(parent), record_(record), settings_(settings), liTableState_(liTableState) {
    setObjectName(QStringLiteral("frmGasSel"));
    setWindowTitle(AppTitle());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    fraGasSel = new QGroupBox(LoadMessage(kMsgGas), this);
    fraGasSel->setObjectName(QStringLiteral("fraGasSel"));
    optionLayout_ = new QGridLayout(fraGasSel);
    optionLayout_->setHorizontalSpacing(24);
    optionLayout_->setVerticalSpacing(8);
    for (int k = 0; k < kOptions; ++k) {
        optGasList[k] = new QRadioButton(fraGasSel);
        optGasList[k]->setObjectName(QStringLiteral("optGasList%1").arg(k));
        optGasList[k]->hide();
        connect(optGasList[k], &QRadioButton::toggled, this, [this, k](bool on) {
            if (on)
                optGasList_Click(k);
        });
    }

    cmdGasSel[0] = new QPushButton(LoadMessage(kMsgOk), this);
    cmdGasSel[1] = new QPushButton(LoadMessage(kMsgCancel), this);
    cmdGasSel[0]->setObjectName(QStringLiteral("cmdGasSel0"));
    cmdGasSel[1]->setObjectName(QStringLiteral("cmdGasSel1"));
    cmdGasSel[0]->setDefault(true);
    ApplySharedFont(this, settings_.SharedFont);
    for (int i = 0; i < 2; ++i) {
        cmdGasSel[i]->setMinimumWidth(
            cmdGasSel[i]->fontMetrics().horizontalAdvance(QStringLiteral("MMMMMMM")));
        connect(cmdGasSel[i], &QPushButton::clicked, this, [this, i]() { cmdGasSel_Click(i); });
    }

    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    buttons->addWidget(cmdGasSel[0]);
    buttons->addWidget(cmdGasSel[1]);

    auto* outer = new QVBoxLayout(this);
    outer->setSizeConstraint(QLayout::SetFixedSize);
    outer->addWidget(fraGasSel);
    outer->addSpacing(4);
    outer->addLayout(buttons);

    Form_Load();
}

void frmGasSel::Form_Load() {
    flags_ = false;
    BuildList();
}

void frmGasSel::setGasNo(int channel) {
    gasNo_ = channel;
    flags_ = false;
    BuildList();
}

int frmGasSel::VisibleCount() const {
    int count = 0;
    for (const QRadioButton* option : optGasList) {
        if (!option->isHidden())
            ++count;
    }
    return count;
}

void frmGasSel::BuildList() {
    // Forget the earlier list and choice.
    for (QRadioButton* option : optGasList) {
        option->setAutoExclusive(false);
        option->setChecked(false);
        option->setAutoExclusive(true);
        option->setText(QString());
        option->hide();
    }
    selNum_ = -1;
    int preselect = -1;

    const bool library = gasNo_ == 0 && liTableState_;
    if (library) {
        // Entry k of the detector's gas library is option k - 1.
        for (int k = 1; k < kOptions; ++k) {
            const QString name = record_.LI_Name(k);
            if (name.trimmed().isEmpty() || name.contains(QLatin1String("---")))
                continue;
            const QString label = modGasCommon::FormatGasLabelFromFields(
                name.trimmed(), record_.LI_Unit(k), record_.LI_FullScale(k), record_.LI_Point(k));
            const QString ratio = modGasCommon::FormatDecimals(record_.LI_Ratio(k), -1);
            optGasList[k - 1]->setText(ButtonText(label) + QLatin1Char('\n') +
                                       QStringLiteral("Ratio=") + ratio);
            optGasList[k - 1]->show();
        }
        preselect = record_.LSindex() - 1; // LSindex is the 1-based library entry
    } else if (gasNo_ >= 0 && gasNo_ < kGasChangeChannels) {
        for (int k = 0; k < kOptions && k < kGasChangeEntries; ++k) {
            const GasChangeEntry& e = settings_.GasChangeTable[gasNo_][k];
            if (!e.enabled || k >= 8)
                continue;
            optGasList[k]->setText(ButtonText(
                modGasCommon::FormatGasLabelFromFields(e.name, e.unit, e.fullScale, e.points)));
            optGasList[k]->show();
        }
        if (gasNo_ == 3) {
            // Channel 3 of a custom board measures the combustible gas of
            // channel 0 in ppm; a standard board offers its toxic gas only.
            if (record_.IsCustom() != 1) {
                for (int k = 1; k <= 4; ++k)
                    optGasList[k]->hide();
            } else {
                const bool methane = record_.GasName(0).trimmed() == QLatin1String("CH4");
                optGasList[0]->hide();
                if (methane)
                    optGasList[2]->hide();
                else
                    optGasList[1]->hide();
                optGasList[3]->hide();
                optGasList[4]->hide();
                preselect = record_.LSindex();
            }
        }
    }
    // Only an option the user can see is set for them.
    if (preselect >= 0 && preselect < kOptions && !optGasList[preselect]->isHidden())
        optGasList[preselect]->setChecked(true);

    LayoutOptions();
    cmdGasSel[0]->setEnabled(selNum_ >= 0);
}

void frmGasSel::LayoutOptions() {
    for (QRadioButton* option : optGasList)
        optionLayout_->removeWidget(option);
    const int count = VisibleCount();
    int rows = count;
    if (gasNo_ == 0 && liTableState_) {
        columns_ = 4;
        rows = 4;
    } else if (count < 5) {
        columns_ = 1;
        rows = qMax(1, count);
    } else {
        rows = (count + 1) / 2;
        columns_ = 2;
    }
    // Filled column by column, in option order.
    int placed = 0;
    for (QRadioButton* option : optGasList) {
        if (option->isHidden())
            continue;
        optionLayout_->addWidget(option, placed % rows, placed / rows);
        ++placed;
    }
}

void frmGasSel::optGasList_Click(int Index) {
    selNum_ = Index;
    cmdGasSel[0]->setEnabled(true);
}

void frmGasSel::cmdGasSel_Click(int Index) {
    if (Index == 0) {
        if (selNum_ < 0)
            return;
        flags_ = true;
        accept();
    } else {
        flags_ = false;
        QDialog::reject();
    }
}

void frmGasSel::reject() {
    flags_ = false;
    QDialog::reject();
}
