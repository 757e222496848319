// What the fuzz targets share: the Qt application object, a scratch folder
// in memory, a reader of the fuzzer's bytes and the check that ends the run
// with a message when a property does not hold.
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

// Created once per process: timers, file names and text codecs need it.
inline void StartQt() {
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    (void)app;
    qputenv("TQ7350_LANG", "en");
}

// A folder of the process, in memory where the system has one; removed
// when the process ends.
inline QString ScratchFolder() {
    static const QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                       ? QStringLiteral("/dev/shm/tq-fuzz-XXXXXX")
                                       : QDir::temp().filePath(QStringLiteral("tq-fuzz-XXXXXX")));
    return dir.path();
}

inline bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Reads the fuzzer's bytes front to back; past the end everything reads as 0.
class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool empty() const { return pos_ >= size_; }
    uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    // Up to n bytes.
    QByteArray bytes(size_t n) {
        const size_t take = n < size_ - pos_ ? n : size_ - pos_;
        QByteArray out(reinterpret_cast<const char*>(data_ + pos_), qsizetype(take));
        pos_ += take;
        return out;
    }
    QByteArray rest() { return bytes(size_ - pos_); }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// Ends the run as a crash (the fuzzer keeps the input) when `ok` is false.
inline void Check(bool ok, const char* what, const QByteArray& detail = {}) {
    if (ok)
        return;
    std::fprintf(stderr, "property broken: %s\n%s\n", what, detail.constData());
    std::abort();
}

} // namespace fuzz
