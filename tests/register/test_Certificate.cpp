// The calibration certificate as a reader of the PDF sees it: the text
// extracted with pdftotext holds the serial number, every calibrated
// channel with its result and the next due date.
#include "common/TestSupport.h"

#include "register/Certificate.h"
#include "register/RegisterText.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace InstrumentRegister;

namespace {

Event SpanRun() {
    Event e;
    e.id = 42;
    e.serialNo = QStringLiteral("TQ-CERT-0001");
    e.kind = EventKind::Span;
    e.pcTime = QDateTime(QDate(2026, 4, 10), QTime(9, 30), Qt::UTC);
    e.station = QStringLiteral("NORTH GATE");
    e.user = QStringLiteral("ANNA");
    const char* gases[] = {"CH4", "O2", "CO", "H2S", "CO2"};
    for (int ch = 0; ch < kChannels; ++ch) {
        ChannelEntry c;
        c.channel = ch;
        c.enabled = true;
        c.gas = QString::fromLatin1(gases[ch]);
        c.unit = ch == 0 ? QStringLiteral("%LEL") : QStringLiteral("ppm");
        c.fullScale = 100;
        c.decimals = ch == 3 ? 1 : 0;
        c.calibrated = ch != 1; // the oxygen channel took no part
        c.ok = ch != 2;         // the CO channel failed
        c.spanConcentration = 50;
        c.calibrationBefore = 44;
        c.calibrationAfter = 50;
        c.readingKnown = true;
        c.reading = 49;
        e.channels << c;
    }
    return e;
}

QString PdfText(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

TEST(Certificate, TheTextHoldsSerialEveryChannelsResultAndTheDueDate) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed: the certificate's text "
                        "cannot be checked";
    testsupport::ScratchDir dir;
    const QString path = dir.file(QStringLiteral("certificate.pdf"));
    DetectorSummary summary;
    summary.limits = {true, true, 90, false, 0};
    QString error;
    ASSERT_TRUE(WriteCertificate(path, SpanRun(), summary, &error)) << error.toStdString();
    EXPECT_TRUE(testsupport::ReadAll(path).startsWith("%PDF-"));

    const QString text = PdfText(path);
    ASSERT_FALSE(text.isEmpty());
    EXPECT_TRUE(text.contains(QStringLiteral("TQ-CERT-0001"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("NORTH GATE")));
    // One row per calibrated channel, with its own result.
    const QStringList lines = text.split(QLatin1Char('\n'));
    auto rowOf = [&lines](const QString& gas) {
        for (const QString& line : lines)
            if (line.contains(QLatin1Char(' ') + gas + QLatin1Char(' ')))
                return line;
        return QString();
    };
    EXPECT_TRUE(rowOf(QStringLiteral("CH4")).contains(QStringLiteral("Passed")))
        << text.toStdString();
    EXPECT_TRUE(rowOf(QStringLiteral("CO")).contains(QStringLiteral("Failed")))
        << text.toStdString();
    EXPECT_TRUE(rowOf(QStringLiteral("H2S")).contains(QStringLiteral("Passed")));
    EXPECT_TRUE(rowOf(QStringLiteral("H2S")).contains(QStringLiteral("49.0")));
    EXPECT_TRUE(rowOf(QStringLiteral("CO2")).contains(QStringLiteral("Passed")));
    EXPECT_TRUE(rowOf(QStringLiteral("O2")).isEmpty()) << "a channel that took no part";
    // 90 days after the run.
    EXPECT_TRUE(text.contains(DayText(SpanRun().pcTime.addDays(90)))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Signature")));
}

TEST(Certificate, WithTheLimitOffThereIsNoDueDate) {
    DetectorSummary summary;
    summary.limits = {true, false, 90, false, 0};
    EXPECT_FALSE(NextDue(SpanRun(), summary).isValid());
    summary.limits.calibrationOn = true;
    EXPECT_EQ(NextDue(SpanRun(), summary), SpanRun().pcTime.addDays(90));
    EXPECT_FALSE(CertificateHtml(SpanRun(), DetectorSummary())
                     .contains(DayText(SpanRun().pcTime.addDays(90))));
}
