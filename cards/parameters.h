#pragma once

#include "cards/card_info.h"
#include "cards/card_settings.h"
#include "cards/registers.h"

#include <array>
#include <cstdint>
#include <span>

// Every register block the program reads or writes, one row each: what it is called where, which setting it
// fills, its key in a settings file and its command-line option. A new parameter is a row here (beside its
// register in registers.h), its place in the read and write orders of the cards that have it, and its
// control on their pages.
namespace cards {

// How a command line writes the value of a parameter.
enum class ValueSyntax
{
    None,      // no option: not a setting
    Number,    // decimal digits
    ListEntry, // the entry's number as the list shows it: 1 for "<1> ..."
    ListWord,  // an entry's text or its first word, in any case: "500", "500 Kbds", "auto"; "static", "dhcp"
    Address,   // dotted IPv4: 192.168.1.10
};

// One address of the IP block: its key in a settings file, which is also its option.
struct IpPart
{
    const char* key;  // "ip", "mask", "gateway"
    const char* name; // in messages: "IP address", "subnet mask", "gateway"
    std::uint32_t IpSettings::*field;
    const char* help;    // the option's help
    const char* initial; // the simulated instrument's address before any write
};

struct BusName
{
    Bus bus;
    const char* name;
};

struct ParameterInfo
{
    Parameter parameter;
    const char* blockName;              // as the line monitor names the block: "baud-rate code", "probe"
    const char* name;                   // in messages: "baud rate"; see NameOn
    std::span<const BusName> busNames;  // where a bus calls it otherwise ("station address" on Profibus)
    std::uint16_t CardSettings::*field; // the one-register setting it fills; nullptr for the others
    bool ipBlock;                       // the three addresses of `ipParts`
    const char* backupKey;              // "nodeAddress"; the IP block is kept by its parts' keys
    const char* option;                 // "address"; nullptr: not a setting, or the IP block (its parts' keys)
    ValueSyntax syntax;
    TextList choices;     // ListWord: the words it takes (a card may offer fewer, see ParameterList)
    const char* expected; // what a bad option value is told it should be
    const char* help;     // the option's help
    const char* initial;  // the simulated instrument's value before any write, as the option takes it

    bool IsSetting() const { return field != nullptr || ipBlock; }
    const char* NameOn(Bus bus) const;
};

// The IP block's three addresses, in register order.
extern const std::array<IpPart, 3> kIpParts;

// Every row, settings first in the order their options are listed.
std::span<const ParameterInfo> ParameterTable();
// The row of exactly this block (start and length); nullptr for any other.
const ParameterInfo* FindParameter(const Parameter& parameter);
// The row whose block starts at `start`, whatever its length; nullptr for none.
const ParameterInfo* FindParameterAt(std::uint16_t start);

} // namespace cards
