#include "cli/options.h"

#include "cards/card_lists.h"
#include "cards/encoding.h"
#include "cards/parameters.h"
#include "host/port_map.h"

#include <algorithm>
#include <cctype>

namespace cli {

namespace {

// The four baud rates a DeviceNet card may offer, by code; the COMX card has the first three.
constexpr const char* kBaudWords[] = {"500", "250", "125", "auto"};

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

std::optional<int> ParseCount(const std::string& text)
{
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    const int value = std::stoi(text);
    return value <= 0xFFFF ? std::optional<int>(value) : std::nullopt;
}

std::optional<int> ParsePortName(const std::string& text)
{
    std::size_t length = 0;
    const auto number = ports::ParseComName(text, &length);
    return number && length == text.size() ? number : std::nullopt;
}

Outcome ParseRequested(const Options& o, Requested& r)
{
    const auto bad = [](const std::string& option, const std::string& text, const std::string& expected) {
        return Outcome::Fail(kExitInvalidInput, "invalid --" + option + " " + text + ": expected " + expected);
    };
    if (!o.address.empty()) {
        const auto value = ParseCount(o.address);
        if (!value) {
            return bad("address", o.address, "a whole number (the card's range is checked once it is found)");
        }
        r.address = static_cast<std::uint16_t>(*value);
        r.given.emplace_back("address", o.address);
    }
    if (!o.baud.empty()) {
        const std::string word = Lower(o.baud);
        for (std::uint16_t code = 0; code < 4; ++code) {
            if (word == kBaudWords[code] || word == std::string(kBaudWords[code]) + " kbds") {
                r.baud = code;
            }
        }
        if (!r.baud) {
            return bad("baud", o.baud, "500, 250, 125 or auto (kbit/s)");
        }
        r.given.emplace_back("baud", o.baud);
    }
    if (!o.exchange.empty()) {
        std::string text = o.exchange;
        if (text.size() > 2 && text.front() == '<' && text.back() == '>') {
            text = text.substr(1, text.size() - 2);
        }
        const auto entry = ParseCount(text);
        if (!entry || *entry < 1) {
            return bad("exchange", o.exchange, "the entry number as listed, 1 for \"<1> ...\"");
        }
        r.exchange = static_cast<std::uint16_t>(*entry - 1);
        r.given.emplace_back("exchange", o.exchange);
    }
    if (!o.mode.empty()) {
        const std::string word = Lower(o.mode);
        if (word == "static" || word == "static ip") {
            r.mode = cards::kModeStatic;
        } else if (word == "dhcp") {
            r.mode = cards::kModeDhcp;
        } else {
            return bad("mode", o.mode, "static or dhcp");
        }
        r.given.emplace_back("mode", o.mode);
    }
    const std::pair<const std::string*, std::optional<std::uint32_t>*> addresses[] = {
        {&o.ip, &r.ip}, {&o.mask, &r.mask}, {&o.gateway, &r.gateway}};
    const char* names[] = {"ip", "mask", "gateway"};
    for (int i = 0; i < 3; ++i) {
        const std::string& text = *addresses[i].first;
        if (text.empty()) {
            continue;
        }
        *addresses[i].second = cards::ParseIp(text);
        if (!*addresses[i].second) {
            return bad(names[i], text, "four numbers from 0 to 255, like 192.168.1.10");
        }
        r.given.emplace_back(names[i], text);
    }
    if (r.Empty()) {
        return Outcome::Fail(kExitInvalidInput,
                             "nothing to apply: give at least one of --address, --baud, --exchange, --mode, --ip, "
                             "--mask, --gateway");
    }
    return {};
}

const char* OptionFor(const cards::Parameter& p)
{
    const cards::ParameterInfo* row = cards::FindParameter(p);
    if (row != nullptr && row->option != nullptr) {
        return row->option;
    }
    return cards::kIpParts[0].key; // the IP block is given by its parts, the IP address first
}

const cards::Parameter& ParameterOf(const std::string& option)
{
    for (const cards::ParameterInfo& row : cards::ParameterTable()) {
        if (row.option != nullptr && option == row.option) {
            return row.parameter;
        }
    }
    return cards::kIpBlock; // "ip", "mask", "gateway"
}

} // namespace cli
