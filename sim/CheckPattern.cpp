#include "sim/CheckPattern.h"

#include "sim/SimState.h"

#include <QSaveFile>

unsigned char CheckPatternByte(quint32 offset) {
    return static_cast<unsigned char>((offset & 0xFFu) ^ ((offset >> 8) & 0xFFu) ^
                                      ((offset >> 16) & 0xFFu) ^ 0x5Au);
}

QByteArray CheckImage() {
    QByteArray img(kSimLoggerBytes, '\0');
    for (int i = 0; i < kSimLoggerBytes; ++i)
        img[i] = static_cast<char>(CheckPatternByte(quint32(i)));
    return img;
}

bool WriteCheckImage(const QString& path, QString* error) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    const QByteArray img = CheckImage();
    if (f.write(img) != img.size() || !f.commit()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}
