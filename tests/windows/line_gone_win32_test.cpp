#include "app/main_dialog.h"
#include "app/tab_sheet.h"
#include "pages/message_boxes.h"
#include "pages/profibus_page.h"
#include "res/dialog_builder.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

std::vector<QString> Texts(const std::vector<MessageBoxes::Shown>& shown)
{
    std::vector<QString> texts;
    for (const auto& s : shown)
        texts.push_back(s.text);
    return texts;
}

void Click(const MainDialog& d, int id)
{
    QTest::mouseClick(Control<QAbstractButton>(&d, id), Qt::LeftButton);
}

QLineEdit* AddressEdit(const MainDialog& d)
{
    BusPage* page = Control<TabSheet>(&d, MainDialog::IDC_TABS)->GetPage(0);
    return page != nullptr ? Control<QLineEdit>(page->Window(), ProfibusPage::IDC_ADDRESS) : nullptr;
}

// Whether COM8 answers again, through a link of its own (Wine lets two handles share a port).
bool Answers()
{
    InstrumentLink probe;
    return probe.OpenPort(8) == 1 && probe.ReadCardCode() != 0;
}

// COM8 leads to a slow instrument that scripts/windows.sh takes away the moment it has received the first write
// of an Apply (an adapter pulled out mid-way) and brings back under the same name seconds later.
TEST(WindowsLineGone, ReadSaysSoAndKeepsThePageAndTheNextSearchFindsTheInstrumentAgain)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder.path())); // the settings file it saves at the end
    MessageBoxes::Record(true);
    {
        MainDialog d;
        d.SetFirmwareRange(1);
        d.OnInitDialog();
        d.show();
        Control<QComboBox>(&d, MainDialog::IDC_PORTS)->setCurrentIndex(7);
        MessageBoxes::Take();
        Click(d, MainDialog::IDC_SEARCH);
        ASSERT_EQ(Texts(MessageBoxes::Take()), std::vector<QString>{"Upload Complete"});
        ASSERT_NE(AddressEdit(d), nullptr);

        AddressEdit(d)->setText(QStringLiteral("42"));
        Click(d, MainDialog::IDC_APPLY);
        ASSERT_EQ(Texts(MessageBoxes::Take()), std::vector<QString>{"Download Fail"});

        Click(d, MainDialog::IDC_READ);
        const auto shown = MessageBoxes::Take();
        ASSERT_EQ(Texts(shown), std::vector<QString>{"Upload Fail"});
        EXPECT_TRUE(shown[0].detail.contains("the line is gone")) << shown[0].detail.toStdString();
        EXPECT_EQ(AddressEdit(d)->text().toStdString(), "42") << "the page keeps what it showed";

        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!Answers() && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ASSERT_TRUE(Answers()) << "the instrument did not come back";
        Click(d, MainDialog::IDC_SEARCH);
        EXPECT_EQ(Texts(MessageBoxes::Take()), std::vector<QString>{"Upload Complete"})
            << "the first search after the line came back finds the instrument";
        EXPECT_EQ(AddressEdit(d)->text().toStdString(), "1");
    }
    MessageBoxes::Record(false);
    QDir::setCurrent(before);
}

} // namespace
