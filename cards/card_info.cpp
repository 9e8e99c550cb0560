#include "cards/card_info.h"

#include <algorithm>
#include <array>

namespace cards {

namespace {

constexpr std::array<const char*, 3> kProfibusLegacy{
    "<1> Control command (16 bytes)",
    "<2> Real time measures (32 bytes)",
    "<3> Results and Parameters standard (32 bytes+64 words)",
};
constexpr std::array<const char*, 5> kProfibusCurrent{
    "<1> Control command (16 bytes)",
    "<2> Real time measures (32 bytes)",
    "<3> Results fifo (32 bytes+16 words)",
    "<4> Results and Parameters lite(32 bytes+32 words)",
    "<5> Results and Parameters standard (32 bytes+64 words)",
};

constexpr const char* kModules16Bytes = "Module 1:   16 Bytes Input  CON\r\nModule 2:   16 Bytes Output CON";
constexpr const char* kModules32Bytes = "Module 1:   32 Bytes Input  CON\r\nModule 2:   32 Bytes Output CON";
constexpr const char* kModules16Words = "Module 1:   32 Bytes Input  CON\r\nModule 2:   16 Words Input  CON\r\n"
                                        "Module 3:   32 Bytes Output CON\r\nModule 4:   16 Words Output CON";
constexpr const char* kModules32Words = "Module 1:   32 Bytes Input  CON\r\nModule 2:   32 Words Input  CON\r\n"
                                        "Module 3:   32 Bytes Output CON\r\nModule 4:   32 Words Output CON";
constexpr const char* kModules64Words = "Module 1:   32 Bytes Input  CON\r\nModule 2:   64 Words Input  CON\r\n"
                                        "Module 3:   32 Bytes Output CON\r\nModule 4:   64 Words Output CON";

constexpr std::array<const char*, 3> kProfibusModulesLegacy{kModules16Bytes, kModules32Bytes, kModules64Words};
constexpr std::array<const char*, 5> kProfibusModulesCurrent{kModules16Bytes, kModules32Bytes, kModules16Words,
                                                             kModules32Words, kModules64Words};

constexpr std::array<const char*, 4> kDeviceNetLegacy{
    "<1> Control command (16 bytes)",
    "<2> Real time measures (32 bytes)",
    "<3> Results Fifo Access (64 bytes)",
    "<4> Upload/download Parameters (255 bytes)",
};
constexpr std::array<const char*, 5> kDeviceNetCurrent{
    "<1> Control command (16 bytes)",
    "<2> Real time measures (32 bytes)",
    "<3> Results Fifo Access (64 bytes)",
    "<4> Upload/download Parameters (96 bytes)",
    "<5> Upload/download Parameters (255 bytes)",
};
// Profinet's last entry says 256 bytes where EtherNet/IP's says 255: the cards differ, keep both.
constexpr std::array<const char*, 5> kProfinet{
    "<1> Control command (16 bytes)",
    "<2> Real time measures (32 bytes)",
    "<3> Results Fifo Access (64 bytes)",
    "<4> Upload/download Parameters (96 bytes)",
    "<5> Upload/download Parameters (256 bytes)",
};
constexpr std::array<const char*, 5> kEtherNetIp{
    "<1> Control command (16 bytes)",
    "<2> Real time measures (32 bytes)",
    "<3> Results Fifo Access (64 bytes)",
    "<4> Upload/download Parameters (96 bytes)",
    "<5> Upload/download Parameters (255 bytes)",
};

// The COMX DeviceNet card has no automatic baud rate, the last of the four.
constexpr std::size_t kBaudCom = 4;
constexpr std::size_t kBaudComx = 3;

constexpr NodeAddressRule kProfibusComxAddress{"Address (1 - 125) :", 1, 125, 1, 128};
constexpr NodeAddressRule kProfibusComAddress{"Address (1 - 128) :", 1, 128, 1, 128};
constexpr NodeAddressRule kDeviceNetAddress{"Address (0 - 63 ) :", 0, 63, 0, 63};
// The station number is shown whatever it holds; only what is written is checked.
constexpr NodeAddressRule kProfinetStation{"Station name :", 1, 255, 0, 0xFFFF};

constexpr std::array<Parameter, 2> kProfibusOrder{kNodeAddress, kExchangeChoice};
constexpr std::array<Parameter, 3> kDeviceNetOrder{kNodeAddress, kBaudCode, kExchangeChoice};
// Only Profinet reads more than it writes: its IP block is set on the network, not here.
constexpr std::array<Parameter, 3> kProfinetRead{kNodeAddress, kIpBlock, kExchangeChoice};
constexpr std::array<Parameter, 2> kProfinetWrite{kNodeAddress, kExchangeChoice};
constexpr std::array<Parameter, 3> kEtherNetIpOrder{kAddressMode, kIpBlock, kExchangeChoice};
constexpr std::array<Parameter, 2> kModbusTcpOrder{kAddressMode, kIpBlock};

constexpr TextList kNone{};

// The first row of a bus is its base card (BaseCard).
constexpr std::array<CardInfo, 7> kCards{{
    {1, Bus::Profibus, "PROFIBUS", "Profibus", 129, "COM-DPS / ", kProfibusFirmwareInitial, &kProfibusComAddress, false,
     0, kProfibusLegacy, kProfibusCurrent, kProfibusModulesLegacy, kProfibusModulesCurrent, kProfibusOrder,
     kProfibusOrder},
    {2, Bus::DeviceNet, "DEVICENET", "DeviceNet", 130, "COM-DNS / ", kFirmwareUnknown, &kDeviceNetAddress, false,
     kBaudCom, kDeviceNetLegacy, kDeviceNetCurrent, kNone, kNone, kDeviceNetOrder, kDeviceNetOrder},
    {4, Bus::Profinet, "PROFINET", "Profinet", 141, "", kFirmwareUnknown, &kProfinetStation, true, 0, kProfinet,
     kProfinet, kNone, kNone, kProfinetRead, kProfinetWrite},
    {5, Bus::Profibus, "PROFIBUS", "Profibus", 129, "COMX 100XX-DPS    / ", kProfibusFirmwareInitial,
     &kProfibusComxAddress, false, 0, kProfibusLegacy, kProfibusCurrent, kProfibusModulesLegacy,
     kProfibusModulesCurrent, kProfibusOrder, kProfibusOrder},
    {6, Bus::DeviceNet, "DEVICENET", "DeviceNet", 130, "COMX 100XX-DNS    / ", kFirmwareUnknown, &kDeviceNetAddress,
     false, kBaudComx, kDeviceNetLegacy, kDeviceNetCurrent, kNone, kNone, kDeviceNetOrder, kDeviceNetOrder},
    {7, Bus::EtherNetIp, "ETHERNET/IP", "EtherNet/IP", 143, "", kFirmwareUnknown, nullptr, false, 0, kEtherNetIp,
     kEtherNetIp, kNone, kNone, kEtherNetIpOrder, kEtherNetIpOrder},
    {8, Bus::ModbusTcp, "MODBUS-TCP", "Modbus-TCP", 144, "", kFirmwareUnknown, nullptr, false, 0, kNone, kNone, kNone,
     kNone, kModbusTcpOrder, kModbusTcpOrder},
}};

bool Contains(std::span<const Parameter> order, const Parameter& parameter)
{
    return std::find(order.begin(), order.end(), parameter) != order.end();
}

} // namespace

TextList CardInfo::ExchangeTable(int firmwareRange) const
{
    return IsCurrent(firmwareRange) ? exchangeCurrent : exchangeLegacy;
}

TextList CardInfo::ModuleTexts(int firmwareRange) const
{
    return IsCurrent(firmwareRange) ? modulesCurrent : modulesLegacy;
}

bool CardInfo::Reads(const Parameter& parameter) const
{
    return Contains(readOrder, parameter);
}

bool CardInfo::Writes(const Parameter& parameter) const
{
    return Contains(writeOrder, parameter);
}

std::span<const CardInfo> Cards()
{
    return kCards;
}

const CardInfo* FindCard(std::uint16_t code)
{
    for (const CardInfo& card : kCards) {
        if (card.code == code) {
            return &card;
        }
    }
    return nullptr;
}

const CardInfo& BaseCard(Bus bus)
{
    return *std::find_if(kCards.begin(), kCards.end(), [bus](const CardInfo& card) { return card.bus == bus; });
}

const CardInfo& CardOfBus(Bus bus, std::uint16_t code)
{
    const CardInfo* card = FindCard(code);
    return card != nullptr && card->bus == bus ? *card : BaseCard(bus);
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
