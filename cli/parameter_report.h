#pragma once

#include "card_settings.h"
#include "instrument_session.h"

#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace cli {

// One parameter as read: {"name", "register", "raw", "text", "valid", ...}. A value outside its list
// or range is kept with "valid": false and a note saying what the card allows, never hidden.
nlohmann::json DescribeParameterValue(const Identification& identity, int firmwareRange,
                                      const cards::CardSettings& settings, const cards::Parameter& parameter);

// What the card allows for a one-register parameter, in words: "1 to 125", "entries <1> to <5>"...
std::string AllowedText(const Identification& identity, int firmwareRange, const cards::Parameter& parameter);

// Names a value that does not fit, by where it came from: "--address 126", "the backup's nodeAddress 7".
using ValueLabel = std::function<std::string(const cards::Parameter& parameter, int value)>;

// Checks every parameter the card writes against what it may hold. Returns the message for the
// first one that does not fit (naming the value and the allowed range), nothing when all fit.
std::optional<std::string> CheckWritable(const Identification& identity, int firmwareRange,
                                         const cards::CardSettings& settings, const ValueLabel& label);

// "Profibus card (code 5)", or "card code 3" for an unsupported card.
std::string CardText(const Identification& identity);

} // namespace cli
