#include "widgets/drawing_rules.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

ImagePlaceInput Button(int align, int clientRight = 100)
{
    ImagePlaceInput in;
    in.align = align;
    in.clientRight = clientRight;
    return in;
}

TEST(PlaceImage, TopAlignedIconSitsAtMarginAndPushesCaptionDown)
{
    for (int height : {40, 64, 200}) {
        const KitRect item{0, 0, 100, height};
        KitRect caption = item;
        const KitRect image = PlaceImage(Button(AlignImageTop), true, item, caption, false, 32, 32);
        EXPECT_EQ(image.left, 34);
        EXPECT_EQ(image.top, 3) << "whatever the height " << height;
        EXPECT_EQ(caption, (KitRect{0, 32, 100, height}));
    }
}

TEST(PlaceImage, WithoutCaptionEveryAlignmentButOverlapCentres)
{
    const KitRect item{0, 0, 100, 60};
    for (int align : {AlignImageLeft, AlignImageTop, AlignImageRight}) {
        KitRect caption = item;
        const KitRect image = PlaceImage(Button(align), false, item, caption, false, 32, 20);
        EXPECT_EQ(image.left, 34) << align;
        EXPECT_EQ(image.top, 20) << align;
        EXPECT_EQ(caption, item) << align;
    }
    KitRect caption = item;
    EXPECT_EQ(PlaceImage(Button(AlignOverlap), false, item, caption, false, 32, 20), item);
}

TEST(PlaceImage, LeftAndRightMakeRoomBesideTheCaption)
{
    const KitRect item{0, 0, 120, 40};
    KitRect caption = item;
    KitRect image = PlaceImage(Button(AlignImageLeft), true, item, caption, false, 32, 32);
    EXPECT_EQ(image.left, 3);
    EXPECT_EQ(image.top, 4);
    EXPECT_EQ(caption.left, 35);

    caption = item;
    image = PlaceImage(Button(AlignImageRight, 120), true, item, caption, false, 32, 32);
    EXPECT_EQ(image.left, 120 - 32 - 3);
    EXPECT_EQ(caption.left, 3);
    EXPECT_EQ(caption.right, 120 - 32 - 3);
    // Only left and top move; the rest stays the item's.
    EXPECT_EQ(image.right, 120);
    EXPECT_EQ(image.bottom, 40);
}

TEST(PlaceImage, ImageLargerThanButtonTruncatesTowardZero)
{
    const KitRect item{0, 0, 10, 10};
    KitRect caption = item;
    const KitRect image = PlaceImage(Button(AlignImageLeft), false, item, caption, false, 15, 13);
    EXPECT_EQ(image.left, -2); // (10 - 15) / 2 = -2.5 -> -2
    EXPECT_EQ(image.top, -1);  // (10 - 13) / 2 = -1.5 -> -1
}

TEST(PlaceImage, PressedShiftsPlainButtonsOnly)
{
    const KitRect item{0, 0, 100, 60};
    ImagePlaceInput in = Button(AlignImageTop);
    KitRect caption = item;
    EXPECT_EQ(PlaceImage(in, true, item, caption, true, 32, 32).left, 35);
    in.pressedOffsetX = 0;
    in.pressedOffsetY = 2;
    caption = item;
    const KitRect deep = PlaceImage(in, true, item, caption, true, 32, 32);
    EXPECT_EQ(deep.left, 34);
    EXPECT_EQ(deep.top, 5);
    in.checkBoxStyle = true;
    caption = item;
    EXPECT_EQ(PlaceImage(in, true, item, caption, true, 32, 32).top, 3);
}

TEST(ImageSlot, SecondImageRestsFirstShowsWhenActive)
{
    // Plain button: the main image while hovered or pressed, the second one at rest when there is one.
    EXPECT_EQ(ImageSlot(false, false, false, true), 1);
    EXPECT_EQ(ImageSlot(false, false, true, true), 0);
    EXPECT_EQ(ImageSlot(false, true, false, true), 0);
    EXPECT_EQ(ImageSlot(false, false, false, false), 0);
    // Check-box style: hovering does not switch, only pressed (or checked).
    EXPECT_EQ(ImageSlot(true, false, true, true), 1);
    EXPECT_EQ(ImageSlot(true, true, false, true), 0);
}

TEST(StateColours, ChoicesFollowHoverPressAndFocus)
{
    EXPECT_EQ(BackgroundColourIndex(false, false, false), ColourBkNormal);
    EXPECT_EQ(BackgroundColourIndex(false, false, true), ColourBkFocus);
    EXPECT_EQ(BackgroundColourIndex(true, false, true), ColourBkHover);
    EXPECT_EQ(BackgroundColourIndex(false, true, false), ColourBkHover);
    EXPECT_EQ(CaptionColourIndex(false, false), ColourBkNormal);
    EXPECT_EQ(CaptionColourIndex(false, true), ColourBkHover);
}

TEST(RaisedEdge, FourLinesCoverTheOuterTwoPixelRings)
{
    const KitRect r{0, 0, 10, 8};
    const auto lines = RaisedEdgeLines(r);
    EXPECT_EQ(lines[0].colour, SysColour::BtnHighlight);
    EXPECT_EQ(lines[3].colour, SysColour::BtnShadow);
    // Line 1: left column from the bottom up (end excluded), then the top row to the right edge.
    EXPECT_EQ(LinePixels(lines[0].points[0], lines[0].points[1]), (KitRect{0, 1, 1, 8}));
    EXPECT_EQ(LinePixels(lines[0].points[1], lines[0].points[2]), (KitRect{0, 0, 10, 1}));
    // Line 3: bottom row to the right, then the right column all the way up.
    EXPECT_EQ(LinePixels(lines[2].points[0], lines[2].points[1]), (KitRect{0, 7, 9, 8}));
    EXPECT_EQ(LinePixels(lines[2].points[1], lines[2].points[2]), (KitRect{9, 0, 10, 8}));
    EXPECT_TRUE(LinePixels(QPoint(3, 3), QPoint(3, 3)).IsEmpty());
}

TEST(FillGradient, AtMostHundredBandsAndOnePerColumnWhenNarrow)
{
    const auto wide = FillGradientBands({0, 0, 450, 20}, MakeColourRef(0, 0, 0), MakeColourRef(200, 100, 0));
    ASSERT_EQ(wide.size(), 100u);
    EXPECT_EQ(wide.front().pixels, (KitRect{0, 0, 4, 20}));
    EXPECT_EQ(wide.back().pixels.right, 450) << "last band reaches the right edge";
    EXPECT_EQ(wide.front().colour, MakeColourRef(0, 0, 0));
    EXPECT_EQ(RedOf(wide[50].colour), 100); // 50 * (200 * 256 / 100) / 256
    EXPECT_EQ(GreenOf(wide[50].colour), 50);

    const auto narrow = FillGradientBands({5, 0, 45, 10}, 0, 0xFFFFFF);
    ASSERT_EQ(narrow.size(), 40u);
    for (std::size_t i = 0; i < narrow.size(); ++i) {
        EXPECT_EQ(narrow[i].pixels.Width(), 1);
        EXPECT_EQ(narrow[i].pixels.left, 5 + static_cast<int>(i));
    }
    EXPECT_TRUE(FillGradientBands({0, 0, 0, 10}, 0, 0xFFFFFF).empty());
    EXPECT_TRUE(FillGradientBands({10, 0, 5, 10}, 0, 0xFFFFFF).empty());
    EXPECT_EQ(FillGradientBands({0, 0, 1, 10}, 0x123456, 0xFFFFFF).front().colour, 0x123456u);
}

TEST(DrawGradient, PageColoursRunDownInRedOnly)
{
    const auto bands = DrawGradientBands({0, 0, 600, 30}, 0x0000FF, 0x323232);
    ASSERT_EQ(bands.size(), 60u);
    for (int i = 0; i < 60; ++i) {
        const ColourRef c = bands[static_cast<std::size_t>(i)].colour;
        EXPECT_EQ(RedOf(c), 255 - 3 * i) << i;
        EXPECT_EQ(GreenOf(c), 0);
        EXPECT_EQ(BlueOf(c), 0);
    }
    EXPECT_EQ(RedOf(bands.back().colour), 78);
    EXPECT_EQ(bands[1].pixels, (KitRect{10, 0, 20, 29})) << "bottom row left unpainted";
}

TEST(DrawGradient, BlackToWhiteStopsShortAt236)
{
    const auto bands = DrawGradientBands({0, 0, 120, 10}, 0x000000, 0xFFFFFF);
    EXPECT_EQ(bands.back().colour, 0xECECECu);
}

TEST(DrawGradient, NegativeStepsTruncateTowardZero)
{
    // 10 -> 0 is a step of -10 / 59 = 0, so red stays; 200 -> 0 falls by 3 per band (-3.39 truncated).
    const auto bands = DrawGradientBands({0, 0, 60, 2}, MakeColourRef(10, 200, 0), MakeColourRef(0, 0, 0));
    EXPECT_EQ(RedOf(bands.back().colour), 10);
    EXPECT_EQ(GreenOf(bands.back().colour), 200 - 59 * 3);
}

TEST(DrawGradient, NarrowBannerIsPaintedByTheLastBandAlone)
{
    const auto bands = DrawGradientBands({0, 0, 50, 20}, 0x0000FF, 0x323232);
    ASSERT_EQ(bands.size(), 60u);
    for (std::size_t i = 0; i + 1 < bands.size(); ++i) {
        EXPECT_TRUE(bands[i].pixels.IsEmpty()) << i;
    }
    EXPECT_EQ(bands.back().pixels, (KitRect{0, 0, 50, 19}));
}

TEST(DrawGradient, EqualColoursGiveUniformStripAndLastBandTakesTheRest)
{
    const auto bands = DrawGradientBands({0, 0, 125, 20}, 0x336699, 0x336699);
    for (const auto& b : bands) {
        EXPECT_EQ(b.colour, 0x336699u);
    }
    EXPECT_EQ(bands.back().pixels.left, 59 * 2);
    EXPECT_EQ(bands.back().pixels.right, 125);
}

TEST(LabelTextFormat, StaticStyleAndTextGiveTheFormat)
{
    using namespace TextFormat;
    const QString plain = QStringLiteral("one line");
    EXPECT_EQ(LabelTextFormat(StaticStyle::Left, plain), Left | WordBreak);
    EXPECT_EQ(LabelTextFormat(StaticStyle::Center, plain), Center | WordBreak);
    EXPECT_EQ(LabelTextFormat(StaticStyle::Right, plain), Right | WordBreak);
    EXPECT_EQ(LabelTextFormat(StaticStyle::LeftNoWordWrap, plain), Left);
    EXPECT_EQ(LabelTextFormat(0x0B, plain), Left | WordBreak) << "other types fall back to left";
    EXPECT_EQ(LabelTextFormat(StaticStyle::Left | StaticStyle::Notify, QStringLiteral("a\tb\nc")),
              Left | WordBreak | ExpandTabs);
    EXPECT_EQ(LabelTextFormat(StaticStyle::CenterImage | StaticStyle::Right, QStringLiteral("a\tb")),
              Center | VCenter | SingleLine);
    EXPECT_EQ(LabelTextFormat(StaticStyle::CenterImage, QStringLiteral("a\r\nb")), Center);
}

TEST(QtTextFlags, ClassicFormatMapsToQtFlags)
{
    using namespace TextFormat;
    const int centredLine = QtTextFlags(Center | VCenter | SingleLine | NoClip);
    EXPECT_TRUE(centredLine & Qt::AlignHCenter);
    EXPECT_TRUE(centredLine & Qt::AlignVCenter);
    EXPECT_TRUE(centredLine & Qt::TextSingleLine);
    EXPECT_TRUE(centredLine & Qt::TextDontClip);
    const int wrapped = QtTextFlags(Left | WordBreak | ExpandTabs | VCenter);
    EXPECT_TRUE(wrapped & Qt::AlignTop) << "vertical centring needs a single line";
    EXPECT_TRUE(wrapped & Qt::TextWordWrap);
    EXPECT_TRUE(wrapped & Qt::TextExpandTabs);
    EXPECT_TRUE(QtTextFlags(Right) & Qt::AlignRight);
    EXPECT_FALSE(QtTextFlags(Left | NoPrefix) & Qt::TextShowMnemonic);
}

TEST(GreyIcon, LuminanceTruncatesAndBlackStaysBlack)
{
    EXPECT_EQ(GreyLevel(255, 255, 255), 255);
    EXPECT_EQ(GreyLevel(255, 0, 0), 76);  // 76.245
    EXPECT_EQ(GreyLevel(0, 255, 0), 149); // 149.685
    EXPECT_EQ(GreyLevel(0, 0, 255), 29);  // 29.07
    EXPECT_EQ(GreyPixel(qRgba(0, 0, 0, 0)), qRgba(0, 0, 0, 0));
    EXPECT_EQ(GreyPixel(qRgba(0, 0, 0, 255)), qRgba(0, 0, 0, 255));
    EXPECT_EQ(GreyPixel(qRgba(0, 255, 0, 128)), qRgba(149, 149, 149, 128));
}

TEST(ColourRef, RedInLowBitsBothWays)
{
    EXPECT_EQ(ToQColor(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(ToQColor(0xFF0000), QColor(0, 0, 255));
    EXPECT_EQ(ToQColor(0xAB123456), QColor(0x56, 0x34, 0x12)) << "top byte ignored";
    EXPECT_EQ(FromQColor(QColor(250, 250, 0)), 0x00FAFAu);
    EXPECT_EQ(FromQColor(QColor(1, 2, 3, 4)), MakeColourRef(1, 2, 3));
}

TEST(ContrastRule, LuminanceAndRatioAsWcagDefinesThem)
{
    EXPECT_DOUBLE_EQ(RelativeLuminance(0), 0.0);
    EXPECT_DOUBLE_EQ(RelativeLuminance(0xFFFFFF), 1.0);
    EXPECT_NEAR(RelativeLuminance(0x0000FF), 0.2126, 1e-9) << "pure red is the red weight";
    EXPECT_NEAR(ContrastRatio(0, 0xFFFFFF), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(0xFFFFFF, 0), 21.0, 1e-9) << "either order";
    EXPECT_NEAR(ContrastRatio(0x777777, 0xFFFFFF), 4.48, 0.005) << "#777 on white, just short of 4.5";
    EXPECT_NEAR(ContrastRatio(0xFF0000, 0x353535), 1.43, 0.005) << "blue header lines on a dark grey window";
    EXPECT_TRUE(IsDarkBackground(0x353535));
    EXPECT_TRUE(IsDarkBackground(0x707070)) << "white still beats black here";
    EXPECT_FALSE(IsDarkBackground(0x777777));
    EXPECT_FALSE(IsDarkBackground(0xF0F0F0));
}

TEST(ContrastRule, FixedColoursReadOnDarkWindowsAndStayAsTheyAreOnLightOnes)
{
    struct Fixed
    {
        const char* what;
        ColourRef colour;
    };
    const Fixed fixed[] = {
        {"header blue", 0xFF0000},
        {"logo name", MakeColourRef(20, 55, 120)},
        {"logo 2", MakeColourRef(210, 40, 40)},
        {"banner red", 0x0000FF},
        {"banner grey", 0x323232},
        {"firmware yellow", 0x00FAFA},
        {"default frame black", 0x000000},
        {"banner white", 0xFFFFFF},
    };
    const ColourRef dark[] = {0x000000, 0x1E1E1E, 0x353535, MakeColourRef(42, 46, 50), 0x707070};
    const ColourRef light[] = {0xFFFFFF, 0xF0F0F0, MakeColourRef(212, 208, 200), 0x777777};
    for (const Fixed& f : fixed) {
        for (ColourRef window : dark) {
            const ColourRef shown = ReadableOn(f.colour, window);
            EXPECT_GE(ContrastRatio(shown, window), MinimumContrast) << f.what << " on " << std::hex << window;
            if (ContrastRatio(f.colour, window) >= MinimumContrast) {
                EXPECT_EQ(shown, f.colour) << f.what << " already reads on " << std::hex << window;
                continue;
            }
            EXPECT_GT(RelativeLuminance(shown), RelativeLuminance(f.colour)) << f.what;
            const QColor before = ToQColor(f.colour);
            const QColor after = ToQColor(shown);
            if (before.hslSaturation() > 0 && after != QColor(Qt::white)) {
                const int turn = std::abs(before.hslHue() - after.hslHue());
                EXPECT_LE(std::min(turn, 360 - turn), 3) << f.what << " keeps its hue on " << std::hex << window;
            }
        }
        for (ColourRef window : light) {
            EXPECT_EQ(ReadableOn(f.colour, window), f.colour) << f.what << " on " << std::hex << window;
        }
    }
}

} // namespace
