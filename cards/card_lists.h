#pragma once

#include "cards/card_info.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// The lists and texts of the cards' settings beyond the card table: the address modes, the model tokens,
// the Profinet station number. Nothing here allocates except the formatting helper that returns text.
namespace cards {

// Address mode list: "STATIC IP" (0), "DHCP" (1).
constexpr std::uint16_t kModeStatic = 0;
constexpr std::uint16_t kModeDhcp = 1;
TextList ModeList();
// The baud rates the card offers: the first `baudCount` of the baud-rate list, empty for a card without one.
TextList BaudList(const CardInfo& card);

// The module text of one exchange-table code of the card (Profibus); nullptr when the card has none or the
// code is not in the list.
const char* ModuleText(const CardInfo& card, int firmwareRange, int code);

// Model tokens, searched in this order in the model text; the index of the first found is the model
// index, kModelNone when none is found.
constexpr int kModelNone = 5;
TextList ModelTokens();
int FindModelIndex(std::string_view modelText);
// "K320", "P320", "RK3", "G320", "K4", or "unknown" for any other index.
const char* ModelName(int modelIndex);

// Profinet station-name prefix by model index ("vornk3", ...), empty for 5 and anything else.
const char* StationNamePrefix(int modelIndex);

// The Profinet station number as shown: at least three digits with leading zeros ("007", "1000").
std::string FormatStationNumber(int number);
// A station number as typed: decimal digits only (leading zeros allowed), within what a station-number
// card accepts (1 to 255).
std::optional<int> ParseStationNumber(std::string_view text);

} // namespace cards
