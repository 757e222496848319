// Memory dumps: the logger (flash) memory copied block by block into an
// image file of fixed size, and the parameter memory written as a commented
// hexadecimal listing (the dump list).
//
// Flash image ("EP,R," + Hex4 block): the detector answers each request with
// exactly 512 raw bytes, no frame, taken while the status is 9 and written at
// byte offset block × 512 of the image (block 0 at offset 0). The image is
// always 524288 bytes: it is created (filled with 0xFF, erased flash) when it
// is missing, and recreated when a transfer of blocks 0..LastBlock starts over
// an image of exactly LastBlock + 1 blocks; a transfer starting at a later
// block writes into the existing image, so a failed or cancelled transfer
// leaves the blocks received so far and the rest as it was.
//
// A block that does not arrive within the link's time-out sets BinaryRetry
// and Cancel and ends the transfer. The retry belongs to the host: it calls
// GetBinDump again from BinDumpNextBlock() (the first block not stored).
//
// Dump list ("EF,R,"): the detector answers in framed blocks, each with two
// fields: the block's start address (6 hex digits) and its bytes as hex
// pairs. Byte i of a block lands in the row at address (start + i) with its
// low four bits cleared, column (start + i) mod 16; the rows are written in
// address order. With the detector's 128-byte blocks, each block gives 8
// complete rows.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QMap>
#include <QString>

class uclTqif;
struct AnswerFrame;
struct ResponseContext;

// The listing format, shared with the main window's log pane.
namespace DumpListing {

// "Adrs   +0 +1 ... +F   List Of ASCII   " (74 characters).
QString TitleLine();
// 74 "-".
QString SeparatorLine();
// One row: the address as six upper-case hex digits and a space, sixteen
// bytes as hex pairs under +0..+F (an extra space between +7 and +8), three
// spaces, and the bytes as characters (anything outside 0x20..0x7E as ".").
// Missing bytes (fewer than 16 given) are shown as FF.
QString Row(quint32 address, const QByteArray& bytes);

} // namespace DumpListing

class Dumps {
public:
    static constexpr int kBlockBytes = 512;
    static constexpr qint64 kImageBytes = 524288;
    static constexpr int kImageBlocks = int(kImageBytes / kBlockBytes);
    // Most rows a dump list keeps (the detector's parameter memory has 512).
    static constexpr int kMaxListRows = 65536;

    Dumps(uclTqif& link, ResponseContext& ctx);

    // Copies blocks FirstBlock..LastBlock (0..1023) into the image
    // `FileName` (a relative name is taken in BinDumpPath). True when every
    // block arrived.
    bool GetBinDump(const QString& FileName, int FirstBlock, int LastBlock);
    // After GetBinDump: the first block that was not stored (LastBlock + 1
    // after a complete transfer).
    int BinDumpNextBlock() const { return nextBlock_; }

    // Writes the dump list to `FileNames` (a relative name is taken in
    // BinDumpPath). True when the detector's last block arrived; the file is
    // written in any case with what was received.
    bool GetRomDump2(const QString& FileNames);

    QString BinDumpPath() const { return binDumpPath_; }
    void setBinDumpPath(const QString& path) { binDumpPath_ = path; }

private:
    QString resolve(const QString& fileName) const;
    bool prepareImage(const QString& path, int firstBlock, int lastBlock);
    void takeBinary(const QByteArray& bytes);
    bool takeListBlock(const AnswerFrame& answer);

    uclTqif& link_;
    ResponseContext& ctx_;
    QString binDumpPath_;
    int nextBlock_ = 0;

    // Flash image transfer in progress.
    QFile image_;
    qint64 blockPos_ = 0;
    int received_ = 0;

    // Dump list rows received so far: row address -> 16 bytes.
    QMap<quint32, QByteArray> rows_;
};
