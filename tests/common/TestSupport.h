// Small helpers shared by the test programs.
#pragma once

#include <QDir>
#include <QString>
#include <QTemporaryDir>

namespace testsupport {

// A fresh folder for one test; removed when the object goes out of scope.
class ScratchDir {
public:
    ScratchDir() { dir_.setAutoRemove(true); }
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return QDir(dir_.path()).filePath(name); }

private:
    QTemporaryDir dir_;
};

} // namespace testsupport
