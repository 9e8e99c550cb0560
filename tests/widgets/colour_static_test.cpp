#include "widget_test_support.h"
#include "widgets/colour_static.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

constexpr ColourRef Yellow = MakeColourRef(250, 250, 0);
constexpr ColourRef Black = MakeColourRef(0, 0, 0);

// Text is antialiased: the colour is there when some pixel comes within a few steps of it.
bool HasPixel(const QImage& img, ColourRef colour)
{
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const ColourRef c = PixelAt(img, x, y);
            if (std::abs(RedOf(c) - RedOf(colour)) < 8 && std::abs(GreenOf(c) - GreenOf(colour)) < 8 &&
                std::abs(BlueOf(c) - BlueOf(colour)) < 8) {
                return true;
            }
        }
    }
    return false;
}

TEST(ColourStatic, FirmwareFieldIsYellowOnBlackBeforeAndAfterTextChange)
{
    QWidget page;
    auto* field = new ColourStatic(&page);
    field->setGeometry(0, 0, 80, 20);
    field->setAlignment(Qt::AlignCenter);
    QFont exact = field->font();
    exact.setStyleStrategy(QFont::NoAntialias);
    field->setFont(exact);
    field->SetTextColour(Yellow);
    field->SetBkColour(Black);
    field->SetText(QStringLiteral("------"));
    QImage img = Grab(*field);
    EXPECT_EQ(PixelAt(img, 1, 1), Black);
    EXPECT_TRUE(HasPixel(img, Yellow));

    field->setText(QStringLiteral("<b>"));
    img = Grab(*field);
    EXPECT_EQ(PixelAt(img, 1, 1), Black);
    EXPECT_TRUE(HasPixel(img, Yellow)) << "a text that looks like markup is still shown";
}

TEST(ColourStatic, TextColourAloneShowsTheParentsColours)
{
    QWidget page;
    QPalette pal = page.palette();
    pal.setColor(QPalette::Window, QColor(10, 200, 30));
    page.setPalette(pal);
    auto* field = new ColourStatic(QStringLiteral("HHHH"), &page);
    field->setGeometry(0, 0, 80, 20);
    field->SetTextColour(Yellow);
    page.resize(100, 40);
    const QImage img = page.grab().toImage();
    EXPECT_EQ(img.pixelColor(1, 1), QColor(10, 200, 30));
    EXPECT_FALSE(HasPixel(img.convertToFormat(QImage::Format_RGB32), Yellow));
}

TEST(ColourStatic, LastBackgroundColourWins)
{
    ColourStatic field(QStringLiteral("x"));
    field.resize(40, 20);
    field.SetBkColour(MakeColourRef(255, 0, 0));
    field.SetBkColour(MakeColourRef(0, 0, 255));
    EXPECT_EQ(PixelAt(Grab(field), 39, 19), MakeColourRef(0, 0, 255));
}

} // namespace
