#include "widgets/colour_ref.h"

QColor ToQColor(ColourRef colour)
{
    return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

ColourRef FromQColor(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return MakeColourRef(rgb.red(), rgb.green(), rgb.blue());
}
