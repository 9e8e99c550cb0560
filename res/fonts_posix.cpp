#include "res/fonts.h"

QString DialogFontFolder()
{
    return QStringLiteral("/usr/share/wine/fonts"); // Debian's fonts-wine
}
