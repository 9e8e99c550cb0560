#pragma once

#include "sim/simulator.h"

#include <cstdint>

#include <string>
#include <vector>

// The command line of meshgate2-sim, parsed strictly: unknown options and bad numbers are errors. The settings
// options and their initial values come from the parameter table, under meshgate2-cli apply's names.
namespace sim {

struct Options
{
    Config config;
    bool help = false;
    bool version = false;
    bool trace = false; // print every frame on standard error
    std::string error;  // empty when the command line was good
};

Options ParseOptions(const std::vector<std::string>& args);

// A frame logger for Simulator::SetFrameLogger that writes "<- FF 03 ..." / "-> ..." lines to stderr.
void TraceFrame(void* context, bool received, const std::uint8_t* bytes, int length);

// What --help prints.
std::string Usage();

} // namespace sim
