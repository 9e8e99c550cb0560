#include "app/tab_sheet.h"
#include "pages/info_page.h"
#include "pages/message_boxes.h"
#include "res/dialog_builder.h"
#include "widgets/title_banner.h"

#include <QDialog>
#include <QLabel>
#include <QTabBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A page on the information template that counts what the sheet asks of it.
class CountingPage : public BusPage
{
public:
    CountingPage() : BusPage(InfoPage::kTemplateId) {}
    int WriteSettings(InstrumentLink*) override { return 0; }
    int ReadSettings(InstrumentLink*) override { return 0; }
    void SetFirmwareRange(int) override {}
    bool UpdateData(bool saveAndValidate) override
    {
        saves += saveAndValidate ? 1 : 0;
        return valid;
    }
    int inits = 0;
    int saves = 0;
    bool valid = true;

protected:
    bool OnInitDialog() override
    {
        ++inits;
        return true;
    }
};

bool Visible(const BusPage& page)
{
    return page.Window() && page.Window()->isVisible();
}

class TabSheetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        host.resize(500, 400);
        sheet = new TabSheet(&host);
        sheet->setGeometry(10, 10, 400, 300);
        host.show();
    }
    // The sheet's tabs, as the operator clicks them.
    QTabBar* Tabs() const { return sheet->findChild<QTabBar*>(QString(), Qt::FindDirectChildrenOnly); }
    QWidget host;
    TabSheet* sheet = nullptr;
    CountingPage first;
    CountingPage second;
};

} // namespace

TEST_F(TabSheetTest, AddedPageStaysHiddenUntilSelected)
{
    ASSERT_TRUE(sheet->AddPage("ONE", &first, InfoPage::kTemplateId));
    ASSERT_NE(first.Window(), nullptr);
    EXPECT_EQ(first.Window()->parentWidget(), sheet);
    EXPECT_FALSE(first.Window()->isWindow()) << "a page lives inside the sheet, not in a window of its own";
    EXPECT_FALSE(first.Window()->isVisible());
    EXPECT_EQ(first.inits, 1);
    EXPECT_TRUE(sheet->DisplayArea().contains(first.Window()->geometry()));
    EXPECT_GT(first.Window()->y(), Tabs()->geometry().bottom()) << "the page sits below the tabs";

    sheet->SelectPage(0);
    EXPECT_TRUE(Visible(first));
    EXPECT_EQ(Tabs()->currentIndex(), 0);
    EXPECT_EQ(first.saves, 0) << "a page just added is not asked to save";
}

TEST_F(TabSheetTest, SwitchingTabsSavesTheOutgoingPageEvenWhenItDoesNotValidate)
{
    sheet->AddPage("ONE", &first, InfoPage::kTemplateId);
    sheet->AddPage("TWO", &second, InfoPage::kTemplateId);
    sheet->SelectPage(0);
    first.valid = false;

    // The operator clicks the second tab.
    QTest::mouseClick(Tabs(), Qt::LeftButton, {}, Tabs()->tabRect(1).center());
    EXPECT_EQ(first.saves, 1);
    EXPECT_FALSE(Visible(first));
    EXPECT_TRUE(Visible(second));
    EXPECT_EQ(sheet->CurrentPage(), 1);

    // Out of range: nothing changes visibility.
    sheet->SelectPage(5);
    sheet->ShowPage(-1);
    EXPECT_TRUE(Visible(second));
    EXPECT_EQ(sheet->CurrentPage(), 1);
}

TEST_F(TabSheetTest, RemoveAllPagesDestroysWindowsAndTheSamePageCanComeBack)
{
    sheet->AddPage("ONE", &first, InfoPage::kTemplateId);
    sheet->SelectPage(0);
    const QPointer<QDialog> old = first.Window();
    sheet->RemoveAllPages();
    EXPECT_TRUE(old.isNull());
    EXPECT_EQ(sheet->GetPage(0), nullptr);
    EXPECT_EQ(sheet->CurrentPage(), -1);
    EXPECT_EQ(Tabs()->count(), 1) << "tab items are the caller's to remove";
    sheet->DeleteAllItems();
    EXPECT_EQ(Tabs()->count(), 0);

    ASSERT_TRUE(sheet->AddPage("ONE", &first, InfoPage::kTemplateId));
    EXPECT_EQ(first.inits, 2);
    sheet->SelectPage(0);
    EXPECT_TRUE(Visible(first));
    EXPECT_EQ(Tabs()->count(), 1);
}

TEST_F(TabSheetTest, WrongOrUnknownTemplateCreatesNoWindow)
{
    EXPECT_FALSE(sheet->AddPage("ONE", &first, 129));
    EXPECT_EQ(first.Window(), nullptr);
    EXPECT_EQ(sheet->GetPage(0), &first) << "the tab and its entry exist all the same";
    sheet->SelectPage(0); // nothing to show, nothing to crash on
    EXPECT_EQ(sheet->CurrentPage(), 0);
}

TEST_F(TabSheetTest, EnterAndEscapeInsideAPageDoNothing)
{
    sheet->AddPage("ONE", &first, InfoPage::kTemplateId);
    sheet->SelectPage(0);
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        QTest::keyClick(first.Window(), key);
        EXPECT_TRUE(Visible(first)) << key;
        EXPECT_EQ(first.Window()->result(), 0);
    }
}

TEST(InfoPageTest, BannerAndBusListAndNoInstrumentWork)
{
    QWidget host;
    InfoPage page;
    ASSERT_TRUE(page.Create(&host));
    const auto* banner = Control<TitleBanner>(page.Window(), InfoPage::IDC_BANNER);
    ASSERT_NE(banner, nullptr);
    EXPECT_EQ(banner->GetText(), "Meshgate2 Manager");
    EXPECT_EQ(banner->GetGradientStartColour(), 0x0000FFu);
    EXPECT_EQ(banner->GetGradientEndColour(), 0x323232u);
    EXPECT_EQ(banner->GetTextColour(), 0xFFFFFFu);
    QStringList texts;
    for (auto* label : page.Window()->findChildren<QLabel*>())
        texts << label->text();
    EXPECT_TRUE(texts.contains("4 - ETHERNET/IP"));
    EXPECT_FALSE(texts.join(' ').contains("MODBUS")) << "the list names four buses";

    // Given no link or any range, the page answers 0 and keeps its fields.
    page.firmwareRange = 0;
    page.SetFirmwareRange(1);
    EXPECT_EQ(page.firmwareRange, 0);
    EXPECT_EQ(page.ReadSettings(nullptr), 0);
    EXPECT_EQ(page.WriteSettings(nullptr), 0);
}
