#include "cli/RecordText.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "model/OleDate.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"
#include "records/SettingsHistory.h"

#include <QSet>

#include <cmath>

namespace cli {

namespace {

const QString kNone = QStringLiteral("-----");

// Columns a text takes on a terminal: East Asian wide characters take two.
int DisplayWidth(const QString& text) {
    int width = 0;
    for (const QChar c : text) {
        const ushort u = c.unicode();
        const bool wide = (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0xA4CF) ||
                          (u >= 0xAC00 && u <= 0xD7A3) || (u >= 0xF900 && u <= 0xFAFF) ||
                          (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFF60) ||
                          (u >= 0xFFE0 && u <= 0xFFE6);
        width += wide ? 2 : 1;
    }
    return width;
}

// The text followed by blanks up to `width` columns.
QString Padded(const QString& text, int width) {
    return text + QString(qMax(0, width - DisplayWidth(text)), QLatin1Char(' '));
}

// Label/value lines with the values lined up.
QString Aligned(const QList<QPair<QString, QString>>& rows, const QString& indent = QString()) {
    int width = 0;
    for (const auto& row : rows)
        width = qMax(width, DisplayWidth(row.first));
    QStringList lines;
    for (const auto& row : rows)
        lines << indent + Padded(row.first, width + 2) + row.second;
    return lines.join(QLatin1Char('\n'));
}

// A table with a head row; every column as wide as its widest cell.
QString Table(const QList<QStringList>& rows) {
    QList<int> widths;
    for (const QStringList& row : rows)
        for (int i = 0; i < row.size(); ++i) {
            if (widths.size() <= i)
                widths << 0;
            widths[i] = qMax(widths[i], DisplayWidth(row.at(i)));
        }
    QStringList lines;
    for (const QStringList& row : rows) {
        QString line;
        for (int i = 0; i < row.size(); ++i)
            line += i + 1 < row.size() ? Padded(row.at(i), widths[i] + 2) : row.at(i);
        lines << line;
    }
    return lines.join(QLatin1Char('\n'));
}

QString Value(const clsInstrument& r, int ch, float v) {
    if (!r.GasEnabled(ch))
        return kNone;
    return modGasCommon::FormatReading(v, r.GasPoint(ch), false);
}

QString ChannelTitle(const clsInstrument& r, int ch) {
    return LoadMessage(kMsgChannelHeading, {ch}) + QStringLiteral("  ") +
           (r.GasEnabled(ch) ? modGasCommon::FormatGasLabel(r, ch, true) : kNone);
}

QString ChannelHistory(const clsInstrument& r, int ch) {
    const int point = r.GasPoint(ch);
    auto value = [point](float v) { return modGasCommon::FormatReading(v, point, false); };
    return Aligned({{LoadMessage(kMsgLastCalDate), DateText(r.CalibDate(ch))},
                    {LoadMessage(kMsgBeforeLastCal), value(r.CalibBefore(ch))},
                    {LoadMessage(kMsgAfterLastCal), value(r.CalibAfter(ch))},
                    {LoadMessage(kMsgLastBumpDate), DateText(r.BumpDates(ch))},
                    {LoadMessage(kMsgLastBumpResult), value(r.BumpResult(ch))},
                    {LoadMessage(kMsgLastBumpConcentration), value(r.BumpConcentration(ch))}},
                   QStringLiteral("  "));
}

// A list entry that holds a name (not the placeholder of dashes).
bool InUse(const QString& entry) {
    const QString t = entry.trimmed();
    return !t.isEmpty() && t != QString(t.size(), QLatin1Char('-'));
}

} // namespace

QString DateText(double oleDate) {
    if (oleDate == OleDate::kZeroDate || !std::isfinite(oleDate))
        return kNone;
    const QDateTime when = OleDate::ToDateTime(oleDate);
    return when.isValid() ? when.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")) : kNone;
}

QString RecordSummary(const clsInstrument& r, const QDateTime& now,
                      const QStringList& analogLines) {
    QStringList blocks;

    // Identity, clock and settings, labelled as the settings history labels
    // its columns; the per-channel, list and gas-table columns follow below
    // in their own form.
    QSet<QString> apart = {QStringLiteral("Station"),   QStringLiteral("User"),
                           QStringLiteral("No"),        QStringLiteral("Name"),
                           QStringLiteral("FullScale"), QStringLiteral("Digit"),
                           QStringLiteral("Unit"),      QStringLiteral("Ratio")};
    for (int id : {kMsgGas, kMsgWarning, kMsgAlarm, kMsgStel, kMsgTwa, kMsgAutoCal, kMsgLastCalDate,
                   kMsgBeforeLastCal, kMsgAfterLastCal, kMsgLastBumpDate, kMsgLastBumpResult,
                   kMsgLastBumpConcentration})
        apart.insert(LoadMessage(id));
    const QStringList heads = HistoryHeaderFields();
    const QStringList values = HistoryDataFields(r, HistoryAction::Read, now);
    QList<QPair<QString, QString>> rows;
    for (int i = 1; i < heads.size() && i < values.size(); ++i)
        if (!apart.contains(heads.at(i)))
            rows.append({heads.at(i), values.at(i)});
    blocks << Aligned(rows);

    // The gas channels and their alarm points.
    QList<QStringList> table;
    table << QStringList{QStringLiteral("Ch"),    LoadMessage(kMsgGas),  LoadMessage(kMsgWarning),
                         LoadMessage(kMsgAlarm),  LoadMessage(kMsgStel), LoadMessage(kMsgTwa),
                         LoadMessage(kMsgAutoCal)};
    for (int ch = 0; ch < 5; ++ch)
        table << QStringList{QString::number(ch),
                             r.GasEnabled(ch) ? modGasCommon::FormatGasLabel(r, ch, true) : kNone,
                             Value(r, ch, r.Warning(ch)),
                             Value(r, ch, r.Alarm(ch)),
                             Value(r, ch, r.Stel(ch)),
                             Value(r, ch, r.Twa(ch)),
                             Value(r, ch, r.AutoCalib(ch))};
    blocks << Table(table);

    blocks << HistorySummary(r);

    // Custom sensor pair.
    QList<QPair<QString, QString>> ls;
    for (int i = 0; i < clsInstrument::kLsEntries; ++i) {
        if (!InUse(r.LS_Name(i)))
            continue;
        ls.append(
            {QStringLiteral("LS %1").arg(i),
             modGasCommon::FormatGasLabelFromFields(r.LS_Name(i).trimmed(), r.LS_Unit(i).trimmed(),
                                                    r.LS_FullScale(i), r.LS_Point(i))});
    }
    if (!ls.isEmpty())
        blocks << Aligned(ls);

    // Station and user entries that hold a name.
    for (const bool stations : {true, false}) {
        QList<QPair<QString, QString>> entries;
        for (int i = 0; i < clsInstrument::kListEntries; ++i) {
            const QString e = stations ? r.StationList(i) : r.UserList(i);
            if (InUse(e))
                entries.append({QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0')), e});
        }
        if (entries.isEmpty())
            continue;
        blocks << LoadMessage(stations ? kMsgStationList : kMsgUserList) + QLatin1Char('\n') +
                      Aligned(entries, QStringLiteral("  "));
    }

    if (!analogLines.isEmpty())
        blocks << analogLines.join(QLatin1Char('\n'));
    return blocks.join(QStringLiteral("\n\n"));
}

QString ClockSummary(const clsInstrument& r, const QDateTime& now) {
    const double offset = r.SysDateOffset();
    const qint64 offsetMs = std::isfinite(offset) ? qint64(std::llround(offset * 86400000.0)) : 0;
    const QString format = QStringLiteral("yyyy/MM/dd HH:mm:ss");
    return Aligned(
        {{LoadMessage(kMsgPcDateTime), now.toString(format)},
         {LoadMessage(kMsgDetectorDateTime), now.addMSecs(-offsetMs).toString(format)},
         {LoadMessage(kMsgClockDifference), QString::number(-std::llround(offsetMs / 1000.0))}});
}

QString HistorySummary(const clsInstrument& r) {
    QStringList blocks;
    for (int ch = 0; ch < 5; ++ch) {
        if (!r.GasEnabled(ch))
            continue;
        blocks << ChannelTitle(r, ch) + QLatin1Char('\n') + ChannelHistory(r, ch);
    }
    return blocks.join(QStringLiteral("\n"));
}

QString ReadingsHeader(const clsInstrument& r) {
    QStringList heads;
    for (int ch = 0; ch < 5; ++ch)
        heads << (r.GasEnabled(ch) ? modGasCommon::FormatGasLabel(r, ch, false) : kNone)
                     .rightJustified(12, QLatin1Char(' '));
    return heads.join(QLatin1Char(' '));
}

QString ReadingsLine(const clsInstrument& r, const std::array<float, 5>& values) {
    QStringList cells;
    for (int ch = 0; ch < 5; ++ch)
        cells << Value(r, ch, values[size_t(ch)]).rightJustified(12, QLatin1Char(' '));
    return cells.join(QLatin1Char(' '));
}

QString CalibrationLine(const clsInstrument& r, int ch, bool ok) {
    const QString name = r.GasName(ch).trimmed();
    return ok ? name + QStringLiteral("  ") + LoadMessage(kMsgAdjustmentComplete)
              : name + QStringLiteral("  Failed");
}

} // namespace cli
