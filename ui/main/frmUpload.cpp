#include "ui/main/frmUpload.h"

#include "app/AppSettings.h"
#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "ui/FontCopy.h"

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

// --- BusyAnimation -----------------------------------------------------------------

namespace {

constexpr qreal kBoxWidth = 288;
constexpr qreal kBoxHeight = 64;
constexpr qreal kPi = 3.14159265358979323846;

void DrawComputer(QPainter& p) {
    p.setPen(QPen(QColor(70, 70, 78), 1.5));
    p.setBrush(QColor(96, 98, 110));
    p.drawRoundedRect(QRectF(12, 8, 48, 34), 3, 3);
    QLinearGradient screen(QPointF(0, 11), QPointF(0, 38));
    screen.setColorAt(0, QColor(120, 180, 235));
    screen.setColorAt(1, QColor(50, 110, 190));
    p.setPen(Qt::NoPen);
    p.setBrush(screen);
    p.drawRect(QRectF(16, 12, 40, 26));
    p.setBrush(QColor(96, 98, 110));
    QPolygonF stand;
    stand << QPointF(31, 42) << QPointF(41, 42) << QPointF(44, 50) << QPointF(28, 50);
    p.drawPolygon(stand);
    p.drawRoundedRect(QRectF(22, 49, 28, 4), 2, 2);
}

void DrawDetector(QPainter& p) {
    p.setPen(QPen(QColor(90, 70, 10), 1.5));
    p.setBrush(QColor(245, 184, 0));
    p.drawRoundedRect(QRectF(238, 5, 34, 54), 7, 7);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 52, 44));
    p.drawRoundedRect(QRectF(244, 12, 22, 16), 2, 2);
    p.setPen(QPen(QColor(150, 230, 160), 1.2));
    p.drawLine(QPointF(247, 17), QPointF(259, 17));
    p.drawLine(QPointF(247, 22), QPointF(263, 22));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 60, 60));
    for (int i = 0; i < 3; ++i)
        p.drawEllipse(QPointF(247 + 8 * i, 40), 2.6, 2.6);
    p.setBrush(QColor(200, 40, 30));
    p.drawEllipse(QPointF(255, 50), 2.2, 2.2);
}

void DrawSheet(QPainter& p, const QPointF& centre) {
    const QRectF r(centre.x() - 7, centre.y() - 9, 14, 18);
    QPainterPath sheet;
    sheet.moveTo(r.topLeft());
    sheet.lineTo(r.right() - 4, r.top());
    sheet.lineTo(r.right(), r.top() + 4);
    sheet.lineTo(r.bottomRight());
    sheet.lineTo(r.bottomLeft());
    sheet.closeSubpath();
    p.setPen(QPen(QColor(110, 110, 110), 1));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    p.drawLine(QPointF(r.right() - 4, r.top()), QPointF(r.right() - 4, r.top() + 4));
    p.drawLine(QPointF(r.right() - 4, r.top() + 4), QPointF(r.right(), r.top() + 4));
    p.setPen(QPen(QColor(150, 150, 150), 1));
    for (int i = 0; i < 3; ++i)
        p.drawLine(QPointF(r.left() + 3, r.top() + 7 + 3 * i),
                   QPointF(r.right() - 3, r.top() + 7 + 3 * i));
}

} // namespace

QLabel* MakeProgressText(QWidget* parent, const BusyAnimation* animation) {
    auto* label = new QLabel(parent);
    label->setObjectName(QStringLiteral("lblUpload"));
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    label->setMinimumWidth(animation->sizeHint().width());
    return label;
}

void LayOutProgressWindow(QDialog* window, const QList<QWidget*>& rows, QPushButton* button) {
    auto* buttonRow = new QHBoxLayout();
    buttonRow->addStretch(1);
    buttonRow->addWidget(button);
    buttonRow->addStretch(1);
    auto* layout = new QVBoxLayout(window);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(8);
    for (QWidget* row : rows)
        layout->addWidget(row);
    layout->addLayout(buttonRow);
}

BusyAnimation::BusyAnimation(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("amnUpload"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void BusyAnimation::setDirection(Direction direction) {
    direction_ = direction;
    update();
}

void BusyAnimation::advance() {
    frame_ = (frame_ + 1) % kFrames;
    update();
}

void BusyAnimation::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal scale = qMin(width() / kBoxWidth, height() / kBoxHeight);
    p.translate((width() - kBoxWidth * scale) / 2, (height() - kBoxHeight * scale) / 2);
    p.scale(scale, scale);

    // The track between the two ends.
    QPen track(QColor(170, 170, 170), 1.5, Qt::DashLine);
    p.setPen(track);
    p.drawLine(QPointF(70, 44), QPointF(228, 44));

    DrawComputer(p);
    DrawDetector(p);

    const qreal t = static_cast<qreal>(frame_) / kFrames;
    const qreal from = direction_ == Direction::FromDetector ? 222 : 76;
    const qreal to = direction_ == Direction::FromDetector ? 76 : 222;
    const QPointF centre(from + (to - from) * t, 34 - std::sin(kPi * t) * 16);
    p.setOpacity(qBound<qreal>(0, qMin(t * 6, (1 - t) * 6), 1));
    DrawSheet(p, centre);
}

// --- frmUpload ----------------------------------------------------------------------

frmUpload::frmUpload(int calMode, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      calMode_(calMode) {
    setObjectName(QStringLiteral("frmUpload"));
    setModal(false);
    setWindowTitle(AppTitle());

    amnUpload = new BusyAnimation(this);
    lblUpload = MakeProgressText(this, amnUpload);
    prgUpload = new QProgressBar(this);
    prgUpload->setObjectName(QStringLiteral("prgUpload"));
    prgUpload->setTextVisible(true);
    prgUpload->hide();
    lblSteps = new QLabel(this);
    lblSteps->setObjectName(QStringLiteral("lblSteps"));
    lblSteps->setAlignment(Qt::AlignCenter);
    lblSteps->hide();
    cmdUpload = new QPushButton(LoadMessage(kMsgProgressCancel), this);
    cmdUpload->setObjectName(QStringLiteral("cmdUpload"));
    ApplySharedFont(this, App().SharedFont);
    cmdUpload->setMinimumWidth(
        cmdUpload->fontMetrics().horizontalAdvance(QStringLiteral("MMMMMMMM")));
    connect(cmdUpload, &QPushButton::clicked, this, &frmUpload::cmdUpload_Click);

    tmrInter = new QTimer(this);
    tmrInter->setInterval(kFrameInterval);
    connect(tmrInter, &QTimer::timeout, amnUpload, &BusyAnimation::advance);

    LayOutProgressWindow(this, {amnUpload, lblUpload, prgUpload, lblSteps}, cmdUpload);

    int textId = 0;
    bool cancelShown = false;
    switch (calMode_) {
    case 0:
        textId = kMsgNowDownloading;
        break;
    case 1:
        textId = kMsgNowUploading;
        cancelShown = true;
        break;
    case 2:
        textId = kMsgNowUploading;
        break;
    case 3:
        textId = kMsgAdjustingZero;
        break;
    case 4:
        textId = kMsgAdjustingSpan;
        break;
    case 5:
        textId = kMsgNowDownloading;
        cancelShown = true;
        break;
    case 6:
        textId = kMsgNowWriting;
        break;
    default:
        break;
    }
    if (textId != 0)
        lblUpload->setText(LoadMessage(textId));
    cmdUpload->setVisible(cancelShown);
    // Downloads move data from the detector; everything else towards it.
    const bool fromDetector = calMode_ == 0 || calMode_ == 1 || calMode_ == 5;
    amnUpload->setDirection(fromDetector ? BusyAnimation::Direction::FromDetector
                                         : BusyAnimation::Direction::ToDetector);
}

frmUpload::~frmUpload() = default;

void frmUpload::setText(const QString& text) {
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lblUpload->setText(shown);
}

QString frmUpload::text() const {
    return lblUpload->text();
}

qint64 frmUpload::nowMs() const {
    if (nowMs_)
        return nowMs_();
    static QElapsedTimer wall;
    if (!wall.isValid())
        wall.start();
    return wall.elapsed();
}

void frmUpload::setSteps(int done, int total) {
    if (total <= 0)
        return;
    done = qBound(0, done, total);
    timeLeft_.Update(done, total, nowMs());
    const qint64 left = timeLeft_.RemainingMs();
    const QString leftText =
        left < 0 ? LoadMessage(kMsgProgressEstimating)
                 : LoadMessage(kMsgProgressTimeLeft, {workflows::TimeLeftEstimate::Text(left)});
    const QString text = LoadMessage(kMsgProgressStepsLine,
                                     {LoadMessage(kMsgProgressBlocks, {done, total}), leftText});
    lblSteps->setText(text);
    prgUpload->setRange(0, total);
    prgUpload->setValue(done);
    if (prgUpload->isHidden()) {
        prgUpload->show();
        lblSteps->show();
        if (isVisible()) {
            adjustSize();
            centreOnScreen();
        }
    }
}

QString frmUpload::stepsText() const {
    return lblSteps->text();
}

void frmUpload::cmdUpload_Click() {
    lblUpload->setText(LoadMessage(kMsgNowCanceling));
    if (cancelHandler_)
        cancelHandler_();
    canceled_ = true;
    cmdUpload->setEnabled(false);
}

void frmUpload::reject() {
    if (cmdUpload->isVisibleTo(this) && cmdUpload->isEnabled())
        cmdUpload_Click();
}

void frmUpload::centreOnScreen() {
    QScreen* screen = parentWidget() ? parentWidget()->screen() : this->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    QRect frame = frameGeometry();
    frame.moveCenter(area.center());
    move(frame.topLeft());
}

void frmUpload::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    adjustSize();
    centreOnScreen();
    tmrInter->start();
}

void frmUpload::hideEvent(QHideEvent* event) {
    tmrInter->stop();
    QDialog::hideEvent(event);
}

void frmUpload::closeEvent(QCloseEvent* event) {
    if (event->spontaneous()) {
        event->ignore();
        return;
    }
    // Closing from code ends the window whatever the mode (the dialog's own
    // handling would treat it as Escape).
    tmrInter->stop();
    event->accept();
}
