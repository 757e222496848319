#include "register/RegisterEvent.h"

namespace InstrumentRegister {

namespace {

struct KindRow {
    EventKind kind;
    const char* name;
};
constexpr KindRow kKinds[] = {
    {EventKind::Read, "read"},
    {EventKind::Write, "write"},
    {EventKind::Zero, "zero"},
    {EventKind::Span, "span"},
    {EventKind::Maintenance, "maintenance"},
};

} // namespace

QString KindName(EventKind kind) {
    for (const KindRow& row : kKinds)
        if (row.kind == kind)
            return QString::fromLatin1(row.name);
    return {};
}

bool KindFromName(const QString& name, EventKind* kind) {
    for (const KindRow& row : kKinds) {
        if (name == QLatin1String(row.name)) {
            *kind = row.kind;
            return true;
        }
    }
    return false;
}

QDateTime Event::OnPcClock(const QDateTime& detectorDate) const {
    if (!detectorDate.isValid())
        return {};
    // The detector's clock has no time zone: its dates are read as the PC's
    // local time, then moved by the offset measured at this event.
    QDateTime local = detectorDate;
    local.setTimeSpec(Qt::LocalTime);
    return local.addSecs(clockOffsetSeconds).toUTC();
}

} // namespace InstrumentRegister
