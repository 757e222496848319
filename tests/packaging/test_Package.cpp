// The Debian package: built from the present build with CPack into a scratch
// folder, its contents and control fields checked, unpacked into a scratch
// root with dpkg -x and the installed programs run from there.
#include "common/TestSupport.h"

#include "ProgramInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

struct Output {
    bool finished = false;
    int exitCode = -1;
    QString out;
    QString err;
    QString all() const { return out + err; }
};

// Runs `program` in `folder` (empty: here) and waits for it.
Output RunProgram(const QString& program, const QStringList& args,
                  const QString& folder = QString(), int timeoutMs = 120000) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "TQ7350_PORT", "TQ7350_SOCKET"})
        env.remove(QLatin1String(variable));
    env.insert(QStringLiteral("TQ7350_LANG"), QStringLiteral("en"));
    if (!folder.isEmpty()) {
        env.insert(QStringLiteral("TQ7350_DATA_DIR"), folder + QStringLiteral("/data"));
        p.setWorkingDirectory(folder);
    }
    p.setProcessEnvironment(env);
    p.start(program, args);
    Output o;
    if (!p.waitForStarted(10000)) {
        o.err = p.errorString();
        return o;
    }
    o.finished = p.waitForFinished(timeoutMs);
    if (!o.finished)
        p.kill();
    o.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    o.out = QString::fromUtf8(p.readAllStandardOutput());
    o.err = QString::fromUtf8(p.readAllStandardError());
    return o;
}

QString Tool(const char* name) {
    return QStandardPaths::findExecutable(QLatin1String(name));
}

// The unpacked package: its file, the root it was unpacked into.
struct Unpacked {
    QString deb;
    QString root;
    QString Installed(const QString& path) const { return root + path; }
};

QString AppFile(const char* pattern) {
    return QString::fromLatin1(pattern).arg(QLatin1String(kProgramAppId));
}

void CheckContents(const Unpacked& p) {
    const Output listing = RunProgram(QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), p.deb});
    ASSERT_EQ(listing.exitCode, 0) << listing.all().toStdString();
    const QStringList expected = {
        QStringLiteral("./usr/bin/tq7350"),
        QStringLiteral("./usr/bin/tq7350ctl"),
        QStringLiteral("./usr/bin/tq7350-sim"),
        QStringLiteral("./usr/share/tq7350/TQ7350_Check.DAT"),
        AppFile("./usr/share/applications/%1.desktop"),
        AppFile("./usr/share/icons/hicolor/scalable/apps/%1.svg"),
        AppFile("./usr/share/metainfo/%1.metainfo.xml"),
        QStringLiteral("./usr/share/man/man1/tq7350.1.gz"),
        QStringLiteral("./usr/share/man/man1/tq7350ctl.1.gz"),
        QStringLiteral("./usr/share/man/man1/tq7350-sim.1.gz"),
        QStringLiteral("./usr/share/bash-completion/completions/tq7350ctl"),
        QStringLiteral("./usr/lib/udev/rules.d/70-tq7350.rules"),
        QStringLiteral("./usr/share/doc/tq7350/copyright"),
        QStringLiteral("./usr/share/doc/tq7350/changelog.gz"),
    };
    QStringList files;
    for (const QString& line : listing.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString path = line.section(QLatin1Char(' '), -1);
        // Everything under /usr, owned by root, nothing of the build folder.
        EXPECT_TRUE(path.startsWith(QLatin1String("./usr/"))) << line.toStdString();
        EXPECT_TRUE(line.contains(QLatin1String(" root/root "))) << line.toStdString();
        files << path;
    }
    for (const QString& path : expected)
        EXPECT_TRUE(files.contains(path)) << path.toStdString();
    EXPECT_EQ(QFileInfo(p.Installed(QStringLiteral("/usr/share/tq7350/TQ7350_Check.DAT"))).size(),
              524288);
    // The rule gives the user at the seat the adapter.
    QFile rule(p.Installed(QStringLiteral("/usr/lib/udev/rules.d/70-tq7350.rules")));
    ASSERT_TRUE(rule.open(QIODevice::ReadOnly));
    const QString rules = QString::fromUtf8(rule.readAll());
    EXPECT_TRUE(rules.contains(QLatin1String("ATTRS{idVendor}==\"10c4\"")) &&
                rules.contains(QLatin1String("ATTRS{idProduct}==\"ea60\"")) &&
                rules.contains(QLatin1String("TAG+=\"uaccess\"")))
        << rules.toStdString();
}

void CheckControlFields(const Unpacked& p) {
    const Output fields = RunProgram(QStringLiteral("dpkg-deb"),
                                     {QStringLiteral("-f"), p.deb, QStringLiteral("Package"),
                                      QStringLiteral("Version"), QStringLiteral("Depends")});
    ASSERT_EQ(fields.exitCode, 0) << fields.all().toStdString();
    EXPECT_TRUE(fields.out.contains(QLatin1String("Package: tq7350\n")));
    EXPECT_TRUE(fields.out.contains(QStringLiteral("Version: %1\n").arg(kProgramVersion)))
        << fields.out.toStdString();
    // The libraries come from dpkg-shlibdeps, with their lowest versions.
    for (const char* library : {"libc6 (>= ", "libqt6core6 (>= ", "libqt6widgets6 (>= ",
                                "libqt6serialport6 (>= ", "libqt6network6 (>= "})
        EXPECT_TRUE(fields.out.contains(QLatin1String(library))) << library << "\n"
                                                                 << fields.out.toStdString();
    EXPECT_TRUE(fields.out.contains(QLatin1String("qt6-qpa-plugins")));
}

void CheckDesktopEntries(const Unpacked& p) {
    const QString validate = Tool("desktop-file-validate");
    const QString appstream = Tool("appstreamcli");
    ASSERT_FALSE(validate.isEmpty() || appstream.isEmpty())
        << "desktop-file-validate and appstreamcli are needed (bash scripts/setup.sh)";
    const Output desktop =
        RunProgram(validate, {p.Installed(AppFile("/usr/share/applications/%1.desktop"))});
    EXPECT_EQ(desktop.exitCode, 0) << desktop.all().toStdString();
    EXPECT_TRUE(desktop.all().trimmed().isEmpty()) << desktop.all().toStdString();
    const Output metainfo =
        RunProgram(appstream, {QStringLiteral("validate"), QStringLiteral("--no-net"),
                               p.Installed(AppFile("/usr/share/metainfo/%1.metainfo.xml"))});
    EXPECT_EQ(metainfo.exitCode, 0) << metainfo.all().toStdString();
    // The catalogue entry names the version the programs print.
    QFile file(p.Installed(AppFile("/usr/share/metainfo/%1.metainfo.xml")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(file.readAll())
                    .contains(QStringLiteral("<release version=\"%1\"").arg(kProgramVersion)));
}

void CheckManualPages(const Unpacked& p) {
    for (const char* name : {"tq7350", "tq7350ctl", "tq7350-sim"}) {
        const Output page = RunProgram(
            QStringLiteral("gzip"),
            {QStringLiteral("-dc"),
             p.Installed(QStringLiteral("/usr/share/man/man1/%1.1.gz").arg(QLatin1String(name)))});
        ASSERT_EQ(page.exitCode, 0) << name << ": " << page.all().toStdString();
        EXPECT_TRUE(page.out.contains(
            QStringLiteral(".TH %1 \"1\"").arg(QString::fromLatin1(name).toUpper())))
            << name;
        // The version line of the page is that of the program.
        EXPECT_TRUE(page.out.contains(
            QStringLiteral("\"%1 %2\"").arg(QLatin1String(name), kProgramVersion)))
            << name << "\n"
            << page.out.left(400).toStdString();
        // The tool's page has every command of its usage text.
        if (QLatin1String(name) == QLatin1String("tq7350ctl")) {
            // Each at the start of a line, a whole word: "recover" also
            // stands in "recovered".
            for (const char* command : {"flash\\-check", "dump\\-list", "recover"})
                EXPECT_TRUE(page.out.contains(
                    QRegularExpression(QStringLiteral("^%1\\b").arg(
                                           QRegularExpression::escape(QLatin1String(command))),
                                       QRegularExpression::MultilineOption)))
                    << command;
        }
    }
}

void CheckInstalledPrograms(const Unpacked& p) {
    testsupport::ScratchDir folder;
    const QString bin = p.Installed(QStringLiteral("/usr/bin/"));
    for (const char* name : {"tq7350", "tq7350ctl", "tq7350-sim"}) {
        const Output version = RunProgram(bin + QLatin1String(name), {QStringLiteral("--version")});
        EXPECT_EQ(version.exitCode, 0) << name << ": " << version.all().toStdString();
        EXPECT_EQ(version.out, QStringLiteral("%1 %2\n").arg(QLatin1String(name), kProgramVersion));
    }

    // The FLASH check reads the reference image from the installed data
    // folder, found from where the program is.
    const Output flash = RunProgram(bin + QStringLiteral("tq7350ctl"),
                                    {QStringLiteral("--sim"), QStringLiteral("--json"),
                                     QStringLiteral("flash-check"), QStringLiteral("--yes")},
                                    folder.path());
    EXPECT_EQ(flash.exitCode, 0) << flash.all().toStdString();
    const QJsonObject result = QJsonDocument::fromJson(flash.out.toUtf8()).object();
    EXPECT_EQ(result.value(QStringLiteral("result")).toString(), QStringLiteral("OK"))
        << flash.out.toStdString();
    EXPECT_EQ(QFileInfo(result.value(QStringLiteral("reference")).toString()).canonicalFilePath(),
              QFileInfo(p.Installed(QStringLiteral("/usr/share/tq7350/TQ7350_Check.DAT")))
                  .canonicalFilePath());
}

} // namespace

TEST(Package, BuildsListsInstallsAndRuns) {
    if (Tool("dpkg-deb").isEmpty())
        GTEST_SKIP() << "dpkg-deb is missing: no Debian package can be built here "
                        "(bash scripts/setup.sh installs what the package needs)";
    // CPack packs the present build (nothing is compiled again) into a
    // scratch folder; dpkg unpacks it into a scratch root.
    testsupport::ScratchDir work;
    const Output arch =
        RunProgram(QStringLiteral("dpkg"), {QStringLiteral("--print-architecture")});
    ASSERT_EQ(arch.exitCode, 0) << arch.all().toStdString();
    Unpacked p;
    p.deb = work.file(
        QStringLiteral("tq7350_%1_%2.deb").arg(QLatin1String(kProgramVersion), arch.out.trimmed()));
    p.root = work.file(QStringLiteral("root"));
    const Output built = RunProgram(
        QStringLiteral(TQ_CPACK_COMMAND),
        {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
         QStringLiteral(TQ_BINARY_DIR "/CPackConfig.cmake"), QStringLiteral("-B"), work.path()},
        work.path(), 240000);
    ASSERT_EQ(built.exitCode, 0) << built.all().toStdString();
    ASSERT_TRUE(QFileInfo(p.deb).isFile()) << p.deb.toStdString() << "\n"
                                           << built.all().toStdString();
    const Output unpacked =
        RunProgram(QStringLiteral("dpkg"), {QStringLiteral("-x"), p.deb, p.root});
    ASSERT_EQ(unpacked.exitCode, 0) << unpacked.all().toStdString();

    using NamedCheck = std::pair<const char*, void (*)(const Unpacked&)>;
    for (const auto& [what, check] :
         {NamedCheck{"contents", CheckContents}, NamedCheck{"control fields", CheckControlFields},
          NamedCheck{"desktop entries", CheckDesktopEntries},
          NamedCheck{"manual pages", CheckManualPages},
          NamedCheck{"installed programs", CheckInstalledPrograms}}) {
        SCOPED_TRACE(what);
        check(p);
    }
}
