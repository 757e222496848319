// "Instrument Register": every detector the window and the tool have seen,
// with its station, user, last contact, last calibration and due dates,
// coloured by how soon they are due, sortable by any column and filtered by
// a text; the list goes out as CSV. A double click opens the detector's
// page: its events in time order, the settings each read found, the
// differences between a read and the one before it, and the calibration
// certificate of a span calibration.
//
// The window only shows: the register, its texts and the certificate are in
// register/.
#pragma once

#include "register/RegisterEvent.h"

#include <QDialog>
#include <QList>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSortFilterProxyModel;
class QStackedWidget;
class QStandardItemModel;
class QTableView;

namespace RegisterEvents {
class Recorder;
}

class frmRegister : public QDialog {
    Q_OBJECT
public:
    // Columns of the list.
    enum Column {
        kColSerial,
        kColStation,
        kColUser,
        kColLastSeen,
        kColLastCal,
        kColCalDue,
        kColBumpDue,
        kColumns
    };
    // Columns of the detector's events.
    enum EventColumn { kEvNumber, kEvTime, kEvTitle, kEvResult, kEventColumns };

    frmRegister(RegisterEvents::Recorder& recorder, QWidget* parent = nullptr);

    // Reads the list again; false (with the reason shown) when the register
    // cannot be read.
    bool Reload();
    // Shows the page of `serialNo`; false when the register does not know it.
    bool ShowDetector(const QString& serialNo);
    void ShowList();

    // The background of a due state.
    static QColor DueColour(int state);

    // For the tests and the screenshots.
    QTableView* List() const { return list_; }
    QSortFilterProxyModel* ListProxy() const { return proxy_; }
    QLineEdit* Filter() const { return filter_; }
    QTableView* EventTable() const { return events_; }
    QPlainTextEdit* SettingsText() const { return settings_; }
    QPlainTextEdit* DifferencesText() const { return differences_; }
    QLabel* Message() const { return message_; }
    QPushButton* CertificateButton() const { return certificate_; }
    bool OnDetectorPage() const;
    // Selects the event in row `row` of the detector's page.
    void SelectEvent(int row);

    // Asks for a file and writes the list as CSV / the selected (or latest)
    // span calibration's certificate as PDF.
    void ExportCsv();
    void WriteCertificateOf(qint64 runId);
    // Asks for a file and writes the certificate of span run `runId` of
    // `serialNo` (0: its latest); says what went wrong in a box. True when
    // written.
    static bool SaveCertificate(QWidget* parent, RegisterEvents::Recorder& recorder,
                                const QString& serialNo, qint64 runId);

private:
    void BuildControls();
    void EventSelected();
    void OpenSelected();
    void ShowError(const QString& text);

    RegisterEvents::Recorder& recorder_;
    QString serialNo_;
    QList<InstrumentRegister::Event> detectorEvents_;
    QStackedWidget* pages_ = nullptr;
    QLineEdit* filter_ = nullptr;
    QTableView* list_ = nullptr;
    QStandardItemModel* model_ = nullptr;
    QSortFilterProxyModel* proxy_ = nullptr;
    QLabel* message_ = nullptr;
    QLabel* heading_ = nullptr;
    QTableView* events_ = nullptr;
    QStandardItemModel* eventModel_ = nullptr;
    QPlainTextEdit* settings_ = nullptr;
    QPlainTextEdit* differences_ = nullptr;
    QPushButton* certificate_ = nullptr;
};
