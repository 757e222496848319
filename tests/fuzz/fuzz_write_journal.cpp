// The journal of unfinished writes on any bytes, and its round trip: an
// entry that reads is serialised and reads back the same, and it never
// carries a command the journal would refuse.
#include "FuzzSupport.h"

#include "records/WriteJournal.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::StartQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray content(reinterpret_cast<const char*>(data), qsizetype(size));
    QString error;
    const std::optional<PendingWrite> entry = WriteJournal::Parse(content, &error);
    if (!entry) {
        fuzz::Check(!error.isEmpty(), "a refused entry says why");
        return 0;
    }
    fuzz::Check(entry->NewCommands.size() <= WriteJournal::kMaxCommands &&
                    entry->OldCommands.size() <= WriteJournal::kMaxCommands,
                "the command lists stay within the limit");
    for (const QStringList* list : {&entry->NewCommands, &entry->OldCommands})
        for (const QString& command : *list)
            fuzz::Check(command.size() <= WriteJournal::kMaxCommandLength,
                        "no command longer than the limit", command.toUtf8());
    const QByteArray serialised = WriteJournal::Serialize(*entry);
    const std::optional<PendingWrite> again = WriteJournal::Parse(serialised, &error);
    fuzz::Check(again.has_value(), "a serialised entry reads back",
                error.toUtf8() + "\n" + serialised);
    fuzz::Check(again->Serials == entry->Serials && again->Started == entry->Started &&
                    again->Program == entry->Program && again->NewCommands == entry->NewCommands &&
                    again->OldCommands == entry->OldCommands,
                "read, serialise, read gives the same entry", serialised);
    return 0;
}
