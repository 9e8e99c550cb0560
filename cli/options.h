#pragma once

#include "cards/registers.h"
#include "cli/exit_code.h"
#include "comm/instrument_link.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The command line's options as typed, and the parsers that turn them into values before anything
// touches the instrument.
namespace cli {

struct Options
{
    std::string port;
    std::string device;
    std::string range = "current";
    bool json = false;
    bool trace = false;
    std::string capture; // --capture: the frames as a pcap file
    std::string log;     // --log: the frames as CSV
    std::uint32_t timeoutMs = InstrumentLink::kReadTimeoutMs;
    std::string address, baud, exchange, mode, ip, mask, gateway;
    std::string file;
    int slave = 0;      // --slave: talk to this address, no search
    bool quiet = false; // no progress on standard error
    std::string assignPort, assignDevice;
    bool clear = false;
};

// What the operator asked to change, taken apart before the instrument is touched.
struct Requested
{
    std::optional<std::uint16_t> address, baud, exchange, mode;
    std::optional<std::uint32_t> ip, mask, gateway;
    std::vector<std::pair<std::string, std::string>> given; // option and its text, for messages
    bool Empty() const { return given.empty(); }
};

// Digits only, at most 65535.
std::optional<int> ParseCount(const std::string& text);

// "COM1".."COM255", any case; nothing for anything else.
std::optional<int> ParsePortName(const std::string& text);

// The values of apply's options; a bad one is kExitInvalidInput naming the option and what it expects.
Outcome ParseRequested(const Options& options, Requested& requested);

// The option that sets a parameter ("address", ...), and the parameter an option sets.
const char* OptionFor(const cards::Parameter& parameter);
const cards::Parameter& ParameterOf(const std::string& option);

} // namespace cli
