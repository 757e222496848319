// The configuration file reader on any bytes, and its round trip: what was
// read is saved, loaded and saved again, and both saves hold the same
// settings (the comment lines carry the time of the save and are left out).
#include "FuzzSupport.h"

#include "app/AppSettings.h"
#include "model/clsInstrument.h"
#include "records/Configuration.h"

namespace {

QByteArray SettingsLines(const QString& folder) {
    QByteArray out;
    for (const QByteArray& line : fuzz::ReadFile(ConfigFilePath(folder)).split('\n'))
        if (!line.startsWith(';'))
            out += line + '\n';
    return out;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::StartQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QDir root(fuzz::ScratchFolder());
    const QString in = root.filePath(QStringLiteral("in"));
    const QString first = root.filePath(QStringLiteral("first"));
    const QString second = root.filePath(QStringLiteral("second"));
    for (const QString& folder : {in, first, second})
        QDir().mkpath(folder);
    fuzz::WriteFile(ConfigFilePath(in),
                    QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));

    AppSettings settings;
    clsInstrument defaults;
    fuzz::Check(LoadConfiguration(settings, defaults, in), "an existing file loads");
    fuzz::Check(SaveConfiguration(settings, defaults, first), "the settings save");

    AppSettings loaded;
    clsInstrument loadedDefaults;
    fuzz::Check(LoadConfiguration(loaded, loadedDefaults, first), "the saved file loads");
    // Each save counts one more run; the second save must count from the same.
    loaded.ExecuteCount = settings.ExecuteCount;
    fuzz::Check(SaveConfiguration(loaded, loadedDefaults, second), "the settings save again");
    const QByteArray a = SettingsLines(first);
    const QByteArray b = SettingsLines(second);
    fuzz::Check(a == b, "save, load, save gives the same settings", a + "\n---\n" + b);
    return 0;
}
