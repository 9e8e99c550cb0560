#include "widget_test_support.h"
#include "widgets/up_down.h"

#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

TEST(UpDown, WithoutBuddyOnlyReportsSteps)
{
    UpDown arrows;
    arrows.resize(16, 22);
    arrows.SetRange(0, 127);
    arrows.SetPos(5);
    QSignalSpy steps(&arrows, &UpDown::DeltaPos);
    arrows.UpArrow()->click();
    arrows.DownArrow()->click();
    QTest::keyClick(&arrows, Qt::Key_Up);
    ASSERT_EQ(steps.count(), 3);
    EXPECT_EQ(steps[0][0].toInt(), +1);
    EXPECT_EQ(steps[1][0].toInt(), -1);
    EXPECT_EQ(steps[2][0].toInt(), +1);
    EXPECT_EQ(arrows.GetPos(), 5);
}

TEST(UpDown, BuddyShowsPositionAndStaysInRange)
{
    QLineEdit edit;
    UpDown arrows;
    arrows.SetRange(1, 3);
    arrows.SetBuddy(&edit, true);
    arrows.SetPos(2);
    EXPECT_EQ(edit.text(), QStringLiteral("2"));
    arrows.UpArrow()->click();
    arrows.UpArrow()->click();
    EXPECT_EQ(edit.text(), QStringLiteral("3"));
    QTest::keyClick(&edit, Qt::Key_Down);
    EXPECT_EQ(edit.text(), QStringLiteral("2"));
    arrows.SetPos(99);
    EXPECT_EQ(arrows.GetPos(), 3);
}

TEST(UpDown, GetPosReportsBadBuddyTextAndKeepsLastValid)
{
    QLineEdit edit;
    UpDown arrows;
    arrows.SetRange(0, 125);
    arrows.SetBuddy(&edit, true);
    arrows.SetPos(7);
    bool error = false;
    edit.setText(QStringLiteral("42"));
    EXPECT_EQ(arrows.GetPos(&error), 42);
    EXPECT_FALSE(error);
    for (const char* bad : {"", "abc", "126", "-1", "4 2"}) {
        edit.setText(QLatin1String(bad));
        EXPECT_EQ(arrows.GetPos(&error), 42) << bad;
        EXPECT_TRUE(error) << bad;
    }
    edit.setText(QStringLiteral("oops"));
    arrows.UpArrow()->click();
    EXPECT_EQ(edit.text(), QStringLiteral("43")) << "a step starts from the last valid position";
}

TEST(UpDown, ReversedRangeMovesUpTowardsUpper)
{
    QLineEdit edit;
    UpDown arrows;
    arrows.SetRange(10, 0);
    arrows.SetBuddy(&edit, true);
    arrows.SetPos(5);
    arrows.UpArrow()->click();
    EXPECT_EQ(edit.text(), QStringLiteral("4"));
}

} // namespace

namespace {

TEST(UpDown, BuddyDestroyedFirstIsHarmless)
{
    // As on a page: the edit is created before the arrows, so it is destroyed first, with the filter still on it.
    auto* host = new QWidget;
    QPointer<QLineEdit> edit = new QLineEdit(host);
    QPointer<UpDown> arrows = new UpDown(host);
    arrows->SetBuddy(edit, true);
    arrows->SetPos(3);
    host->show();
    ASSERT_EQ(edit->text(), QStringLiteral("3")); // the buddy is bound, its filter in place
    delete host;
    EXPECT_TRUE(edit.isNull());
    EXPECT_TRUE(arrows.isNull());
}

TEST(UpDown, BuddyGoneLeavesTheControlWorking)
{
    UpDown arrows;
    {
        QLineEdit edit;
        arrows.SetBuddy(&edit, true);
        arrows.SetPos(4);
    }
    EXPECT_EQ(arrows.GetBuddy(), nullptr);
    QSignalSpy steps(&arrows, &UpDown::DeltaPos);
    arrows.UpArrow()->click();
    EXPECT_EQ(steps.count(), 1);
    EXPECT_EQ(arrows.GetPos(), 4);
}

} // namespace
