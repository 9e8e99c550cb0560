#pragma once

#include "cards/card_info.h"
#include "cards/registers.h"

#include <span>
#include <string>

// Which parameters a bus's cards have, in the order their settings are read and written (the card table's
// orders, which both cards of a bus share), and what the parameters are called on that bus.
namespace cards {

std::span<const Parameter> ReadOrder(Bus bus);
std::span<const Parameter> WriteOrder(Bus bus);

// A short name of the parameter at `start` as this bus calls it ("station address", "node address",
// "station number", "baud rate", "exchange table", "IP block", "address mode"); "register" otherwise.
const char* ParameterName(Bus bus, std::uint16_t start);

// "station address (0x3011)".
std::string DescribeParameter(Bus bus, const Parameter& parameter);
// "station address, exchange table", or "none".
std::string ListParameters(Bus bus, std::span<const Parameter> parameters);

} // namespace cards
