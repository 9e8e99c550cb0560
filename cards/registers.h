#pragma once

#include <cstddef>
#include <cstdint>

// The instrument's register map, shared by the configurator, the command line and the simulator.
// Every parameter is read and written with exactly its own start and length, never merged with a
// neighbour: the IP block spans 0x3014..0x3019 in address terms, yet 0x3015 is a parameter of its own.
namespace cards {

struct Parameter
{
    std::uint16_t start;
    std::uint16_t registers;
    constexpr std::uint16_t Bytes() const { return static_cast<std::uint16_t>(registers * 2); }
    friend constexpr bool operator==(const Parameter&, const Parameter&) = default;
};

constexpr Parameter kProbe{0x3000, 10};          // any valid reply counts; content not interpreted
constexpr Parameter kIdentification{0x3010, 12}; // 0x3010 echo, card code, firmware text
constexpr Parameter kNodeAddress{0x3011, 1};     // Profibus station, DeviceNet node, Profinet station number
constexpr Parameter kBaudCode{0x3012, 1};        // DeviceNet baud-rate code
constexpr Parameter kExchangeChoice{0x3013, 1};  // index into the card's exchange-table list
constexpr Parameter kIpBlock{0x3014, 6};         // IP address, mask, gateway
constexpr Parameter kAddressMode{0x3015, 1};     // 0 STATIC IP, 1 DHCP
constexpr Parameter kModelBlock{0xA500, 18};     // model text from byte 16

constexpr std::size_t kModelTextOffset = 16;
constexpr std::size_t kFirmwareTextOffset = 4;
constexpr std::uint16_t kIdentificationEcho = 0x3010;

} // namespace cards
