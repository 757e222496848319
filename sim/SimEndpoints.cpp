#include "sim/SimEndpoints.h"

#include "sim/SimDetector.h"

#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

// The pseudo-terminal is Linux's (it watches for clients with inotify); the
// TCP endpoint works everywhere.
#ifdef Q_OS_LINUX
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/inotify.h>
#include <termios.h>
#include <unistd.h>
#endif

SimPty::SimPty(SimDetector* detector, QObject* parent) : QObject(parent), det_(detector) {
    connect(det_, &SimDetector::bytesToHost, this, &SimPty::send);
}

#ifdef Q_OS_LINUX

namespace {
constexpr qsizetype kMaxPendingOut = 1 << 20; // bytes kept while nobody reads the terminal
}

SimPty::~SimPty() {
    if (!link_.isEmpty())
        QFile::remove(link_);
    if (master_ >= 0)
        ::close(master_);
    if (slave_ >= 0)
        ::close(slave_);
    if (inotify_ >= 0)
        ::close(inotify_);
}

bool SimPty::open(QString* error) {
    auto fail = [&](const char* what) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(QLatin1String(what),
                                                  QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    };
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0)
        return fail("posix_openpt");
    if (::grantpt(master_) != 0)
        return fail("grantpt");
    if (::unlockpt(master_) != 0)
        return fail("unlockpt");
    const char* name = ::ptsname(master_);
    if (!name)
        return fail("ptsname");
    path_ = QString::fromLocal8Bit(name);

    // Hold the terminal side open ourselves: without it the master reads EIO
    // whenever no client has the device open.
    slave_ = ::open(name, O_RDWR | O_NOCTTY);
    if (slave_ < 0)
        return fail("open terminal side");
    termios t{};
    if (::tcgetattr(slave_, &t) != 0)
        return fail("tcgetattr");
    ::cfmakeraw(&t); // no echo, no CR/LF translation
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    if (::tcsetattr(slave_, TCSANOW, &t) != 0)
        return fail("tcsetattr");

    const int flags = ::fcntl(master_, F_GETFL);
    ::fcntl(master_, F_SETFL, flags | O_NONBLOCK);

    readN_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
    connect(readN_, &QSocketNotifier::activated, this, &SimPty::onReadable);
    writeN_ = new QSocketNotifier(master_, QSocketNotifier::Write, this);
    writeN_->setEnabled(false);
    connect(writeN_, &QSocketNotifier::activated, this, &SimPty::onWritable);
    // Answers that a client left unread must not greet the next client:
    // watch for the device being closed and drop leftovers then. Opens are not
    // watched: an open seen late (after the new client's first request was
    // already answered) would flush that answer.
    inotify_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotify_ >= 0 &&
        ::inotify_add_watch(inotify_, name, IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) >= 0) {
        openN_ = new QSocketNotifier(inotify_, QSocketNotifier::Read, this);
        connect(openN_, &QSocketNotifier::activated, this, &SimPty::dropLeftovers);
    }
    retry_ = new QTimer(this);
    retry_->setSingleShot(true);
    connect(retry_, &QTimer::timeout, this, [this] { readN_->setEnabled(true); });
    return true;
}

bool SimPty::makeLink(const QString& linkPath, QString* error) {
    const QFileInfo fi(linkPath);
    if (fi.isSymLink() || fi.exists()) {
        if (!fi.isSymLink()) {
            if (error)
                *error = QStringLiteral("%1 exists and is not a symbolic link").arg(linkPath);
            return false;
        }
        QFile::remove(linkPath);
    }
    if (::symlink(path_.toLocal8Bit().constData(), linkPath.toLocal8Bit().constData()) != 0) {
        if (error)
            *error = QStringLiteral("symlink %1: %2")
                         .arg(linkPath, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    link_ = linkPath;
    return true;
}

void SimPty::dropLeftovers() {
    if (inotify_ < 0)
        return;
    alignas(inotify_event) char buf[4096];
    bool seen = false;
    for (;;) {
        const ssize_t n = ::read(inotify_, buf, sizeof buf);
        if (n <= 0)
            break;
        seen = true;
    }
    if (seen) {
        ::tcflush(slave_, TCIFLUSH);
        pendingOut_.clear();
        writeN_->setEnabled(false);
    }
}

void SimPty::onReadable() {
    char buf[4096];
    for (;;) {
        // A close reported together with the next client's first request is
        // handled before every read, so that the flush never eats the answer
        // to that request: a client may close and the next one open and ask
        // while this loop is still answering the previous request.
        dropLeftovers();
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n > 0) {
            det_->receiveFromHost(QByteArray(buf, int(n)));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        // EIO (no terminal side open) or end of file: pause reading briefly
        // instead of spinning, then carry on.
        readN_->setEnabled(false);
        retry_->start(100);
        return;
    }
}

void SimPty::send(const QByteArray& bytes) {
    if (master_ < 0)
        return;
    if (pendingOut_.size() + bytes.size() > kMaxPendingOut)
        pendingOut_.clear(); // nobody is reading; keep only the newest answer
    pendingOut_ += bytes;
    onWritable();
}

void SimPty::onWritable() {
    while (!pendingOut_.isEmpty()) {
        const ssize_t n = ::write(master_, pendingOut_.constData(), size_t(pendingOut_.size()));
        if (n > 0) {
            pendingOut_.remove(0, qsizetype(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break; // EAGAIN or error: wait for the terminal to drain
    }
    writeN_->setEnabled(!pendingOut_.isEmpty());
}

#else // no pseudo-terminals: --pty is refused, --tcp serves

SimPty::~SimPty() = default;

bool SimPty::open(QString* error) {
    if (error)
        *error = QStringLiteral("pseudo-terminals are available on Linux only; use --tcp PORT");
    return false;
}

bool SimPty::makeLink(const QString&, QString* error) {
    if (error)
        *error = QStringLiteral("no pseudo-terminal to link to");
    return false;
}

void SimPty::dropLeftovers() {}
void SimPty::onReadable() {}
void SimPty::send(const QByteArray&) {}
void SimPty::onWritable() {}

#endif // Q_OS_LINUX

SimTcpServer::SimTcpServer(SimDetector* detector, QObject* parent)
    : QObject(parent), det_(detector), server_(new QTcpServer(this)) {
    connect(server_, &QTcpServer::newConnection, this, &SimTcpServer::onNewConnection);
    connect(det_, &SimDetector::bytesToHost, this, [this](const QByteArray& b) {
        if (peer_)
            peer_->write(b);
    });
    connect(det_, &SimDetector::lineDropped, this, [this] {
        if (peer_) {
            peer_->flush();
            peer_->disconnectFromHost();
        }
    });
}

bool SimTcpServer::listen(quint16 port, QString* error) {
    if (!server_->listen(QHostAddress::LocalHost, port)) {
        if (error)
            *error = server_->errorString();
        return false;
    }
    return true;
}

quint16 SimTcpServer::port() const {
    return server_->serverPort();
}

void SimTcpServer::onNewConnection() {
    while (QTcpSocket* s = server_->nextPendingConnection()) {
        if (peer_) {
            peer_->disconnect(this);
            peer_->abort();
            peer_->deleteLater();
        }
        peer_ = s;
        connect(s, &QTcpSocket::readyRead, this, [this, s] {
            if (s == peer_)
                det_->receiveFromHost(s->readAll());
        });
        connect(s, &QTcpSocket::disconnected, this, [this, s] {
            if (s == peer_)
                det_->setLineUp(false);
            s->deleteLater();
        });
        det_->setLineUp(true);
    }
}
