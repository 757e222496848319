// The registers the tests run against: a SQLite file in a scratch folder,
// and a PostgreSQL server of the test's own, started in a temporary folder
// on a Unix socket (as the unprivileged user "nobody" when the tests run as
// root) and stopped at the end of the test program.
#pragma once

#include "common/TestSupport.h"
#include "register/RegisterLocation.h"
#include "register/RegisterStore.h"

#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <unistd.h>

namespace registertest {

using InstrumentRegister::Location;

// A PostgreSQL server for the whole test program.
class PostgresServer {
public:
    // The server, started on first use; null with `SkipReason()` when the
    // PostgreSQL programs are not installed or it did not start.
    static PostgresServer* Get() {
        static std::unique_ptr<PostgresServer> server(new PostgresServer);
        return server->running_ ? server.get() : nullptr;
    }
    static QString SkipReason() {
        Get();
        return Reason();
    }
    ~PostgresServer() {
        if (running_)
            Run(QStringLiteral("pg_ctl"),
                {QStringLiteral("-D"), data(), QStringLiteral("-m"), QStringLiteral("immediate"),
                 QStringLiteral("-w"), QStringLiteral("stop")});
    }

    // A new, empty database on the server.
    Location NewDatabase() {
        const QString name = QStringLiteral("register_%1").arg(++databases_);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
            db.setHostName(dir_.path());
            db.setUserName(QStringLiteral("tq"));
            db.setDatabaseName(QStringLiteral("postgres"));
            if (db.open())
                QSqlQuery(db).exec(QStringLiteral("CREATE DATABASE ") + name);
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        Location l;
        l.kind = Location::Kind::PostgreSQL;
        l.host = dir_.path();
        l.user = QStringLiteral("tq");
        l.database = name;
        return l;
    }

private:
    static QString& Reason() {
        static QString reason;
        return reason;
    }
    static QString BinFolder() {
        QDir base(QStringLiteral("/usr/lib/postgresql"));
        QStringList versions = base.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        std::reverse(versions.begin(), versions.end());
        for (const QString& v : versions) {
            const QString bin = base.filePath(v + QStringLiteral("/bin"));
            if (QFileInfo(bin + QStringLiteral("/initdb")).isExecutable() &&
                QFileInfo(bin + QStringLiteral("/pg_ctl")).isExecutable())
                return bin;
        }
        return {};
    }

    PostgresServer() : dir_(QStringLiteral("/tmp/tq7350-pg-XXXXXX")) {
        bin_ = BinFolder();
        if (bin_.isEmpty()) {
            Reason() = QStringLiteral("PostgreSQL (initdb, pg_ctl) is not installed: "
                                      "the tests against a PostgreSQL register are skipped");
            return;
        }
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
            Reason() = QStringLiteral("Qt's PostgreSQL driver is not installed");
            return;
        }
        // The server refuses to run as root: it runs as "nobody", in a folder
        // that user owns.
        if (geteuid() == 0)
            QProcess::execute(QStringLiteral("chown"),
                              {QStringLiteral("nobody:nogroup"), dir_.path()});
        if (!Run(QStringLiteral("initdb"),
                 {QStringLiteral("-D"), data(), QStringLiteral("-U"), QStringLiteral("tq"),
                  QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-E"),
                  QStringLiteral("UTF8"), QStringLiteral("--locale=C"),
                  QStringLiteral("--no-sync")}) ||
            !Run(QStringLiteral("pg_ctl"),
                 {QStringLiteral("-D"), data(), QStringLiteral("-l"),
                  dir_.path() + QStringLiteral("/server.log"), QStringLiteral("-w"),
                  QStringLiteral("-o"),
                  QStringLiteral("-k %1 -c listen_addresses= -F").arg(dir_.path()),
                  QStringLiteral("start")})) {
            Reason() = QStringLiteral("the PostgreSQL server did not start: ") + output_;
            return;
        }
        running_ = true;
    }

    QString data() const { return dir_.path() + QStringLiteral("/data"); }

    bool Run(const QString& program, QStringList args) {
        QString path = bin_ + QLatin1Char('/') + program;
        if (geteuid() == 0) {
            args.prepend(path);
            args = QStringList{QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                               QStringLiteral("--clear-groups"), QStringLiteral("--")} +
                   args;
            path = QStringLiteral("setpriv");
        }
        QProcess p;
        p.setWorkingDirectory(dir_.path());
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(path, args);
        const bool ok = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit &&
                        p.exitCode() == 0;
        output_ = QString::fromLocal8Bit(p.readAll());
        return ok;
    }

    QTemporaryDir dir_;
    QString bin_;
    QString output_;
    bool running_ = false;
    int databases_ = 0;
};

enum class Backend { SQLite, PostgreSQL };

inline std::string BackendName(const testing::TestParamInfo<Backend>& info) {
    return info.param == Backend::SQLite ? "SQLite" : "PostgreSQL";
}

// A fresh register of the test's backend.
class RegisterTest : public testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        if (GetParam() == Backend::PostgreSQL) {
            PostgresServer* server = PostgresServer::Get();
            if (!server)
                GTEST_SKIP() << PostgresServer::SkipReason().toStdString();
            location = server->NewDatabase();
        } else {
            location.kind = Location::Kind::SQLite;
            location.path = dir.file(QStringLiteral("register.sqlite"));
        }
    }
    bool postgres() const { return GetParam() == Backend::PostgreSQL; }

    testsupport::ScratchDir dir;
    Location location;
};

} // namespace registertest
