// flash-check: "FLASH Check": clears the logger data and the power log,
// writes the check pattern, downloads the logger memory and compares it with
// the reference image beside the program.
#include "cli/commands/Commands.h"

#include "app/Catalogue.h"
#include "app/DataPaths.h"
#include "app/MessageIds.h"
#include "cli/CliConsole.h"
#include "cli/CliSession.h"
#include "cli/CommandContext.h"
#include "cli/commands/LoggerDownload.h"
#include "link/uclTqif.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QJsonValue>

namespace cli {

namespace {

// Logger memory image and the reference image of the FLASH check.
const char* const kLoggerImageName = "TQ7350.DAT";
const char* const kReferenceImageName = "TQ7350_Check.DAT";

// Reads a whole image of the expected size; empty when it cannot.
QByteArray ReadImage(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() != 524288)
        return QByteArray();
    return file.readAll();
}

} // namespace

int RunFlashCheck(CommandContext& c) {
    CliSession& s = c.session();
    // The reference is checked before the detector's memory is cleared.
    const QString reference = ProgramDataFile(QLatin1String(kReferenceImageName));
    const QByteArray expected = ReadImage(reference);
    if (expected.isEmpty()) {
        c.error(LoadMessage(kMsgReferenceMissing, {reference}));
        return kExitFailed;
    }
    const QString image = QDir(s.startFolder()).filePath(QLatin1String(kLoggerImageName));
    if (const int status = Connect(c, kNoAnswerTrend); status != kExitDone)
        return status;
    uclTqif& link = s.link();
    c.result.insert(QStringLiteral("image"), image);
    c.result.insert(QStringLiteral("reference"), reference);

    // The fixed English texts of the window's failure boxes.
    auto clearBoth = [&]() -> int {
        if (!link.BodyDataClear()) {
            c.error(QStringLiteral("Clear log data failed"));
            return kExitFailed;
        }
        c.line(LoadMessage(kMsgDataRemovalComplete), Console::kGreen);
        if (!link.PowerDataClear()) {
            c.error(QStringLiteral("Clear power log failed"));
            return kExitFailed;
        }
        c.line(LoadMessage(kMsgClearPowerAreaComplete), Console::kGreen);
        return kExitDone;
    };
    if (const int status = clearBoth(); status != kExitDone)
        return s.interrupted() ? Interrupted(c) : status;
    if (!link.SetCheckData()) {
        c.error(QStringLiteral("Write check data failed"));
        return s.interrupted() ? Interrupted(c) : kExitFailed;
    }
    c.line(LoadMessage(kMsgWriteDummyDataComplete), Console::kGreen);
    if (!DownloadLogger(c, s, image))
        return s.interrupted() ? Interrupted(c) : kExitFailed;
    if (const int status = clearBoth(); status != kExitDone)
        return s.interrupted() ? Interrupted(c) : status;

    // 512 blocks of 1024 bytes, byte by byte.
    const QByteArray got = ReadImage(image);
    qint64 difference = got.size() == expected.size() ? -1 : 0;
    for (qint64 i = 0; difference < 0 && i < got.size(); ++i)
        if (got.at(i) != expected.at(i))
            difference = i;
    const bool same = difference < 0;
    const QString verdict = same ? QStringLiteral("OK") : QStringLiteral("NG");
    c.result.insert(QStringLiteral("result"), verdict);
    c.result.insert(QStringLiteral("firstDifference"),
                    same ? QJsonValue() : QJsonValue(double(difference)));
    if (same) {
        c.out(LoadMessage(kMsgFlashCheckResult, {verdict}));
        return kExitDone;
    }
    c.line(LoadMessage(kMsgFlashCheckResult, {verdict}), Console::kRed);
    c.out(LoadMessage(kMsgFlashCheckResult, {verdict}));
    return kExitFailed;
}

} // namespace cli
