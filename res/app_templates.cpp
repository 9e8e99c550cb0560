#include "res/dialog_template.h"

#include <array>

// The application's own windows: about box, main window, information page, version choice.
// Controls are listed in their tab and z-order, as Windows creates them.

using namespace style;

const DialogTemplate& AboutTemplate()
{
    static const DialogTemplate t{
        100,
        "About Meshgate2",
        "MS Sans Serif",
        8,
        235,
        55,
        {
            {-1, ControlKind::StaticIcon, "", 11, 17, 21, 20, SS_ICON, 128},
            {-1, ControlKind::Static, "Meshgate2 Version 2.0.1.0", 40, 10, 119, 8, SS_LEFTNOWORDWRAP | WS_GROUP},
            {1, ControlKind::PushButton, "OK", 178, 7, 50, 14, BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP},
        },
    };
    return t;
}

const DialogTemplate& MainTemplate()
{
    static const DialogTemplate t{
        102,
        "Meshgate2  ",
        "Tahoma",
        8,
        391,
        258,
        {
            {-1, ControlKind::GroupBox, "[ Use only with Vorn version below ]", 5, 1, 370, 65},
            {1026, ControlKind::Static, "", 13, 13, 354, 46},
            {1003, ControlKind::ComboBox, "", 7, 77, 66, 92, CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP},
            {1002, ControlKind::PushButton, "Search Device", 7, 96, 64, 39, WS_TABSTOP},
            {1012, ControlKind::PushButton, "Read", 7, 135, 64, 39, WS_DISABLED | WS_TABSTOP},
            {1, ControlKind::PushButton, "Apply", 7, 174, 64, 39, BS_DEFPUSHBUTTON | WS_DISABLED | WS_TABSTOP},
            {2, ControlKind::PushButton, "Exit", 7, 213, 64, 39, WS_TABSTOP},
            {1004, ControlKind::TabControl, "", 85, 67, 290, 185, WS_TABSTOP},
        },
    };
    return t;
}

const DialogTemplate& InfoTemplate()
{
    static const DialogTemplate t{
        132,
        nullptr,
        "Tahoma",
        8,
        229,
        157,
        {
            {1015, ControlKind::Static, "Static", 13, 13, 199, 13},
            {-1, ControlKind::Static, "Meshgate2 Compatibility :", 31, 56, 78, 11},
            {-1, ControlKind::Static, "1 - PROFIBUS", 120, 56, 55, 10},
            {-1, ControlKind::Static, "2 - DEVICENET", 120, 71, 60, 11},
            {-1, ControlKind::Static, "3 - PROFINET", 120, 86, 60, 11},
            {-1, ControlKind::Static, "4 - ETHERNET/IP", 120, 102, 60, 11},
            {-1, ControlKind::StaticBitmap, "", 13, 124, 61, 20, SS_BITMAP | SS_SUNKEN, 131},
        },
    };
    return t;
}

const DialogTemplate& VersionTemplate()
{
    static const DialogTemplate t{
        140,
        "Vorn Meshgate2 Configurator",
        "Tahoma",
        8,
        370,
        97,
        {
            {1, ControlKind::PushButton, "OK", 300, 71, 63, 19, BS_DEFPUSHBUTTON | WS_TABSTOP},
            {2, ControlKind::PushButton, "Cancel", 7, 71, 63, 19, WS_TABSTOP},
            {1027, ControlKind::RadioButton, "( K3:1.18L-1.18s3,  P3:1.21e-1.31e, RK3:1.000-y1, N340:1.03m-1.03p)", 26,
             20, 290, 10, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP},
            {1028, ControlKind::RadioButton,
             "( K3 >= 1.18s4, 3.10h5,  P3 >=1.31f - 3.10c5,  RK3 >= 1.000-y2 - 3.10d5 , K4 >= 1.042)", 26, 33, 309, 20,
             BS_AUTORADIOBUTTON | BS_MULTILINE},
            {-1, ControlKind::GroupBox, "[ Select Vorn Version ] [ Profiibus, DeviceNet, Profinet, EtherNet/IP] ", 7, 3,
             356, 62, WS_GROUP},
            {-1, ControlKind::StaticBitmap, "", 142, 71, 59, 19, SS_BITMAP, 131},
        },
    };
    return t;
}

std::span<const DialogTemplate* const> AppTemplates()
{
    static const std::array<const DialogTemplate*, 4> all{&AboutTemplate(), &MainTemplate(), &InfoTemplate(),
                                                          &VersionTemplate()};
    return all;
}
