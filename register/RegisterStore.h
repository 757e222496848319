// The instrument register on Qt SQL: the same schema and the same statements
// on SQLite and PostgreSQL (the only differences: the type of the event
// number, how a transaction takes its lock, and row locking).
//
// Opening checks the schema's version first, before anything is written: a
// register made by a newer program is refused and left exactly as it is. A
// new register gets its tables; a SQLite file is switched to write-ahead
// logging with a busy time-out, so that the window and the tool can both
// write to it at once. Every event goes in as one transaction together with
// the update of its detector's summary: an event is recorded whole or not at
// all.
#pragma once

#include "register/RegisterEvent.h"
#include "register/RegisterLocation.h"

#include <QList>
#include <QString>

namespace InstrumentRegister {

// How long a SQLite writer waits for another one.
constexpr int kBusyTimeoutMs = 10000;

class Store {
public:
    Store();
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // Opens the register, creating it on first use (a SQLite file with its
    // folder). False with the reason, in the user's words.
    bool Open(const Location& location, QString* error);
    bool IsOpen() const;
    void Close();
    const Location& location() const { return location_; }

    // Records `event` and brings its detector's summary up to date in one
    // transaction; sets event.id. False with the reason; nothing is kept then.
    bool Record(Event& event, QString* error);
    // Records several events in one transaction (an import, or filling a
    // large register at once): all of them or none.
    bool RecordAll(QList<Event>& events, QString* error);

    // Every detector, by serial number (without the per-channel dates and
    // limits behind the due dates; Detector() has them).
    bool Detectors(QList<DetectorSummary>* out, QString* error);
    // One detector; `found` false when the register does not know it.
    bool Detector(const QString& serialNo, DetectorSummary* out, bool* found, QString* error);
    // A detector's events in time order (the PC's clock, then the order of
    // recording).
    bool Events(const QString& serialNo, QList<Event>* out, QString* error);
    // One event by its number; `found` false when there is none.
    bool FindEvent(qint64 id, Event* out, bool* found, QString* error);

private:
    bool OpenConnection(const Location& location, QString* error);

    struct Private;
    Private* d_;
    Location location_;
};

} // namespace InstrumentRegister
