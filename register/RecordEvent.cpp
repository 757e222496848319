#include "register/RecordEvent.h"

#include "ProgramInfo.h"
#include "model/OleDate.h"
#include "model/clsInstrument.h"

#include <QSysInfo>
#include <cmath>

namespace InstrumentRegister {

namespace {

constexpr double kSecondsPerDay = 86400.0;
// Record dates at or before this day count are "not set" (the detector's
// empty history entries, the record's defaults).
constexpr double kNoDate = 1.0;

QDateTime DateOf(double value) {
    return value > kNoDate ? OleDate::ToDateTime(value) : QDateTime();
}

} // namespace

QString SerialOf(const QString& serialNo) {
    const QString s = serialNo.trimmed();
    if (s.isEmpty() || s.count(QLatin1Char('-')) == s.size())
        return {};
    return s;
}

Event EventFor(const clsInstrument& record, EventKind kind) {
    Event e;
    e.kind = kind;
    e.serialNo = SerialOf(record.SerialNo());
    e.pcTime = QDateTime::currentDateTimeUtc();
    e.detectorTime = DateOf(record.SysDate());
    e.clockOffsetSeconds = qint64(std::llround(record.SysDateOffset() * kSecondsPerDay));
    e.station = record.StationID().trimmed();
    e.user = record.UserID().trimmed();
    e.rom = record.RomNumber() ? QString::number(record.RomNumber()) : QString();
    e.sum = record.SUM().trimmed();
    e.programVersion = QString::fromLatin1(kProgramVersion);
    e.host = QSysInfo::machineHostName();
    return e;
}

QList<ChannelEntry> ChannelsOf(const clsInstrument& record, bool histories) {
    QList<ChannelEntry> out;
    for (int ch = 0; ch < kChannels; ++ch) {
        ChannelEntry c;
        c.channel = ch;
        c.enabled = record.GasEnabled(ch);
        c.gas = record.GasName(ch).trimmed();
        c.unit = record.GasUnit(ch).trimmed();
        c.fullScale = record.GasFullScale(ch);
        c.decimals = qBound<int>(0, record.GasPoint(ch), 3);
        if (histories) {
            c.calibrationDate = DateOf(record.CalibDate(ch));
            c.calibrationBefore = record.CalibBefore(ch);
            c.calibrationAfter = record.CalibAfter(ch);
            c.bumpDate = DateOf(record.BumpDates(ch));
            c.bumpResult = record.BumpResult(ch);
            c.bumpConcentration = record.BumpConcentration(ch);
        }
        out << c;
    }
    return out;
}

Limits LimitsOf(const clsInstrument& record) {
    Limits l;
    l.known = true;
    l.calibrationOn = record.DispCalLimit() != 0 || record.CalCheck() != kLimitCheckNone;
    l.calibrationDays = record.CalLimit();
    l.bumpOn = record.BumpFunction() != 0;
    l.bumpDays = record.BumpLimit();
    return l;
}

} // namespace InstrumentRegister
