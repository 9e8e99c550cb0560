#include "res/fonts.h"

#include <gtest/gtest.h>

// Under Wine /usr/share/wine/fonts is reachable too; Windows' own faces must not be shadowed by it.
TEST(DialogFontsOnWindows, NothingIsRegisteredFromElsewhere)
{
    EXPECT_TRUE(DialogFontFolder().isEmpty());
    EXPECT_EQ(RegisterDialogFonts(), 0);
}
