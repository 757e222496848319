#include "link/LinkResult.h"

QString LinkResultName(LinkResult result) {
    switch (result) {
    case LinkResult::Done:
        return QStringLiteral("done");
    case LinkResult::NotConnected:
        return QStringLiteral("not-connected");
    case LinkResult::Busy:
        return QStringLiteral("busy");
    case LinkResult::TimedOut:
        return QStringLiteral("timed-out");
    case LinkResult::Refused:
        return QStringLiteral("refused");
    case LinkResult::LineLost:
        return QStringLiteral("line-lost");
    case LinkResult::LineError:
        return QStringLiteral("line-error");
    case LinkResult::Cancelled:
        return QStringLiteral("cancelled");
    case LinkResult::GaveUp:
        return QStringLiteral("gave-up");
    }
    return QString();
}
