// The calibration certificate of one span calibration run: a one-page PDF
// with the program and its version, the detector, station and user, the date
// and time of the run, one row per channel (gas, range, span concentration,
// result, the detector's values before and after, the reading at the end),
// the next due date and a signature line.
#pragma once

#include "register/RegisterEvent.h"

#include <QString>

namespace InstrumentRegister {

class Store;

// The detector's model as printed on the certificate.
constexpr const char* kDetectorModel = "TQ-7350";

// The calibration run `runId` of `serialNo` (0: its latest span run). False
// with the reason: the register failed, the detector or the run is unknown,
// or the event is no span run of that detector.
bool FindCalibrationRun(Store& store, const QString& serialNo, qint64 runId, Event* run,
                        DetectorSummary* summary, QString* error);

// The next calibration due after `run`: the run's date plus the detector's
// calibration limit; null when the limit is off or unknown.
QDateTime NextDue(const Event& run, const DetectorSummary& summary);

// The certificate as rich text (what the PDF holds).
QString CertificateHtml(const Event& run, const DetectorSummary& summary);

// Writes the PDF to `path` (a temporary file renamed into place). Needs a
// QGuiApplication (fonts). False with the reason.
bool WriteCertificate(const QString& path, const Event& run, const DetectorSummary& summary,
                      QString* error);

} // namespace InstrumentRegister
