// What the instrument register keeps: one event per piece of work done on a
// detector (a read, a write, a calibration run, a maintenance command), and
// per detector a summary for the list (last seen, last calibration, the due
// dates) that is brought up to date in the same transaction as each event.
//
// Times: `pcTime` is the PC's clock (UTC). The detector's clock is kept as it
// reported it (`detectorTime`, local, no time zone) together with the offset
// PC minus detector in seconds, so that every date the detector reports (its
// calibration and bump-test history) can be put on the PC's time line.
#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>

namespace InstrumentRegister {

// The schema this program writes. A register with a higher number was made by
// a newer program: it is refused and never altered.
constexpr int kSchemaVersion = 1;

constexpr int kChannels = 5;

enum class EventKind {
    Read,        // "Instrument Information"
    Write,       // a verified settings write
    Zero,        // zero calibration
    Span,        // span calibration
    Maintenance, // DEFAULT, clears, power off, FLASH check, clock set, check data
};

// The stored names ("read", "write", "zero", "span", "maintenance").
QString KindName(EventKind kind);
// False for a name this program does not know.
bool KindFromName(const QString& name, EventKind* kind);

// One channel as an event saw it.
struct ChannelEntry {
    int channel = 0; // 0..4
    bool enabled = false;
    QString gas;
    QString unit;
    double fullScale = 0;
    int decimals = 0;
    // A calibration run: whether the channel took part, the span-gas
    // concentration, its result and the reading at the end.
    bool calibrated = false;
    double spanConcentration = -1;
    bool ok = false;
    bool readingKnown = false;
    double reading = 0;
    // The latest calibration and bump test as the detector reports them
    // (the detector's clock); null dates when it reports none.
    QDateTime calibrationDate;
    double calibrationBefore = 0;
    double calibrationAfter = 0;
    QDateTime bumpDate;
    double bumpResult = 0;
    double bumpConcentration = 0;
};

// The detector's limits as a read found them.
struct Limits {
    bool known = false;
    bool calibrationOn = false;
    int calibrationDays = 0;
    bool bumpOn = false;
    int bumpDays = 0;
};

struct Event {
    qint64 id = 0; // given by the register when recorded
    QString serialNo;
    EventKind kind = EventKind::Read;
    // What exactly: the maintenance command ("default", "clear-power",
    // "clear-logger", "power-off", "flash-check", "clock-set", "check-data"),
    // the write's mode ("update", "update-id", "recover-finish",
    // "recover-restore").
    QString action;
    bool success = true;
    // A short result text: the detector's calibration result characters, the
    // FLASH check's verdict.
    QString result;
    QDateTime pcTime;              // UTC
    QDateTime detectorTime;        // the detector's clock; null when unknown
    qint64 clockOffsetSeconds = 0; // PC minus detector
    QString station;
    QString user;
    QString rom;
    QString sum;
    QString programVersion;
    QString host;
    // A read: the settings as the text of a settings file.
    QString settings;
    // A write: one line per setting written ("Alarm, CO: 50 → 35"); a
    // resolved unfinished write: the commands sent.
    QStringList written;
    QList<ChannelEntry> channels;
    Limits limits;

    // A date of the detector's clock on the PC's time line (UTC).
    QDateTime OnPcClock(const QDateTime& detectorDate) const;
};

// One detector as the list shows it.
struct DetectorSummary {
    QString serialNo;
    QString station;
    QString user;
    QDateTime lastSeen;        // UTC
    QDateTime lastCalibration; // UTC; null when none is known
    QDateTime calibrationDue;  // UTC; null when not known or the limit is off
    QDateTime bumpDue;         // UTC; null when not known or the function is off
    int events = 0;
    // What the due dates are worked out from, kept with the summary.
    Limits limits;
    std::array<bool, kChannels> enabled{};
    std::array<QDateTime, kChannels> calibrated{}; // last successful calibration, UTC
    std::array<QDateTime, kChannels> bumped{};     // last bump test, UTC
};

} // namespace InstrumentRegister
