#include "ui/calibration/TrendChart.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"

#include <QDateTime>
#include <QDateTimeAxis>
#include <QGraphicsSimpleTextItem>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QValueAxis>

#include <cmath>

namespace {

constexpr int kReadingWidth = 2;
const QColor kMarkColour(96, 96, 96);
// Gridlines every 20 % of full scale.
constexpr double kTickInterval = 20;

} // namespace

TrendChart::TrendChart(QWidget* parent) : QChartView(parent) {
    setObjectName(QStringLiteral("chtTrend"));
    chart_ = new QChart();
    chart_->setAnimationOptions(QChart::NoAnimation);
    chart_->setMargins(QMargins(4, 4, 4, 4));
    chart_->setBackgroundRoundness(0);
    chart_->legend()->setAlignment(Qt::AlignBottom);
    setChart(chart_);
    setRenderHint(QPainter::Antialiasing, true);

    timeAxis_ = new QDateTimeAxis(chart_);
    timeAxis_->setFormat(QStringLiteral("hh:mm:ss"));
    timeAxis_->setTickCount(6);
    levelAxis_ = new QValueAxis(chart_);
    levelAxis_->setRange(kAxisMin, kAxisMax);
    levelAxis_->setTickType(QValueAxis::TicksDynamic);
    levelAxis_->setTickAnchor(0);
    levelAxis_->setTickInterval(kTickInterval);
    levelAxis_->setLabelFormat(QStringLiteral("%d"));
    levelAxis_->setTitleText(LoadMessage(kMsgTrendAxis));
    chart_->addAxis(timeAxis_, Qt::AlignBottom);
    chart_->addAxis(levelAxis_, Qt::AlignLeft);

    for (int ch = 0; ch < TrendModel::kChannels; ++ch) {
        const QColor colour = ChannelColour(ch);
        auto* line = new QLineSeries(chart_);
        line->setObjectName(QStringLiteral("reading%1").arg(ch));
        line->setPen(QPen(colour, kReadingWidth));
        chart_->addSeries(line);
        line->attachAxis(timeAxis_);
        line->attachAxis(levelAxis_);
        line->setVisible(false);
        readings_[size_t(ch)].append(line);
        for (int l = 0; l < TrendModel::kLevels; ++l) {
            QPen pen(colour, 1, LevelStyle(TrendModel::Level(l)));
            levels_[size_t(ch)][size_t(l)] = addUnlisted(pen);
        }
    }
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    model_.moveTo(now);
    redraw();
}

TrendChart::~TrendChart() = default;

QLineSeries* TrendChart::addUnlisted(const QPen& pen) {
    auto* line = new QLineSeries(chart_);
    line->setPen(pen);
    chart_->addSeries(line);
    line->attachAxis(timeAxis_);
    line->attachAxis(levelAxis_);
    for (QLegendMarker* marker : chart_->legend()->markers(line))
        marker->setVisible(false);
    return line;
}

QColor TrendChart::ChannelColour(int ch) {
    static const QColor kColours[TrendModel::kChannels] = {
        QColor(214, 39, 40),   // combustible gas: red
        QColor(31, 119, 180),  // oxygen: blue
        QColor(44, 160, 44),   // green
        QColor(148, 103, 189), // purple
        QColor(23, 160, 180),  // teal
    };
    return ch >= 0 && ch < TrendModel::kChannels ? kColours[ch] : QColor(Qt::black);
}

Qt::PenStyle TrendChart::LevelStyle(TrendModel::Level level) {
    switch (level) {
    case TrendModel::Level::Warning:
        return Qt::DashLine;
    case TrendModel::Level::Alarm:
        return Qt::DashDotLine;
    case TrendModel::Level::SpanGas:
        return Qt::DotLine;
    }
    return Qt::DashLine;
}

QString TrendChart::RunText(TrendModel::Run run) {
    switch (run) {
    case TrendModel::Run::Zero:
        return LoadMessage(kMsgZero);
    case TrendModel::Run::Span:
        return LoadMessage(kMsgSpan);
    case TrendModel::Run::TeN2:
        return LoadMessage(kMsgTeN2Cal);
    }
    return QString();
}

void TrendChart::configure(const clsInstrument& record, qint64 ms) {
    model_.configure(record);
    model_.moveTo(ms);
    for (int ch = 0; ch < TrendModel::kChannels; ++ch) {
        QLineSeries* line = readings_[size_t(ch)].first();
        line->setName(model_.label(ch));
        line->setVisible(model_.shown(ch));
    }
    redraw();
}

void TrendChart::addReadings(qint64 ms, const std::array<float, TrendModel::kChannels>& values) {
    if (model_.addReadings(ms, values))
        redraw();
}

void TrendChart::beginRun(TrendModel::Run run, qint64 ms) {
    model_.beginRun(run, ms);
    redraw();
}

void TrendChart::endRun(qint64 ms) {
    model_.endRun(ms);
    redraw();
}

QLineSeries* TrendChart::readingSeries(int ch) const {
    return ch >= 0 && ch < TrendModel::kChannels ? readings_[size_t(ch)].first() : nullptr;
}

QList<QLineSeries*> TrendChart::readingPieces(int ch) const {
    if (ch < 0 || ch >= TrendModel::kChannels)
        return {};
    return readings_[size_t(ch)].mid(0, qMax(1, piecesShown_[size_t(ch)]));
}

QLineSeries* TrendChart::levelSeries(int ch, TrendModel::Level level) const {
    return ch >= 0 && ch < TrendModel::kChannels ? levels_[size_t(ch)][size_t(level)] : nullptr;
}

QList<QLineSeries*> TrendChart::markSeries() const {
    return marks_.mid(0, marksShown_);
}

void TrendChart::redraw() {
    const double from = double(model_.earliestMs());
    const double to = double(model_.latestMs());
    for (int ch = 0; ch < TrendModel::kChannels; ++ch) {
        QList<QLineSeries*>& pieces = readings_[size_t(ch)];
        const QList<QList<QPointF>> segments = model_.segments(ch);
        while (pieces.size() < segments.size())
            pieces.append(addUnlisted(pieces.first()->pen()));
        for (int i = 0; i < pieces.size(); ++i) {
            if (i < segments.size())
                pieces.at(i)->replace(segments.at(i));
            else if (pieces.at(i)->count() > 0)
                pieces.at(i)->clear();
        }
        piecesShown_[size_t(ch)] = int(segments.size());
        for (int l = 0; l < TrendModel::kLevels; ++l) {
            QLineSeries* line = levels_[size_t(ch)][size_t(l)];
            const double level = model_.levelPercent(ch, TrendModel::Level(l));
            if (std::isnan(level)) {
                if (line->count() > 0)
                    line->clear();
                continue;
            }
            line->replace(QList<QPointF>{QPointF(from, level), QPointF(to, level)});
        }
    }

    // The marks: a vertical line each, drawn by series kept for reuse.
    const QList<TrendModel::Mark>& marks = model_.marks();
    while (marks_.size() < marks.size()) {
        marks_.append(addUnlisted(QPen(kMarkColour, 1)));
        auto* label = new QGraphicsSimpleTextItem(chart_);
        label->setBrush(kMarkColour);
        label->hide();
        markLabels_.append(label);
    }
    for (int i = 0; i < marks_.size(); ++i) {
        QLineSeries* line = marks_.at(i);
        if (i >= marks.size()) {
            if (line->count() > 0)
                line->clear();
            markLabels_.at(i)->hide();
            continue;
        }
        const TrendModel::Mark& mark = marks.at(i);
        const double at = double(mark.at);
        line->setPen(QPen(kMarkColour, 1, mark.start ? Qt::SolidLine : Qt::DotLine));
        line->replace(QList<QPointF>{QPointF(at, kAxisMin), QPointF(at, kAxisMax)});
        markLabels_.at(i)->setText(mark.start ? RunText(mark.run) : QString());
    }
    marksShown_ = int(marks.size());

    timeAxis_->setRange(QDateTime::fromMSecsSinceEpoch(qint64(from)),
                        QDateTime::fromMSecsSinceEpoch(qint64(to)));
    placeMarkLabels();
    ++redraws_;
}

void TrendChart::placeMarkLabels() {
    const QRectF plot = chart_->plotArea();
    const QList<TrendModel::Mark>& marks = model_.marks();
    for (int i = 0; i < markLabels_.size(); ++i) {
        QGraphicsSimpleTextItem* label = markLabels_.at(i);
        if (i >= marks.size() || label->text().isEmpty()) {
            label->hide();
            continue;
        }
        const QPointF top =
            chart_->mapToPosition(QPointF(double(marks.at(i).at), kAxisMax), marks_.at(i));
        label->setPos(top.x() + 3, plot.top() + 2);
        label->setVisible(plot.contains(QPointF(top.x(), plot.center().y())));
    }
}

void TrendChart::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    placeMarkLabels();
}

// --- Key ---------------------------------------------------------------------------

TrendKey::TrendKey(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("trendKey"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QStringList TrendKey::texts() const {
    return {LoadMessage(kMsgWarning), LoadMessage(kMsgAlarm), LoadMessage(kMsgSpanGas)};
}

QSize TrendKey::sizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    int width = 0;
    for (const QString& text : texts())
        width += kSampleWidth + kGap + metrics.horizontalAdvance(text) + kSpacing;
    return QSize(width, metrics.height() + 4);
}

void TrendKey::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFontMetrics metrics = fontMetrics();
    const int middle = height() / 2;
    int x = 0;
    const QStringList names = texts();
    for (int l = 0; l < TrendModel::kLevels; ++l) {
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1,
                            TrendChart::LevelStyle(TrendModel::Level(l))));
        painter.drawLine(x, middle, x + kSampleWidth, middle);
        x += kSampleWidth + kGap;
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(QRect(x, 0, metrics.horizontalAdvance(names.at(l)) + 2, height()),
                         Qt::AlignVCenter | Qt::AlignLeft, names.at(l));
        x += metrics.horizontalAdvance(names.at(l)) + kSpacing;
    }
}
