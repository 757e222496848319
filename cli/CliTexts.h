// Names for the catalogue numbers of the command-line tool's own texts
// (usage, option errors, result lines), group 21000 of the message catalogue.
// Texts the windows also show (progress, results, the pre-write check
// messages) are taken from the catalogue by their own numbers.
#pragma once

#include "app/Catalogue.h"

#include <QString>
#include <QVariantList>

namespace clitext {

enum Id : int {
    Usage = 21001,
    UnknownCommand = 21002,
    UnknownOption = 21003,
    OptionNeedsValue = 21004,
    BadOptionValue = 21005,
    NoCommand = 21006,
    NeedsYes = 21007,
    NoDetectorAnswered = 21008,
    CannotOpenPort = 21009,
    NoAdapterFound = 21010,
    SettingsFileStored = 21011,
    HistoryAppended = 21012,
    CannotWriteFile = 21013,
    NeedsFileName = 21014,
    OneTransportOnly = 21015,
    PartialFileReadFirst = 21016,
    DetectorClock = 21017,
    PcClock = 21018,
    ClockDifference = 21019,
    NoReading = 21020,
    ChannelNotCalibratable = 21021,
    BadChannelFlags = 21022,
    BadConcentrations = 21023,
    ConcentrationOutOfRange = 21024,
    ReferenceMissing = 21025,
    LoggerImageWritten = 21026,
    DumpListWritten = 21027,
    SerialPortsHeading = 21028,
    AdapterMark = 21029,
    NoSerialPorts = 21030,
    BadSerialLog = 21031,
    UnexpectedArgument = 21032,
    WriteRefused = 21033,
    CheckFailedChannel = 21034,
    OptionNotForCommand = 21035,
    Interrupted = 21036,
    ClockSetFailed = 21037,
    HistoryReadFailed = 21038,
    ChannelHeading = 21039,
    NotSet = 21040,
    OneMoreTime = 21041,
    CommandFailed = 21042,
    SimStateError = 21043,
    ReadFirstForId = 21044,
    CalibrationFailedChannels = 21045,
    AmbiguousAdapter = 21046,
    ConnectingTo = 21047,
    WrittenCommands = 21048,
    SimStateNeedsSim = 21049,
    IdOptionNeedsId = 21050,
};

// The text in the language in use, placeholders expanded.
inline QString CliText(int id, const QVariantList& args = {}) { return LoadMessage(id, args); }

} // namespace clitext
