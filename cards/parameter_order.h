#pragma once

#include "cards/card_info.h"
#include "cards/registers.h"

#include <span>
#include <string>

// Which parameters each card has, in the order its settings are read and written. A write of the
// settings goes parameter by parameter in WriteOrder and stops at the first one that fails.
namespace cards {

// The parameters read after the firmware text: Profibus node address, exchange; DeviceNet node
// address, baud, exchange; Profinet node address, IP block, exchange; EtherNet/IP mode, IP block,
// exchange; Modbus-TCP mode, IP block.
std::span<const Parameter> ReadOrder(Bus bus);

// Profibus 0x3011, 0x3013; DeviceNet 0x3011, 0x3012, 0x3013; Profinet 0x3011, 0x3013 (its IP block
// is shown only); EtherNet/IP 0x3015, 0x3014, 0x3013; Modbus-TCP 0x3015, 0x3014.
std::span<const Parameter> WriteOrder(Bus bus);

// A short name of the parameter at `start` as this bus calls it ("station address", "node address",
// "station number", "baud rate", "exchange table", "IP block", "address mode"); "register" otherwise.
const char* ParameterName(Bus bus, std::uint16_t start);

// "station address (0x3011)".
std::string DescribeParameter(Bus bus, const Parameter& parameter);
// "station address, exchange table", or "none".
std::string ListParameters(Bus bus, std::span<const Parameter> parameters);

} // namespace cards
