#pragma once

#include "cards/card_settings.h"
#include "cards/parameters.h"
#include "cards/registers.h"
#include "cards/setting_values.h"
#include "cli/exit_code.h"
#include "comm/instrument_link.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
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
    std::map<std::string, std::string> settings; // apply's values by option ("address", "ip", ...), as typed
    std::string file;
    int slave = 0;      // --slave: talk to this address, no search
    bool quiet = false; // no progress on standard error
    std::string assignPort, assignDevice;
    bool clear = false;
};

// apply's options: the settings' own (cards/setting_values.h).
using cards::SettingOption;
using cards::SettingOptions;

// What the operator asked to change, taken apart before the instrument is touched.
struct Requested
{
    struct Value
    {
        const SettingOption* setting;
        std::string text; // as typed, for messages
        std::uint32_t value;
    };
    std::vector<Value> given; // in the order of SettingOptions
    bool Empty() const { return given.empty(); }
    // The settings with the requested values put in.
    cards::CardSettings AppliedTo(cards::CardSettings settings) const;
};

// "COM1".."COM255", any case; nothing for anything else.
std::optional<int> ParsePortName(const std::string& text);

// The values of apply's options; a bad one is kExitInvalidInput naming the option and what it expects.
Outcome ParseRequested(const Options& options, Requested& requested);

// The option that sets a parameter ("address", "ip" for the IP block); empty for none.
const char* OptionFor(const cards::Parameter& parameter);

} // namespace cli
