#include "sim/SimOptions.h"

#include "ProgramInfo.h"

#include <QCommandLineParser>

namespace {

QCommandLineOption Flag(const char* name, const char* help) {
    return QCommandLineOption(QLatin1String(name), QLatin1String(help));
}

QCommandLineOption Valued(const char* name, const char* help, const char* value) {
    return QCommandLineOption(QLatin1String(name), QLatin1String(help), QLatin1String(value));
}

// Every option but --help; docs/emulator.md lists the same ones.
QList<QCommandLineOption> Options() {
    return {
        Flag("pty", "Serve on a new pseudo-terminal; its path is printed on stdout."),
        Valued("link", "With --pty: also make a symbolic link PATH to the pseudo-terminal.",
               "PATH"),
        Valued("tcp", "Serve on 127.0.0.1:PORT (0 picks a free port; printed on stdout).", "PORT"),
        Valued("state", "Load the detector state from FILE and save committed changes to it.",
               "FILE"),
        QCommandLineOption({QStringLiteral("v"), QStringLiteral("verbose")},
                           QStringLiteral("Log every frame seen and sent to stderr.")),
        Valued("baud", "Pace the line at N baud.", "N"),
        Valued("delay", "Delay every answer by MS milliseconds.", "MS"),
        Valued("drop-every", "Drop every Nth answer.", "N"),
        Valued("bare-cr-every", "Replace every Nth answer by a lone CR.", "N"),
        Valued("truncate-every", "Cut every Nth answer in half.", "N"),
        Valued("garble-every", "Corrupt the answer code of every Nth answer.", "N"),
        Valued("wrong-model", "Answer \"RC,R,\" with NAME.", "NAME"),
        Valued("refuse", "Refuse the command CODES (comma separated, repeatable).", "CODES"),
        Valued("drop-line-after", "Take the line down after N commands.", "N"),
        Flag("never-commit", "Never acknowledge \"DW,C,\" or another confirm."),
        Flag("silent", "Never answer."),
        Valued("calib-fail", "Channels (bit mask 0..31) that fail zero and span.", "MASK"),
        Valued("commit-polls", "Confirm polls answered without ACK (default 2).", "N"),
        Valued("zero-polls", "\"SZ,C,\" polls without result (default 2).", "N"),
        Valued("seed", "Seed of the reading noise (default 7350).", "N"),
        Valued("restart-after",
               "After a power-off, come back after MS milliseconds (default 5000; 0 = never).",
               "MS"),
        Valued("write-check-image",
               "Write the reference image of the check pattern to PATH and exit.", "PATH"),
        Flag("print-defaults", "Print the default state as JSON and exit."),
        Flag("version", "Print the program's name and version and exit."),
    };
}

ParsedSimOptions Failure(const QString& error, int exitCode) {
    ParsedSimOptions r;
    r.error = error;
    r.exitCode = exitCode;
    return r;
}

} // namespace

ParsedSimOptions ParseSimOptions(const QStringList& args) {
    QCommandLineParser p;
    p.setApplicationDescription(
        QStringLiteral("Emulated TQ-7350 gas detector for the setup program."));
    const QCommandLineOption help = p.addHelpOption();
    p.addOptions(Options());
    if (!p.parse(args))
        return Failure(p.errorText(), kSimExitFailure);

    SimOptions o;
    auto is = [&p](const char* name) { return p.isSet(QLatin1String(name)); };
    auto value = [&p](const char* name) { return p.value(QLatin1String(name)); };
    // The actions that end the program at once take no other option into account.
    if (p.isSet(help) || is("help-all")) {
        o.action = SimOptions::Action::Help;
        o.helpText = p.helpText();
        return {o, {}, kSimExitOk};
    }
    if (is("version")) {
        o.action = SimOptions::Action::Version;
        o.versionText = QStringLiteral("tq7350-sim ") + QLatin1String(kProgramVersion);
        return {o, {}, kSimExitOk};
    }
    if (is("write-check-image")) {
        o.action = SimOptions::Action::WriteCheckImage;
        o.checkImagePath = value("write-check-image");
        return {o, {}, kSimExitOk};
    }
    if (is("print-defaults")) {
        o.action = SimOptions::Action::PrintDefaults;
        return {o, {}, kSimExitOk};
    }

    o.pty = is("pty");
    if (o.pty == is("tcp"))
        return Failure(QStringLiteral("give exactly one of --pty and --tcp PORT"),
                       kSimExitBadValue);

    struct Whole {
        const char* name;
        int lo, hi;
        int* out;
    };
    SimFaults& f = o.faults;
    const Whole wholes[] = {
        {"baud", 0, 10000000, &f.baud},
        {"delay", 0, 3600000, &f.delayMs},
        {"drop-every", 0, 1000000, &f.dropEveryN},
        {"bare-cr-every", 0, 1000000, &f.bareCrEveryN},
        {"truncate-every", 0, 1000000, &f.truncateEveryN},
        {"garble-every", 0, 1000000, &f.garbleEveryN},
        {"drop-line-after", 0, 100000000, &f.dropLineAfterN},
        {"calib-fail", 0, 31, &f.calibFailMask},
        {"commit-polls", 0, 1000, &o.commitPolls},
        {"zero-polls", 0, 1000, &o.zeroPolls},
        {"seed", 0, 2147483647, &o.seed},
        {"restart-after", 0, 3600000, &o.restartAfterMs},
        {"tcp", 0, 65535, &o.tcpPort},
    };
    for (const Whole& w : wholes) {
        if (!is(w.name))
            continue;
        bool ok = false;
        const int v = value(w.name).toInt(&ok);
        if (!ok || v < w.lo || v > w.hi)
            return Failure(QStringLiteral("--%1 needs a whole number from %2 to %3")
                               .arg(QLatin1String(w.name))
                               .arg(w.lo)
                               .arg(w.hi),
                           kSimExitBadValue);
        *w.out = v;
    }
    f.wrongModel = value("wrong-model");
    for (const QString& v : p.values(QStringLiteral("refuse")))
        for (const QString& c : v.split(QLatin1Char(','), Qt::SkipEmptyParts))
            f.refuseCodes.append(c.trimmed().toUpper());
    f.neverCommit = is("never-commit");
    f.silent = is("silent");
    o.linkPath = value("link");
    if (is("link") && o.linkPath.isEmpty())
        return Failure(QStringLiteral("--link needs a path"), kSimExitBadValue);
    o.statePath = value("state");
    o.verbose = is("verbose");
    return {o, {}, kSimExitOk};
}
