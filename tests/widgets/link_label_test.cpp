#include "widget_test_support.h"
#include "widgets/link_label.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

TEST(LinkLabelFont, SetFontSizeChangesOnlyTheSize)
{
    LinkLabel label;
    label.SetFontName(QStringLiteral("Tahoma"), 0).SetFontBold(true).SetFontItalic(true).SetFontSize(10);
    const QFont& f = label.GetLabelFont();
    EXPECT_EQ(f.family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(f.weight(), QFont::Bold);
    EXPECT_TRUE(f.italic());
    EXPECT_EQ(f.pointSize(), 10);
    label.SetFontSize(0);
    EXPECT_EQ(label.GetLabelFont().pointSize(), 10) << "a nonsense size keeps the font";
    label.SetFontName(QString(40, QLatin1Char('x')));
    EXPECT_EQ(label.GetLabelFont().family().size(), 31);
}

TEST(LinkLabelPainting, MainWindowTextIsLeftAlignedBlueOnButtonFace)
{
    LinkLabel label(QStringLiteral("W\nW"));
    label.resize(200, 60);
    label.SetTextColour(MakeColourRef(0, 0, 255)).SetFontBold(true);
    const QImage img = Grab(label);
    const ColourRef face = FromQColor(GetSysColour(label.palette(), SysColour::BtnFace));
    EXPECT_EQ(PixelAt(img, 199, 59), face);
    // Blue ink only near the left edge, on two separate lines.
    int firstInk = 200;
    int lastInk = 0;
    std::vector<bool> inkRows(60, false);
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 200; ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c.blue() > 200 && c.red() < 100) {
                firstInk = std::min(firstInk, x);
                lastInk = std::max(lastInk, x);
                inkRows[static_cast<std::size_t>(y)] = true;
            }
        }
    }
    EXPECT_LT(firstInk, 4);
    EXPECT_LT(lastInk, 40);
    int blocks = 0;
    for (std::size_t y = 0; y < inkRows.size(); ++y) {
        if (inkRows[y] && (y == 0 || !inkRows[y - 1])) {
            ++blocks;
        }
    }
    EXPECT_EQ(blocks, 2) << "the line break starts a new line";
}

TEST(LinkLabelPainting, GradientBackgroundRunsLeftToRight)
{
    LinkLabel label;
    label.resize(60, 20);
    label.SetBkColour(MakeColourRef(0, 0, 0), MakeColourRef(240, 0, 0), 1);
    const QImage img = Grab(label);
    EXPECT_EQ(PixelAt(img, 0, 10), 0u);
    EXPECT_EQ(RedOf(PixelAt(img, 30, 10)), 120) << "one band per column on a narrow label";
    EXPECT_EQ(RedOf(PixelAt(img, 59, 19)), 236);
}

TEST(LinkLabelPainting, CentreImageStyleCentresOneLineBothWays)
{
    LinkLabel label(QStringLiteral("II"));
    label.resize(100, 60);
    label.SetTextColour(0).SetStaticStyle(StaticStyle::CenterImage);
    const QImage img = Grab(label);
    int top = 60, bottom = 0, left = 100, right = 0;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 100; ++x) {
            if (PixelAt(img, x, y) == 0) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    EXPECT_NEAR((left + right) / 2.0, 50, 3);
    EXPECT_NEAR((top + bottom) / 2.0, 30, 5);
}

TEST(LinkLabelPainting, BlinkingTextHidesInFirstPhaseAndStops)
{
    LinkLabel label(QStringLiteral("WWWW"));
    label.resize(80, 20);
    label.SetBkColour(MakeColourRef(255, 255, 255)).SetTextColour(0);
    label.FlashText(true);
    EXPECT_TRUE(label.IsTimerRunning());
    QImage img = Grab(label);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 80; ++x) {
            ASSERT_EQ(PixelAt(img, x, y), 0xFFFFFFu) << "hidden for the first half period";
        }
    }
    label.FlashText(false);
    EXPECT_FALSE(label.IsTimerRunning());
    EXPECT_EQ(label.GetFlashMode(), LinkLabel::FlashNone);
    img = Grab(label);
    bool ink = false;
    for (int x = 0; x < 80 && !ink; ++x) {
        ink = PixelAt(img, x, 8) == 0 || PixelAt(img, x, 10) == 0;
    }
    EXPECT_TRUE(ink);
}

TEST(LinkLabelClick, NotifyParentOnlyNotifies)
{
    UrlCatcher catcher;
    LinkLabel label(QStringLiteral("www.example.com"));
    label.resize(100, 20);
    label.SetLink(true, true);
    QSignalSpy spy(&label, &LinkLabel::LinkClicked);
    QTest::mouseClick(&label, Qt::LeftButton);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_TRUE(catcher.opened.isEmpty());
}

TEST(LinkLabelClick, WebAndMailLinksOpenTheRightTarget)
{
    UrlCatcher catcher;
    LinkLabel label(QStringLiteral("service@example.com"));
    label.resize(100, 20);
    label.SetLinkUrl(QStringLiteral("https://example.com/help"));
    label.SetMailLink(true, false);
    QTest::mouseClick(&label, Qt::LeftButton);
    ASSERT_EQ(catcher.opened.size(), 1);
    EXPECT_EQ(catcher.opened[0].toString(), QStringLiteral("mailto:service@example.com")) << "link URL ignored";

    label.SetLink(true, false);
    QTest::mouseClick(&label, Qt::LeftButton);
    ASSERT_EQ(catcher.opened.size(), 2);
    EXPECT_EQ(catcher.opened[1].toString(), QStringLiteral("https://example.com/help"));

    label.SetLinkUrl(QString());
    label.setText(QStringLiteral("/usr/bin/xterm"));
    QTest::mouseClick(&label, Qt::LeftButton);
    EXPECT_EQ(catcher.opened.size(), 2) << "a local program is never opened from a label";
}

TEST(LinkLabelClick, KeyboardReachesAndFollowsOnlyALink)
{
    QWidget dialog;
    auto* first = new QLineEdit(&dialog);
    auto* plain = new LinkLabel(QStringLiteral("plain"), &dialog);
    auto* link = new LinkLabel(QStringLiteral("www.example.com"), &dialog);
    link->SetLink(true, true);
    link->move(0, 40);
    ShowActive(dialog);
    first->setFocus();
    QTest::keyClick(first, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), link) << "the plain label is no tab stop";
    QSignalSpy spy(link, &LinkLabel::LinkClicked);
    QTest::keyClick(link, Qt::Key_Return);
    QTest::keyClick(link, Qt::Key_Space);
    EXPECT_EQ(spy.count(), 2);
    link->SetLink(false, true);
    EXPECT_EQ(link->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(plain->focusPolicy(), Qt::NoFocus);
}

TEST(LinkLabelClick, WithoutLinkClicksPassThrough)
{
    LinkLabel label(QStringLiteral("plain"));
    label.resize(100, 20);
    QSignalSpy spy(&label, &LinkLabel::LinkClicked);
    label.SetLink(false, true); // notify without a link: the label takes no clicks
    QTest::mouseClick(&label, Qt::LeftButton);
    EXPECT_EQ(spy.count(), 0);
}

} // namespace
