// The settings file reader on any bytes, and its round trip: a file that
// reads is stored again, and that file reads back to the same lines.
#include "FuzzSupport.h"

#include "model/clsInstrument.h"
#include "records/SettingsFile.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::StartQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray content(reinterpret_cast<const char*>(data), qsizetype(size));
    clsInstrument record;
    const SettingsFile::FileResult first =
        SettingsFile::ParseSettingsText(content, QStringLiteral("fuzz.seq"), record);
    fuzz::Check(first.ok == (first.error == SettingsFile::FileError::None),
                "a result is ok exactly when it names no error");
    if (!first.ok)
        return 0;
    // What was read can be stored: the reader took no text the format cannot hold.
    fuzz::Check(SettingsFile::FindUnstorableText(record).isEmpty(),
                "a file that reads holds only storable texts");
    const QStringList lines = SettingsFile::SettingsFileLines(record);
    const QByteArray stored =
        (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
    clsInstrument again;
    const SettingsFile::FileResult second =
        SettingsFile::ParseSettingsText(stored, QStringLiteral("stored.seq"), again);
    fuzz::Check(second.ok, "a stored file reads back", second.Describe().toUtf8() + "\n" + stored);
    fuzz::Check(second.warnings.isEmpty(), "a stored file reads back without warnings", stored);
    const QStringList linesAgain = SettingsFile::SettingsFileLines(again);
    fuzz::Check(linesAgain == lines, "store, load, store gives the same lines",
                stored + "\n---\n" + linesAgain.join(QStringLiteral("\r\n")).toUtf8());
    return 0;
}
