#pragma once

#include "cards/registers.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

// Which card a card code names and everything that varies by card, as one row per card code: a sixth
// card type is a row here (and its page). Lists are never sorted: an entry's position is its code on the
// wire.
namespace cards {

enum class Bus
{
    Profibus,
    DeviceNet,
    Profinet,
    EtherNetIp,
    ModbusTcp
};

// The range of the node address (Profibus station address, DeviceNet node address, Profinet
// station number) of a card.
struct NodeAddressRule
{
    const char* caption; // the page's caption for the value
    int minimum;         // what may be entered and written
    int maximum;
    int readMinimum; // a value read outside these is reported as invalid
    int readMaximum;
    constexpr bool Accepts(int value) const { return value >= minimum && value <= maximum; }
    constexpr bool ReadValid(int value) const { return value >= readMinimum && value <= readMaximum; }
};

using TextList = std::span<const char* const>;

struct CardInfo
{
    std::uint16_t code;
    Bus bus;
    const char* tabCaption;             // "PROFIBUS", "DEVICENET", ...
    const char* title;                  // the page's banner text and the card's name: "Profibus", "DeviceNet", ...
    int templateId;                     // the page's dialog template
    const char* firmwarePrefix;         // put before the card's firmware text on its page; empty for most cards
    const char* firmwareInitial;        // what the page's firmware field shows before its first read
    const NodeAddressRule* nodeAddress; // nullptr for cards without a node address
    bool stationNumber;                 // the node address is a station number, shown in three digits
    std::size_t baudCount;              // how many of the baud rates (parameters.h) the card offers
    TextList exchangeLegacy;            // the exchange-table entries per firmware range; empty: no table
    TextList exchangeCurrent;
    TextList modulesLegacy; // the modules one exchange-table entry gives (Profibus), "\r\n" line breaks
    TextList modulesCurrent;
    std::span<const Parameter> readOrder;  // the parameters read after the firmware text, in this order
    std::span<const Parameter> writeOrder; // the parameters a download writes, in this order

    TextList ExchangeTable(int firmwareRange) const;
    TextList ModuleTexts(int firmwareRange) const;
    bool Reads(const Parameter& parameter) const;
    bool Writes(const Parameter& parameter) const;
};

// Every card with a page of its own, in code order.
std::span<const CardInfo> Cards();
// nullptr for codes without a page of their own (0, 3, 9 and above): those get the information page.
const CardInfo* FindCard(std::uint16_t code);
// The card of this bus that its page shows before any instrument told it which one it has: the first row
// of the bus (the "COM" card; codes 5 and 6 are the "COMX" variants).
const CardInfo& BaseCard(Bus bus);
// The row for `code` when it names a card of `bus`, else the bus's base card.
const CardInfo& CardOfBus(Bus bus, std::uint16_t code);

constexpr const char* kInfoCaption = "INFO";
constexpr int kInfoTemplateId = 132;
constexpr const char* kUnsupportedMessage = "Device does not support Meshgate2 feature.";

// What the firmware field shows before a read and after a failed one.
constexpr const char* kFirmwareUnknown = "------";
constexpr const char* kProfibusFirmwareInitial = "-------"; // seven: the Profibus page before its first read

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
