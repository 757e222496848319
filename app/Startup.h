// Start-up pieces that need no window: the two switches of the command line
// ("-DEBUG", "-SEIZO") and the program's own options (--demo, --lang, --port,
// --socket, --register, --no-register, --help, --version).
#pragma once

#include "app/AppSettings.h"
#include "app/Catalogue.h"

#include <QString>
#include <QStringList>

// Sets DebugMode to False, then to True if "-DEBUG" occurs anywhere in the
// upper-cased command line; sets FactoryMode to True if "-SEIZO" occurs in it
// (FactoryMode is never reset here). `args` are the arguments after the
// program name; they are joined with blanks and searched as one text, so the
// switches count wherever they appear, also inside other arguments.
void ParseStartupSwitches(const QStringList& args, AppSettings& settings);

// Options of this program beyond the two switches.
struct StartupOptions {
    bool demo = false;  // talk to the built-in emulator instead of a port
    QString language;   // "", "en" or "ja"
    QString port;       // serial device to use instead of adapter discovery
    QString socketHost; // --socket HOST:PORT, split
    quint16 socketPort = 0;
    bool help = false;        // --help / -h: print the usage and end
    bool version = false;     // --version: print the program's name and version and end
    QString registerLocation; // --register PATH|URL: the instrument register
    bool noRegister = false;  // --no-register: record nothing

    bool hasSocket() const { return socketPort != 0; }
    // The socket endpoint as "host:port" (IPv6 hosts in brackets), or empty.
    QString socketEndpoint() const;
};

// Reads the options from `args` (the arguments after the program name).
// Arguments that are not options of this program are left alone: the switches
// above and anything else the command line carries. Both "--opt value" and
// "--opt=value" are understood; a later option of the same name wins. Returns
// false with a one-line reason in `error` for a missing or malformed value, an
// unknown language, or more than one of --demo, --port and --socket.
bool ParseStartupOptions(const QStringList& args, StartupOptions& options, QString* error);

// Splits "host:port" ("[v6addr]:port" for IPv6). The port must be 1..65535.
bool SplitSocketEndpoint(const QString& text, QString& host, quint16& port);

// The language the options ask for; false when they leave it to the platform.
bool StartupLanguage(const StartupOptions& options, CatalogueLanguage& language);

// Usage text printed for --help (the command line is a developer's interface).
QString StartupUsage();

// The options of this run, kept for the main window (transport choice).
StartupOptions& AppStartupOptions();
