// The frame engine and the answer rules on any bytes while a command waits:
// a command of the command set (any code, read, write or confirm form) is
// sent and the detector stand-in answers with the input's frames (right or
// wrong checksums, cut anywhere) or raw bytes. The link must never end the
// wait on anything but an answer to that command. The input: two
// letters naming the command (or a row number), a byte choosing the form,
// then the answers as LinkFuzzRig.h reads them.
#include "LinkFuzzRig.h"

#include "link/CommandSet.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::StartQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    // The command: two letters of the command set, else a row by number.
    const auto& rows = CommandSet::Rows();
    const QByteArray letters = in.bytes(2);
    const CommandSet::CommandRow* found = CommandSet::FindRow(QString::fromLatin1(letters));
    const CommandSet::CommandRow& row =
        found ? *found : rows.at(uint8_t(letters.isEmpty() ? 0 : letters.at(0)) % rows.size());
    const uint8_t form = in.byte();
    fuzz::LinkFuzzRig rig(in);
    if (!rig.connect())
        return 0;
    QString command;
    int status = kStatusAwaiting;
    switch (form % 3) {
    case 0:
        command = CommandSet::ReadCommand(row.Code);
        status = kStatusAwaitingRead;
        break;
    case 1:
        command = CommandSet::WriteCommand(row.Code, rig.record());
        if (command.isEmpty())
            command = CommandSet::ReadCommand(row.Code);
        break;
    default:
        command = row.Code + QStringLiteral(",C,");
        break;
    }
    const LinkResult result = rig.link().SendAndWait(command, status);
    if (result == LinkResult::Done)
        fuzz::Check(fuzz::HoldsAnswerTo(rig.delivered(), command.left(4)),
                    "only an answer with the command's code and form ends its wait",
                    command.toLatin1() + "\n" + rig.delivered().toHex());
    fuzz::Check(!rig.link().IsBusy(), "the link is free again after the wait");
    return 0;
}
