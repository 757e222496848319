// CPU cost of the calibration window's trend: the chart widget, shown (the
// offscreen platform unless QT_QPA_PLATFORM says otherwise), with five
// channels and a full five-minute window, is fed one reading a second on the
// wall clock for N seconds; part of the time the readings rise towards the
// span gas, as during a calibration. Prints the CPU time (getrusage) against
// the wall time and how often the chart was painted.
//
//   bench_trend_chart [--seconds N]
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"
#include "ui/calibration/TrendChart.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEvent>
#include <QRandomGenerator>
#include <QTimer>

#include <array>
#include <cstdio>
#include <sys/resource.h>

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Five gases as the emulator has them.
clsInstrument Channels() {
    struct Gas {
        const char* name;
        const char* unit;
        float fullScale, step, warning, alarm, span;
        int point;
    };
    const Gas gases[5] = {{"CH4", "%LEL", 100, 1, 10, 50, 50, 0},
                          {"O2", "vol%", 25, 0.1f, 19.5f, 18, 12, 1},
                          {"CO", "ppm", 500, 1, 25, 50, 50, 0},
                          {"H2S", "ppm", 100, 0.1f, 10, 30, 25, 1},
                          {"CH4", "vol%", 100, 1, -101, -101, 50, 0}};
    clsInstrument r;
    for (int ch = 0; ch < 5; ++ch) {
        const Gas& g = gases[ch];
        r.setGasName(ch, QString::fromLatin1(g.name));
        r.setGasUnit(ch, QString::fromLatin1(g.unit));
        r.setGasFullScale(ch, g.fullScale);
        r.setGasDesit(ch, g.step);
        r.setGasPoint(ch, int16_t(g.point));
        r.setWarning(ch, g.warning);
        r.setAlarm(ch, g.alarm);
        r.setAutoCalib(ch, g.span);
        r.setGasEnabled(ch, true);
    }
    return r;
}

// The readings at second `s`: the base values with a little noise, rising
// to the span gas during seconds 20..40 of every minute.
std::array<float, 5> Readings(int s) {
    const float base[5] = {0, 20.9f, 0, 0, 0};
    const float span[5] = {50, 12, 50, 25, 50};
    const int phase = s % 60;
    const float level = phase >= 20 && phase < 40 ? std::min(1.0f, float(phase - 19) / 3) : 0;
    std::array<float, 5> out{};
    for (int ch = 0; ch < 5; ++ch) {
        const float noise = float(QRandomGenerator::global()->generateDouble() - 0.5);
        out[size_t(ch)] = std::max(0.0f, base[ch] + (span[ch] - base[ch]) * level + noise);
    }
    return out;
}

struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int seconds = 60;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--seconds") && i + 1 < args.size())
            seconds = std::max(1, args[++i].toInt());
        else {
            std::fprintf(stderr, "usage: bench_trend_chart [--seconds N]\n");
            return 2;
        }
    }

    TrendChart chart;
    chart.resize(860, 360);
    PaintCounter counter;
    chart.viewport()->installEventFilter(&counter);
    chart.show();
    const qint64 start = QDateTime::currentMSecsSinceEpoch();
    // A full window first: five minutes of readings, and one span run.
    const int history = int(TrendModel::kSpanMs / 1000);
    chart.configure(Channels(), start - TrendModel::kSpanMs);
    for (int s = 0; s < history; ++s) {
        const qint64 at = start - TrendModel::kSpanMs + qint64(s) * 1000;
        if (s == 100)
            chart.beginRun(TrendModel::Run::Span, at);
        if (s == 115)
            chart.endRun(at);
        chart.addReadings(at, Readings(s));
    }
    app.processEvents();

    const int paintsBefore = counter.paints;
    const double cpuStart = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    int fed = 0;
    QTimer feed;
    feed.setInterval(1000);
    QObject::connect(&feed, &QTimer::timeout, [&] {
        chart.addReadings(QDateTime::currentMSecsSinceEpoch(), Readings(history + fed));
        if (++fed >= seconds) {
            feed.stop();
            // The last reading's drawing is part of the cost.
            QTimer::singleShot(200, &app, &QCoreApplication::quit);
        }
    });
    feed.start();
    app.exec();
    const double cpu = CpuSeconds() - cpuStart;
    const double elapsed = double(wall.elapsed()) / 1000.0;

    std::printf("trend chart, %s platform, %dx%d, 5 channels, %d points each\n",
                qPrintable(QGuiApplication::platformName()), chart.width(), chart.height(),
                int(chart.model().samples(0).size()));
    std::printf("readings fed: %d (one a second), chart drawn anew %d times, painted %d times\n",
                fed, chart.redraws(), counter.paints - paintsBefore);
    std::printf("CPU %.3f s in %.1f s wall: %.2f %% of one core\n", cpu, elapsed,
                100.0 * cpu / elapsed);
    return 0;
}
