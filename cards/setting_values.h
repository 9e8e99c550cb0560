#pragma once

#include "cards/card_settings.h"
#include "cards/parameters.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A setting's value as people type it, in the syntax of its row (ValueSyntax): what both the command line's
// apply options and the simulator's settings options take.
namespace cards {

// One setting's option: a row's, or one address of the IP block's.
struct SettingOption
{
    const char* option; // "address", "ip", ...
    const char* help;
    const char* initial; // the simulated instrument's value before any write, as the option takes it
    const ParameterInfo* row;
    const IpPart* part; // nullptr but for the IP block's addresses
};
// Every setting option, in the parameter table's order.
const std::vector<SettingOption>& SettingOptions();

// Digits only, at most 65535.
std::optional<int> ParseCount(const std::string& text);

// The register value a setting's text stands for: a number; the list entry as listed ("1" or "<1>" for the
// first, code 0); an entry's text or its first word in any case ("500", "auto", "dhcp"); a dotted IPv4
// address. Nothing for a bad one. Only the syntax and the register's 16 bits are checked: whether a card
// takes the value is settings_check.h's question.
std::optional<std::uint32_t> ParseSettingValue(const ParameterInfo& row, const std::string& text);

// Puts a setting's register value into `settings` (the 16 bits of a one-register setting; an address).
void PutSettingValue(CardSettings& settings, const SettingOption& setting, std::uint32_t value);

} // namespace cards
