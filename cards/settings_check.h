#pragma once

#include "cards/backup_file.h"
#include "cards/card_info.h"
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
// The list every card that reads the parameter has alike (the address modes), for when the card is not known;
// empty where the cards' lists differ.
std::span<const char* const> SharedList(int firmwareRange, const Parameter& parameter);

// What may be written to a one-register parameter of this card: the node-address range, the
// positions of the baud, exchange-table or mode list. nullopt when the card has no such parameter
// or it is the IP block (any address may be written).
struct AllowedRange
{
    int minimum;
    int maximum;
    constexpr bool Contains(int value) const { return value >= minimum && value <= maximum; }
};
std::optional<AllowedRange> WritableRange(std::uint16_t cardCode, int firmwareRange, const Parameter& parameter);

// What the card allows for a one-register parameter, in words: "1 to 125", "entries <1> to <5>"...
std::string AllowedText(std::uint16_t cardCode, int firmwareRange, const Parameter& parameter);

// Names a value that does not fit, by where it came from: "--address 126", "the backup's nodeAddress 7".
using ValueLabel = std::function<std::string(const Parameter& parameter, int value)>;

// Checks every parameter the card writes against what it may hold, the IP block as CheckIpBlock does.
// Returns the message for the first one that does not fit (naming the value and the allowed range),
// nothing when all fit. The card code must name a card with settings.
std::optional<std::string> CheckWritable(std::uint16_t cardCode, int firmwareRange, const CardSettings& settings,
                                         const ValueLabel& label);

// Why the IP block a card would write can never work, naming the address: in static mode (or on a card
// without an address mode) a mask whose ones are not contiguous, or 0.0.0.0 or 255.255.255.255; an IP
// address that is no host address (0.0.0.0, broadcast, loopback, multicast, reserved, or its subnet's own
// network or broadcast address); a gateway that is no other host of the IP address's subnet (0.0.0.0 means
// no gateway and passes). Nothing for a card that writes no IP block
// and in DHCP mode, where the card takes its addresses from the network.
std::optional<std::string> CheckIpBlock(const CardInfo& card, const CardSettings& settings);

// Whether a card-settings file fits the instrument, before anything of it is written: its card, its firmware
// range (the same code names other list entries in the other range) and every value its card writes. Each
// front end words a card or range mismatch its own way; a value that does not fit comes in words.
struct FileFit
{
    enum class Fault
    {
        None,
        OtherCard,       // the file is of another card than the instrument's
        OtherRange,      // the file was saved for the other firmware range
        ValueDoesNotFit, // `message` names the value and what the card allows
    };
    Fault fault = Fault::None;
    std::string message;
    bool Ok() const { return fault == Fault::None; }
};
// `cardCode`: the instrument's card; nullopt while it is not known yet, when only the range is checked.
// `range`: the range the file must have been saved for; nullopt takes the file's own. Values are checked
// against the file's range, which a write of them uses.
FileFit CheckFileFits(const Backup& file, std::optional<std::uint16_t> cardCode, std::optional<int> range,
                      const ValueLabel& label);

} // namespace cards
