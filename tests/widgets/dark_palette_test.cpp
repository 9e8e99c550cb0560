#include "widget_test_support.h"
#include "widgets/colour_static.h"
#include "widgets/image_button.h"
#include "widgets/link_label.h"
#include "widgets/picture_static.h"
#include "widgets/title_banner.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

// A dark desktop: grey window, white text.
QPalette DarkPalette()
{
    QPalette dark(QColor(53, 53, 53), QColor(53, 53, 53));
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::ButtonText, Qt::white);
    return dark;
}

constexpr ColourRef HeaderBlue = 0xFF0000;
constexpr ColourRef Yellow = MakeColourRef(250, 250, 0);

// The highest contrast any pixel of `image` has against `background`: the core of the text or line drawn.
double StrongestInk(const QImage& image, ColourRef background)
{
    double best = 1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            best = std::max(best, ContrastRatio(PixelAt(image, x, y), background));
        }
    }
    return best;
}

TEST(DarkPalette, FixedForegroundsReadAgainstTheWindow)
{
    QWidget desktop;
    desktop.setPalette(DarkPalette());
    const ColourRef window = FromQColor(desktop.palette().color(QPalette::Window));
    struct Row
    {
        const char* what;
        std::function<double()> contrast;
    };
    const Row rows[] = {
        {"main window header, blue bold text",
         [&] {
             auto* header = new LinkLabel(QStringLiteral("- Vorn K3"), &desktop);
             header->resize(120, 24);
             header->SetFontName(QStringLiteral("Tahoma")).SetFontSize(10).SetTextColour(HeaderBlue).SetFontBold(true);
             return StrongestInk(Grab(*header), window);
         }},
        {"default button frame",
         [&] {
             auto* button = new ImageButton(QStringLiteral("Apply"), &desktop);
             button->setGeometry(0, 0, 80, 60);
             button->SetFlat(false);
             button->setDefault(true);
             const QImage img = Grab(*button);
             return ContrastRatio(PixelAt(img, 0, 30), window);
         }},
        {"logo, least readable of its opaque pixels",
         [&] {
             auto* logo = new PictureStatic(&desktop);
             logo->SetPicture(QPixmap(QStringLiteral(":/icon/131.png")));
             const QImage shown = logo->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
             double least = 21;
             for (int y = 0; y < shown.height(); ++y) {
                 for (int x = 0; x < shown.width(); ++x) {
                     if (qAlpha(shown.pixel(x, y)) == 255) {
                         least = std::min(least, ContrastRatio(FromQColor(shown.pixelColor(x, y)), window));
                     }
                 }
             }
             return least;
         }},
    };
    for (const Row& row : rows) {
        EXPECT_GE(row.contrast(), MinimumContrast) << row.what;
    }
}

TEST(DarkPalette, ColourPairsTheOwnerFixedAndTheLightLookStay)
{
    QWidget desktop;
    desktop.setPalette(DarkPalette());

    // The text keeps exactly the colour the owner paired with its background: the strongest ink is that colour.
    constexpr ColourRef Navy = MakeColourRef(0, 0, 128);
    auto* firmware = new ColourStatic(QStringLiteral("V1.00"), &desktop);
    firmware->resize(80, 20);
    firmware->SetTextColour(Yellow);
    firmware->SetBkColour(0);
    auto* solid = new LinkLabel(QStringLiteral("WWW"), &desktop);
    solid->resize(60, 20);
    solid->SetBkColour(Navy).SetTextColour(HeaderBlue);
    EXPECT_NEAR(StrongestInk(Grab(*firmware), 0), ContrastRatio(Yellow, 0), 0.05) << "yellow on black";
    EXPECT_NEAR(StrongestInk(Grab(*solid), Navy), ContrastRatio(HeaderBlue, Navy), 0.01) << "blue on navy";

    auto* banner = new TitleBanner(&desktop);
    banner->resize(300, 40);
    banner->SetGradientStartColour(0x0000FF);
    banner->SetGradientEndColour(0x323232);
    EXPECT_EQ(PixelAt(Grab(*banner), 0, 0), MakeColourRef(255, 0, 0));

    const QPixmap art(QStringLiteral(":/icon/131.png"));
    auto* logo = new PictureStatic(&desktop);
    logo->SetPicture(art);
    EXPECT_NE(logo->pixmap().toImage(), art.toImage()) << "lightened on the dark window";
    desktop.setPalette(QPalette(QColor(240, 240, 240), QColor(240, 240, 240)));
    EXPECT_EQ(logo->pixmap().toImage(), art.toImage()) << "as drawn once the desktop is light again";
}

} // namespace
