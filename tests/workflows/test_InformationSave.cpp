// "Information Get && Save": a suffix a file name cannot carry sends
// nothing; a read appends one "Read" line under one header; a history that
// cannot be written is a failure although the read succeeded.
#include "WorkflowRig.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "records/SettingsHistory.h"
#include "workflows/InformationSave.h"

#include <QDir>
#include <QFile>

using workflowtest::Rig;

namespace {

QStringList FileLines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(f.readAll());
    text.remove(QChar(0xFEFF));
    return text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

} // namespace

TEST(InformationSave, ASuffixAFileNameCannotCarrySendsNothing) {
    for (const char* suffix : {"a/b", "x\\y", "c:d", "p|q", "<", ">", "*", "?"}) {
        SCOPED_TRACE(suffix);
        Rig rig;
        ASSERT_TRUE(rig.connect());
        rig.sim.clearReceivedCommands();
        clsInstrument record;
        InformationSave::Options options;
        options.Folder = rig.dir.path();
        options.Suffix = QString::fromLatin1(suffix);
        QStringList lines;
        workflows::Report report;
        report.line = [&lines](const QString& t, workflows::Tone) { lines << t; };
        const InformationSave::Result r = InformationSave::Run(rig.link, record, options, report);
        EXPECT_EQ(r.outcome, InformationSave::Outcome::Refused);
        EXPECT_TRUE(rig.sim.receivedCommands().isEmpty());
        EXPECT_TRUE(lines.isEmpty());
        EXPECT_TRUE(QDir(rig.dir.path()).entryList({QStringLiteral("*.csv")}).isEmpty());
    }
}

TEST(InformationSave, TwoReadsTwoLinesUnderOneHeader) {
    Rig rig;
    ASSERT_TRUE(rig.connect());
    clsInstrument record;
    InformationSave::Options options;
    options.Folder = rig.dir.path();
    options.Suffix = QStringLiteral("_site");
    const QString path = rig.dir.file(QStringLiteral("TQ7350_Setting_site.csv"));
    for (int read = 1; read <= 2; ++read) {
        const InformationSave::Result r = InformationSave::Run(rig.link, record, options, {});
        ASSERT_TRUE(r.Success());
        EXPECT_TRUE(r.download.Success());
        EXPECT_EQ(r.HistoryPath, path);
        const QStringList lines = FileLines(path);
        ASSERT_EQ(lines.size(), 1 + read);
        EXPECT_EQ(lines.first(), CsvLine(HistoryHeaderFields()));
        // Each line: the action, then the fields of the record as read.
        for (int i = 1; i < lines.size(); ++i) {
            EXPECT_TRUE(lines.at(i).startsWith(QStringLiteral("Read,")))
                << lines.at(i).toStdString();
            EXPECT_TRUE(lines.at(i).contains(QLatin1Char(',') + record.SerialNo().trimmed()))
                << lines.at(i).toStdString();
        }
    }
    EXPECT_TRUE(record.CommFlags());
}

TEST(InformationSave, AHistoryThatCannotBeWrittenIsAFailure) {
    Rig rig;
    ASSERT_TRUE(rig.connect());
    clsInstrument record;
    InformationSave::Options options;
    options.Folder = rig.dir.file(QStringLiteral("no-such-folder"));
    options.Suffix = QStringLiteral("_x");
    QStringList red;
    workflows::Report report;
    report.line = [&red](const QString& t, workflows::Tone tone) {
        if (tone == workflows::Tone::Failure)
            red << t;
    };
    const InformationSave::Result r = InformationSave::Run(rig.link, record, options, report);
    EXPECT_TRUE(r.download.Success());
    EXPECT_EQ(r.outcome, InformationSave::Outcome::Failed);
    EXPECT_TRUE(r.HistoryPath.isEmpty());
    ASSERT_EQ(red.size(), 1);
    EXPECT_TRUE(red.first().startsWith(
        LoadMessage(kMsgHistoryNotWritten, {QString(), QString()}).section(QLatin1Char(' '), 0, 2)))
        << red.first().toStdString();
}
