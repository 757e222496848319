#include "register/DueDates.h"

namespace InstrumentRegister {

namespace {

// The earliest of the enabled channels' dates; null when an enabled channel
// has none (or no channel is enabled).
QDateTime EarliestOfEnabled(const DetectorSummary& s, const std::array<QDateTime, kChannels>& d) {
    QDateTime earliest;
    bool any = false;
    for (int ch = 0; ch < kChannels; ++ch) {
        if (!s.enabled[ch])
            continue;
        if (!d[ch].isValid())
            return {};
        if (!any || d[ch] < earliest)
            earliest = d[ch];
        any = true;
    }
    return any ? earliest : QDateTime();
}

// Keeps the later of two dates.
void KeepLater(QDateTime& kept, const QDateTime& candidate) {
    if (candidate.isValid() && (!kept.isValid() || candidate > kept))
        kept = candidate;
}

} // namespace

DueState StateOf(const QDateTime& due, const QDateTime& now) {
    if (!due.isValid())
        return DueState::Unknown;
    if (due < now)
        return DueState::Overdue;
    if (due < now.addDays(kDueSoonDays))
        return DueState::Soon;
    return DueState::Ok;
}

DueState WorstState(const DetectorSummary& summary, const QDateTime& now) {
    const DueState a = StateOf(summary.calibrationDue, now);
    const DueState b = StateOf(summary.bumpDue, now);
    return int(a) > int(b) ? a : b;
}

void UpdateDueDates(DetectorSummary& s) {
    s.lastCalibration = QDateTime();
    for (int ch = 0; ch < kChannels; ++ch)
        if (s.enabled[ch])
            KeepLater(s.lastCalibration, s.calibrated[ch]);
    s.calibrationDue = QDateTime();
    s.bumpDue = QDateTime();
    if (!s.limits.known)
        return;
    const QDateTime cal = EarliestOfEnabled(s, s.calibrated);
    if (s.limits.calibrationOn && s.limits.calibrationDays > 0 && cal.isValid())
        s.calibrationDue = cal.addDays(s.limits.calibrationDays);
    const QDateTime bump = EarliestOfEnabled(s, s.bumped);
    if (s.limits.bumpOn && s.limits.bumpDays > 0 && bump.isValid())
        s.bumpDue = bump.addDays(s.limits.bumpDays);
}

DetectorSummary Merge(const DetectorSummary& before, const Event& e) {
    DetectorSummary s = before;
    s.serialNo = e.serialNo;
    ++s.events;
    if (!s.lastSeen.isValid() || e.pcTime > s.lastSeen)
        s.lastSeen = e.pcTime;
    if (!e.station.isEmpty())
        s.station = e.station;
    if (!e.user.isEmpty())
        s.user = e.user;
    if (e.limits.known)
        s.limits = e.limits;
    if (e.success) {
        for (const ChannelEntry& c : e.channels) {
            if (c.channel < 0 || c.channel >= kChannels)
                continue;
            if (e.kind == EventKind::Read) {
                s.enabled[c.channel] = c.enabled;
                KeepLater(s.calibrated[c.channel], e.OnPcClock(c.calibrationDate));
                KeepLater(s.bumped[c.channel], e.OnPcClock(c.bumpDate));
            } else if (e.kind == EventKind::Span && c.calibrated && c.ok) {
                KeepLater(s.calibrated[c.channel], e.pcTime);
            }
        }
    }
    UpdateDueDates(s);
    return s;
}

} // namespace InstrumentRegister
