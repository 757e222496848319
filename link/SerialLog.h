// The serial log "SerialLog.log": every frame sent and received, every line
// error, protocol error and sequence milestone, one time-stamped line each.
//
// Each entry is one line "hh:nn:ss" + " " + text + CR LF, appended to the
// file, which is opened and closed for every entry so that nothing stays open
// between commands and a crash loses nothing. An entry that cannot be written
// (folder missing, no permission) is dropped silently: logging must never
// disturb the traffic it records.
//
// With a heading set, the first entry after construction or a change of
// folder is preceded by the heading as an entry of its own: the program's
// name and version at the start of every run's part of the log.
#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

class SerialLog {
public:
    static constexpr const char* kFileName = "SerialLog.log";

    // `folder` empty: the current folder at the time of construction.
    explicit SerialLog(const QString& folder = QString());

    void setFolder(const QString& folder);
    QString folder() const { return folder_; }
    // The folder joined with the file name; no separator is added when the
    // folder already ends with one ("/" or "\").
    QString filePath() const;

    // Appends one entry. False when it could not be written (the entry is
    // then lost, as intended).
    bool write(const QString& text) const;

    // The line written before the first entry ("tq7350ctl 0.1.0"); empty:
    // none.
    void setHeading(const QString& heading);
    QString heading() const { return heading_; }

    // Replaces the source of the present time (tests).
    void setTimeSource(std::function<QDateTime()> now) { now_ = std::move(now); }
    QDateTime now() const { return now_ ? now_() : QDateTime::currentDateTime(); }

    // Joins a folder and a file name as described for filePath().
    static QString joinPath(const QString& folder, const QString& fileName);

    // The frame with every character below 32 replaced by its bracketed name
    // ("[STX]", "[ETX]", "[EOT]", "[ENQ]", "[ACK]", "[NAK]", "[ETB]", "[SUB]",
    // "[ESC]", or "[" + two upper-case hex digits + "]"); CR and LF are kept
    // as they are, every other character is copied unchanged.
    static QString RenderControl(const QString& frame);

    // The date and time as the log's "Date = ~1" texts show it
    // ("MM/dd/yyyy hh:nn:ss", 24-hour clock).
    static QString GeneralDate(const QDateTime& when);

private:
    QString folder_;
    QString heading_;
    // Whether the heading has been written to the present folder's log.
    mutable bool headingWritten_ = false;
    std::function<QDateTime()> now_;
};
