// The run functions of the tool's commands, one per row of the command table
// (cli/CommandTable.cpp). Each lives in the file of its command in this folder.
#pragma once

namespace cli {

class CommandContext;

int RunHelp(CommandContext& c);
int RunPorts(CommandContext& c);
int RunRead(CommandContext& c);
int RunWrite(CommandContext& c);
int RunClock(CommandContext& c);
int RunHistory(CommandContext& c);
int RunReadings(CommandContext& c);
int RunZero(CommandContext& c);
int RunSpan(CommandContext& c);
int RunDefault(CommandContext& c);
int RunClearLogger(CommandContext& c);
int RunClearPower(CommandContext& c);
int RunPowerOff(CommandContext& c);
int RunFlashCheck(CommandContext& c);
int RunLogger(CommandContext& c);
int RunDumpList(CommandContext& c);
int RunRecover(CommandContext& c);
int RunStations(CommandContext& c);
int RunUsers(CommandContext& c);
int RunRegister(CommandContext& c);

} // namespace cli
