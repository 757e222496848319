#include "ui/calibration/TrendModel.h"

#include "model/clsInstrument.h"
#include "model/modGasCommon.h"

#include <cmath>
#include <limits>

namespace {

constexpr float kNoLevel = std::numeric_limits<float>::quiet_NaN();

bool ValidChannel(int ch) {
    return ch >= 0 && ch < TrendModel::kChannels;
}

// A level as the record holds it: negative values mean "not set".
float LevelOf(float value) {
    return value >= 0 && !modGasCommon::IsStatusValue(value) ? value : kNoLevel;
}

} // namespace

void TrendModel::configure(const clsInstrument& record) {
    for (int ch = 0; ch < kChannels; ++ch) {
        Channel& c = channels_[size_t(ch)];
        c.fullScale = record.GasFullScale(ch);
        c.shown = record.GasEnabled(ch) && c.fullScale > 0;
        c.label = modGasCommon::FormatGasLabelFromFields(record.GasName(ch).trimmed(),
                                                         record.GasUnit(ch).trimmed(), c.fullScale,
                                                         record.GasPoint(ch));
        c.levels = {LevelOf(record.Warning(ch)), LevelOf(record.Alarm(ch)),
                    LevelOf(record.AutoCalib(ch))};
        if (!c.shown)
            c.samples.clear();
    }
}

bool TrendModel::shown(int ch) const {
    return ValidChannel(ch) && channels_[size_t(ch)].shown;
}

QString TrendModel::label(int ch) const {
    return ValidChannel(ch) ? channels_[size_t(ch)].label : QString();
}

float TrendModel::fullScale(int ch) const {
    return ValidChannel(ch) ? channels_[size_t(ch)].fullScale : 0.0f;
}

float TrendModel::levelValue(int ch, Level level) const {
    if (!shown(ch))
        return kNoLevel;
    return channels_[size_t(ch)].levels[size_t(level)];
}

double TrendModel::levelPercent(int ch, Level level) const {
    const float value = levelValue(ch, level);
    return std::isnan(value) ? std::nan("") : Percent(value, fullScale(ch));
}

double TrendModel::Percent(float value, float fullScale) {
    if (!(fullScale > 0) || !std::isfinite(value) || modGasCommon::IsStatusValue(value))
        return std::nan("");
    return double(value) / double(fullScale) * 100.0;
}

bool TrendModel::addReadings(qint64 ms, const std::array<float, kChannels>& values) {
    if (paused_)
        return false;
    for (int ch = 0; ch < kChannels; ++ch) {
        Channel& c = channels_[size_t(ch)];
        const float value = values[size_t(ch)];
        if (!c.shown || std::isnan(Percent(value, c.fullScale)))
            continue;
        c.samples.append(Sample{ms, value});
        if (c.samples.size() > kMaxSamples)
            c.samples.removeFirst();
    }
    moveTo(ms);
    return true;
}

const QList<TrendModel::Sample>& TrendModel::samples(int ch) const {
    static const QList<Sample> kNone;
    return ValidChannel(ch) ? channels_[size_t(ch)].samples : kNone;
}

QList<QPointF> TrendModel::points(int ch) const {
    QList<QPointF> out;
    if (!shown(ch))
        return out;
    const Channel& c = channels_[size_t(ch)];
    out.reserve(c.samples.size());
    for (const Sample& s : c.samples)
        out.append(QPointF(double(s.at), Percent(s.value, c.fullScale)));
    return out;
}

QList<QList<QPointF>> TrendModel::segments(int ch) const {
    QList<QList<QPointF>> out;
    const QList<QPointF> all = points(ch);
    QList<QPointF> current;
    for (const QPointF& p : all) {
        if (!current.isEmpty()) {
            // A reading taken as a run started belongs before it, one taken
            // as it ended after it.
            const double previous = current.last().x();
            for (const Mark& m : marks_) {
                const double at = double(m.at);
                const bool between = at > previous && at < p.x();
                const bool atEdge = m.start ? at == previous : at == p.x();
                if (between || atEdge) {
                    out.append(current);
                    current.clear();
                    break;
                }
            }
        }
        current.append(p);
    }
    if (!current.isEmpty())
        out.append(current);
    return out;
}

void TrendModel::beginRun(Run run, qint64 ms) {
    running_ = run;
    paused_ = true;
    marks_.append(Mark{ms, run, true});
    if (marks_.size() > kMaxMarks)
        marks_.removeFirst();
    moveTo(ms);
}

void TrendModel::endRun(qint64 ms) {
    if (!paused_)
        return;
    paused_ = false;
    marks_.append(Mark{ms, running_, false});
    if (marks_.size() > kMaxMarks)
        marks_.removeFirst();
    moveTo(ms);
}

void TrendModel::moveTo(qint64 ms) {
    if (ms > latest_)
        latest_ = ms;
    prune();
}

void TrendModel::prune() {
    const qint64 from = earliestMs();
    // One reading before the window stays, so that a line reaches its edge.
    for (Channel& c : channels_) {
        while (c.samples.size() > 1 && c.samples.at(1).at <= from)
            c.samples.removeFirst();
    }
    while (!marks_.isEmpty() && marks_.first().at < from)
        marks_.removeFirst();
}
