#pragma once

#include <QColor>
#include <cstdint>

// A colour as the instrument tools have always written it: 0x00BBGGRR, red in bits 0-7.
using ColourRef = std::uint32_t;

constexpr ColourRef MakeColourRef(int red, int green, int blue)
{
    return static_cast<ColourRef>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr int RedOf(ColourRef c)
{
    return static_cast<int>(c & 0xFF);
}
constexpr int GreenOf(ColourRef c)
{
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int BlueOf(ColourRef c)
{
    return static_cast<int>((c >> 16) & 0xFF);
}

// Opaque; the top byte of a ColourRef is ignored.
QColor ToQColor(ColourRef colour);
// Alpha is dropped.
ColourRef FromQColor(const QColor& colour);
