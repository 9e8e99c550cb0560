#pragma once

#include "cards/card_info.h"
#include "pages/bus_page.h"

#include <memory>

// Which page class shows the cards of each bus; the window makes one page per bus of the card table.
std::unique_ptr<BusPage> MakeCardPage(cards::Bus bus);
