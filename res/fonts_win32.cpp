#include "res/fonts.h"

QString DialogFontFolder()
{
    // Tahoma and MS Sans Serif are Windows' own faces; files from elsewhere would only shadow them.
    return {};
}
