#pragma once

#include "cards/card_info.h"
#include "cards/card_settings.h"
#include "cards/registers.h"

#include <array>
#include <cstdint>
#include <optional>
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

// What a register block is to the program: a setting, or one of the three read-only blocks the search reads.
enum class BlockKind
{
    Setting,
    Probe,          // any valid reply counts; its content means nothing
    Identification, // echo, card code, firmware text (IdentificationRecord)
    Model,          // the instrument's model text (ModelText)
};

struct ParameterInfo
{
    Parameter parameter;
    BlockKind kind = BlockKind::Setting;
    const char* blockName = nullptr;              // as the line monitor names the block: "baud-rate code", "probe"
    const char* name = nullptr;                   // in messages: "baud rate"; see NameOn
    std::span<const BusName> busNames = {};       // where a bus calls it otherwise ("station address" on Profibus)
    std::uint16_t CardSettings::*field = nullptr; // the one-register setting it fills; nullptr for the others
    bool ipBlock = false;                         // the three addresses of `kIpParts`
    bool nodeAddressRule = false;                 // its range is the card's NodeAddressRule, not a list
    const char* backupKey = "";                   // "nodeAddress"; the IP block is kept by its parts' keys
    const char* option = nullptr; // "address"; nullptr: not a setting, or the IP block (its parts' keys)
    ValueSyntax syntax = ValueSyntax::None;
    TextList choices = {};          // ListWord: the words it takes (a card may offer fewer, see ParameterList)
    const char* expected = nullptr; // what a bad option value is told it should be
    const char* help = nullptr;     // the option's help
    const char* initial = nullptr;  // the simulated instrument's value before any write, as the option takes it

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

// The register data of one parameter (low byte first); answers its byte count, 0 for a parameter
// that is not a setting (identification, probe, model block).
int EncodeParameter(const CardSettings& settings, const Parameter& parameter,
                    std::span<std::uint8_t, kIpBlockBytes> out);
// Takes one parameter from its register data; false (nothing changed) when the parameter is not a
// setting or fewer bytes than it needs are given.
bool DecodeParameter(CardSettings& settings, const Parameter& parameter, std::span<const std::uint8_t> bytes);

// The value a one-register parameter holds in `settings`; nullopt for the IP block and non-settings.
std::optional<std::uint16_t> ParameterValue(const CardSettings& settings, const Parameter& parameter);
// Sets a one-register parameter; false (nothing changed) for the IP block and non-settings.
bool SetParameterValue(CardSettings& settings, const Parameter& parameter, std::uint16_t value);

} // namespace cards
