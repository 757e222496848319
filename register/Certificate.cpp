#include "register/Certificate.h"

#include "ProgramInfo.h"
#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "register/RegisterStore.h"
#include "register/RegisterText.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

namespace InstrumentRegister {

namespace {

constexpr double kCertificateFontPoints = 10.0;

QString Esc(const QString& text) {
    return text.toHtmlEscaped();
}

QString Number(double value, int decimals) {
    return QString::number(value, 'f', qBound(0, decimals, 3));
}

QString Row(const QString& label, const QString& value) {
    return QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>").arg(Esc(label), Esc(value));
}

} // namespace

bool FindCalibrationRun(Store& store, const QString& serialNo, qint64 runId, Event* run,
                        DetectorSummary* summary, QString* error) {
    bool found = false;
    if (!store.Detector(serialNo, summary, &found, error))
        return false;
    if (!found) {
        *error = LoadMessage(kMsgRegisterUnknownDetector, {serialNo});
        return false;
    }
    if (runId > 0) {
        if (!store.FindEvent(runId, run, &found, error))
            return false;
        if (!found || run->serialNo != serialNo || run->kind != EventKind::Span) {
            *error = LoadMessage(kMsgRegisterNoSuchRun, {runId, serialNo});
            return false;
        }
        return true;
    }
    QList<Event> events;
    if (!store.Events(serialNo, &events, error))
        return false;
    for (auto it = events.crbegin(); it != events.crend(); ++it) {
        if (it->kind == EventKind::Span) {
            *run = *it;
            return true;
        }
    }
    *error = LoadMessage(kMsgRegisterNoRuns, {serialNo});
    return false;
}

QDateTime NextDue(const Event& run, const DetectorSummary& summary) {
    if (!summary.limits.known || !summary.limits.calibrationOn ||
        summary.limits.calibrationDays <= 0)
        return {};
    return run.pcTime.addDays(summary.limits.calibrationDays);
}

QString CertificateHtml(const Event& run, const DetectorSummary& summary) {
    QString html;
    html +=
        QStringLiteral("<h2 align=\"center\">%1</h2>").arg(Esc(LoadMessage(kMsgCertificateTitle)));
    html += QStringLiteral("<table cellpadding=\"3\">");
    html += Row(LoadMessage(kMsgCertificateProgram),
                LoadMessage(kMsgCertificateProgramName, {QString::fromLatin1(kProgramVersion)}));
    html += Row(LoadMessage(kMsgCertificateModel), QString::fromLatin1(kDetectorModel));
    html += Row(LoadMessage(kMsgRegisterColSerial), run.serialNo);
    html += Row(LoadMessage(kMsgRegisterColStation), run.station);
    html += Row(LoadMessage(kMsgRegisterColUser), run.user);
    html += Row(LoadMessage(kMsgCertificateDate), DateText(run.pcTime));
    html += Row(LoadMessage(kMsgCertificateRun), QString::number(run.id));
    html += QStringLiteral("</table><br/>");

    html +=
        QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\" width=\"100%\">");
    html += QStringLiteral("<tr>");
    for (int id : {kMsgCertificateChannel, kMsgCertificateGas, kMsgCertificateRange,
                   kMsgCertificateSpan, kMsgCertificateResult, kMsgCertificateBefore,
                   kMsgCertificateAfter, kMsgCertificateReading})
        html += QStringLiteral("<th>%1</th>").arg(Esc(LoadMessage(id)));
    html += QStringLiteral("</tr>");
    for (const ChannelEntry& c : run.channels) {
        if (!c.calibrated)
            continue;
        const QString range = Number(c.fullScale, c.decimals) + QLatin1Char(' ') + c.unit;
        const QString span = c.spanConcentration < 0 ? QStringLiteral("-")
                                                     : Number(c.spanConcentration, c.decimals) +
                                                           QLatin1Char(' ') + c.unit;
        html += QStringLiteral("<tr>");
        for (const QString& cell :
             {QString::number(c.channel), c.gas, range, span,
              LoadMessage(c.ok ? kMsgCertificatePassed : kMsgCertificateFailed),
              Number(c.calibrationBefore, c.decimals), Number(c.calibrationAfter, c.decimals),
              c.readingKnown ? Number(c.reading, c.decimals) : QStringLiteral("-")})
            html += QStringLiteral("<td align=\"center\">%1</td>").arg(Esc(cell));
        html += QStringLiteral("</tr>");
    }
    html += QStringLiteral("</table><br/>");

    const QDateTime due = NextDue(run, summary);
    html += QStringLiteral("<p><b>%1</b> %2</p>")
                .arg(Esc(LoadMessage(kMsgCertificateNextDue)),
                     Esc(due.isValid() ? DayText(due) : LoadMessage(kMsgCertificateNoDue)));
    html +=
        QStringLiteral("<br/><br/><br/><p>%1 ______________________________ &nbsp;&nbsp; "
                       "%2 ______________</p>")
            .arg(Esc(LoadMessage(kMsgCertificateSignature)), Esc(LoadMessage(kMsgCertificateDate)));
    return html;
}

bool WriteCertificate(const QString& path, const Event& run, const DetectorSummary& summary,
                      QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = LoadMessage(kMsgRegisterFileFailed, {path, file.errorString()});
        return false;
    }
    {
        QPdfWriter pdf(&file);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
        pdf.setTitle(LoadMessage(kMsgCertificateTitle));
        pdf.setCreator(
            LoadMessage(kMsgCertificateProgramName, {QString::fromLatin1(kProgramVersion)}));
        // Laid out on the PDF itself, one page wide, so that the point sizes
        // of the fonts are those of the page.
        QTextDocument doc;
        doc.documentLayout()->setPaintDevice(&pdf);
        QFont font = doc.defaultFont();
        font.setPointSizeF(kCertificateFontPoints);
        doc.setDefaultFont(font);
        doc.setHtml(CertificateHtml(run, summary));
        const QRect page = pdf.pageLayout().paintRectPixels(pdf.resolution());
        doc.setPageSize(QSizeF(page.width(), page.height()));
        QPainter painter(&pdf);
        doc.drawContents(&painter);
    }
    if (!file.commit()) {
        *error = LoadMessage(kMsgRegisterFileFailed, {path, file.errorString()});
        return false;
    }
    return true;
}

} // namespace InstrumentRegister
