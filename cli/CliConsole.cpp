#include "cli/CliConsole.h"

#include <QDateTime>

#include <cstdio>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace cli {

namespace {

constexpr int kBarWidth = 30;
// Redraw the bar at most this often (a terminal over a slow link must not
// slow the transfer down).
constexpr qint64 kRedrawMs = 80;

// Whether standard error is a terminal (colours and the progress bar) rather
// than a file or a pipe.
bool StandardErrorIsTerminal() {
#ifdef Q_OS_WIN
    return _isatty(_fileno(stderr)) != 0;
#else
    return ::isatty(STDERR_FILENO) == 1;
#endif
}

void Write(FILE* stream, const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

Console::Console() : errIsTty_(StandardErrorIsTerminal()) {}

QString Console::Tidy(const QString& text) {
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    while (t.endsWith(QLatin1Char('\n')))
        t.chop(1);
    return t;
}

void Console::out(const QString& text) {
    Write(stdout, (Tidy(text) + QLatin1Char('\n')).toUtf8());
}

void Console::outRaw(const QByteArray& bytes) {
    Write(stdout, bytes);
}

void Console::error(const QString& text) {
    writeErr(text, true);
}

void Console::line(const QString& text, int32_t colour) {
    const bool red = colour == kRed;
    if (quiet_ && !red)
        return;
    writeErr(text, red);
}

void Console::progressLine(const QString& text) {
    line(text, kGreen);
}

void Console::writeErr(const QString& text, bool red) {
    const QString tidy = Tidy(text);
    if (tidy.isEmpty())
        return;
    clearBar();
    QByteArray bytes = tidy.toUtf8();
    if (errIsTty_ && red)
        bytes = "\033[31m" + bytes + "\033[0m";
    Write(stderr, bytes + '\n');
    if (progressActive_) {
        lastDrawMs_ = -1;
        drawBar();
    }
}

void Console::beginProgress(const QString& label, int total) {
    if (!errIsTty_ || quiet_ || !barShown_)
        return;
    progressActive_ = true;
    progressLabel_ = Tidy(label);
    progressDetail_.clear();
    progressTotal_ = total;
    progressDone_ = 0;
    lastDrawMs_ = -1;
    drawBar();
}

void Console::setProgress(int done, const QString& detail) {
    if (!progressActive_)
        return;
    progressDone_ = done;
    progressDetail_ = detail;
    drawBar();
}

void Console::endProgress() {
    if (!progressActive_)
        return;
    if (progressTotal_ > 0)
        progressDone_ = qMax(progressDone_, 0);
    clearBar();
    progressActive_ = false;
}

void Console::clearBar() {
    if (progressActive_)
        Write(stderr, "\r\033[K");
}

void Console::drawBar() {
    if (!progressActive_)
        return;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (lastDrawMs_ >= 0 && now - lastDrawMs_ < kRedrawMs)
        return;
    lastDrawMs_ = now;
    QString text = progressLabel_;
    if (progressTotal_ > 0) {
        const int done = qBound(0, progressDone_, progressTotal_);
        const int filled = int(qint64(done) * kBarWidth / progressTotal_);
        text += QStringLiteral(" [%1%2] %3%")
                    .arg(QString(filled, QLatin1Char('#')),
                         QString(kBarWidth - filled, QLatin1Char('.')))
                    .arg(qint64(done) * 100 / progressTotal_);
    } else {
        text += QStringLiteral(" (%1)").arg(progressDone_);
    }
    if (!progressDetail_.isEmpty())
        text += QLatin1Char(' ') + progressDetail_;
    Write(stderr, ("\r\033[K" + text).toUtf8());
}

} // namespace cli
