#include "system_colours.h"

QColor GetSysColour(const QPalette& palette, SysColour which)
{
    switch (which) {
    case SysColour::BtnFace:
        return palette.color(QPalette::Button);
    case SysColour::BtnText:
        return palette.color(QPalette::ButtonText);
    case SysColour::WindowText:
        return palette.color(QPalette::WindowText);
    case SysColour::BtnHighlight:
        return palette.color(QPalette::Light);
    case SysColour::Light3D:
        return palette.color(QPalette::Midlight);
    case SysColour::BtnShadow:
        return palette.color(QPalette::Dark);
    case SysColour::DkShadow3D:
        return palette.color(QPalette::Shadow);
    case SysColour::ActiveCaption:
        return palette.color(QPalette::Active, QPalette::Highlight);
    }
    return palette.color(QPalette::Button);
}
