// What the calibration trend holds, without drawing: the channels and their
// levels in percent of full scale, the readings of the last five minutes,
// the run marks and the pause while a run holds the readings.
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"
#include "ui/calibration/TrendModel.h"

#include "common/TestRecords.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Level = TrendModel::Level;
constexpr float N = modGasCommon::kNoValue;
constexpr qint64 kT0 = 1'700'000'000'000; // some moment, in ms

clsInstrument FourGases() {
    clsInstrument r;
    testrecords::SetFourGases(r); // CH4 100 %LEL, O2 40 VOL%, CO 500 ppm, H2S 100 ppm
    for (int ch = 0; ch < 4; ++ch)
        r.setGasEnabled(ch, true);
    r.setGasEnabled(4, false);
    return r;
}

} // namespace

TEST(TrendModel, ChannelsAndLevelsInPercentOfFullScale) {
    clsInstrument r = FourGases();
    r.setAutoCalib(3, N);
    TrendModel m;
    m.configure(r);
    EXPECT_TRUE(m.shown(0));
    EXPECT_FALSE(m.shown(4)); // off
    EXPECT_FALSE(m.shown(5));
    EXPECT_EQ(m.label(2), QStringLiteral("CO(500ppm)"));
    EXPECT_DOUBLE_EQ(m.levelPercent(2, Level::Warning), 5.0);    // 25 of 500
    EXPECT_DOUBLE_EQ(m.levelPercent(2, Level::Alarm), 10.0);     // 50
    EXPECT_DOUBLE_EQ(m.levelPercent(2, Level::SpanGas), 10.0);   // 50
    EXPECT_NEAR(m.levelPercent(1, Level::Warning), 48.75, 1e-4); // 19.5 of 40
    EXPECT_FLOAT_EQ(m.levelValue(1, Level::Alarm), 23.5f);
    EXPECT_TRUE(std::isnan(m.levelPercent(3, Level::SpanGas))); // no span gas value
    EXPECT_DOUBLE_EQ(m.levelPercent(0, Level::Alarm), 50.0);
    EXPECT_TRUE(std::isnan(m.levelPercent(4, Level::Warning)));

    EXPECT_DOUBLE_EQ(TrendModel::Percent(12.5f, 50), 25.0);
    EXPECT_TRUE(std::isnan(TrendModel::Percent(N, 50)));
    EXPECT_TRUE(std::isnan(TrendModel::Percent(modGasCommon::kOver, 50)));
    EXPECT_TRUE(std::isnan(TrendModel::Percent(10, 0)));

    // New channel data keeps the readings; a channel switched off loses its
    // line.
    m.addReadings(kT0, {10, 20.9f, 5, 1, 0});
    r.setWarning(2, 35);
    m.configure(r);
    EXPECT_EQ(m.samples(2).size(), 1);
    EXPECT_DOUBLE_EQ(m.levelPercent(2, Level::Warning), 7.0);
    r.setGasEnabled(2, false);
    m.configure(r);
    EXPECT_EQ(m.samples(2).size(), 0);
    EXPECT_TRUE(m.points(2).isEmpty());
}

TEST(TrendModel, ReadingsBecomePointsAndCodedValuesLeaveGaps) {
    TrendModel m;
    m.configure(FourGases());
    EXPECT_TRUE(m.addReadings(kT0, {10, 20.9f, 0, 2.5f, 7}));
    EXPECT_TRUE(m.addReadings(kT0 + 1000, {N, 20.8f, 125, modGasCommon::kOver, 7}));
    ASSERT_EQ(m.samples(0).size(), 1);
    ASSERT_EQ(m.samples(2).size(), 2);
    EXPECT_EQ(m.samples(4).size(), 0); // not drawn
    const QList<QPointF> co = m.points(2);
    EXPECT_EQ(co.at(1), QPointF(double(kT0 + 1000), 25.0));
    EXPECT_NEAR(m.points(1).at(0).y(), 52.25, 1e-4); // 20.9 of 40
    EXPECT_EQ(m.samples(3).size(), 1);
    EXPECT_EQ(m.latestMs(), kT0 + 1000);
}

TEST(TrendModel, AWindowOfFiveMinutes) {
    TrendModel m;
    m.configure(FourGases());
    for (int s = 0; s <= 400; ++s)
        m.addReadings(kT0 + s * 1000, {float(s % 100), 20.9f, 0, 0, 0});
    // 300 s back, plus the reading just before, so that the line reaches the
    // window's edge.
    const QList<TrendModel::Sample>& kept = m.samples(0);
    EXPECT_EQ(m.earliestMs(), kT0 + 100'000);
    EXPECT_EQ(kept.size(), 301);
    EXPECT_EQ(kept.first().at, kT0 + 100'000);
    EXPECT_EQ(kept.last().at, kT0 + 400'000);

    // Readings faster than one a second are capped.
    TrendModel fast;
    fast.configure(FourGases());
    for (int i = 0; i < 2 * TrendModel::kMaxSamples; ++i)
        fast.addReadings(kT0 + i * 10, {1, 1, 1, 1, 1});
    EXPECT_EQ(fast.samples(2).size(), TrendModel::kMaxSamples);
}

TEST(TrendModel, RunsAreMarkedAndHoldTheReadings) {
    TrendModel m;
    m.configure(FourGases());
    m.addReadings(kT0, {1, 20.9f, 0, 0, 0});
    m.endRun(kT0 + 500); // no run: nothing to end
    EXPECT_TRUE(m.marks().isEmpty());

    m.beginRun(TrendModel::Run::Span, kT0 + 1000);
    EXPECT_TRUE(m.paused());
    EXPECT_FALSE(m.addReadings(kT0 + 2000, {50, 20.9f, 0, 0, 0}));
    EXPECT_EQ(m.samples(0).size(), 1);
    m.endRun(kT0 + 30'000);
    EXPECT_FALSE(m.paused());
    EXPECT_TRUE(m.addReadings(kT0 + 31'000, {45, 20.9f, 0, 0, 0}));
    // No line across the run.
    const QList<QList<QPointF>> pieces = m.segments(0);
    ASSERT_EQ(pieces.size(), 2);
    EXPECT_EQ(pieces.at(0).size(), 1);
    EXPECT_EQ(pieces.at(1).first().x(), double(kT0 + 31'000));
    // A reading taken as the run started belongs before it, one taken as it
    // ended after it.
    TrendModel edges;
    edges.configure(FourGases());
    edges.addReadings(kT0, {1, 1, 1, 1, 1});
    edges.addReadings(kT0 + 1000, {2, 1, 1, 1, 1});
    edges.beginRun(TrendModel::Run::Zero, kT0 + 1000);
    edges.endRun(kT0 + 9000);
    edges.addReadings(kT0 + 9000, {3, 1, 1, 1, 1});
    edges.addReadings(kT0 + 10000, {4, 1, 1, 1, 1});
    const QList<QList<QPointF>> cut = edges.segments(0);
    ASSERT_EQ(cut.size(), 2);
    EXPECT_EQ(cut.at(0).size(), 2);
    EXPECT_EQ(cut.at(1).size(), 2);
    ASSERT_EQ(m.marks().size(), 2);
    EXPECT_EQ(m.marks().at(0).at, kT0 + 1000);
    EXPECT_TRUE(m.marks().at(0).start);
    EXPECT_EQ(m.marks().at(1).run, TrendModel::Run::Span);
    EXPECT_FALSE(m.marks().at(1).start);

    // Marks leave the window with the readings.
    m.moveTo(kT0 + 1000 + TrendModel::kSpanMs + 1);
    ASSERT_EQ(m.marks().size(), 1);
    EXPECT_FALSE(m.marks().at(0).start);
}
