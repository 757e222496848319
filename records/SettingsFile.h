// The settings file (".seq"): one complete settings record stored as the
// detector's own write commands, one per line ("A1,W,   10,   50,...").
// "Store local file" writes it, "Load local file" reads it back.
//
// Writing: the lines are written in a fixed order with CR LF line ends, to a
// temporary file that is renamed into place, so an earlier file survives a
// failed write. A record whose texts cannot be held by the format (a "," or
// ";" in a name, unit, password or Spec No. would split or cut the line)
// is refused with a reason instead of producing a file that reads back
// differently; the lines are also read back once before anything is written.
//
// Reading: every line is split at "," with ";" starting a comment; the first
// token names the command, the second must be "W", the data follow. Blank
// lines and comment lines are skipped; a line whose code is not one of the
// file's is skipped too (stored files may carry such lines) but reported as
// a warning with its number. The reader is strict about everything else,
// because what it accepts goes to a safety device:
// - the file must be text (UTF-8 without NUL bytes) and hold at least one
//   settings line;
// - a value must be a number in its field's form; only the channel points
//   may instead be "*****" (not set). A word, a sign where none belongs, a
//   hexadecimal digit in a decimal field are errors, never "not set";
// - an alarm point or span gas value of an enabled channel must not lie
//   above the channel's full scale (OptionRules::WithinFullScale);
// - every value must survive its own encoding: a number wider than its
//   field (the detector would get its last digits), a text longer than its
//   field or holding a character the detector does not take (anything but
//   printable ASCII without commas) is an error.
// An error names the file, the line, the field and the text. The file is
// read into a copy of the caller's record and only a file that reads
// completely is copied back: a bad line changes nothing. The input is
// bounded (file size, line length); nothing in a file can make the reader
// fail other than with a reason.
//
// After a successful load the caller (window or command-line tool) does what
// an import means for the program: SetChangeFlags(true, false) so that
// everything loaded will be written, setImportFlag(true), hands the record to
// the link with status 6, forces the configuration's locked channels to
// enabled and refreshes its display. The reader does none of this itself.
//
// Forms on the line that the format leaves open, as settled here:
// - "LS": the first entry's index is LSindex + 1; the second entry's index is
//   that number + 15 (the detector pairs library entries k and k + 15), or
//   "00" when the second entry holds no name, as the detector marks an unused
//   entry. Only the first index is read back (LSindex = index - 1).
// - "UZ": the five zero-follower flags are written as one five-character
//   token, as the detector's write command has it; the reader accepts that
//   token as well as five separate tokens.
// - "XB", "XL", "XA" are read as hexadecimal, so they are written in
//   hexadecimal too (for the values 0 to 9 the text is the same as decimal);
//   a larger value therefore reads back unchanged.
// - "HF" is written with two hexadecimal digits and "CP" with four, as long
//   as the value fits; a value that does not fit keeps all its digits (16 or
//   32-bit two's complement) rather than losing its upper part.
// - A number in a point line ("A1", "A2", "AS", "AW", "SA") or the "GJ" line
//   keeps only the channel's decimals (at most three): this shortening is
//   the only difference between a stored and a loaded record.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class clsInstrument;

namespace SettingsFile {

// Limits of the input accepted by the reader.
constexpr qint64 kMaxFileBytes = 1024 * 1024; // 1 MiB
constexpr int kMaxLineLength = 1024;          // characters, line end excluded

// Why a settings file could not be read or written.
enum class FileError {
    None,
    OpenFailed,      // the file could not be opened (detail: the system's reason)
    TooLarge,        // the file is larger than kMaxFileBytes
    LineTooLong,     // a line is longer than kMaxLineLength
    NotWriteCommand, // the second field of a known command is not "W"
    MissingValue,    // a known command lacks one of its values
    BadNumber,       // a value is not a decimal integer or is out of range
    BadHex,          // a value is not a hexadecimal number or is out of range
    BadGasGroup,     // a "GJ" group is not a 25-character channel descriptor
    UnstorableText,  // (writing) a text holds a character the format cannot carry
    WriteFailed,     // (writing) the file could not be written or renamed
    NotText,         // the file holds NUL bytes or is not valid UTF-8
    NoSettings,      // the file holds no settings line
    DoesNotFit,      // a value does not survive its field's encoding
    BadText,         // a text holds a character the detector does not take
    AboveFullScale,  // a channel value lies above the channel's full scale
};

// A line the reader skipped because its code is not one of the file's.
struct FileWarning {
    int line = 0;
    QString reason;
};

// The outcome of reading or writing a settings file. On failure `line` is
// the 1-based number of the offending line (0 when the failure concerns the
// whole file) and `reason` a plain English sentence; Describe() gives
// "file:line: reason" ("file: reason" without a line) for diagnostics.
struct FileResult {
    bool ok = false;
    FileError error = FileError::None;
    QString fileName;
    int line = 0;
    QString reason;
    // Lines skipped with a warning (also on success).
    QList<FileWarning> warnings;

    QString Describe() const;
    // "file:line: reason" for each warning.
    QStringList DescribeWarnings() const;
};

// The lines of the settings file for the record, in order, without line ends.
QStringList SettingsFileLines(const clsInstrument& record);

// Empty when every text written from the record can be held by the format;
// otherwise names the first one that cannot (a ",", ";", CR or LF inside).
QString FindUnstorableText(const clsInstrument& record);

// Writes the settings file (CR LF line ends, UTF-8) atomically.
FileResult StoreSettingsFile(const QString& path, const clsInstrument& record);

// Reads a settings file into `record`. On failure `record` is unchanged.
FileResult LoadSettingsFile(const QString& path, clsInstrument& record);

// Reads settings text (LF or CR LF line ends, UTF-8, an optional byte-order
// mark) into `record`; `fileName` only labels the result. On failure
// `record` is unchanged.
FileResult ParseSettingsText(const QByteArray& content, const QString& fileName,
                             clsInstrument& record);

} // namespace SettingsFile
