// The configuration file "TQ7350Config.ini": the program's own settings
// between runs (communication, font, window size, calibration timers, the
// defaults record, the default gas channel table and the alternative gases
// per channel). One setting per line, fields separated by TAB, names and
// units in single quotes, ";" starts a comment.
//
// The file is read and written as UTF-8 (gas names and units may be
// Japanese) with CRLF line endings; reading accepts CRLF, LF and CR, skips a
// leading byte-order mark and decodes a file that is not valid UTF-8 (an
// older file saved in the Windows code page) with the system's local
// encoding. Only the first megabyte is read; the program's own file is a few
// kilobytes.
#pragma once

#include <QString>

struct AppSettings;
class clsInstrument;

inline constexpr const char* kConfigFileName = "TQ7350Config.ini";

// The file's path in `folder`: the folder, one separator ("\" on Windows,
// "/" elsewhere) unless the folder already ends with one, then the file name.
// An empty folder means the current directory.
QString ConfigFilePath(const QString& folder);

// Reads the file in `folder` into `settings` and the defaults record. Keys
// are compared in upper case; unknown keys, comment lines and lines with
// fewer than two fields are skipped; a malformed value takes the key's
// default. Returns false, with every setting untouched, when the file does
// not exist or cannot be opened; true when it was read.
bool LoadConfiguration(AppSettings& settings, clsInstrument& defaults, const QString& folder);

// Writes every setting to the file in `folder`, storing ExecuteCount + 1.
// The new file is written beside the old one and renamed into place, so a
// failed save leaves the previous file as it was. False when the file could
// not be written.
bool SaveConfiguration(const AppSettings& settings, const clsInstrument& defaults,
                       const QString& folder);

// The access code the main window uses when none is set before loading:
// "qzv" when kMsgLanguageCode is "EN", "Wupsa" otherwise.
QString AccessCodeFallback();

// The code-text encoding of the access code in the file. One pass turns each
// character (code a at position i) into two letters from "F" upwards:
// (a + i) mod 16 + 70, then (a + i) div 16 + 70. The file holds the code
// after two passes.
QString EncodeCodeText(const QString& text);
// Undoes one pass. A text that no encoder could have produced (odd length, a
// character below "F", a result that is not a printable character) gives an
// empty text and *ok = false.
QString DecodeCodeText(const QString& text, bool* ok = nullptr);
// Two passes each, as the file stores the access code.
QString EncodeAccessCode(const QString& code);
QString DecodeAccessCode(const QString& stored, bool* ok = nullptr);
