#include "cards/parameters.h"

namespace cards {

namespace {

constexpr std::array<BusName, 2> kNodeAddressNames{
    {{Bus::Profibus, "station address"}, {Bus::Profinet, "station number"}}};
constexpr std::array<const char*, 4> kBaudWords{"500 Kbds", "250 Kbds", "125 Kbds", "Auto"};
constexpr std::array<const char*, 2> kModeWords{"STATIC IP", "DHCP"};

constexpr std::array<ParameterInfo, 8> kParameters{{
    {.parameter = kNodeAddress,
     .blockName = "node address",
     .name = "node address",
     .busNames = kNodeAddressNames,
     .field = &CardSettings::nodeAddress,
     .nodeAddressRule = true,
     .backupKey = "nodeAddress",
     .option = "address",
     .syntax = ValueSyntax::Number,
     .expected = "a whole number (the card's range is checked once it is found)",
     .help = "node address (Profibus 1-128 or 1-125, DeviceNet 0-63, Profinet station number 1-255)",
     .initial = "1"},
    {.parameter = kBaudCode,
     .blockName = "baud-rate code",
     .name = "baud rate",
     .field = &CardSettings::baudCode,
     .backupKey = "baudCode",
     .option = "baud",
     .syntax = ValueSyntax::ListWord,
     .choices = kBaudWords,
     .expected = "500, 250, 125 or auto (kbit/s)",
     .help = "DeviceNet baud rate: 500, 250, 125 or auto",
     .initial = "500"},
    {.parameter = kExchangeChoice,
     .blockName = "exchange table",
     .name = "exchange table",
     .field = &CardSettings::exchangeChoice,
     .backupKey = "exchangeChoice",
     .option = "exchange",
     .syntax = ValueSyntax::ListEntry,
     .expected = "the entry number as listed, 1 for \"<1> ...\"",
     .help = "exchange table entry number as listed: 1 for \"<1> ...\"",
     .initial = "1"},
    {.parameter = kAddressMode,
     .blockName = "address mode",
     .name = "address mode",
     .field = &CardSettings::addressMode,
     .backupKey = "addressMode",
     .option = "mode",
     .syntax = ValueSyntax::ListWord,
     .choices = kModeWords,
     .expected = "static or dhcp",
     .help = "address mode: static or dhcp (EtherNet/IP, Modbus-TCP)",
     .initial = "static"},
    {.parameter = kIpBlock,
     .blockName = "IP block",
     .name = "IP block",
     .ipBlock = true,
     .backupKey = "ipBlock",
     .syntax = ValueSyntax::Address,
     .expected = "four numbers from 0 to 255, like 192.168.1.10"},
    {.parameter = kProbe, .kind = BlockKind::Probe, .blockName = "probe", .name = "register"},
    {.parameter = kIdentification,
     .kind = BlockKind::Identification,
     .blockName = "identification record",
     .name = "register"},
    {.parameter = kModelBlock, .kind = BlockKind::Model, .blockName = "model block", .name = "register"},
}};

// The row of a one-register setting; nullptr for the IP block and what is no setting.
const ParameterInfo* OneRegisterSetting(const Parameter& parameter)
{
    const ParameterInfo* row = FindParameter(parameter);
    return row != nullptr && row->field != nullptr ? row : nullptr;
}

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

int EncodeParameter(const CardSettings& settings, const Parameter& parameter,
                    std::span<std::uint8_t, kIpBlockBytes> out)
{
    const ParameterInfo* row = FindParameter(parameter);
    if (row == nullptr || !row->IsSetting()) {
        return 0;
    }
    if (row->ipBlock) {
        EncodeIpBlock(settings.ip, out);
        return kIpBlock.Bytes();
    }
    EncodeU16(settings.*row->field, out.first<2>());
    return parameter.Bytes();
}

bool DecodeParameter(CardSettings& settings, const Parameter& parameter, std::span<const std::uint8_t> bytes)
{
    const ParameterInfo* row = FindParameter(parameter);
    if (row == nullptr || !row->IsSetting() || bytes.size() < parameter.Bytes()) {
        return false;
    }
    if (row->ipBlock) {
        settings.ip = DecodeIpBlock(bytes.first<kIpBlockBytes>());
        return true;
    }
    settings.*row->field = DecodeU16(bytes.first<2>());
    return true;
}

std::optional<std::uint16_t> ParameterValue(const CardSettings& settings, const Parameter& parameter)
{
    const ParameterInfo* row = OneRegisterSetting(parameter);
    if (row == nullptr) {
        return std::nullopt;
    }
    return settings.*row->field;
}

bool SetParameterValue(CardSettings& settings, const Parameter& parameter, std::uint16_t value)
{
    const ParameterInfo* row = OneRegisterSetting(parameter);
    if (row == nullptr) {
        return false;
    }
    settings.*row->field = value;
    return true;
}

} // namespace cards
