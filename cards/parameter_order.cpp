#include "cards/parameter_order.h"

#include <array>
#include <cstdio>

namespace cards {

namespace {

constexpr std::array<Parameter, 2> kProfibus{kNodeAddress, kExchangeChoice};
constexpr std::array<Parameter, 3> kDeviceNet{kNodeAddress, kBaudCode, kExchangeChoice};
constexpr std::array<Parameter, 3> kProfinetRead{kNodeAddress, kIpBlock, kExchangeChoice};
constexpr std::array<Parameter, 2> kProfinetWrite{kNodeAddress, kExchangeChoice};
constexpr std::array<Parameter, 3> kEtherNetIp{kAddressMode, kIpBlock, kExchangeChoice};
constexpr std::array<Parameter, 2> kModbusTcp{kAddressMode, kIpBlock};

} // namespace

std::span<const Parameter> ReadOrder(Bus bus)
{
    switch (bus) {
    case Bus::Profibus:
        return kProfibus;
    case Bus::DeviceNet:
        return kDeviceNet;
    case Bus::Profinet:
        return kProfinetRead;
    case Bus::EtherNetIp:
        return kEtherNetIp;
    case Bus::ModbusTcp:
        return kModbusTcp;
    }
    return {};
}

std::span<const Parameter> WriteOrder(Bus bus)
{
    // Only Profinet reads more than it writes: its IP block is set on the network, not here.
    return bus == Bus::Profinet ? std::span<const Parameter>(kProfinetWrite) : ReadOrder(bus);
}

const char* ParameterName(Bus bus, std::uint16_t start)
{
    switch (start) {
    case kNodeAddress.start:
        return bus == Bus::Profibus ? "station address" : bus == Bus::Profinet ? "station number" : "node address";
    case kBaudCode.start:
        return "baud rate";
    case kExchangeChoice.start:
        return "exchange table";
    case kIpBlock.start:
        return "IP block";
    case kAddressMode.start:
        return "address mode";
    default:
        return "register";
    }
}

std::string DescribeParameter(Bus bus, const Parameter& parameter)
{
    char address[16];
    std::snprintf(address, sizeof address, " (0x%04X)", parameter.start);
    return ParameterName(bus, parameter.start) + std::string(address);
}

std::string ListParameters(Bus bus, std::span<const Parameter> parameters)
{
    std::string text;
    for (const Parameter& p : parameters) {
        text += (text.empty() ? "" : ", ") + std::string(ParameterName(bus, p.start));
    }
    return text.empty() ? "none" : text;
}

} // namespace cards
