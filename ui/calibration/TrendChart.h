// The calibration window's live trend (Qt Charts): one line per drawn gas
// channel in a fixed colour over the last five minutes, the channel's
// warning, alarm and span-gas levels as dashed lines in the same colour,
// and grey vertical marks where a calibration run started (solid, named)
// and ended (dotted); a line is cut where a run held the readings. Every
// channel is drawn in percent of its own full
// scale (see TrendModel).
//
// The chart redraws only when something changed: a reading (about one a
// second), a run mark, new channel data. While a run holds the readings it
// stays as it is.
#pragma once

#include "ui/calibration/TrendModel.h"

#include <QChartView>
#include <QList>
#include <QWidget>

#include <array>

class QDateTimeAxis;
class QGraphicsSimpleTextItem;
class QLineSeries;
class QValueAxis;
class clsInstrument;

class TrendChart : public QChartView {
    Q_OBJECT
public:
    // The level axis: a little room below 0 (readings at zero stay visible
    // above the axis) and above full scale.
    static constexpr double kAxisMin = -5;
    static constexpr double kAxisMax = 110;

    explicit TrendChart(QWidget* parent = nullptr);
    ~TrendChart() override;

    const TrendModel& model() const { return model_; }

    // New channel data (names, full scales, levels); the window's end moves
    // to `ms`.
    void configure(const clsInstrument& record, qint64 ms);
    void addReadings(qint64 ms, const std::array<float, TrendModel::kChannels>& values);
    void beginRun(TrendModel::Run run, qint64 ms);
    void endRun(qint64 ms);

    static QColor ChannelColour(int ch);
    static Qt::PenStyle LevelStyle(TrendModel::Level level);
    static QString RunText(TrendModel::Run run);

    // What is drawn (for the tests). A channel's line is cut where a run
    // held the readings: its first piece carries the name in the legend.
    QLineSeries* readingSeries(int ch) const;
    QList<QLineSeries*> readingPieces(int ch) const;
    QLineSeries* levelSeries(int ch, TrendModel::Level level) const;
    // One vertical line per mark in the window, oldest first.
    QList<QLineSeries*> markSeries() const;
    QDateTimeAxis* timeAxis() const { return timeAxis_; }
    QValueAxis* levelAxis() const { return levelAxis_; }
    // How often the chart was drawn anew.
    int redraws() const { return redraws_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void redraw();
    void placeMarkLabels();
    // A series that stays out of the legend; it is never hidden (a hidden
    // series would bring its legend entry back when shown again), only
    // emptied.
    QLineSeries* addUnlisted(const QPen& pen);

    TrendModel model_;
    QChart* chart_ = nullptr;
    QDateTimeAxis* timeAxis_ = nullptr;
    QValueAxis* levelAxis_ = nullptr;
    std::array<QList<QLineSeries*>, TrendModel::kChannels> readings_{};
    std::array<int, TrendModel::kChannels> piecesShown_{};
    std::array<std::array<QLineSeries*, TrendModel::kLevels>, TrendModel::kChannels> levels_{};
    QList<QLineSeries*> marks_;
    QList<QGraphicsSimpleTextItem*> markLabels_;
    int marksShown_ = 0;
    int redraws_ = 0;
};

// The key to the dashed lines under the chart: a short line in each dash
// style with its name (warning, alarm, span gas).
class TrendKey : public QWidget {
    Q_OBJECT
public:
    explicit TrendKey(QWidget* parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static constexpr int kSampleWidth = 36;
    static constexpr int kGap = 6;
    static constexpr int kSpacing = 18;
    QStringList texts() const;
};
