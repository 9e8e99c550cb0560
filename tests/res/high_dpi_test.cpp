#include "res/dialog_builder.h"
#include "res/fonts.h"

#include <QDialog>
#include <QFile>
#include <QFontInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

namespace {

// This program runs on two offscreen screens, of device pixel ratio 1 and 2, so that a test can build the same
// window for both. The platform is chosen when the test main starts the application, after this has run.
[[maybe_unused]] const bool kTwoScreens = [] {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen")
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + MESHGATE2_TWO_SCREENS);
    return true;
}();

QScreen* ScreenOfRatio(qreal ratio)
{
    for (QScreen* screen : QGuiApplication::screens()) {
        if (qFuzzyCompare(screen->devicePixelRatio(), ratio))
            return screen;
    }
    return nullptr;
}

// Where the dark pixels of a grabbed text are: the height of its ink and the blank columns between its first
// two letters, in device pixels.
struct Ink
{
    int height = 0;
    int firstGap = -1;
};

Ink Measure(const QImage& image)
{
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    const auto inked = [&grey](int x, int y) { return qGray(grey.pixel(x, y)) < 128; };
    int top = grey.height();
    int bottom = -1;
    std::vector<bool> column(static_cast<std::size_t>(grey.width()), false);
    for (int y = 0; y < grey.height(); ++y) {
        for (int x = 0; x < grey.width(); ++x) {
            if (inked(x, y)) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
                column[static_cast<std::size_t>(x)] = true;
            }
        }
    }
    Ink ink;
    ink.height = bottom - top + 1;
    // Skip the first letter's columns, then count blank ones up to the second letter.
    std::size_t x = 0;
    while (x < column.size() && !column[x])
        ++x;
    while (x < column.size() && column[x])
        ++x;
    int gap = 0;
    for (; x < column.size() && !column[x]; ++x)
        ++gap;
    ink.firstGap = x < column.size() ? gap : -1;
    return ink;
}

struct Built
{
    Built(int templateId, QScreen* screen)
    {
        dialog.setScreen(screen);
        BuildDialog(&dialog, *FindTemplate(templateId));
    }
    QLabel* Label(const QString& text)
    {
        for (QLabel* label : dialog.findChildren<QLabel*>()) {
            if (label->text() == text)
                return label;
        }
        return nullptr;
    }
    QDialog dialog;
};

} // namespace

TEST(HighDpi, TextDrawsAtTheScreensScaleWithItsNormalSpacing)
{
    if (!QFile::exists("/usr/share/wine/fonts/ms_sans_serif.ttf"))
        GTEST_SKIP() << "fonts-wine is not installed";
    QScreen* one = ScreenOfRatio(1);
    QScreen* two = ScreenOfRatio(2);
    if (!one || !two)
        GTEST_SKIP() << "needs the offscreen platform's two screens";
    RegisterDialogFonts();
    struct Row
    {
        int templateId;
        const char* text;
    };
    // A card page and the about box in the bitmap face, the information page in a scalable one.
    for (const Row& row :
         {Row{129, "Firmware :"}, Row{100, "Meshgate2 Version 2.0.1.0"}, Row{132, "Meshgate2 Compatibility :"}}) {
        Built normal(row.templateId, one);
        Built doubled(row.templateId, two);
        QLabel* small = normal.Label(QString::fromLatin1(row.text));
        QLabel* large = doubled.Label(QString::fromLatin1(row.text));
        ASSERT_TRUE(small && large) << row.text;
        const Ink at1 = Measure(small->grab().toImage());
        const Ink at2 = Measure(large->grab().toImage());
        EXPECT_GE(at2.height, at1.height * 17 / 10) << row.text << ": " << at1.height << " px at 1x";
        EXPECT_LE(at2.height, at1.height * 23 / 10) << row.text << ": " << at1.height << " px at 1x";
        ASSERT_GE(at1.firstGap, 0) << row.text;
        EXPECT_LE(at2.firstGap, 2 * at1.firstGap + 1) << row.text << ": no letter-spaced run";
        // The units come from the face that draws: the layout is the same size in logical pixels.
        EXPECT_EQ(doubled.dialog.size(), normal.dialog.size()) << row.text;
    }
    EXPECT_EQ(QFontInfo(Built(129, one).dialog.font()).family(), QStringLiteral("MS Sans Serif"))
        << "the look at ratio 1 stays";
}

TEST(HighDpi, PicturesAreAsSharpAsTheScreen)
{
    for (const qreal ratio : {1.0, 2.0}) {
        QScreen* screen = ScreenOfRatio(ratio);
        if (!screen)
            GTEST_SKIP() << "needs the offscreen platform's two screens";
        Built version(140, screen);
        QLabel* logo = nullptr;
        for (QLabel* label : version.dialog.findChildren<QLabel*>()) {
            if (!label->pixmap().isNull())
                logo = label;
        }
        ASSERT_NE(logo, nullptr);
        EXPECT_EQ(logo->pixmap().devicePixelRatio(), ratio);
        EXPECT_EQ(logo->pixmap().deviceIndependentSize().toSize(), QSize(80, 30)) << ratio;
    }
}
