#pragma once

#include "cards/card_info.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// The texts, lists and ranges of the cards' settings. Lists are never sorted: an entry's position
// is its code on the wire. Nothing here allocates except the two formatting helpers that return text.
namespace cards {

// Exchange-table entries for a bus and FirmwareRange. Profibus and DeviceNet have a list per range;
// Profinet and EtherNet/IP one list for both; Modbus-TCP none (empty span).
std::span<const char* const> ExchangeTable(Bus bus, int firmwareRange);

// The Profibus module texts ("\r\n" line breaks), one per entry of the Profibus exchange table of the
// same range.
std::span<const char* const> ProfibusModuleTexts(int firmwareRange);
// The module text of one Profibus exchange-table code; nullptr when the code is not in the list.
const char* ProfibusModuleText(int firmwareRange, int code);

// DeviceNet baud list by card code: code 6 has three entries, every other code four, the last "Auto".
std::span<const char* const> BaudList(std::uint16_t cardCode);

// Address mode list: "STATIC IP" (0), "DHCP" (1).
constexpr std::uint16_t kModeStatic = 0;
constexpr std::uint16_t kModeDhcp = 1;
std::span<const char* const> ModeList();

// The range of the node address (Profibus station address, DeviceNet node address, Profinet
// station number) for a card code.
struct NodeAddressRule
{
    const char* caption; // the page's caption for the value
    int minimum;         // what may be entered and written
    int maximum;
    int readMinimum; // a value read outside these is reported as invalid
    int readMaximum;
    constexpr bool Accepts(int value) const { return value >= minimum && value <= maximum; }
    constexpr bool ReadValid(int value) const { return value >= readMinimum && value <= readMaximum; }
};
// nullptr for cards without a node address (EtherNet/IP, Modbus-TCP) and unsupported codes.
const NodeAddressRule* FindNodeAddressRule(std::uint16_t cardCode);

// Put before the card's firmware text on the Profibus (codes 1, 5) and DeviceNet (2, 6) pages;
// empty for every other card.
const char* FirmwarePrefix(std::uint16_t cardCode);

// What the firmware field shows before a read and after a failed one.
constexpr const char* kFirmwareUnknown = "------";
constexpr const char* kProfibusFirmwareInitial = "-------"; // seven: the Profibus page before its first read

// Model tokens, searched in this order in the model text; the index of the first found is the model
// index, kModelNone when none is found.
constexpr int kModelNone = 5;
std::span<const char* const> ModelTokens();
int FindModelIndex(std::string_view modelText);
// "K320", "P320", "RK3", "G320", "K4", or "unknown" for any other index.
const char* ModelName(int modelIndex);

// Profinet station-name prefix by model index ("vornk3", ...), empty for 5 and anything else.
const char* StationNamePrefix(int modelIndex);

// The Profinet station number as shown: at least three digits with leading zeros ("007", "1000").
std::string FormatStationNumber(int number);
// A station number as typed: decimal digits only (leading zeros allowed), 1 to 255.
std::optional<int> ParseStationNumber(std::string_view text);

} // namespace cards
