// Where the tool's texts go: results to standard output, progress and
// errors to standard error. On a terminal, standard error also shows a
// progress bar for long transfers and colours failure lines red; when it is
// redirected it gets plain lines only.
#pragma once

#include <QString>

#include <cstdint>

namespace cli {

class Console {
public:
    Console();

    // --quiet: progress lines and the progress bar are left out; errors and
    // results are still written.
    void setQuiet(bool quiet) { quiet_ = quiet; }
    bool quiet() const { return quiet_; }
    // --json: the document is the output; no progress bar beside it.
    void setProgressBarShown(bool shown) { barShown_ = shown; }

    // A result line (or block) on standard output.
    void out(const QString& text);
    // Raw text on standard output, written as it is (a JSON document).
    void outRaw(const QByteArray& bytes);

    // An error on standard error, whatever --quiet says.
    void error(const QString& text);
    // A progress line on standard error in the colour of the window's log
    // pane (packed red + 256 green + 65536 blue); red lines count as errors
    // and are shown also with --quiet.
    void line(const QString& text, int32_t colour);
    void progressLine(const QString& text);

    // Progress bar (terminal only). `total` 0: no known end, a counter only.
    void beginProgress(const QString& label, int total);
    void setProgress(int done, const QString& detail = QString());
    void endProgress();
    bool progressShown() const { return progressActive_; }

    // Texts from the catalogue end with CR LF ("~c"); on the console the
    // line breaks become plain new lines and trailing ones are dropped.
    static QString Tidy(const QString& text);

    static constexpr int32_t kGreen = 0 + 256 * 192;
    static constexpr int32_t kRed = 255;

private:
    void writeErr(const QString& text, bool red);
    void clearBar();
    void drawBar();

    bool quiet_ = false;
    bool barShown_ = true;
    bool errIsTty_ = false;
    bool progressActive_ = false;
    QString progressLabel_;
    QString progressDetail_;
    int progressTotal_ = 0;
    int progressDone_ = 0;
    qint64 lastDrawMs_ = -1;
};

} // namespace cli
