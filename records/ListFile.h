// The station and user list files ("Station.csv", "User.csv"): one line per
// list entry, "<number>,<identifier>", 128 lines, CR LF. The window's export
// and import buttons and the tool's "stations" and "users" commands read and
// write them here, and check the identifiers with the same rules.
//
// Reading takes line n of the file (from 0) as entry n, whatever number its
// first field holds. Each line is split at "," and TAB; the identifier is the
// second field, and any further fields are joined to it with "," (so a comma
// in an identifier survives, and marks it invalid). Blanks are kept as they
// are. A file is refused as a whole, with a message and nothing taken from
// it, when it cannot be read, is larger than 1 MiB, holds a NUL byte, is not
// UTF-8 text, has a line longer than 1024 characters or more than 128 lines
// (empty lines at its end do not count).
//
// Writing goes through a temporary file that is renamed into place, so a
// failed export never leaves half a file.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace ListFile {

enum class List { Station, User };

constexpr int kEntries = 128;                 // entries of a list, lines of a file
constexpr int kIdentifierLength = 16;         // longest identifier
constexpr qint64 kMaxFileBytes = 1024 * 1024; // larger files are refused
constexpr int kMaxLineLength = 1024;          // longer lines are refused

// "Station.csv" or "User.csv": the name the save dialog proposes.
QString DefaultFileName(List list);
// The list's name in the user's words ("Station List", "User List").
QString ListName(List list);

// --- Identifiers ---------------------------------------------------------------------

// The detector's rule: at most 16 characters, each a blank, "-", "/", ">",
// "<", a digit or an upper-case letter (an empty identifier is valid).
bool IsIdentifierValid(const QString& identifier);
// Whether the identifier can travel in a list write at all, even against the
// rule above: at most 16 characters of printable ASCII without a comma.
bool IsIdentifierSendable(const QString& identifier);
// Blanks in front of the first other character (the whole length for a text
// of blanks only, 0 for an empty text).
int LeadingBlanks(const QString& identifier);
// The identifier a line of a list file carries (see the top of this file).
QString IdentifierOfLine(const QString& line);
// The line of entry `index` (0..127): "<index + 1>,<identifier>", no line end.
QString LineOf(int index, const QString& identifier);
// The indexes of the identifiers that break the rule, ascending.
QList<int> InvalidEntries(const QStringList& identifiers);

// --- Files ---------------------------------------------------------------------------

struct ReadResult {
    bool ok = false;
    // Why the file was refused, in the user's words (when !ok).
    QString error;
    // The identifier of every line read, in file order (at most 128).
    QStringList identifiers;
};

// Reads a list file; a refused file gives !ok and no identifiers.
ReadResult Read(const QString& path);

// Writes the 128 entries (missing ones as empty identifiers, further ones
// ignored). False with the reason in *error when the file could not be
// written; an existing file is then left as it was.
bool Write(const QString& path, const QStringList& identifiers, QString* error);

} // namespace ListFile
