// What the calibration window's trend shows, without the drawing: per gas
// channel the readings of the last five minutes, the channel's warning,
// alarm and span-gas levels, and the moments calibration runs started and
// ended. TrendChart draws it; the tests look at it directly.
//
// Scale: every channel is drawn in percent of its own full scale, so that
// gases with ranges from 25 vol% to 500 ppm share one axis and a reading
// rising towards its span gas climbs towards that gas's line. Each line's
// name carries its full scale and unit.
//
// Time is what the caller says it is (milliseconds since the epoch, or any
// other steady count): the window passes the link's clock, the tests their
// own numbers.
#pragma once

#include <QList>
#include <QPointF>
#include <QString>

#include <array>

class clsInstrument;

class TrendModel {
public:
    static constexpr int kChannels = 5;
    // How far back the trend reaches.
    static constexpr qint64 kSpanMs = 5 * 60 * 1000;
    // Readings kept per channel at most (a reading a second fills 300).
    static constexpr int kMaxSamples = 1200;
    // Run marks kept at most.
    static constexpr int kMaxMarks = 40;

    enum class Run { Zero, Span, TeN2 };
    enum class Level { Warning, Alarm, SpanGas };
    static constexpr int kLevels = 3;

    struct Mark {
        qint64 at = 0;
        Run run = Run::Zero;
        bool start = true; // the run started (else: ended)
    };
    struct Sample {
        qint64 at = 0;
        float value = 0; // in the channel's unit
    };

    // Takes the channels from the record: drawn are the channels that are
    // on and have a full scale. Readings kept so far stay.
    void configure(const clsInstrument& record);
    bool shown(int ch) const;
    // "CO(500ppm)": the name, full scale and unit.
    QString label(int ch) const;
    float fullScale(int ch) const;
    // A level in the channel's unit as the record holds it; NaN when the
    // record has none (a negative or coded value) or the channel is not drawn.
    float levelValue(int ch, Level level) const;
    // The same in percent of the channel's full scale.
    double levelPercent(int ch, Level level) const;
    // `value` in percent of `fullScale`; NaN for a coded value ("-----",
    // "OVER") or no full scale.
    static double Percent(float value, float fullScale);

    // One reading of every channel at `ms`. Coded values leave a channel
    // without a point. Ignored (false) while a run holds the readings.
    bool addReadings(qint64 ms, const std::array<float, kChannels>& values);
    // The readings of a channel in the window, oldest first.
    const QList<Sample>& samples(int ch) const;
    // The same as points: x the time, y percent of full scale.
    QList<QPointF> points(int ch) const;
    // The points cut where a run mark lies between two readings, so that no
    // line is drawn across the time a run held the readings.
    QList<QList<QPointF>> segments(int ch) const;

    // A run started / ended: a mark each; in between readings are not taken.
    void beginRun(Run run, qint64 ms);
    void endRun(qint64 ms);
    bool paused() const { return paused_; }
    const QList<Mark>& marks() const { return marks_; }

    // The newest moment seen (a reading, a mark or moveTo); the window
    // reaches from latestMs() - kSpanMs to latestMs().
    qint64 latestMs() const { return latest_; }
    qint64 earliestMs() const { return latest_ - kSpanMs; }
    // Moves the window's end to `ms` (never backwards) and drops what falls out.
    void moveTo(qint64 ms);

private:
    struct Channel {
        bool shown = false;
        QString label;
        float fullScale = 0;
        std::array<float, kLevels> levels{};
        QList<Sample> samples;
    };
    void prune();

    std::array<Channel, kChannels> channels_{};
    QList<Mark> marks_;
    Run running_ = Run::Zero;
    bool paused_ = false;
    qint64 latest_ = 0;
};
