// Loading a settings file into the record. See SettingsImport.h.
#include "records/SettingsImport.h"

#include "model/clsInstrument.h"

namespace SettingsImport {

void AfterImport(clsInstrument& record, const std::array<bool, 5>& locked) {
    record.SetChangeFlags(true, false);
    record.setImportFlag(true);
    for (int ch = 0; ch < 5; ++ch)
        if (locked[size_t(ch)])
            record.setGasEnabled(ch, true);
}

SettingsFile::FileResult Load(const QString& path, clsInstrument& record,
                              const std::array<bool, 5>& locked) {
    // The reader fills a copy and copies it back only when the whole file
    // read.
    const SettingsFile::FileResult result = SettingsFile::LoadSettingsFile(path, record);
    if (result.ok)
        AfterImport(record, locked);
    return result;
}

} // namespace SettingsImport
