#include "link/Dumps.h"

#include "app/Catalogue.h"
#include "app/Maker.h"
#include "app/MessageIds.h"
#include "link/CommandSet.h"
#include "link/LinkClock.h"
#include "link/uclTqif.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace {

constexpr int kRowBytes = 16;
constexpr int kListingWidth = 74;
// Most bytes one dump list block may carry (the detector sends 128).
constexpr int kMaxListBlockBytes = 4096;
const char* const kCrLf = "\r\n";

QString HexDigits(quint32 value, int width) {
    return QString::number(value, 16).toUpper().rightJustified(width, QLatin1Char('0'));
}

QString Elapsed(qint64 ms) {
    const qint64 s = qMax<qint64>(0, ms / 1000);
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600, 2, 10, QLatin1Char('0'))
        .arg((s / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

bool IsHexText(const QString& text) {
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (!((u >= '0' && u <= '9') || (u >= 'A' && u <= 'F') || (u >= 'a' && u <= 'f')))
            return false;
    }
    return !text.isEmpty();
}

} // namespace

// --- Listing format ------------------------------------------------------------

namespace DumpListing {

QString TitleLine() {
    return QStringLiteral(
        "Adrs   +0 +1 +2 +3 +4 +5 +6 +7  +8 +9 +A +B +C +D +E +F   List Of ASCII   ");
}

QString SeparatorLine() {
    return QString(kListingWidth, QLatin1Char('-'));
}

QString Row(quint32 address, const QByteArray& bytes) {
    QString hex;
    QString ascii;
    for (int i = 0; i < kRowBytes; ++i) {
        const auto b = static_cast<unsigned char>(i < bytes.size() ? bytes.at(i) : '\xFF');
        if (i == 8)
            hex += QLatin1Char(' ');
        hex += HexDigits(b, 2);
        if (i < kRowBytes - 1)
            hex += QLatin1Char(' ');
        ascii += (b >= 0x20 && b <= 0x7E) ? QChar(QLatin1Char(char(b))) : QChar(QLatin1Char('.'));
    }
    return HexDigits(address & 0xFFFFFF, 6) + QLatin1Char(' ') + hex + QStringLiteral("   ") +
           ascii;
}

} // namespace DumpListing

// --- Dumps -----------------------------------------------------------------------

Dumps::Dumps(uclTqif& link, ResponseContext& ctx) : link_(link), ctx_(ctx) {}

QString Dumps::resolve(const QString& fileName) const {
    if (binDumpPath_.isEmpty() || QFileInfo(fileName).isAbsolute())
        return fileName;
    return QDir(binDumpPath_).filePath(fileName);
}

bool Dumps::prepareImage(const QString& path, int firstBlock, int lastBlock) {
    const QFileInfo info(path);
    const bool renew =
        !info.exists() || (firstBlock == 0 && info.size() / kBlockBytes - 1 == lastBlock);
    if (renew) {
        // A new image in one piece: written beside and renamed into place.
        QSaveFile out(path);
        if (!out.open(QIODevice::WriteOnly))
            return false;
        const QByteArray erased(kBlockBytes, '\xFF');
        for (int b = 0; b < kImageBlocks; ++b) {
            if (out.write(erased) != erased.size())
                return false;
        }
        return out.commit();
    }
    if (info.size() >= kImageBytes)
        return true;
    // A shorter image is brought to full size first, so that no transfer
    // ever leaves a file shorter than the image.
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) || !file.seek(file.size()))
        return false;
    const QByteArray fill(int(kImageBytes - file.size()), '\xFF');
    return file.write(fill) == fill.size();
}

void Dumps::takeBinary(const QByteArray& bytes) {
    if (!image_.isOpen() || received_ >= kBlockBytes)
        return;
    // Bytes beyond the block (there should be none) are not the block's.
    const int n = qMin<int>(int(bytes.size()), kBlockBytes - received_);
    if (!image_.seek(blockPos_ + received_) || image_.write(bytes.constData(), n) != n) {
        link_.setStatus(kStatusFailed);
        return;
    }
    received_ += n;
    if (received_ == kBlockBytes)
        link_.setStatus(kStatusDone);
}

bool Dumps::GetBinDump(const QString& FileName, int FirstBlock, int LastBlock) {
    // Another command is waiting: refused, nothing changed.
    if (link_.IsBusy())
        return false;
    link_.setCancel(false);
    link_.setBinaryRetry(false);
    nextBlock_ = FirstBlock;
    emit link_.DumpMessage(QStringLiteral("Initialize Local Image"));

    const QString path = resolve(FileName);
    if (FirstBlock < 0 || LastBlock >= kImageBlocks || FirstBlock > LastBlock || path.isEmpty() ||
        !prepareImage(path, FirstBlock, LastBlock)) {
        link_.setStatus(kStatusStopped);
        return false;
    }

    emit link_.DumpMessage(QStringLiteral("Get FLASH Image"));
    link_.AddLog(LoadMessage(kMsgDumpListSequenceStarted,
                             {SerialLog::GeneralDate(link_.serialLog().now())}));
    LinkClock* clock = link_.clock();
    auto nowMs = [clock] { return clock ? clock->elapsedMs() : 0; };
    const qint64 startMs = nowMs();

    image_.setFileName(path);
    if (!image_.open(QIODevice::ReadWrite)) {
        link_.setStatus(kStatusStopped);
        return false;
    }
    link_.setBinarySink([this](const QByteArray& bytes) { takeBinary(bytes); });

    int status = 6;
    for (int b = FirstBlock; b <= LastBlock; ++b) {
        blockPos_ = qint64(b) * kBlockBytes;
        received_ = 0;
        // The status goes to 9 before the request leaves, so that no byte of
        // the answer can be taken for a frame.
        link_.setStatus(kStatusBinaryDump);
        link_.DataSend(uclTqif::BuildFrame(QStringLiteral("EP,R,") + CommandSet::Hex4(b)), true);
        const bool waited = link_.waitWhile(
            [this] { return link_.Status() == kStatusBinaryDump && !link_.Cancel(); });
        status = link_.Status();
        emit link_.DumpMessage(QStringLiteral("Get FLASH Image ") + CommandSet::Hex4(b));
        link_.AddLog(LoadMessage(
            kMsgDumpListSequenceFinished,
            {SerialLog::GeneralDate(link_.serialLog().now()), Elapsed(nowMs() - startMs)}));
        if (status == kStatusDone && received_ == kBlockBytes)
            nextBlock_ = b + 1;
        if (!waited || status != kStatusDone || link_.Cancel())
            break;
    }

    link_.setBinarySink(nullptr);
    const bool flushed = image_.flush();
    image_.close();
    const bool ok = status == kStatusDone && flushed && nextBlock_ == LastBlock + 1;
    if (!ok)
        link_.setStatus(kStatusStopped);
    return ok;
}

// --- Dump list -------------------------------------------------------------------

bool Dumps::takeListBlock(const AnswerFrame& answer) {
    if (answer.Code != QLatin1String("EF,R") || answer.Tokens.size() != 2)
        return false;
    const QString address = answer.Tokens.at(0).trimmed();
    const QString data = answer.Tokens.at(1).trimmed();
    if (address.size() != 6 || !IsHexText(address) || data.size() % 2 != 0 ||
        data.size() > 2 * kMaxListBlockBytes || !IsHexText(data))
        return false;
    const quint32 start = address.toUInt(nullptr, 16);
    const QByteArray bytes = QByteArray::fromHex(data.toLatin1());
    if (bytes.isEmpty())
        return false;
    // Refuse a block that would grow the listing beyond its cap.
    int newRows = 0;
    for (quint32 row = start & ~0xFu; row <= ((start + bytes.size() - 1) & ~0xFu); row += 16) {
        if (!rows_.contains(row))
            ++newRows;
    }
    if (rows_.size() + newRows > kMaxListRows)
        return false;

    for (int i = 0; i < bytes.size(); ++i) {
        const quint32 a = start + quint32(i);
        QByteArray& row = rows_[a & ~0xFu];
        if (row.isEmpty())
            row = QByteArray(kRowBytes, '\xFF');
        row[int(a % kRowBytes)] = bytes.at(i);
    }
    const quint32 end = start + quint32(bytes.size()) - 1;
    emit link_.DumpMessage(QStringLiteral("Get Dump ") + HexDigits(start, 6) + QLatin1Char('-') +
                           HexDigits(end & 0xFFFFFF, 6));
    return true;
}

bool Dumps::GetRomDump2(const QString& FileNames) {
    if (link_.IsBusy())
        return false;
    link_.setCancel(false);
    const auto now = [this] { return link_.serialLog().now(); };
    link_.AddLog(LoadMessage(kMsgDumpListSequenceStarted, {SerialLog::GeneralDate(now())}));

    const QString path = resolve(FileNames);
    QSaveFile out(path);
    if (path.isEmpty() || !out.open(QIODevice::WriteOnly)) {
        link_.setStatus(kStatusStopped);
        return false;
    }
    LinkClock* clock = link_.clock();
    auto nowMs = [clock] { return clock ? clock->elapsedMs() : 0; };
    const qint64 startMs = nowMs();

    QStringList lines;
    lines << QStringLiteral(";\tTQ-7350 Data Logger Program")
          << QStringLiteral(";\tFlush ROM Dump (EF) List ") + SerialLog::GeneralDate(now())
          << QStringLiteral(";\t") + MakerCompanyName() << QString();

    rows_.clear();
    ctx_.DumpAnswer = [this](const AnswerFrame& answer) { return takeListBlock(answer); };
    link_.setStatus(kStatusBlockTransfer);
    link_.DataSend(uclTqif::BuildFrame(QStringLiteral("EF,R,")), true);
    const bool waited = link_.waitWhile(
        [this] { return link_.Status() == kStatusBlockTransfer && !link_.Cancel(); });
    const bool complete = waited && link_.Status() == kStatusDone;
    ctx_.DumpAnswer = nullptr;

    lines << DumpListing::TitleLine() << DumpListing::SeparatorLine();
    for (auto it = rows_.cbegin(); it != rows_.cend(); ++it)
        lines << DumpListing::Row(it.key(), it.value());
    rows_.clear();
    lines << QString() << QStringLiteral(";\tTotal Download Time = ") + Elapsed(nowMs() - startMs);

    QByteArray text;
    for (const QString& line : lines)
        text += line.toUtf8() + kCrLf;
    const bool written = out.write(text) == text.size() && out.commit();
    link_.setStatus(kStatusStopped);
    return complete && written;
}
