#pragma once

#include "cards/card_settings.h"
#include "cards/encoding.h"
#include "cli/instrument_session.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace cli {

// One parameter as read, for the text and the JSON alike. A value outside its list or range is kept with
// `valid` false and a text saying what the card allows, never hidden.
struct ParameterValue
{
    std::string name; // "station address"
    std::string reg;  // "0x3011"
    int registers = 0;
    bool readFailed = false; // then nothing below is known
    int raw = 0;
    std::optional<cards::IpBlock> ipBytes; // the IP block: its bytes are its raw value
    cards::IpSettings ip;
    std::string text;
    bool valid = true;
    std::string stationName;            // Profinet; empty elsewhere
    std::string note;                   // what the operator should know beside the value; empty for nothing
    std::optional<int> entry;           // the exchange table's entry as listed: raw + 1
    std::optional<std::string> modules; // the exchange entry's module text, lines split by "\r\n"

    bool operator==(const ParameterValue&) const = default;
};

ParameterValue DescribeParameterValue(const Identification& identity, int firmwareRange,
                                      const cards::CardSettings& settings, const cards::Parameter& parameter);
// A parameter that could not be read.
ParameterValue UnreadParameter(cards::Bus bus, const cards::Parameter& parameter);

// {"name", "register", "raw", "text", "valid", ...}, or {"name", "register", "readFailed"}.
nlohmann::json ToJson(const ParameterValue& value);

// "Profibus card (code 5)", or "card code 3" for an unsupported card.
std::string CardText(const Identification& identity);

} // namespace cli
