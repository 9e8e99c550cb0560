#pragma once

#include "cli/command_result.h"
#include "cli/frame_trace.h"
#include "cli/options.h"
#include "monitor/frame_log.h"

#include <csignal>
#include <ostream>

// The commands of meshgate2-cli. Each runs against the instrument the options name and returns what it
// found and did; nothing here prints (render.h does), except the frame trace when asked for.
namespace cli {

struct Command
{
    Options options;
    int firmwareRange = 1;
    bool rangeGiven = false;
    monitor::FrameLog* frames = nullptr;              // --trace, --capture, --log: every frame is recorded here
    FrameTrace* trace = nullptr;                      // --trace: the probed addresses are named here too
    const volatile std::sig_atomic_t* stop = nullptr; // non-zero: no further transaction starts
    std::ostream* progress = nullptr;                 // the search's progress goes here unless --quiet
    bool progressIsTerminal = false;                  // one line, rewritten, instead of one line an address
};

CommandResult RunPorts(const Command& command);
CommandResult RunAssign(const Command& command);
CommandResult RunSearch(const Command& command);
CommandResult RunRead(const Command& command);
CommandResult RunApply(const Command& command);
CommandResult RunBackup(const Command& command);
CommandResult RunRestore(const Command& command);

} // namespace cli
