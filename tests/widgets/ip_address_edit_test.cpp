#include "widget_test_support.h"
#include "widgets/ip_address_edit.h"

#include <QClipboard>
#include <QLineEdit>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

// Types each character into whichever widget has the focus at that moment, as a user would.
void Type(const QString& text)
{
    for (const QChar c : text) {
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    }
}

struct IpFixture : ::testing::Test
{
    QWidget window;
    IpAddressEdit* edit = new IpAddressEdit(&window);

    void SetUp() override
    {
        edit->setGeometry(0, 0, 160, 24);
        ShowActive(window);
        edit->Field(0)->setFocus();
    }
};

TEST_F(IpFixture, ValueRoundTripsFirstOctetMostSignificant)
{
    edit->SetAddress(0xC0A8010A);
    EXPECT_EQ(edit->Field(0)->text(), QStringLiteral("192"));
    EXPECT_EQ(edit->Field(3)->text(), QStringLiteral("10"));
    EXPECT_EQ(edit->GetAddress(), 0xC0A8010Au);
    edit->SetAddress(0xFFFFFFFF);
    EXPECT_EQ(edit->GetAddress(), 0xFFFFFFFFu);
    EXPECT_FALSE(edit->IsBlank());
    edit->ClearAddress();
    EXPECT_TRUE(edit->IsBlank());
    EXPECT_EQ(edit->GetAddress(), 0u);
    edit->Field(2)->setText(QStringLiteral("7"));
    EXPECT_EQ(edit->GetAddress(), 0x00000700u) << "blank octets count as 0";
}

TEST_F(IpFixture, TypingMovesThroughOctetsWithDotsAndFullOctets)
{
    Type(QStringLiteral("192168"));
    EXPECT_EQ(QApplication::focusWidget(), edit->Field(2)) << "a third digit moves on";
    Type(QStringLiteral("1.10"));
    EXPECT_EQ(edit->GetAddress(), 0xC0A8010Au);
    EXPECT_EQ(QApplication::focusWidget(), edit->Field(3));
}

TEST_F(IpFixture, NoOctetAboveTwoHundredFiftyFive)
{
    QTest::keyClicks(edit->Field(0), QStringLiteral("300"));
    EXPECT_EQ(edit->Field(0)->text(), QStringLiteral("30"));
    edit->Field(1)->setFocus();
    QTest::keyClicks(edit->Field(1), QStringLiteral("25x6"));
    EXPECT_EQ(edit->Field(1)->text(), QStringLiteral("25"));
    EXPECT_LE(edit->GetAddress() >> 24, 255u);
}

TEST_F(IpFixture, BackspaceAndLeftAtOctetStartGoBack)
{
    edit->SetAddress(0x01020304);
    edit->Field(2)->setFocus();
    edit->Field(2)->setCursorPosition(0);
    QTest::keyClick(edit->Field(2), Qt::Key_Backspace);
    EXPECT_EQ(QApplication::focusWidget(), edit->Field(1));
    EXPECT_EQ(edit->Field(1)->cursorPosition(), 1);
    QTest::keyClick(edit->Field(1), Qt::Key_Backspace);
    EXPECT_EQ(edit->Field(1)->text(), QString()) << "inside an octet Backspace deletes";
    QTest::keyClick(edit->Field(1), Qt::Key_Left);
    EXPECT_EQ(QApplication::focusWidget(), edit->Field(0));
}

TEST_F(IpFixture, PastingAWholeAddressFillsAllOctets)
{
    QApplication::clipboard()->setText(QStringLiteral("10.20.30.40"));
    QTest::keyClick(edit->Field(0), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->GetAddress(), 0x0A141E28u);
    QApplication::clipboard()->setText(QStringLiteral("10.20.300.40"));
    edit->ClearAddress();
    QTest::keyClick(edit->Field(0), Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(edit->IsBlank()) << "an invalid address is not pasted";
}

TEST(IpAddressEdit, WholeAddressIsOneTabStop)
{
    QWidget window;
    auto* before = new QLineEdit(&window);
    auto* edit = new IpAddressEdit(&window);
    auto* after = new QLineEdit(&window);
    edit->move(0, 30);
    after->move(0, 60);
    ShowActive(window);
    before->setFocus();
    QTest::keyClick(before, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), edit->Field(0));
    QTest::keyClick(edit->Field(0), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), after);
}

TEST_F(IpFixture, DisabledControlDisablesEveryOctet)
{
    edit->SetAddress(0x0A000001);
    edit->setEnabled(false);
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(edit->Field(i)->isEnabled());
    }
    EXPECT_EQ(edit->GetAddress(), 0x0A000001u);
}

} // namespace
