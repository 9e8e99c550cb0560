#include "widget_test_support.h"
#include "widgets/drawing_rules.h"
#include "widgets/kit_paint.h"
#include "widgets/title_banner.h"

#include <QFile>
#include <QFontDatabase>
#include <gtest/gtest.h>

namespace {

class CountingBanner : public TitleBanner
{
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        TitleBanner::paintEvent(event);
    }
};

void PageColours(TitleBanner& banner, const QString& text)
{
    banner.SetGradientStartColour(0x0000FF);
    banner.SetGradientEndColour(0x323232);
    banner.SetTextColour(0xFFFFFF);
    banner.SetText(text);
}

TEST(TitleBanner, FirstAndLastBandAndCaptionColouredBottomRow)
{
    TitleBanner banner;
    banner.resize(300, 40);
    PageColours(banner, QString());
    const QImage img = Grab(banner);
    EXPECT_EQ(PixelAt(img, 0, 0), MakeColourRef(255, 0, 0));
    EXPECT_EQ(PixelAt(img, 4, 38), MakeColourRef(255, 0, 0));
    EXPECT_EQ(PixelAt(img, 5, 20), MakeColourRef(252, 0, 0)) << "band width 300 / 60 = 5";
    EXPECT_EQ(PixelAt(img, 299, 0), MakeColourRef(78, 0, 0));
    const ColourRef caption = FromQColor(GetSysColour(banner.palette(), SysColour::ActiveCaption));
    for (int x : {0, 150, 299}) {
        EXPECT_EQ(PixelAt(img, x, 39), caption) << x;
    }
}

TEST(TitleBanner, TextIsCentredWithItsShadowDownRight)
{
    TitleBanner banner;
    banner.resize(200, 40);
    banner.SetGradientStartColour(0x808080);
    banner.SetGradientEndColour(0x808080);
    banner.SetTextColour(0xFFFFFF);
    banner.SetText(QStringLiteral("IIII"));
    const QImage img = Grab(banner);
    int whiteLeft = 200, whiteRight = 0, shadowLeft = 200, whiteTop = 40, shadowTop = 40;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 200; ++x) {
            const ColourRef c = PixelAt(img, x, y);
            if (c == 0xFFFFFF) {
                whiteLeft = std::min(whiteLeft, x);
                whiteRight = std::max(whiteRight, x);
                whiteTop = std::min(whiteTop, y);
            } else if (c == 0) {
                shadowLeft = std::min(shadowLeft, x);
                shadowTop = std::min(shadowTop, y);
            }
        }
    }
    ASSERT_LT(whiteLeft, 200);
    ASSERT_LT(shadowLeft, 200);
    EXPECT_EQ(shadowLeft - whiteLeft, 2);
    EXPECT_EQ(shadowTop - whiteTop, 2);
    // Centred in the box that grew 4 pixels left: its middle is at 98.
    EXPECT_NEAR((whiteLeft + whiteRight) / 2.0, 98, 2);
}

TEST(TitleBanner, NarrowBannerShowsOnlyTheLastBand)
{
    TitleBanner banner;
    banner.resize(50, 20);
    PageColours(banner, QString());
    const QImage img = Grab(banner);
    EXPECT_EQ(PixelAt(img, 0, 0), MakeColourRef(78, 0, 0));
    EXPECT_EQ(PixelAt(img, 49, 18), MakeColourRef(78, 0, 0));
}

TEST(TitleBanner, SettersNeverRepaint)
{
    QWidget page;
    auto* banner = new CountingBanner;
    banner->setParent(&page);
    banner->setGeometry(0, 0, 200, 30);
    ShowActive(page);
    QApplication::processEvents();
    const int before = banner->paints;
    PageColours(*banner, QStringLiteral("Profibus"));
    QApplication::processEvents();
    EXPECT_EQ(banner->paints, before);
    EXPECT_EQ(banner->GetText(), QStringLiteral("Profibus"));
    EXPECT_EQ(banner->GetShadowColour(), 0u);
}

TEST(TitleBanner, DefaultsAndFontCellHeight)
{
    TitleBanner banner;
    EXPECT_EQ(banner.GetTextColour(), MakeColourRef(0, 255, 0));
    EXPECT_EQ(banner.GetGradientEndColour(), 0u);
    EXPECT_EQ(banner.GetGradientStartColour(), FromQColor(GetSysColour(banner.palette(), SysColour::BtnFace)));
    EXPECT_LE(QFontMetrics(banner.GetBannerFont()).height(), 24);
    EXPECT_GE(QFontMetrics(banner.GetBannerFont()).height(), 20);
}

TEST(TitleBanner, HeadingKeepsItsSizeWhenTheFaceIsABitmapFontOfAnotherSize)
{
    // The program registers wine's "MS Sans Serif", which has a single 13 px strike; the package only
    // recommends fonts-wine, so without it there is nothing to check.
    const QString face = QStringLiteral("/usr/share/wine/fonts/ms_sans_serif.ttf");
    if (!QFile::exists(face)) {
        GTEST_SKIP() << face.toStdString() << " is missing: install fonts-wine to check the bitmap face";
    }
    ASSERT_GE(QFontDatabase::addApplicationFont(face), 0) << "the face is there but Qt cannot read it";
    TitleBanner banner;
    EXPECT_LE(QFontMetrics(banner.GetBannerFont()).height(), 24);
    EXPECT_GE(QFontMetrics(banner.GetBannerFont()).height(), 20);
}

TEST(TitleBanner, AFaceTheSystemLacksGivesWayToTheSubstitute)
{
    // What the system matches for a missing face has other metrics (a serif under Wine for "MS Sans Serif").
    QFont missing(QStringLiteral("Meshgate2 No Such Face"));
    missing.setPointSize(8);
    EXPECT_FALSE(FaceDrawsAt(missing, 1.0));
    EXPECT_EQ(DrawableFont(missing, 1.0).family(), QStringLiteral("Tahoma"));
}

} // namespace
