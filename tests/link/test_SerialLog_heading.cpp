// The serial log's heading: the program and its version before the first
// entry of a run, once per log folder.
#include "link/SerialLog.h"
#include "link/uclTqif.h"

#include "common/TestSupport.h"

#include "ProgramInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using testsupport::ReadAll;

TEST(SerialLogHeading, WrittenOnceBeforeTheFirstEntryOfEachFolder) {
    testsupport::ScratchDir dir;
    const QString first = dir.file(QStringLiteral("first"));
    const QString second = dir.file(QStringLiteral("second"));
    ASSERT_TRUE(QDir().mkpath(second));
    SerialLog log(first); // the folder does not exist yet
    log.setTimeSource([] { return QDateTime(QDate(2026, 12, 5), QTime(7, 8, 9)); });
    log.setHeading(QStringLiteral("tq7350ctl 9.8.7"));

    // Nothing written, no file: a run that never used the link leaves no log.
    EXPECT_FALSE(QFile::exists(log.filePath()));
    // An entry that was lost does not count as the heading.
    EXPECT_FALSE(log.write(QStringLiteral("lost")));
    ASSERT_TRUE(QDir().mkpath(first));
    ASSERT_TRUE(log.write(QStringLiteral("one")));
    ASSERT_TRUE(log.write(QStringLiteral("two")));
    EXPECT_EQ(ReadAll(log.filePath()),
              QByteArray("07:08:09 tq7350ctl 9.8.7\r\n07:08:09 one\r\n07:08:09 two\r\n"));

    // Another folder is another log: the heading comes again there.
    log.setFolder(second);
    ASSERT_TRUE(log.write(QStringLiteral("three")));
    EXPECT_EQ(ReadAll(log.filePath()),
              QByteArray("07:08:09 tq7350ctl 9.8.7\r\n07:08:09 three\r\n"));
}

TEST(SerialLogHeading, TheLinkNamesTheProgramAndItsVersion) {
    testsupport::ScratchDir dir;
    uclTqif link;
    link.setLogFolder(dir.path());
    EXPECT_EQ(link.serialLog().heading(), QCoreApplication::applicationName() + QLatin1Char(' ') +
                                              QLatin1String(kProgramVersion));
    link.AddLog(QStringLiteral("entry"));
    const QByteArray text = ReadAll(link.serialLog().filePath());
    // "hh:mm:ss " and the heading, then the entry.
    const QByteArray heading =
        QCoreApplication::applicationName().toUtf8() + ' ' + kProgramVersion + "\r\n";
    EXPECT_EQ(text.mid(9, heading.size()), heading) << text.toStdString();
    EXPECT_TRUE(text.endsWith(" entry\r\n")) << text.toStdString();
}
