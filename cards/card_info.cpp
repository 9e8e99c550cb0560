#include "cards/card_info.h"

#include <array>

namespace cards {

namespace {

constexpr std::array<CardInfo, 7> kCards{{
    {1, Bus::Profibus, "PROFIBUS", "Profibus", 129},
    {2, Bus::DeviceNet, "DEVICENET", "DeviceNet", 130},
    {4, Bus::Profinet, "PROFINET", "Profinet", 141},
    {5, Bus::Profibus, "PROFIBUS", "Profibus", 129},
    {6, Bus::DeviceNet, "DEVICENET", "DeviceNet", 130},
    {7, Bus::EtherNetIp, "ETHERNET/IP", "EtherNet/IP", 143},
    {8, Bus::ModbusTcp, "MODBUS-TCP", "Modbus-TCP", 144},
}};

} // namespace

const CardInfo* FindCard(std::uint16_t code)
{
    for (const CardInfo& card : kCards) {
        if (card.code == code) {
            return &card;
        }
    }
    return nullptr;
}

const char* BusTitle(Bus bus)
{
    switch (bus) {
    case Bus::Profibus:
        return "Profibus";
    case Bus::DeviceNet:
        return "DeviceNet";
    case Bus::Profinet:
        return "Profinet";
    case Bus::EtherNetIp:
        return "EtherNet/IP";
    case Bus::ModbusTcp:
        return "Modbus-TCP";
    }
    return "";
}

int ParseRange(std::string_view text)
{
    if (text == "legacy") {
        return kLegacy;
    }
    if (text == "current") {
        return kCurrent;
    }
    return -1;
}

} // namespace cards
