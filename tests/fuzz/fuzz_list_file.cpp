// The station and user list file reader on any bytes, and its round trip:
// identifiers that can travel to the detector are written and read back
// unchanged, entry by entry.
#include "FuzzSupport.h"

#include "records/ListFile.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::StartQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QDir root(fuzz::ScratchFolder());
    const QString in = root.filePath(QStringLiteral("list-in.csv"));
    const QString out = root.filePath(QStringLiteral("list-out.csv"));
    fuzz::WriteFile(in, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const ListFile::ReadResult first = ListFile::Read(in);
    if (!first.ok) {
        fuzz::Check(first.identifiers.isEmpty() && !first.error.isEmpty(),
                    "a refused file gives a reason and nothing else");
        return 0;
    }
    fuzz::Check(first.identifiers.size() <= ListFile::kEntries, "at most 128 entries");
    bool sendable = true;
    for (const QString& id : first.identifiers) {
        fuzz::Check(id.size() <= ListFile::kMaxLineLength, "no identifier longer than its line");
        fuzz::Check(!id.contains(QLatin1Char('\r')) && !id.contains(QLatin1Char('\n')),
                    "no identifier holds a line end");
        sendable = sendable && ListFile::IsIdentifierSendable(id);
    }
    QString error;
    fuzz::Check(ListFile::Write(out, first.identifiers, &error), "the entries write",
                error.toUtf8());
    const ListFile::ReadResult second = ListFile::Read(out);
    fuzz::Check(second.ok, "a written list reads back", second.error.toUtf8());
    fuzz::Check(second.identifiers.size() == ListFile::kEntries, "a written list has 128 lines");
    if (!sendable)
        return 0;
    QStringList padded = first.identifiers;
    while (padded.size() < ListFile::kEntries)
        padded << QString();
    fuzz::Check(second.identifiers == padded, "identifiers write and read back unchanged",
                padded.join(QLatin1Char('|')).toUtf8() + "\n---\n" +
                    second.identifiers.join(QLatin1Char('|')).toUtf8());
    return 0;
}
