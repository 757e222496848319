#include "workflows/ListExchange.h"

#include "app/Catalogue.h"
#include "app/Helpers.h"
#include "app/MessageIds.h"
#include "link/CommandSet.h"
#include "link/uclTqif.h"
#include "model/clsInstrument.h"

namespace ListExchange {

namespace {

using workflows::Tone;

QString Entry(const clsInstrument& record, List list, int i) {
    return list == List::Station ? record.StationList(i) : record.UserList(i);
}

void SetEntry(clsInstrument& record, List list, int i, const QString& text) {
    if (list == List::Station)
        record.setStationList(i, text);
    else
        record.setUserList(i, text);
}

QString ReadCode(List list) {
    return list == List::Station ? QStringLiteral("XS") : QStringLiteral("XZ");
}

// The outcome of a link that could not be used (or failed) and its line.
Result LinkFailure(LinkResult reason, Result r, const workflows::Report& report) {
    r.reason = reason;
    r.outcome = workflows::OutcomeOf(reason);
    if (r.outcome == Outcome::Success)
        r.outcome = Outcome::Failed;
    const QString line = reason == LinkResult::NotConnected ? LoadMessage(kMsgDownloadNoResponse)
                                                            : LoadMessage(kMsgDownloadFailed);
    r.FailureLines << line;
    report.Line(line, Tone::Failure);
    return r;
}

Result Refuse(Result r, const QString& line, const workflows::Report& report) {
    r.outcome = Outcome::Refused;
    r.FailureLines << line;
    report.Line(line, Tone::Failure);
    return r;
}

// Reads the list with the detector's own readiness checks first.
LinkResult ReadDetectorList(uclTqif& link, List list, clsInstrument& into,
                            const workflows::Report& report) {
    if (!link.Connected())
        return LinkResult::NotConnected;
    if (link.IsBusy())
        return LinkResult::Busy;
    report.Line(LoadMessage(kMsgListReading, {ListFile::ListName(list)}), Tone::Progress);
    return ReadList(link, list, into, report);
}

QStringList EntriesOf(const clsInstrument& record, List list) {
    QStringList entries;
    for (int i = 0; i < ListFile::kEntries; ++i)
        entries << Entry(record, list, i);
    return entries;
}

} // namespace

LinkResult ReadList(uclTqif& link, List list, clsInstrument& into,
                    const workflows::Report& report) {
    into.ClearDatas();
    const InstrumentScope scope(link, &into);
    link.setCancel(false);
    for (int i = 0; i < ListFile::kEntries; ++i) {
        report.Steps(i, ListFile::kEntries);
        const LinkResult result = link.SendAndWait(
            CommandSet::ReadCommand(ReadCode(list), CommandSet::Hex4(i)), kStatusAwaitingRead);
        if (result != LinkResult::Done)
            return result;
    }
    report.Steps(ListFile::kEntries, ListFile::kEntries);
    return LinkResult::Done;
}

QList<int> ApplyIdentifiers(clsInstrument& record, List list, const QStringList& identifiers) {
    QList<int> changed;
    const int n = qMin(int(identifiers.size()), ListFile::kEntries);
    const int kind = list == List::Station ? IdTextStation : IdTextUser;
    for (int i = 0; i < n; ++i) {
        // The record keeps the identifier as its write normalises it.
        if (NormalizeIdText(identifiers.at(i), kind) == Entry(record, list, i))
            continue;
        SetEntry(record, list, i, identifiers.at(i));
        changed << i;
    }
    return changed;
}

Result Export(uclTqif& link, List list, const QString& path, const workflows::Report& report) {
    Result r;
    clsInstrument detector;
    const LinkResult read = ReadDetectorList(link, list, detector, report);
    if (read != LinkResult::Done)
        return LinkFailure(read, r, report);
    r.Entries = EntriesOf(detector, list);
    QString error;
    if (!ListFile::Write(path, r.Entries, &error)) {
        r.outcome = Outcome::Failed;
        r.FailureLines << error;
        report.Line(error, Tone::Failure);
        return r;
    }
    report.Line(LoadMessage(kMsgListExported, {ListFile::ListName(list), path}), Tone::Progress);
    r.outcome = Outcome::Success;
    return r;
}

PreparedImport PrepareImport(const ImportOptions& options, const workflows::Report& report) {
    PreparedImport prepared;
    Result& r = prepared.check;
    const ListFile::ReadResult file = ListFile::Read(options.Path);
    if (!file.ok) {
        r = Refuse(r, file.error, report);
        return prepared;
    }
    // Every line that breaks the rule, in file order.
    QStringList problems;
    bool unsendable = false;
    for (int i = 0; i < file.identifiers.size(); ++i) {
        const QString& id = file.identifiers.at(i);
        if (ListFile::IsIdentifierValid(id))
            continue;
        r.InvalidLines << i + 1;
        if (!ListFile::IsIdentifierSendable(id)) {
            unsendable = true;
            problems << LoadMessage(kMsgListLineUnsendable, {i + 1, id});
        } else {
            problems << LoadMessage(kMsgListLineInvalid, {i + 1, id});
        }
    }
    for (const QString& line : problems)
        report.Line(line, Tone::Failure);
    if (unsendable || (!problems.isEmpty() && !options.Force)) {
        r.FailureLines << problems;
        r = Refuse(r, LoadMessage(kMsgListRefused, {r.InvalidLines.size()}), report);
        return prepared;
    }
    if (!problems.isEmpty()) {
        r.Forced = true;
        report.Line(LoadMessage(kMsgListForced, {problems.size()}), Tone::Failure);
    }
    r.outcome = Outcome::Success;
    prepared.identifiers = file.identifiers;
    return prepared;
}

Result Import(uclTqif& link, const ImportOptions& options, const PreparedImport& prepared,
              const workflows::Report& report) {
    Result r = prepared.check;
    if (!prepared.Ready())
        return r;
    r.outcome = Outcome::Failed;

    clsInstrument detector;
    const LinkResult read = ReadDetectorList(link, options.list, detector, report);
    if (read != LinkResult::Done)
        return LinkFailure(read, r, report);
    r.Entries = EntriesOf(detector, options.list);

    clsInstrument changes = detector;
    changes.ClearChangeFlags();
    r.Changed = ApplyIdentifiers(changes, options.list, prepared.identifiers);
    const QString name = ListFile::ListName(options.list);
    if (r.Changed.isEmpty()) {
        report.Line(LoadMessage(kMsgListNothingToWrite, {name}), Tone::Progress);
        r.outcome = Outcome::Success;
        return r;
    }
    report.Line(LoadMessage(kMsgListWriting, {name, r.Changed.size()}), Tone::Progress);
    WriteSettings::Options write;
    write.mode = WriteSettings::Mode::Flagged;
    write.Verify = options.Verify;
    r.Write = WriteSettings::Run(link, changes, write, report);
    r.outcome = r.Write.outcome;
    r.reason = r.Write.reason;
    r.FailureLines << r.Write.FailureLines;
    if (r.Success()) {
        r.Entries = EntriesOf(changes, options.list);
        report.Line(LoadMessage(kMsgListImported, {name, r.Changed.size()}), Tone::Progress);
    }
    return r;
}

Result Import(uclTqif& link, const ImportOptions& options, const workflows::Report& report) {
    return Import(link, options, PrepareImport(options, report), report);
}

} // namespace ListExchange
