// What a settings write will change. See WritePreview.h.
#include "workflows/WritePreview.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "link/WriteSequence.h"
#include "model/SettingsTable.h"
#include "model/clsInstrument.h"
#include "model/modGasCommon.h"
#include "records/SettingTexts.h"
#include "records/WriteLabels.h"

#include <vector>

namespace WritePreview {

namespace {

using SettingsTable::Kind;
using SettingsTable::Setting;

const QString kGasCommand = QStringLiteral("GJ");
const QString kGasKey = QStringLiteral("Gas");

// One setting (and index) that a write command carries.
struct Carried {
    const Setting* row = nullptr;
    int index = 0;
};

// The command code of a write step.
QString CodeOf(const WriteStep& step) {
    return WriteBlocks().at(size_t(step.Block)).Code;
}

// The settings a step of the write carries: for a list entry that entry,
// for a channel command all five channels, otherwise each setting of the
// command.
std::vector<Carried> CarriedBy(const WriteStep& step) {
    std::vector<Carried> out;
    for (const Setting* row : SettingsTable::CarriedBy(CodeOf(step))) {
        switch (row->SettingKind) {
        case Kind::ListEntry:
            if (step.Entry >= 0)
                out.push_back({row, step.Entry});
            break;
        case Kind::Channel:
            for (int ch = 0; ch < clsInstrument::kGasChannels; ++ch)
                out.push_back({row, ch});
            break;
        case Kind::Scalar:
            if (step.Entry < 0)
                out.push_back({row, 0});
            break;
        case Kind::LsEntry:
            break;
        }
    }
    return out;
}

// Everything the channel descriptor carries, to tell two descriptors apart.
QString GasDescriptor(const clsInstrument& r, int ch) {
    if (!r.GasEnabled(ch))
        return QString();
    const int point = r.GasPoint(ch);
    return QStringList{r.GasName(ch).trimmed(), r.GasUnit(ch).trimmed(),
                       modGasCommon::FormatReading(r.GasFullScale(ch), point),
                       modGasCommon::FormatReading(r.GasDesit(ch), point), QString::number(point)}
        .join(QLatin1Char('|'));
}

// The gas of a channel as the grid names it, "OFF" for a channel switched
// off; with its resolution when `withStep`.
QString GasText(const clsInstrument& r, int ch, bool withStep) {
    if (!r.GasEnabled(ch))
        return SettingTexts::Switch(0);
    const QString label = modGasCommon::FormatGasLabel(r, ch, true);
    if (!withStep)
        return label;
    return LoadMessage(
        kMsgGasWithStep,
        {label, modGasCommon::FormatReading(r.GasDesit(ch), r.GasPoint(ch)).trimmed()});
}

void AddGasItems(Preview& preview, const clsInstrument* old, const clsInstrument& now) {
    for (int ch = 0; ch < clsInstrument::kGasChannels; ++ch) {
        if (old && GasDescriptor(*old, ch) == GasDescriptor(now, ch))
            continue;
        // Two descriptors that differ only in what the label leaves out.
        const bool withStep = old && GasText(*old, ch, false) == GasText(now, ch, false);
        Item item;
        item.Key = kGasKey;
        item.Index = ch;
        item.Label = LoadMessage(kMsgGasOfChannel, {ch});
        item.New = GasText(now, ch, withStep);
        if (old)
            item.Old = GasText(*old, ch, withStep);
        preview.Items << item;
    }
}

} // namespace

QString Item::Text(bool withOld) const {
    return withOld ? LoadMessage(kMsgPreviewChange, {Label, Old, New})
                   : LoadMessage(kMsgPreviewNew, {Label, New});
}

QStringList Preview::Lines() const {
    QStringList out;
    for (const Item& item : Items)
        out << item.Text(HasOld);
    return out;
}

QString Heading(const Preview& preview, const QString& serialNo, const QDateTime& readAt) {
    if (!preview.HasOld)
        return LoadMessage(kMsgPreviewNoRead);
    if (preview.Items.isEmpty())
        return LoadMessage(kMsgPreviewNoChange);
    return LoadMessage(
        kMsgPreviewAgainst,
        {serialNo.trimmed(), readAt.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"))});
}

clsInstrument FlaggedForWrite(const clsInstrument& record, WriteSettings::Mode mode) {
    clsInstrument flagged = record;
    switch (mode) {
    case WriteSettings::Mode::Update:
        flagged.SetChangeFlags(true, false);
        break;
    case WriteSettings::Mode::UpdateId:
        flagged.SetChangeFlags(false, true);
        break;
    case WriteSettings::Mode::Flagged:
        break;
    }
    return flagged;
}

Preview Build(const clsInstrument* lastRead, const clsInstrument& record,
              WriteSettings::Mode mode) {
    Preview preview;
    preview.HasOld = lastRead != nullptr;
    const clsInstrument flagged = FlaggedForWrite(record, mode);
    const std::vector<WriteStep> steps = WriteSteps(flagged);
    preview.Commands = int(steps.size());
    for (const WriteStep& step : steps) {
        if (CodeOf(step) == kGasCommand) {
            AddGasItems(preview, lastRead, flagged);
            continue;
        }
        for (const Carried& c : CarriedBy(step)) {
            Item item;
            item.Key = c.row->Key;
            item.Index = c.index;
            item.New = SettingTexts::ValueText(item.Key, c.index, flagged).trimmed();
            if (lastRead) {
                item.Old = SettingTexts::ValueText(item.Key, c.index, *lastRead).trimmed();
                if (item.Old == item.New)
                    continue;
            }
            item.Label = SettingLabel(item.Key, c.index, flagged);
            preview.Items << item;
        }
    }
    return preview;
}

void TakeWritten(clsInstrument& lastRead, const clsInstrument& flagged) {
    for (const WriteStep& step : WriteSteps(flagged)) {
        for (const Carried& c : CarriedBy(step))
            c.row->Set(lastRead, c.index, c.row->Get(flagged, c.index));
    }
    lastRead.ClearChangeFlags();
}

} // namespace WritePreview
