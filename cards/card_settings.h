#pragma once

#include "cards/encoding.h"
#include "cards/registers.h"

#include <cstdint>
#include <optional>
#include <span>

// Every setting a card can hold, as numbers, and their register images. A tool that handles a card's
// settings as a whole (command line, backup files, simulator) keeps them here instead of in controls.
namespace cards {

struct CardSettings
{
    std::uint16_t nodeAddress = 0;
    std::uint16_t baudCode = 0;
    std::uint16_t exchangeChoice = 0;
    std::uint16_t addressMode = 0;
    IpSettings ip;
    friend constexpr bool operator==(const CardSettings&, const CardSettings&) = default;
};

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

} // namespace cards
