// The dump list ("EEPROM Dump") on any answers: the blocks the stand-in
// sends (framed "EF,R" answers with any fields, raw bytes, cut anywhere)
// become a listing whose rows are whole and in address order, and the dump
// only counts as complete after a dump answer.
#include "LinkFuzzRig.h"

#include "link/CommandSet.h"
#include "link/Dumps.h"

#include <QDir>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::StartQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    fuzz::LinkFuzzRig rig(in);
    if (!rig.connect())
        return 0;
    const QString path = QDir(fuzz::ScratchFolder()).filePath(QStringLiteral("dump.lst"));
    QFile::remove(path);
    Dumps dumps(rig.link(), rig.link().responseContext());
    const bool complete = dumps.GetRomDump2(path);
    if (complete)
        fuzz::Check(fuzz::HoldsAnswerTo(rig.delivered(), QStringLiteral("EF,R")),
                    "a dump is complete only after a dump answer", rig.delivered().toHex());
    // Whatever arrived, the listing's rows are whole and ascending.
    const QList<QByteArray> lines = fuzz::ReadFile(path).split('\n');
    const QByteArray title = DumpListing::TitleLine().toLatin1();
    qsizetype at = -1;
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (lines[i].trimmed() == title.trimmed())
            at = i;
    if (at < 0)
        return 0; // nothing written (the file could not be made)
    const qsizetype width = DumpListing::Row(0, QByteArray()).toUtf8().size();
    qint64 previous = -1;
    for (qsizetype i = at + 2; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (line.isEmpty())
            break;
        const QByteArray row = lines[i].chopped(lines[i].endsWith('\r') ? 1 : 0);
        fuzz::Check(row.size() == width, "every row has a row's width", row);
        bool ok = false;
        const qint64 address = row.left(6).toLongLong(&ok, 16);
        fuzz::Check(ok && address % 16 == 0 && address > previous,
                    "rows start on 16-byte addresses, ascending", row);
        previous = address;
    }
    return 0;
}
