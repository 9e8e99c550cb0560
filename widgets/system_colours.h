#pragma once

#include <QColor>
#include <QPalette>

// The classic system colours the kit draws with, taken from the active group of the widget's palette so
// that the kit follows the desktop theme:
//   BtnFace = Button, BtnText = ButtonText, WindowText = WindowText,
//   BtnHighlight = Light (the brightest edge), Light3D = Midlight (the inner bright edge),
//   BtnShadow = Dark, DkShadow3D = Shadow, ActiveCaption = Highlight.
enum class SysColour
{
    BtnFace,
    BtnText,
    WindowText,
    BtnHighlight,
    Light3D,
    BtnShadow,
    DkShadow3D,
    ActiveCaption,
};

QColor GetSysColour(const QPalette& palette, SysColour which);
