#include "cards/card_lists.h"

#include <array>
#include <cstdio>

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

constexpr std::array<const char*, 4> kBaudCom{"500 Kbds", "250 Kbds", "125 Kbds", "Auto"};
constexpr std::array<const char*, 2> kModes{"STATIC IP", "DHCP"};

constexpr NodeAddressRule kProfibusComxAddress{"Address (1 - 125) :", 1, 125, 1, 128};
constexpr NodeAddressRule kProfibusComAddress{"Address (1 - 128) :", 1, 128, 1, 128};
constexpr NodeAddressRule kDeviceNetAddress{"Address (0 - 63 ) :", 0, 63, 0, 63};
// The station number is shown whatever it holds; only what is written is checked.
constexpr NodeAddressRule kProfinetStation{"Station name :", 1, 255, 0, 0xFFFF};

constexpr std::array<const char*, 5> kModelTokens{"K320", "P320", " RK3", "G320", "K4"};
constexpr std::array<const char*, 5> kModelNames{"K320", "P320", "RK3", "G320", "K4"};
constexpr std::array<const char*, 5> kStationPrefixes{"vornk3", "vornp3", "vornrk3", "vorng3", "vornk4"};

} // namespace

std::span<const char* const> ExchangeTable(Bus bus, int firmwareRange)
{
    switch (bus) {
    case Bus::Profibus:
        return IsCurrent(firmwareRange) ? std::span<const char* const>(kProfibusCurrent)
                                        : std::span<const char* const>(kProfibusLegacy);
    case Bus::DeviceNet:
        return IsCurrent(firmwareRange) ? std::span<const char* const>(kDeviceNetCurrent)
                                        : std::span<const char* const>(kDeviceNetLegacy);
    case Bus::Profinet:
        return kProfinet;
    case Bus::EtherNetIp:
        return kEtherNetIp;
    case Bus::ModbusTcp:
        break;
    }
    return {};
}

std::span<const char* const> ProfibusModuleTexts(int firmwareRange)
{
    return IsCurrent(firmwareRange) ? std::span<const char* const>(kProfibusModulesCurrent)
                                    : std::span<const char* const>(kProfibusModulesLegacy);
}

const char* ProfibusModuleText(int firmwareRange, int code)
{
    const auto texts = ProfibusModuleTexts(firmwareRange);
    return code >= 0 && static_cast<std::size_t>(code) < texts.size() ? texts[static_cast<std::size_t>(code)] : nullptr;
}

std::span<const char* const> BaudList(std::uint16_t cardCode)
{
    const std::span<const char* const> all(kBaudCom);
    return cardCode == 6 ? all.first(3) : all;
}

std::span<const char* const> ModeList()
{
    return kModes;
}

const NodeAddressRule* FindNodeAddressRule(std::uint16_t cardCode)
{
    switch (cardCode) {
    case 1:
        return &kProfibusComAddress;
    case 5:
        return &kProfibusComxAddress;
    case 2:
    case 6:
        return &kDeviceNetAddress;
    case 4:
        return &kProfinetStation;
    default:
        return nullptr;
    }
}

const char* FirmwarePrefix(std::uint16_t cardCode)
{
    switch (cardCode) {
    case 1:
        return "COM-DPS / ";
    case 5:
        return "COMX 100XX-DPS    / ";
    case 2:
        return "COM-DNS / ";
    case 6:
        return "COMX 100XX-DNS    / ";
    default:
        return "";
    }
}

std::span<const char* const> ModelTokens()
{
    return kModelTokens;
}

int FindModelIndex(std::string_view modelText)
{
    for (std::size_t i = 0; i < kModelTokens.size(); ++i) {
        if (modelText.find(kModelTokens[i]) != std::string_view::npos) {
            return static_cast<int>(i);
        }
    }
    return kModelNone;
}

const char* ModelName(int modelIndex)
{
    return modelIndex >= 0 && modelIndex < kModelNone ? kModelNames[static_cast<std::size_t>(modelIndex)] : "unknown";
}

const char* StationNamePrefix(int modelIndex)
{
    return modelIndex >= 0 && modelIndex < kModelNone ? kStationPrefixes[static_cast<std::size_t>(modelIndex)] : "";
}

std::string FormatStationNumber(int number)
{
    char text[16];
    std::snprintf(text, sizeof text, "%03d", number);
    return text;
}

std::optional<int> ParseStationNumber(std::string_view text)
{
    if (text.empty() || text.size() > 6) {
        return std::nullopt;
    }
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    if (value < kProfinetStation.minimum || value > kProfinetStation.maximum) {
        return std::nullopt;
    }
    return value;
}

} // namespace cards
