#pragma once

#include "cards/card_settings.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

// Whether a card can take a set of values, in words for the operator; the rule both front ends apply
// before anything of a file or a command line is written.
namespace cards {

// "Profibus card (code 5)", or "card code 3" for a card without settings.
std::string CardText(std::uint16_t cardCode);

// The list a one-register parameter indexes on this card (baud rates, exchange table, modes); empty for
// the node address, the IP block and a card without that list.
std::span<const char* const> ParameterList(std::uint16_t cardCode, int firmwareRange, const Parameter& parameter);

// What the card allows for a one-register parameter, in words: "1 to 125", "entries <1> to <5>"...
std::string AllowedText(std::uint16_t cardCode, int firmwareRange, const Parameter& parameter);

// Names a value that does not fit, by where it came from: "--address 126", "the backup's nodeAddress 7".
using ValueLabel = std::function<std::string(const Parameter& parameter, int value)>;

// Checks every parameter the card writes against what it may hold. Returns the message for the first
// one that does not fit (naming the value and the allowed range), nothing when all fit. The card code
// must name a card with settings.
std::optional<std::string> CheckWritable(std::uint16_t cardCode, int firmwareRange, const CardSettings& settings,
                                         const ValueLabel& label);

} // namespace cards
