#include "cards/parameters.h"

namespace cards {

namespace {

constexpr std::array<BusName, 2> kNodeAddressNames{
    {{Bus::Profibus, "station address"}, {Bus::Profinet, "station number"}}};
constexpr std::array<const char*, 4> kBaudWords{"500 Kbds", "250 Kbds", "125 Kbds", "Auto"};
constexpr std::array<const char*, 2> kModeWords{"STATIC IP", "DHCP"};

constexpr std::array<ParameterInfo, 8> kParameters{{
    {kNodeAddress,
     "node address",
     "node address",
     kNodeAddressNames,
     &CardSettings::nodeAddress,
     false,
     "nodeAddress",
     "address",
     ValueSyntax::Number,
     {},
     "a whole number (the card's range is checked once it is found)",
     "node address (Profibus 1-128 or 1-125, DeviceNet 0-63, Profinet station number 1-255)",
     "1"},
    {kBaudCode,
     "baud-rate code",
     "baud rate",
     {},
     &CardSettings::baudCode,
     false,
     "baudCode",
     "baud",
     ValueSyntax::ListWord,
     kBaudWords,
     "500, 250, 125 or auto (kbit/s)",
     "DeviceNet baud rate: 500, 250, 125 or auto",
     "500"},
    {kExchangeChoice,
     "exchange table",
     "exchange table",
     {},
     &CardSettings::exchangeChoice,
     false,
     "exchangeChoice",
     "exchange",
     ValueSyntax::ListEntry,
     {},
     "the entry number as listed, 1 for \"<1> ...\"",
     "exchange table entry number as listed: 1 for \"<1> ...\"",
     "1"},
    {kAddressMode,
     "address mode",
     "address mode",
     {},
     &CardSettings::addressMode,
     false,
     "addressMode",
     "mode",
     ValueSyntax::ListWord,
     kModeWords,
     "static or dhcp",
     "address mode: static or dhcp (EtherNet/IP, Modbus-TCP)",
     "static"},
    {kIpBlock,
     "IP block",
     "IP block",
     {},
     nullptr,
     true,
     "ipBlock",
     nullptr,
     ValueSyntax::Address,
     {},
     "four numbers from 0 to 255, like 192.168.1.10",
     nullptr,
     nullptr},
    {kProbe, "probe", "register", {}, nullptr, false, "", nullptr, ValueSyntax::None, {}, nullptr, nullptr, nullptr},
    {kIdentification,
     "identification record",
     "register",
     {},
     nullptr,
     false,
     "",
     nullptr,
     ValueSyntax::None,
     {},
     nullptr,
     nullptr,
     nullptr},
    {kModelBlock,
     "model block",
     "register",
     {},
     nullptr,
     false,
     "",
     nullptr,
     ValueSyntax::None,
     {},
     nullptr,
     nullptr,
     nullptr},
}};

} // namespace

const std::array<IpPart, 3> kIpParts{
    {{"ip", "IP address", &IpSettings::ip, "IP address, like 192.168.1.10 (EtherNet/IP, Modbus-TCP)", "192.168.1.10"},
     {"mask", "subnet mask", &IpSettings::mask, "subnet mask", "255.255.255.0"},
     {"gateway", "gateway", &IpSettings::gateway, "default gateway", "192.168.1.1"}}};

const char* ParameterInfo::NameOn(Bus bus) const
{
    for (const BusName& other : busNames) {
        if (other.bus == bus) {
            return other.name;
        }
    }
    return name;
}

std::span<const ParameterInfo> ParameterTable()
{
    return kParameters;
}

const ParameterInfo* FindParameter(const Parameter& parameter)
{
    for (const ParameterInfo& row : kParameters) {
        if (row.parameter == parameter) {
            return &row;
        }
    }
    return nullptr;
}

const ParameterInfo* FindParameterAt(std::uint16_t start)
{
    for (const ParameterInfo& row : kParameters) {
        if (row.parameter.start == start) {
            return &row;
        }
    }
    return nullptr;
}

} // namespace cards
