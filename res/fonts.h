#pragma once

#include <QString>

// Where this platform finds the dialog fonts "Tahoma" and "MS Sans Serif" when the system lacks them:
// Debian's fonts-wine on Linux; nowhere on Windows, whose own faces they are.
QString DialogFontFolder();

// Registers those two fonts from `folder` (none when it is empty), so the templates lay out with the metrics
// they were drawn for. Without them Qt substitutes a similar face. Returns how many font files were
// registered; safe to call more than once.
int RegisterDialogFonts(const QString& folder = DialogFontFolder());
