// "Download Logger Data" of the window, shared by the logger and flash-check
// commands: the identity commands, then the 1024 blocks of the logger memory
// into an image file, with one more try from the first missing block after a
// time-out. Self-contained so that it can move into a workflow.
#pragma once

#include "app/MessageIds.h"
#include "cli/CommandContext.h"

#include <QString>

namespace cli {

class CliSession;

// The last block of the logger memory image.
constexpr int kLastImageBlock = 1023;

// What the window shows when no detector answers before a logger download.
constexpr NoAnswerTexts kNoAnswerTrend{kMsgTrendDownloadNoResponse,
                                       kMsgTrendDownloadSequenceNoResponse};

// "Download Logger Data" into `path`; false (reported) when it failed or was
// cancelled.
bool DownloadLogger(CommandContext& c, CliSession& s, const QString& path);

} // namespace cli
