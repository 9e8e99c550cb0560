#pragma once

#include <cstdint>
#include <string_view>

// Which card a card code names, and the firmware range a run works with.
namespace cards {

enum class Bus
{
    Profibus,
    DeviceNet,
    Profinet,
    EtherNetIp,
    ModbusTcp
};

struct CardInfo
{
    std::uint16_t code;
    Bus bus;
    const char* tabCaption; // "PROFIBUS", "DEVICENET", ...
    const char* title;      // the page's banner text: "Profibus", "DeviceNet", ...
    int templateId;         // the page's dialog template
};

// nullptr for codes without a page of their own (0, 3, 9 and above): those get the information page.
const CardInfo* FindCard(std::uint16_t code);

constexpr const char* kInfoCaption = "INFO";
constexpr int kInfoTemplateId = 132;
constexpr const char* kUnsupportedMessage = "Device does not support Meshgate2 feature.";

// Card codes 5 and 6 are the "COMX" variants of the Profibus and DeviceNet cards: another address
// range, another baud list and another firmware-text prefix than codes 1 and 2.
constexpr bool IsComxVariant(std::uint16_t code)
{
    return code == 5 || code == 6;
}

// The bus name shown in a page's title banner ("Profibus", ..., "Modbus-TCP").
const char* BusTitle(Bus bus);

// FirmwareRange: chosen once per run; 1 is current and every other value legacy.
constexpr int kLegacy = 0;
constexpr int kCurrent = 1;
constexpr bool IsCurrent(int firmwareRange)
{
    return firmwareRange == kCurrent;
}
constexpr const char* RangeName(int firmwareRange)
{
    return IsCurrent(firmwareRange) ? "current" : "legacy";
}
// "legacy" or "current" (exactly, lower case); -1 for anything else.
int ParseRange(std::string_view text);

} // namespace cards
