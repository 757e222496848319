#include "cli/CommandContext.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "cli/CliConsole.h"
#include "cli/CliSession.h"
#include "cli/CommandTable.h"
#include "link/ReadSequence.h"
#include "records/SettingsHistory.h"
#include "workflows/UnfinishedWrite.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace cli {

CommandContext::CommandContext(const Invocation& invocation, Console& output)
    : inv(invocation), console(output) {}

CommandContext::~CommandContext() = default;

CliSession& CommandContext::session() {
    if (!session_)
        session_ = std::make_unique<CliSession>(inv, console);
    return *session_;
}

void CommandContext::closeSession() {
    if (session_)
        session_->close();
    session_.reset();
}

RegisterEvents::Recorder& CommandContext::recorder() {
    if (!recorder_) {
        InstrumentRegister::Location location;
        const bool emulated = inv.transport == TransportChoice::Sim;
        if (!InstrumentRegister::ChooseLocation(inv.noRegister, inv.registerLocation, emulated,
                                                &location, &registerError_))
            location = InstrumentRegister::Location();
        recorder_ = std::make_unique<RegisterEvents::Recorder>(location);
    }
    return *recorder_;
}

void CommandContext::error(const QString& text) {
    console.error(text);
    lastError = Console::Tidy(text);
}

void CommandContext::info(const QString& text) {
    console.progressLine(text);
}

void CommandContext::line(const QString& text, int32_t colour) {
    console.line(text, colour);
    if (colour == Console::kRed)
        lastError = Console::Tidy(text);
}

void CommandContext::out(const QString& text) {
    if (!inv.json)
        console.out(text);
}

QString CommandContext::absolute(const QString& path) const {
    return QDir::current().absoluteFilePath(path);
}

namespace {

// Before anything else on a detector that holds part of a write that did
// not complete: say so, and refuse a command that would change what it
// holds (the next store would store that part with it).
int CheckUnfinishedWrite(CommandContext& c, CliSession& s) {
    if (c.inv.command == Command::Recover)
        return kExitDone;
    const std::optional<PendingWrite> entry = UnfinishedWrite::Find(s.link());
    if (!entry)
        return kExitDone;
    c.line(UnfinishedWrite::Description(*entry), Console::kRed);
    const CommandSpec* spec = FindCommand(c.inv.command);
    // A dry run of a write reads and compares only.
    const bool changes = (spec && spec->changesDetector && !c.inv.dryRun) ||
                         (c.inv.command == Command::Clock && c.inv.set);
    c.result.insert(QStringLiteral("unfinishedWrite"), entry->Serials.value(0).trimmed());
    if (!changes) {
        c.info(LoadMessage(kMsgRecoverChoose));
        return kExitDone;
    }
    c.error(LoadMessage(kMsgRecoveryNeeded, {entry->Serials.value(0).trimmed()}));
    return kExitFailed;
}

} // namespace

void RecordEvent(CommandContext& c, const RegisterEvents::Event& event) {
    RegisterEvents::Recorder& recorder = c.recorder();
    QString warning;
    if (!c.registerError().isEmpty()) {
        warning = LoadMessage(kMsgRegisterNotRecorded, {c.registerError()});
    } else if (recorder.enabled()) {
        workflows::Report report;
        report.line = [&warning](const QString& text, workflows::Tone) { warning = text; };
        qint64 id = 0;
        if (recorder.Record(event, report, &id)) {
            c.result.insert(QStringLiteral("registerEvent"), double(id));
            return;
        }
    }
    if (warning.isEmpty())
        return;
    // A warning, not the command's error: the detector work went as reported.
    c.console.error(warning);
    c.result.insert(QStringLiteral("registerWarning"), Console::Tidy(warning));
}

int Connect(CommandContext& c, const NoAnswerTexts& noAnswer) {
    CliSession& s = c.session();
    if (const int status = s.prepare(); status != kExitDone)
        return status;
    const int status = s.connectDetector();
    if (status == kExitNoDetector) {
        if (noAnswer.line != kNoText)
            c.line(LoadMessage(noAnswer.line), Console::kRed);
        if (noAnswer.log != kNoText)
            s.link().AddLog(LoadMessage(noAnswer.log, {s.dateText()}));
    }
    if (status != kExitDone)
        return status;
    return CheckUnfinishedWrite(c, s);
}

int Interrupted(CommandContext& c) {
    c.error(LoadMessage(kMsgInterrupted));
    return kExitFailed;
}

CommandCounter::CommandCounter(CommandContext& c, uclTqif& link, const QString& label, int total)
    : c_(c) {
    c_.console.beginProgress(label, total);
    connection_ = QObject::connect(&link, &uclTqif::StatusChanged, [this](int status) {
        const bool awaiting = status == kStatusAwaitingRead || status == kStatusAwaiting;
        if (awaiting && !awaiting_)
            c_.console.setProgress(++count_);
        awaiting_ = awaiting;
    });
}

CommandCounter::~CommandCounter() {
    QObject::disconnect(connection_);
    c_.console.endProgress();
}

workflows::Report ConsoleReport(CommandContext& c) {
    workflows::Report report;
    report.line = [&c](const QString& text, workflows::Tone tone) {
        switch (tone) {
        case workflows::Tone::Listing:
            return;
        case workflows::Tone::Failure:
            c.line(text, Console::kRed);
            return;
        case workflows::Tone::Progress:
        case workflows::Tone::Transfer:
            c.line(text, Console::kGreen);
            return;
        }
    };
    return report;
}

StepProgress::StepProgress(CommandContext& c, const QString& label) : c_(c), label_(label) {}

StepProgress::~StepProgress() {
    if (total_ > 0)
        c_.console.endProgress();
}

workflows::Report StepProgress::report() {
    workflows::Report report = ConsoleReport(c_);
    report.steps = [this](int done, int total) { steps(done, total); };
    return report;
}

void StepProgress::steps(int done, int total) {
    if (total <= 0)
        return;
    if (total != total_) {
        total_ = total;
        c_.console.beginProgress(label_, total);
    }
    timeLeft_.Update(done, total, QDateTime::currentMSecsSinceEpoch());
    const qint64 left = timeLeft_.RemainingMs();
    c_.console.setProgress(done, left < 0 ? QString()
                                          : LoadMessage(kMsgProgressTimeLeft,
                                                        {workflows::TimeLeftEstimate::Text(left)}));
}

int ReadTableSize() {
    int n = 0;
    for (const QString& command : ReadCommandTable())
        n += command.isEmpty() ? 0 : 1;
    return n;
}

InformationDownload::Result Download(CommandContext& c, CliSession& s, bool readHistories) {
    InformationDownload::Options options;
    options.ChannelLocked = s.lockedChannels();
    options.ReadHistories = readHistories;
    CommandCounter counter(c, s.link(), LoadMessage(kMsgNowDownloading),
                           ReadTableSize() + (readHistories ? 2 : 0));
    return InformationDownload::Run(s.link(), s.record(), options, ConsoleReport(c));
}

int DownloadFailure(CommandContext& c, const InformationDownload::Result& r) {
    switch (r.outcome) {
    case InformationDownload::Outcome::NotConnected:
        return kExitNoDetector;
    case InformationDownload::Outcome::Cancelled:
        return Interrupted(c);
    default:
        if (!r.FailLine.isEmpty())
            c.result.insert(QStringLiteral("failLine"), r.FailLine);
        c.lastError = LoadMessage(kMsgDownloadFailed);
        return kExitFailed;
    }
}

bool CheckSuffix(CommandContext& c) {
    if (c.inv.historyGiven && !IsValidHistorySuffix(c.inv.historySuffix)) {
        c.error(LoadMessage(kMsgBadFileNameCharacter));
        return false;
    }
    return true;
}

bool CheckOutputFile(CommandContext& c, const QString& path) {
    const QFileInfo info(path);
    if (info.isDir() || !info.dir().exists()) {
        c.error(LoadMessage(
            kMsgCannotWriteFile,
            {path, info.isDir() ? QStringLiteral("a folder") : QStringLiteral("no such folder")}));
        return false;
    }
    return true;
}

} // namespace cli
