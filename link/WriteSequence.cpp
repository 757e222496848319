#include "link/WriteSequence.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "link/CommandSet.h"
#include "link/ConfirmLoop.h"
#include "link/LinkClock.h"
#include "link/ReadSequence.h"
#include "link/uclTqif.h"
#include "model/clsInstrument.h"

namespace {

using I = clsInstrument;
using Flag = bool (I::*)() const;
using SetFlag = void (I::*)(bool);
using ChannelFlag = bool (I::*)(int) const;
using SetChannelFlag = void (I::*)(int, bool);

constexpr int kChannels = 5;

WriteBlock Block(const char* code, std::function<bool(const I&)> changed,
                 std::function<void(I&)> clear) {
    WriteBlock b;
    b.Code = QString::fromLatin1(code);
    b.Changed = std::move(changed);
    b.Clear = std::move(clear);
    return b;
}

// A block due when `flag` is set that clears `clearFlag` (null: nothing).
WriteBlock FlagBlock(const char* code, Flag flag, SetFlag clearFlag) {
    return Block(
        code, [flag](const I& r) { return (r.*flag)(); },
        [clearFlag](I& r) {
            if (clearFlag)
                (r.*clearFlag)(false);
        });
}

// A block due when any of several flags is set.
WriteBlock AnyFlagBlock(const char* code, std::vector<Flag> flags, std::vector<SetFlag> clears) {
    return Block(
        code,
        [flags](const I& r) {
            for (Flag f : flags) {
                if ((r.*f)())
                    return true;
            }
            return false;
        },
        [clears](I& r) {
            for (SetFlag c : clears)
                (r.*c)(false);
        });
}

// A block due when any channel's flag is set; clears all five.
WriteBlock ChannelBlock(const char* code, ChannelFlag flag, SetChannelFlag clearFlag) {
    return Block(
        code,
        [flag](const I& r) {
            for (int ch = 0; ch < kChannels; ++ch) {
                if ((r.*flag)(ch))
                    return true;
            }
            return false;
        },
        [clearFlag](I& r) {
            for (int ch = 0; ch < kChannels; ++ch)
                (r.*clearFlag)(ch, false);
        });
}

WriteBlock ListBlock(const char* code, WriteBlock::Kind kind, SetFlag clearFlag) {
    WriteBlock b;
    b.Code = QString::fromLatin1(code);
    b.BlockKind = kind;
    b.Clear = [clearFlag](I& r) { (r.*clearFlag)(false); };
    return b;
}

std::vector<WriteBlock> BuildBlocks() {
    using K = WriteBlock::Kind;
    return {
        FlagBlock("BS", &I::Change_SpecNo, &I::setChange_SpecNo),
        FlagBlock("XZ", &I::Change_UserID, &I::setChange_UserID),
        FlagBlock("XS", &I::Change_StationID, &I::setChange_StationID),
        FlagBlock("IN", &I::Change_SerialNo, &I::setChange_SerialNo),
        FlagBlock("HN", &I::Change_DummySerial, &I::setChange_DummySerial),
        ChannelBlock("GJ", &I::Change_GasEnable, &I::setChange_GasEnable),
        Block(
            "LS", [](const I& r) { return r.Change_LSData(0) || r.Change_LSData(1); },
            [](I& r) {
                r.setChange_LSData(0, false);
                r.setChange_LSData(1, false);
            }),
        FlagBlock("LP", &I::Change_HCMode, nullptr),
        FlagBlock("AP", &I::Change_AlarmMode, &I::setChange_AlarmMode),
        FlagBlock("XI", &I::Change_DispID, &I::setChange_DispID),
        FlagBlock("X7", &I::Change_dlogOnOff, &I::setChange_dlogOnOff),
        FlagBlock("EB", &I::Change_PeakBar, &I::setChange_PeakBar),
        FlagBlock("SD", &I::Change_DispCalLimit, &I::setChange_DispCalLimit),
        FlagBlock("SM", &I::Change_CalCheck, &I::setChange_CalCheck),
        FlagBlock("SW", &I::Change_CalCheckALL, &I::setChange_CalCheckALL),
        FlagBlock("XB", &I::Change_Confirmation, &I::setChange_Confirmation),
        FlagBlock("XL", &I::Change_LunchBreak, &I::setChange_LunchBreak),
        FlagBlock("XA", &I::Change_AlarmSilence, &I::setChange_AlarmSilence),
        FlagBlock("XW", &I::Change_LogOverWrite, &I::setChange_LogOverWrite),
        FlagBlock("XT", &I::Change_LcdBackLight, &I::setChange_LcdBackLight),
        FlagBlock("X8", &I::Change_PumpOnOffDisp, &I::setChange_PumpOnOffDisp),
        FlagBlock("BV", &I::Change_BumpFunction, &I::setChange_BumpFunction),
        FlagBlock("BJ", &I::Change_DispBumpLimit, &I::setChange_DispBumpLimit),
        FlagBlock("BK", &I::Change_BumpLimit, &I::setChange_BumpLimit),
        FlagBlock("BL", &I::Change_BumpCheck, &I::setChange_BumpCheck),
        AnyFlagBlock("BU",
                     {&I::Change_BumpTime, &I::Change_BumpThreshold, &I::Change_BumpFailAfter,
                      &I::Change_BumpFailCalTime},
                     {}),
        FlagBlock("BW", &I::Change_BumpCheckALL, &I::setChange_BumpCheckALL),
        AnyFlagBlock("WB", {&I::Change_LcBhMode, &I::Change_BhTime, &I::Change_LcBuzzer}, {}),
        FlagBlock("AF", &I::Change_AlarmOnOff, nullptr),
        FlagBlock("AM", &I::Change_StelTwaOnOff, nullptr),
        FlagBlock("AT", &I::Change_AlarmO2, &I::setChange_AlarmO2),
        ChannelBlock("A1", &I::Change_Warn, &I::setChange_Warn),
        ChannelBlock("A2", &I::Change_Alarm, &I::setChange_Alarm),
        ChannelBlock("AS", &I::Change_Stel, &I::setChange_Stel),
        ChannelBlock("AW", &I::Change_Twa, &I::setChange_Twa),
        ChannelBlock("SA", &I::Change_AutoCal, &I::setChange_AutoCal),
        ChannelBlock("UZ", &I::Change_Zero, &I::setChange_Zero),
        FlagBlock("SC", &I::Change_CalLimit, &I::setChange_CalLimit),
        FlagBlock("XP", &I::Change_Interval, &I::setChange_Interval),
        FlagBlock("UJ", &I::Change_SpecType, &I::setChange_SpecType),
        FlagBlock("LE", &I::Change_Lc_PpmAuto, &I::setChange_Lc_PpmAuto),
        FlagBlock("SJ", &I::Change_AutoZero, &I::setChange_AutoZero),
        FlagBlock("SG", &I::Change_DemandZero, &I::setChange_DemandZero),
        AnyFlagBlock("MP", {&I::Change_UseUserPassword, &I::Change_UserPassword2},
                     {&I::setChange_UseUserPassword, &I::setChange_UserPassword2}),
        ListBlock("XS", K::StationList, &I::setChange_StationID),
        ListBlock("XZ", K::UserList, &I::setChange_UserID),
    };
}

bool EntryChanged(const WriteBlock& block, const I& r, int j) {
    return block.BlockKind == WriteBlock::Kind::StationList ? r.Change_StationList(j)
                                                            : r.Change_UserList(j);
}

void ClearEntry(const WriteBlock& block, I& r, int j) {
    if (block.BlockKind == WriteBlock::Kind::StationList)
        r.setChange_StationList(j, false);
    else
        r.setChange_UserList(j, false);
}

QString Elapsed(qint64 ms) {
    const qint64 s = qMax<qint64>(0, ms / 1000);
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600, 2, 10, QLatin1Char('0'))
        .arg((s / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

const std::vector<WriteBlock>& WriteBlocks() {
    static const std::vector<WriteBlock> blocks = BuildBlocks();
    return blocks;
}

std::vector<WriteStep> WriteSteps(const clsInstrument& record) {
    std::vector<WriteStep> out;
    const std::vector<WriteBlock>& blocks = WriteBlocks();
    for (size_t b = 0; b < blocks.size(); ++b) {
        const WriteBlock& block = blocks[b];
        if (block.BlockKind == WriteBlock::Kind::Single) {
            if (block.Changed(record))
                out.push_back({CommandSet::WriteCommand(block.Code, record), int(b), -1});
            continue;
        }
        for (int j = 0; j < clsInstrument::kListEntries; ++j) {
            if (EntryChanged(block, record, j))
                out.push_back({CommandSet::WriteCommand(block.Code, record, j), int(b), j});
        }
    }
    return out;
}

QStringList PendingWriteCommands(const clsInstrument& record) {
    QStringList out;
    for (const WriteStep& w : WriteSteps(record))
        out << w.Text;
    return out;
}

namespace {

// The run's bookkeeping: how it started, and the log lines at its end.
class RunLog {
public:
    explicit RunLog(uclTqif& link) : link_(link), clock_(link.clock()) {
        link_.AddLog(LoadMessage(kMsgUploadSequenceStarted, {dateText()}));
        startMs_ = nowMs();
    }
    void finish(bool ok) {
        if (ok)
            link_.AddLog(
                LoadMessage(kMsgUploadSequenceFinished, {dateText(), Elapsed(nowMs() - startMs_)}));
        else
            link_.AddLog(LoadMessage(kMsgUploadSequenceFailed, {dateText()}));
    }

private:
    qint64 nowMs() const { return clock_ ? clock_->elapsedMs() : 0; }
    QString dateText() const { return SerialLog::GeneralDate(link_.serialLog().now()); }
    uclTqif& link_;
    LinkClock* clock_;
    qint64 startMs_ = 0;
};

// Sends one write command of a run. A line that went down since the run
// began fails the command before it is sent: the detector that answers now
// is not known to hold what the run sent before.
LinkResult SendOne(uclTqif& link, const QString& text, int lineLosses, WriteRun& run) {
    if (link.LineLosses() != lineLosses)
        run.Result = LinkResult::LineLost;
    else
        run.Result = link.SendAndWait(text, kStatusAwaiting);
    if (run.Result == LinkResult::Done) {
        run.Accepted << text;
    } else {
        if (link.LineLosses() != lineLosses && run.Result != LinkResult::Cancelled)
            run.Result = LinkResult::LineLost;
        run.Failed = text;
    }
    return run.Result;
}

// "DW,W," and then "DW,C," until the detector says it has stored.
void Commit(uclTqif& link, ResponseContext& ctx, const CommitTiming& timing, int lineLosses,
            WriteRun& run) {
    run.CommitStarted = true;
    if (SendOne(link, QStringLiteral("DW,W,"), lineLosses, run) != LinkResult::Done)
        return;
    run.Accepted.removeLast();
    run.Result = ConfirmEvery(link, ctx, QStringLiteral("DW,C,"), kStatusAwaiting,
                              ConfirmTiming{timing.PollMs, timing.LimitMs});
    if (run.Result == LinkResult::Done && link.LineLosses() != lineLosses)
        run.Result = LinkResult::LineLost;
    run.Committed = run.Result == LinkResult::Done;
}

} // namespace

WriteRun WriteRecord(uclTqif& link, ResponseContext& ctx, clsInstrument* iObj,
                     const CommitTiming& timing) {
    WriteRun run;
    if (!iObj) {
        run.Result = LinkResult::Refused;
        return run;
    }
    RunLog log(link);
    // A cancel left over from an earlier run would end every command at once.
    link.setCancel(false);
    ctx.Instrument = iObj;
    const int lineLosses = link.LineLosses();

    const std::vector<WriteBlock>& blocks = WriteBlocks();
    for (const WriteStep& w : WriteSteps(*iObj)) {
        if (SendOne(link, w.Text, lineLosses, run) != LinkResult::Done)
            break;
        const WriteBlock& block = blocks[size_t(w.Block)];
        block.Clear(*iObj);
        // A list entry's own flag too, so that the next write does not send
        // every entry again.
        if (w.Entry >= 0)
            ClearEntry(block, *iObj, w.Entry);
    }
    if (run.Result == LinkResult::Done && !run.Accepted.isEmpty())
        Commit(link, ctx, timing, lineLosses, run);
    log.finish(run.Result == LinkResult::Done);
    return run;
}

WriteRun WriteCommands(uclTqif& link, ResponseContext& ctx, clsInstrument& echoRecord,
                       const QStringList& commands, const CommitTiming& timing) {
    WriteRun run;
    RunLog log(link);
    link.setCancel(false);
    clsInstrument* const previous = ctx.Instrument;
    ctx.Instrument = &echoRecord;
    const int lineLosses = link.LineLosses();
    for (const QString& text : commands) {
        if (SendOne(link, text, lineLosses, run) != LinkResult::Done)
            break;
    }
    if (run.Result == LinkResult::Done && !run.Accepted.isEmpty())
        Commit(link, ctx, timing, lineLosses, run);
    log.finish(run.Result == LinkResult::Done);
    ctx.Instrument = previous;
    return run;
}

bool SetInstrument(uclTqif& link, ResponseContext& ctx, clsInstrument* iObj,
                   const CommitTiming& timing) {
    return WriteRecord(link, ctx, iObj, timing).Result == LinkResult::Done;
}
