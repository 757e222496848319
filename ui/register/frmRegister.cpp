#include "ui/register/frmRegister.h"

#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "register/Certificate.h"
#include "register/DueDates.h"
#include "register/RegisterStore.h"
#include "register/RegisterText.h"
#include "ui/FileDialog.h"
#include "ui/MessageBox.h"
#include "workflows/RegisterEvents.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

using namespace InstrumentRegister;

namespace {

// Sorting: dates by their ISO text (an empty date sorts first), numbers as
// numbers.
constexpr int kSortRole = Qt::UserRole + 1;
// The event's number in the detector's list.
constexpr int kEventIdRole = Qt::UserRole + 2;

constexpr int kListPage = 0;
constexpr int kDetectorPage = 1;

QStandardItem* Item(const QString& text, const QVariant& sortKey = QVariant()) {
    auto* item = new QStandardItem(text);
    item->setEditable(false);
    item->setData(sortKey.isValid() ? sortKey : QVariant(text), kSortRole);
    return item;
}

QStandardItem* DateItem(const QDateTime& t, bool dayOnly) {
    return Item(dayOnly ? DayText(t) : DateText(t),
                t.isValid() ? t.toUTC().toString(Qt::ISODate) : QString());
}

QString DueText(const QDateTime& due) {
    return due.isValid() ? DayText(due) : QStringLiteral("-");
}

} // namespace

frmRegister::frmRegister(RegisterEvents::Recorder& recorder, QWidget* parent)
    : QDialog(parent), recorder_(recorder) {
    setObjectName(QStringLiteral("frmRegister"));
    setWindowTitle(LoadMessage(kMsgRegisterTitle));
    BuildControls();
    Reload();
}

QColor frmRegister::DueColour(int state) {
    switch (DueState(state)) {
    case DueState::Overdue:
        return QColor(255, 176, 176);
    case DueState::Soon:
        return QColor(255, 230, 150);
    case DueState::Ok:
    case DueState::Unknown:
        break;
    }
    return {};
}

void frmRegister::BuildControls() {
    pages_ = new QStackedWidget(this);

    // The list.
    auto* listPage = new QWidget(pages_);
    auto* filterLabel = new QLabel(LoadMessage(kMsgRegisterFilter), listPage);
    filter_ = new QLineEdit(listPage);
    filter_->setObjectName(QStringLiteral("txtFilter"));
    filter_->setClearButtonEnabled(true);
    filterLabel->setBuddy(filter_);
    auto* refresh = new QPushButton(LoadMessage(kMsgRegisterRefresh), listPage);
    auto* exportCsv = new QPushButton(LoadMessage(kMsgRegisterExportCsv), listPage);
    exportCsv->setObjectName(QStringLiteral("cmdExportCsv"));
    message_ = new QLabel(listPage);
    message_->setObjectName(QStringLiteral("lblMessage"));
    message_->setWordWrap(true);

    model_ = new QStandardItemModel(0, kColumns, this);
    model_->setHorizontalHeaderLabels(
        {LoadMessage(kMsgRegisterColSerial), LoadMessage(kMsgRegisterColStation),
         LoadMessage(kMsgRegisterColUser), LoadMessage(kMsgRegisterColLastSeen),
         LoadMessage(kMsgRegisterColLastCal), LoadMessage(kMsgRegisterColCalDue),
         LoadMessage(kMsgRegisterColBumpDue)});
    proxy_ = new QSortFilterProxyModel(this);
    proxy_->setSourceModel(model_);
    proxy_->setSortRole(kSortRole);
    proxy_->setFilterCaseSensitivity(Qt::CaseInsensitive);
    proxy_->setFilterKeyColumn(-1); // any column
    list_ = new QTableView(listPage);
    list_->setObjectName(QStringLiteral("tblDetectors"));
    list_->setModel(proxy_);
    list_->setSortingEnabled(true);
    list_->sortByColumn(kColSerial, Qt::AscendingOrder);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->verticalHeader()->hide();
    list_->horizontalHeader()->setStretchLastSection(true);
    connect(filter_, &QLineEdit::textChanged, this, [this](const QString& text) {
        proxy_->setFilterFixedString(text);
        message_->setText(LoadMessage(kMsgRegisterCount, {proxy_->rowCount(), model_->rowCount()}));
    });
    connect(refresh, &QPushButton::clicked, this, &frmRegister::Reload);
    connect(exportCsv, &QPushButton::clicked, this, &frmRegister::ExportCsv);
    connect(list_, &QTableView::activated, this, &frmRegister::OpenSelected);

    auto* bar = new QHBoxLayout;
    bar->addWidget(filterLabel);
    bar->addWidget(filter_, 1);
    bar->addWidget(refresh);
    bar->addWidget(exportCsv);
    auto* listLayout = new QVBoxLayout(listPage);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->addLayout(bar);
    listLayout->addWidget(list_, 1);
    listLayout->addWidget(message_);

    // The detector's page.
    auto* detectorPage = new QWidget(pages_);
    auto* back = new QPushButton(LoadMessage(kMsgRegisterBack), detectorPage);
    back->setObjectName(QStringLiteral("cmdBack"));
    certificate_ = new QPushButton(LoadMessage(kMsgRegisterCertificateButton), detectorPage);
    certificate_->setObjectName(QStringLiteral("cmdCertificate"));
    heading_ = new QLabel(detectorPage);
    heading_->setObjectName(QStringLiteral("lblDetector"));
    heading_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    eventModel_ = new QStandardItemModel(0, kEventColumns, this);
    eventModel_->setHorizontalHeaderLabels(
        {LoadMessage(kMsgRegisterColNumber), LoadMessage(kMsgRegisterColTime),
         LoadMessage(kMsgRegisterColEvent), LoadMessage(kMsgRegisterColResult)});
    events_ = new QTableView(detectorPage);
    events_->setObjectName(QStringLiteral("tblEvents"));
    events_->setModel(eventModel_);
    events_->setSelectionBehavior(QAbstractItemView::SelectRows);
    events_->setSelectionMode(QAbstractItemView::SingleSelection);
    events_->verticalHeader()->hide();
    events_->horizontalHeader()->setStretchLastSection(true);
    settings_ = new QPlainTextEdit(detectorPage);
    settings_->setObjectName(QStringLiteral("txtSettings"));
    settings_->setReadOnly(true);
    settings_->setLineWrapMode(QPlainTextEdit::NoWrap);
    differences_ = new QPlainTextEdit(detectorPage);
    differences_->setObjectName(QStringLiteral("txtDifferences"));
    differences_->setReadOnly(true);
    differences_->setLineWrapMode(QPlainTextEdit::NoWrap);
    connect(back, &QPushButton::clicked, this, &frmRegister::ShowList);
    connect(certificate_, &QPushButton::clicked, this, [this] {
        const QModelIndexList rows = events_->selectionModel()->selectedRows();
        WriteCertificateOf(rows.isEmpty() ? 0 : rows.first().data(kEventIdRole).toLongLong());
    });
    connect(events_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &frmRegister::EventSelected);

    auto* texts = new QSplitter(Qt::Horizontal, detectorPage);
    auto* settingsBox = new QWidget(texts);
    auto* settingsLayout = new QVBoxLayout(settingsBox);
    settingsLayout->setContentsMargins(0, 0, 0, 0);
    settingsLayout->addWidget(new QLabel(LoadMessage(kMsgRegisterSettingsHeading), settingsBox));
    settingsLayout->addWidget(settings_);
    auto* differencesBox = new QWidget(texts);
    auto* differencesLayout = new QVBoxLayout(differencesBox);
    differencesLayout->setContentsMargins(0, 0, 0, 0);
    differencesLayout->addWidget(
        new QLabel(LoadMessage(kMsgRegisterDifferencesHeading), differencesBox));
    differencesLayout->addWidget(differences_);
    texts->addWidget(settingsBox);
    texts->addWidget(differencesBox);

    auto* detectorBar = new QHBoxLayout;
    detectorBar->addWidget(back);
    detectorBar->addStretch(1);
    detectorBar->addWidget(certificate_);
    auto* split = new QSplitter(Qt::Vertical, detectorPage);
    auto* eventsBox = new QWidget(split);
    auto* eventsLayout = new QVBoxLayout(eventsBox);
    eventsLayout->setContentsMargins(0, 0, 0, 0);
    eventsLayout->addWidget(new QLabel(LoadMessage(kMsgRegisterEventsHeading), eventsBox));
    eventsLayout->addWidget(events_);
    split->addWidget(eventsBox);
    split->addWidget(texts);
    auto* detectorLayout = new QVBoxLayout(detectorPage);
    detectorLayout->setContentsMargins(0, 0, 0, 0);
    detectorLayout->addLayout(detectorBar);
    detectorLayout->addWidget(heading_);
    detectorLayout->addWidget(split, 1);

    pages_->addWidget(listPage);
    pages_->addWidget(detectorPage);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    resize(900, 560);
}

void frmRegister::ShowError(const QString& text) {
    message_->setText(text);
    message_->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
}

bool frmRegister::Reload() {
    model_->removeRows(0, model_->rowCount());
    QString error;
    Store* store = recorder_.Open(&error);
    QList<DetectorSummary> detectors;
    if (!store || !store->Detectors(&detectors, &error)) {
        ShowError(error.isEmpty() ? LoadMessage(kMsgRegisterOff) : error);
        return false;
    }
    message_->setStyleSheet(QString());
    const QDateTime now = QDateTime::currentDateTimeUtc();
    list_->setSortingEnabled(false);
    model_->setRowCount(int(detectors.size()));
    for (int row = 0; row < detectors.size(); ++row) {
        const DetectorSummary& d = detectors.at(row);
        const QList<QStandardItem*> items{Item(d.serialNo),
                                          Item(d.station),
                                          Item(d.user),
                                          DateItem(d.lastSeen, false),
                                          DateItem(d.lastCalibration, true),
                                          DateItem(d.calibrationDue, true),
                                          DateItem(d.bumpDue, true)};
        for (int col = 0; col < kColumns; ++col)
            model_->setItem(row, col, items.at(col));
        // The row in the colour of its most urgent date; the date that is
        // due in its own colour.
        const QColor rowColour = DueColour(int(WorstState(d, now)));
        for (QStandardItem* item : items)
            if (rowColour.isValid())
                item->setBackground(rowColour);
        for (const auto& [col, due] : {std::pair{int(kColCalDue), d.calibrationDue},
                                       std::pair{int(kColBumpDue), d.bumpDue}}) {
            const QColor own = DueColour(int(StateOf(due, now)));
            if (own.isValid())
                items.at(col)->setBackground(own);
        }
        items.at(kColCalDue)->setToolTip(DueStateText(StateOf(d.calibrationDue, now)));
        items.at(kColBumpDue)->setToolTip(DueStateText(StateOf(d.bumpDue, now)));
    }
    list_->setSortingEnabled(true);
    list_->resizeColumnsToContents();
    message_->setText(LoadMessage(kMsgRegisterCount, {proxy_->rowCount(), model_->rowCount()}));
    return true;
}

void frmRegister::OpenSelected() {
    const QModelIndex index = list_->currentIndex();
    if (!index.isValid())
        return;
    ShowDetector(proxy_->index(index.row(), kColSerial).data().toString());
}

bool frmRegister::OnDetectorPage() const {
    return pages_->currentIndex() == kDetectorPage;
}

void frmRegister::ShowList() {
    pages_->setCurrentIndex(kListPage);
}

bool frmRegister::ShowDetector(const QString& serialNo) {
    QString error;
    Store* store = recorder_.Open(&error);
    DetectorSummary summary;
    bool found = false;
    if (!store || !store->Detector(serialNo, &summary, &found, &error) || !found ||
        !store->Events(serialNo, &detectorEvents_, &error)) {
        ShowError(found || !error.isEmpty() ? error
                                            : LoadMessage(kMsgRegisterUnknownDetector, {serialNo}));
        return false;
    }
    serialNo_ = serialNo;
    heading_->setText(LoadMessage(kMsgRegisterDetectorHeading,
                                  {serialNo, summary.station, summary.user,
                                   DueText(summary.calibrationDue), DueText(summary.bumpDue)}));
    eventModel_->removeRows(0, eventModel_->rowCount());
    bool anySpan = false;
    for (const Event& e : detectorEvents_) {
        QList<QStandardItem*> items{
            Item(QString::number(e.id)), Item(DateText(e.pcTime)), Item(EventTitle(e)),
            Item(LoadMessage(e.success ? kMsgRegisterSucceeded : kMsgRegisterFailedWord) +
                 (e.result.isEmpty() ? QString() : QStringLiteral("  ") + e.result))};
        for (QStandardItem* item : items)
            item->setData(e.id, kEventIdRole);
        if (!e.success)
            items.at(kEvResult)->setForeground(QColor(255, 0, 0));
        eventModel_->appendRow(items);
        anySpan = anySpan || e.kind == EventKind::Span;
    }
    certificate_->setEnabled(anySpan);
    events_->resizeColumnsToContents();
    pages_->setCurrentIndex(kDetectorPage);
    SelectEvent(int(detectorEvents_.size()) - 1);
    return true;
}

void frmRegister::SelectEvent(int row) {
    if (row < 0 || row >= eventModel_->rowCount()) {
        EventSelected();
        return;
    }
    events_->selectRow(row);
    EventSelected();
}

void frmRegister::EventSelected() {
    const QModelIndexList rows = events_->selectionModel()->selectedRows();
    const int row = rows.isEmpty() ? -1 : rows.first().row();
    if (row < 0 || row >= detectorEvents_.size()) {
        settings_->clear();
        differences_->clear();
        return;
    }
    const Event& e = detectorEvents_.at(row);
    if (e.kind != EventKind::Read) {
        QStringList lines;
        if (!e.written.isEmpty())
            lines << LoadMessage(kMsgRegisterWrittenHeading) << e.written;
        for (const ChannelEntry& c : e.channels)
            if (c.calibrated)
                lines << QStringLiteral("%1: %2").arg(
                    c.gas, LoadMessage(c.ok ? kMsgCertificatePassed : kMsgCertificateFailed));
        settings_->setPlainText(lines.isEmpty() ? LoadMessage(kMsgRegisterNotARead)
                                                : lines.join(QLatin1Char('\n')));
        differences_->clear();
        if (e.kind == EventKind::Span)
            certificate_->setEnabled(true);
        return;
    }
    settings_->setPlainText(e.settings);
    // The read before this one.
    const Event* earlier = nullptr;
    for (int i = row - 1; i >= 0 && !earlier; --i)
        if (detectorEvents_.at(i).kind == EventKind::Read)
            earlier = &detectorEvents_.at(i);
    if (!earlier) {
        differences_->setPlainText(LoadMessage(kMsgRegisterFirstRead));
        return;
    }
    const QStringList diff = SettingsDifferences(earlier->settings, e.settings);
    differences_->setPlainText(diff.isEmpty() ? LoadMessage(kMsgRegisterNoDifferences)
                                              : diff.join(QLatin1Char('\n')));
}

void frmRegister::ExportCsv() {
    FileDialogRequest request;
    request.parent = this;
    request.kind = FileDialogRequest::Kind::Save;
    request.title = LoadMessage(kMsgRegisterExportCsv).remove(QLatin1Char('&'));
    request.filters = {LoadMessage(kMsgRegisterCsvFilter)};
    request.defaultSuffix = QStringLiteral("csv");
    const QString path = AskFileName(request);
    if (path.isEmpty())
        return;
    QString error;
    Store* store = recorder_.Open(&error);
    QList<DetectorSummary> detectors;
    if (!store || !store->Detectors(&detectors, &error) ||
        !WriteListCsv(path, detectors, QDateTime::currentDateTimeUtc(), &error)) {
        MsgBox(this, error, windowTitle(), QMessageBox::Critical);
        return;
    }
    message_->setText(LoadMessage(kMsgRegisterExported, {path, int(detectors.size())}));
}

void frmRegister::WriteCertificateOf(qint64 runId) {
    // A selected event that is no span run: the latest span run.
    QString error;
    Store* store = recorder_.Open(&error);
    Event run;
    DetectorSummary summary;
    if (runId > 0 && store && !FindCalibrationRun(*store, serialNo_, runId, &run, &summary, &error))
        runId = 0;
    SaveCertificate(this, recorder_, serialNo_, runId);
}

bool frmRegister::SaveCertificate(QWidget* parent, RegisterEvents::Recorder& recorder,
                                  const QString& serialNo, qint64 runId) {
    const QString title = LoadMessage(kMsgCertificateTitle);
    QString error;
    Store* store = recorder.Open(&error);
    Event run;
    DetectorSummary summary;
    if (!store || !FindCalibrationRun(*store, serialNo, runId, &run, &summary, &error)) {
        MsgBox(parent, error, title, QMessageBox::Critical);
        return false;
    }
    FileDialogRequest request;
    request.parent = parent;
    request.kind = FileDialogRequest::Kind::Save;
    request.title = title;
    request.filters = {LoadMessage(kMsgRegisterPdfFilter)};
    request.defaultSuffix = QStringLiteral("pdf");
    const QString path = AskFileName(request);
    if (path.isEmpty())
        return false;
    if (!WriteCertificate(path, run, summary, &error)) {
        MsgBox(parent, error, title, QMessageBox::Critical);
        return false;
    }
    MsgBox(parent, LoadMessage(kMsgRegisterCertificateWritten, {path}), title,
           QMessageBox::Information);
    return true;
}
