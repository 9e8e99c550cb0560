#pragma once

#include <QString>

// Registers the dialog fonts "Tahoma" and "MS Sans Serif" from Debian's fonts-wine when installed, so the
// templates lay out with the metrics they were drawn for. Without them Qt substitutes a similar face.
// Returns how many font files were registered; safe to call more than once.
int RegisterDialogFonts(const QString& folder = QStringLiteral("/usr/share/wine/fonts"));
