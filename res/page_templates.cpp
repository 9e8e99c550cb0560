#include "res/dialog_template.h"

#include <array>

// The card pages: caption-less child dialogs in 8 pt "MS Sans Serif", controls in template order.
// Ids are the pages' control ids; -1 marks captions the code never reaches.

namespace {

using namespace style;

constexpr const char* kPageFont = "MS Sans Serif";
constexpr int kPageFontPoints = 8;

constexpr std::uint32_t kNumberEdit = ES_NUMBER | ES_CENTER | WS_BORDER | WS_TABSTOP;
constexpr std::uint32_t kBuddySpin = UDS_SETBUDDYINT | UDS_AUTOBUDDY | UDS_ALIGNRIGHT | UDS_ARROWKEYS;
constexpr std::uint32_t kDropList = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
constexpr std::uint32_t kFirmwareField = SS_CENTER | SS_SUNKEN;
constexpr std::uint32_t kIpControl = WS_TABSTOP;

const DialogTemplate& ProfibusTemplate()
{
    static const DialogTemplate t{
        129,
        nullptr,
        kPageFont,
        kPageFontPoints,
        236,
        155,
        {
            {1039, ControlKind::Static, "Address (1 - 128) :", 30, 58, 64, 11},
            {1007, ControlKind::Edit, "", 108, 55, 42, 12, kNumberEdit},
            {1008, ControlKind::UpDown, "Spin1", 146, 55, 11, 12, kBuddySpin},
            {-1, ControlKind::Static, "Firmware :", 27, 41, 34, 10},
            {1016, ControlKind::Static, "Static", 11, 15, 199, 13},
            {1018, ControlKind::Static, "", 73, 38, 141, 12, kFirmwareField},
            {-1, ControlKind::Static, "Exchange table configuration :", 15, 74, 193, 10},
            {1022, ControlKind::ComboBox, "", 12, 86, 206, 73, kDropList},
            {1025, ControlKind::Edit, "", 15, 105, 190, 43, ES_MULTILINE | ES_READONLY | WS_BORDER},
        },
    };
    return t;
}

const DialogTemplate& DeviceNetTemplate()
{
    static const DialogTemplate t{
        130,
        nullptr,
        kPageFont,
        kPageFontPoints,
        232,
        142,
        {
            {-1, ControlKind::Static, "Address (0 - 63 ) :", 35, 60, 60, 12},
            {1009, ControlKind::Edit, "", 110, 60, 42, 13, kNumberEdit},
            {1010, ControlKind::UpDown, "Spin1", 152, 59, 11, 18, kBuddySpin},
            {-1, ControlKind::Static, "Baud Rate :", 35, 85, 47, 11},
            {1011, ControlKind::ComboBox, "", 83, 82, 80, 46, kDropList},
            {-1, ControlKind::Static, "Firmware  :", 18, 41, 35, 10},
            {1017, ControlKind::Static, "Static", 20, 13, 199, 13},
            {1019, ControlKind::Static, "", 64, 38, 155, 12, kFirmwareField},
            {-1, ControlKind::Static, "Exchange table size :", 7, 103, 69, 10},
            {1020, ControlKind::ComboBox, "", 13, 118, 206, 91, kDropList},
        },
    };
    return t;
}

const DialogTemplate& ProfinetTemplate()
{
    static const DialogTemplate t{
        141,
        nullptr,
        kPageFont,
        kPageFontPoints,
        226,
        155,
        {
            {-1, ControlKind::Static, "IP address", 19, 67, 38, 11},
            {-1, ControlKind::Static, "Firmware :", 19, 33, 34, 10},
            {1032, ControlKind::Static, "Static", 11, 13, 199, 13},
            {1029, ControlKind::Static, "", 69, 31, 137, 12, kFirmwareField},
            {-1, ControlKind::Static, "Exchange table size :", 19, 112, 193, 10},
            {1030, ControlKind::ComboBox, "", 23, 124, 187, 73, kDropList},
            {1033, ControlKind::IpAddress, "IPAddress1", 69, 66, 137, 12, kIpControl | WS_DISABLED},
            {-1, ControlKind::Static, "Station name :", 19, 51, 47, 11},
            {1034, ControlKind::Edit, "", 157, 49, 37, 12, ES_NUMBER | WS_BORDER | WS_TABSTOP},
            // No buddy: the page moves the number itself, in three digits.
            {1036, ControlKind::UpDown, "Spin1", 194, 49, 8, 12, UDS_ARROWKEYS | UDS_SETBUDDYINT},
            {1038, ControlKind::Static, "Static", 69, 49, 88, 12, SS_RIGHT | SS_CENTERIMAGE},
            {-1, ControlKind::Static, "Mask", 19, 81, 38, 11},
            {1035, ControlKind::IpAddress, "IPAddress1", 69, 81, 137, 12, kIpControl | WS_DISABLED},
            {-1, ControlKind::Static, "Gateway", 19, 95, 38, 11},
            {1037, ControlKind::IpAddress, "IPAddress1", 69, 95, 137, 12, kIpControl | WS_DISABLED},
        },
    };
    return t;
}

// EtherNet/IP and Modbus-TCP share one layout; only the banner and firmware ids differ, and the
// Modbus-TCP card has no exchange table, so its list and caption stay disabled.
DialogTemplate AddressPageTemplate(int id, int bannerId, int firmwareId, std::uint32_t exchangeStyles)
{
    return DialogTemplate{
        id,
        nullptr,
        kPageFont,
        kPageFontPoints,
        226,
        157,
        {
            {-1, ControlKind::Static, "Firmware :", 19, 30, 34, 10},
            {bannerId, ControlKind::Static, "Static", 11, 13, 199, 13},
            {firmwareId, ControlKind::Static, "", 69, 28, 137, 12, kFirmwareField},
            {-1, ControlKind::Static, "Exchange table size :", 19, 120, 193, 10, exchangeStyles},
            {1042, ControlKind::ComboBox, "", 23, 132, 187, 73, kDropList | exchangeStyles},
            {-1, ControlKind::Static, "IP address", 19, 73, 38, 11},
            {1033, ControlKind::IpAddress, "IPAddress1", 69, 72, 137, 12, kIpControl},
            {-1, ControlKind::Static, "Mask", 19, 85, 38, 11},
            {1035, ControlKind::IpAddress, "IPAddress1", 69, 85, 137, 12, kIpControl},
            {-1, ControlKind::Static, "Gateway", 19, 98, 38, 11},
            {1037, ControlKind::IpAddress, "IPAddress1", 69, 98, 137, 12, kIpControl},
            {1044, ControlKind::ComboBox, "", 69, 53, 137, 77, kDropList},
            {-1, ControlKind::Static, "Mode", 19, 54, 38, 11},
        },
    };
}

const DialogTemplate& EtherNetIpTemplate()
{
    static const DialogTemplate t = AddressPageTemplate(143, 1040, 1041, 0);
    return t;
}

const DialogTemplate& ModbusTcpTemplate()
{
    static const DialogTemplate t = AddressPageTemplate(144, 1046, 1045, style::WS_DISABLED);
    return t;
}

} // namespace

std::span<const DialogTemplate* const> PageTemplates()
{
    // A new card's template is added here, beside its table.
    static const std::array<const DialogTemplate*, 5> all{
        &ProfibusTemplate(), &DeviceNetTemplate(), &ProfinetTemplate(), &EtherNetIpTemplate(), &ModbusTcpTemplate()};
    return all;
}
