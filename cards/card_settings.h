#pragma once

#include "cards/encoding.h"

#include <cstdint>

// Every setting a card can hold, as numbers. A tool that handles a card's settings as a whole (command line,
// backup files, simulator) keeps them here instead of in controls; parameters.h gives their register images.
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

} // namespace cards
