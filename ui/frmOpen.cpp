#include "ui/frmOpen.h"

#include "app/Maker.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "ui/MessageBox.h"

#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

const char* const frmOpen::kPartNumberJapanese = "47215";
const char* const frmOpen::kPartNumberOther = "47216";

void CentreOnScreen(QWidget* window) {
    if (!window)
        return;
    QScreen* screen = window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    window->move(area.x() + (area.width() - window->width()) / 2,
                 area.y() + (area.height() - window->height()) / 2);
}

namespace {

QFont LabelFont(const QFont& base, qreal points, bool bold, bool italic = false) {
    QFont font = base;
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QFrame* BorderLine(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

frmOpen::frmOpen(QWidget* parent, int displayMs)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), displayMs_(displayMs) {
    setObjectName(QStringLiteral("frmOpen"));
    setModal(true);

    fraOpen = new QFrame(this);
    fraOpen->setObjectName(QStringLiteral("fraOpen"));
    fraOpen->setFrameShape(QFrame::Panel);
    fraOpen->setFrameShadow(QFrame::Raised);
    fraOpen->setLineWidth(2);
    fraOpen->installEventFilter(this);

    // Design-time fonts: the splash keeps its own fonts, it does not take
    // over the shared one.
    const QFont base = font();
    lblTitle = new QLabel(fraOpen);
    lblTitle->setFont(LabelFont(base, 18, true));
    lblTM = new QLabel(fraOpen);
    lblTM->setFont(LabelFont(base, 7, false));
    lblTM->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblPCs = new QLabel(fraOpen);
    lblPCs->setFont(LabelFont(base, 12, false, true));
    lblVersion = new QLabel(fraOpen);
    lblVersion->setFont(LabelFont(base, 10, false));
    lblCompany = new QLabel(fraOpen);
    lblCompany->setFont(LabelFont(base, 10, true));
    lblRights = new QLabel(fraOpen);
    lblRights->setFont(LabelFont(base, 7.5, false));
    lblRights->setWordWrap(true);
    imgPicture = new QLabel(fraOpen);
    imgPicture->setPixmap(QPixmap(QStringLiteral(":/ui/splash.png")));
    imgPicture->setAlignment(Qt::AlignCenter);
    linBorder[0] = BorderLine(fraOpen);
    linBorder[1] = BorderLine(fraOpen);

    auto* titleRow = new QHBoxLayout;
    titleRow->setSpacing(2);
    titleRow->addWidget(lblTitle, 0, Qt::AlignBottom);
    titleRow->addWidget(lblTM, 0, Qt::AlignTop);
    titleRow->addStretch();

    auto* text = new QVBoxLayout;
    text->setSpacing(6);
    text->addLayout(titleRow);
    text->addWidget(lblPCs);
    text->addSpacing(6);
    text->addWidget(linBorder[0]);
    text->addWidget(lblVersion);
    text->addWidget(lblCompany);
    text->addWidget(linBorder[1]);
    text->addStretch();
    text->addWidget(lblRights);

    auto* row = new QHBoxLayout(fraOpen);
    row->setContentsMargins(18, 18, 22, 14);
    row->setSpacing(20);
    row->addWidget(imgPicture, 0, Qt::AlignVCenter);
    row->addLayout(text, 1);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(fraOpen);

    tmrTimer = new QTimer(this);
    tmrTimer->setObjectName(QStringLiteral("tmrTimer"));
    connect(tmrTimer, &QTimer::timeout, this, &frmOpen::tmrTimer_Timer);

    Form_Load();
}

void frmOpen::Form_Load() {
    const QString partNumber = QString::fromLatin1(
        LoadMessage(kMsgLanguageCode) == QLatin1String("JP") ? kPartNumberJapanese
                                                             : kPartNumberOther);
    lblVersion->setText(QStringLiteral("P.No.") + partNumber);
    lblCompany->setText(MakerCompanyName());

    lblTitle->setText(QStringLiteral("TQ-7350 Setup Program"));
    lblTM->setText(QStringLiteral("TM"));
    lblPCs->setText(QStringLiteral("for Windows"));
    lblRights->setText(MakerRightsNotice());

    // Fixed size, wide enough for the longest company name.
    const QSize hint = sizeHint();
    setFixedSize(qMax(hint.width(), 500), qMax(hint.height(), 240));
    CentreOnScreen(this);
}

void frmOpen::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!timerArmed_) {
        timerArmed_ = true;
        tmrTimer->setInterval(displayMs_);
        tmrTimer->start();
    }
}

void frmOpen::tmrTimer_Timer() {
    tmrTimer->stop();
    accept();
}

bool frmOpen::eventFilter(QObject* watched, QEvent* event) {
    if (watched == fraOpen && event->type() == QEvent::MouseButtonDblClick) {
        fraOpen_DblClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frmOpen::fraOpen_DblClick() {
    // Hold the splash while the box is open: the time starts afresh once the
    // box is answered.
    const bool wasRunning = tmrTimer->isActive();
    tmrTimer->stop();
    MsgBox(this, QStringLiteral("Pause!!"), QStringLiteral("Pause"), QMessageBox::Information);
    if (wasRunning)
        tmrTimer->start();
}
