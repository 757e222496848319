// Complete state of one emulated TQ-7350 detector and its JSON form.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <array>

constexpr int kSimChannels = 5;
constexpr int kSimListEntries = 128;
constexpr int kSimLibraryEntries = 31;  // LI table indexes 0..30
constexpr int kSimLoggerBytes = 524288; // logger (flash) memory, 1024 blocks of 512
constexpr int kSimPowerDataBytes = 4096;
constexpr int kSimParamBytes = 8192; // parameter memory listed by "EF"

// Value of a point, reading or concentration that is not set.
constexpr double kSimNoValue = -101.0;

// One gas channel.
struct SimChannel {
    bool enabled = true;
    QString name; // up to 11 characters
    double fullScale = 0.0;
    double step = 1.0; // display step
    int point = 0;     // decimals of full scale and step (0..3)
    QString unit;      // up to 4 characters
    // Alarm points and span gas; negative = not set ("*****").
    double warning = kSimNoValue, alarm = kSimNoValue, stel = kSimNoValue, twa = kSimNoValue;
    double autoCalib = kSimNoValue;
    int zero = 0;      // zero follower (0/1)
    int overScale = 0; // over-scale flag (0/1), reported for channels 0..3
    // Latest calibration: date and the 5-character before/after fields.
    QDateTime calibDate;
    QString calibBefore, calibAfter;
    // Latest bump test: date and the 5-character result/concentration fields
    // (" FAIL" allowed).
    QDateTime bumpDate;
    QString bumpResult, bumpConcentration;
    // Live reading model: the reading hovers around `baseReading` by +/- `noise`.
    double baseReading = 0.0;
    double noise = 0.0;
};

// One entry of the sensor library (LI) or of the pair in use (LS).
struct SimLibraryEntry {
    QString name; // up to 10 characters; "----------" = unused
    double fullScale = 0.0;
    double step = 0.0;
    int point = 0;
    QString unit; // up to 4 characters
    float ratio = 0.0f;
};

// Content of the logger memory. Only these four ways of filling it exist, so
// the state file names the content instead of holding 512 KiB.
enum class SimLoggerContent { Default, Check, Erased };

struct SimState {
    // Identity.
    QString modelName;
    QString serialNo, dummySerial, specNo;
    QString stationId, userId;
    std::array<QString, kSimListEntries> stationList, userList;
    int romNumber = 0;
    QString sum; // program checksum (hex text)

    // Scalar settings, named as the settings record names them.
    int Intervals = 0, CalLimit = 0, LcdBackLight = 0, BumpLimit = 0, FlowLevel = 0;
    int pressOffset = 0;
    int DispID = 0, dlogOnOff = 0, PumpOnOffDisp = 0, PeakBar = 0, Confirmation = 0;
    int HcMode = 0, AlarmMode = 0, DispCalLimit = 0, CalCheck = 0, CalCheckALL = 0;
    int BumpCheckALL = 0, LunchBreak = 0, AlarmSilence = 0, LogOverWrite = 0;
    int Lc_PpmAuto = 0, IsCustom = 0, BumpFunction = 0, BumpCheck = 0, DispBumpLimit = 0;
    int BumpTime = 0, BumpThreshold = 0, BumpFailCalTime = 0, BumpFailAfter = 0;
    int LcBhMode = 0, BhTime = 0, LcBuzzer = 0;
    int AlarmO2 = 0, AlarmOnOff = 0, StelTwaOnOff = 0;
    int DemandZero = 0, AutoZero = 0, SpecType = 0;
    int UseUserPassword = 0;
    QString UserPassword2;
    int Battery = 0;
    // Maintenance state.
    int SHmode = 0, shWetDry = 0, pump = 0;

    std::array<SimChannel, kSimChannels> channels;

    // Sensor library; pages of "LI" carry entries k and k + 15.
    std::array<SimLibraryEntry, kSimLibraryEntries> library;
    int lsIndex = 1; // library entry in use (1..15); the pair is entries lsIndex and lsIndex + 15
    std::array<SimLibraryEntry, 2> lsPair;

    // Detector clock = PC clock + offset.
    qint64 clockOffsetSecs = 0;

    // Raw converter values ("HA").
    std::array<int, 7> analogValues{};
    float adrealValue = 0.0f;

    // Memory areas.
    SimLoggerContent loggerContent = SimLoggerContent::Default;
    bool powerDataErased = false;
    QByteArray logger;    // kSimLoggerBytes, rebuilt from loggerContent
    QByteArray powerData; // kSimPowerDataBytes, rebuilt from powerDataErased

    // Factory defaults of a plausible detector.
    static SimState Defaults();
    // Rebuilds `logger` and `powerData` from their content markers.
    void rebuildMemory();
    // The parameter memory as listed by "EF": identity, gas records, scalar
    // settings and the station and user lists at fixed addresses.
    QByteArray parameterMemory() const;
    // Restores every setting to the factory defaults; identity (serial
    // numbers, spec no., ROM, SUM), clock, histories and memories stay.
    void restoreFactorySettings();

    QJsonObject toJson() const;
    // Fills `out` (which should hold defaults) from JSON; members that are
    // missing keep their value. False with a message for a malformed member.
    static bool fromJson(const QJsonObject& o, SimState& out, QString* error = nullptr);
    // Written to a temporary file and renamed into place.
    bool save(const QString& path, QString* error = nullptr) const;
    static bool load(const QString& path, SimState& out, QString* error = nullptr);
};

// Named integer settings: JSON key, member. Used by the JSON form and by the
// parameter memory image.
struct SimIntSetting {
    const char* name;
    int SimState::*member;
};
const QList<SimIntSetting>& SimIntSettings();
