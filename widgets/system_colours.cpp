#include "widgets/system_colours.h"

QColor GetSysColour(const QPalette& palette, SysColour which)
{
    // System colours do not change with a control's state: a disabled button keeps its edges.
    const auto c = [&palette](QPalette::ColorRole role) { return palette.color(QPalette::Active, role); };
    switch (which) {
    case SysColour::BtnFace:
        return c(QPalette::Button);
    case SysColour::BtnText:
        return c(QPalette::ButtonText);
    case SysColour::WindowText:
        return c(QPalette::WindowText);
    case SysColour::BtnHighlight:
        return c(QPalette::Light);
    case SysColour::Light3D:
        return c(QPalette::Midlight);
    case SysColour::BtnShadow:
        return c(QPalette::Dark);
    case SysColour::DkShadow3D:
        return c(QPalette::Shadow);
    case SysColour::ActiveCaption:
        return c(QPalette::Highlight);
    }
    return c(QPalette::Button);
}
