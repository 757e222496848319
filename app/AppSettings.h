// Program-wide settings and state of the application shell: the start-up
// switches, the access code, the shared font and everything the
// configuration file "TQ7350Config.ini" carries between runs.
#pragma once

#include <QString>
#include <cstdint>

// A font as the configuration file and the windows describe it. Kept free of
// QtGui so that the core library stays usable without a display.
struct FontSpec {
    QString name;
    float size = 9.0f;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
    int16_t weight = 400;
    int16_t charset = 0;
};

// One entry of the per-channel list of alternative gases ("CHGGAS").
struct GasChangeEntry {
    bool enabled = false;
    QString name;
    bool locked = false;
    QString unit;
    float fullScale = 0;
    float digit = 0;
    int16_t points = 0;
    float warning = 0;
    float alarm = 0;
    float stel = 0;
    float twa = 0;
    float ratio = 0;
    float autoCal = 0;
    int16_t zero = 0;
};

constexpr int kGasChangeChannels = 6; // channels 0..5
constexpr int kGasChangeEntries = 17; // entries 0..16

struct AppSettings {
    // Start-up (command line and access code).
    bool DebugMode = false;
    bool FactoryMode = false;
    FontSpec SharedFont;
    QString AccessCode = QStringLiteral("8261");
    bool AccessGranted = false;

    // Configuration file.
    QString ConfigFolder;
    int32_t ExecuteCount = 0;
    bool SerialLogEnabled = false;
    QString FactoryRecordSuffix;
    int16_t IrCommNum = 0;
    // Where the platform names ports by device path rather than by COM number,
    // the port found by discovery (or named by the user) is kept here.
    QString IrCommPortName;
    // A socket endpoint ("host:port") named by the user instead of discovery.
    QString SocketEndpoint;
    QString CommSettings = QStringLiteral("921600,n,8,1");
    int16_t CommTimeout = 3;
    int16_t CommRetry = 3;
    int16_t CommDelay = 0;
    bool AutoLoadEnabled = false;
    bool AutoRemoveEnabled = false;
    int16_t LimitDays = 0;
    float CalibRange[5] = {0, 0, 0, 0, 0};
    bool GasLocked[6] = {false, false, false, false, false, false};
    float FactAutoCal[5] = {0, 0, 0, 0, 0};
    int32_t GraphColor[5] = {0, 0, 0, 0, 0};
    float ConvParam = 0;
    bool ConvEnabled = false;
    QString UnitText[2];
    GasChangeEntry GasChangeTable[kGasChangeChannels][kGasChangeEntries];
    int16_t MainWindowState = 0;
    float MainWindowWidth = 7680;
    float MainWindowHeight = 5760;
    float PrtWidth[2] = {0, 0};
    int16_t CalUnitOnWait = 45;
    int16_t CalSpanOnWait = 90;
    int16_t CalSpanOffWait = 45;
    bool CompletelyView = false;
    int16_t TrendSearchBefore = -30;
    int16_t TrendSearchAfter = 45;
};

// The one program-wide instance. Tests may reset it with `App() = AppSettings{}`.
AppSettings& App();
