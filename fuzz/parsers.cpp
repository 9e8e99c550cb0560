// The texts people type: apply's option values, port names, IP addresses and station numbers, the
// simulator's command line, the port assignment file and its editing; and the instrument texts as they are
// shown. Lines of the input are the fields; what parses must format back to the same value, and shown texts
// must be valid UTF-8.
#include "cards/card_info.h"
#include "cards/card_lists.h"
#include "cards/encoding.h"
#include "cli/options.h"
#include "host/port_map.h"
#include "sim/sim_options.h"

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Lines(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < size && lines.size() < 16; ++i) {
        if (data[i] == '\n')
            lines.emplace_back();
        else
            lines.back() += static_cast<char>(data[i]);
    }
    return lines;
}

void MustBeUtf8(const std::string& text)
{
    // nlohmann's strict dump throws on anything that is not UTF-8.
    (void)nlohmann::json(text).dump();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string> lines = Lines(data, size);
    for (const std::string& line : lines) {
        if (const auto ip = cards::ParseIp(line); ip && cards::ParseIp(cards::FormatIp(*ip)) != ip)
            std::abort();
        if (const auto number = cards::ParseStationNumber(line);
            number && cards::ParseStationNumber(cards::FormatStationNumber(*number)) != number)
            std::abort();
        cards::ParseRange(line);
        cli::ParsePortName(line);
        cards::FindModelIndex(line);
        MustBeUtf8(cards::Latin1ToUtf8(line));
        const std::string shown = cards::PrintableText(line);
        MustBeUtf8(shown);
        for (const char c : shown)
            if ((static_cast<unsigned char>(c) < 0x20 || c == 0x7F))
                std::abort(); // a control character reached the screen
    }

    cli::Options options;
    for (std::size_t i = 0; i < lines.size() && i < cli::SettingOptions().size(); ++i)
        options.settings[cli::SettingOptions()[i].option] = lines[i];
    cli::Requested requested;
    cli::ParseRequested(options, requested);

    sim::ParseOptions(lines);

    // The per-user port assignments: what parses writes back and parses the same.
    const auto assignments = ports::ParseAssignments(std::string_view(reinterpret_cast<const char*>(data), size));
    if (ports::ParseAssignments(ports::FormatAssignments(assignments)) != assignments)
        std::abort();
    // An assign changes its own port's line and nothing else the file says.
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const int number = size > 0 ? 1 + data[0] % ports::kMaxAssignedPort : 1;
    for (const std::string device : {"", "/dev/ttyUSB0"}) {
        auto expected = assignments;
        if (device.empty())
            expected.erase(number);
        else
            expected[number] = device;
        const std::string edited = ports::EditAssignments(text, number, device);
        if (ports::ParseAssignments(edited) != expected)
            std::abort();
        if (ports::EditAssignments(edited, number, device) != edited)
            std::abort(); // the same change twice is one change
    }
    return 0;
}
