#include "image_button.h"
#include "main_dialog.h"
#include "page_test_support.h"
#include "tab_sheet.h"
#include "up_down.h"

#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>
#include <string>

namespace {

// The pages as the operator reaches them: COM1 leads to the simulated instrument, Search uploads
// into the card's page, Apply downloads what it shows.
class MainWindowTest : public PageTest
{
protected:
    void SetUp() override
    {
        PageTest::SetUp();
        ASSERT_TRUE(folder.isValid());
        previousFolder = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(folder.path())); // the settings file is written there
        for (int n = 2; n <= 9; ++n)
            setenv(("MESHGATE2_COM" + std::to_string(n)).c_str(), "/nonexistent/meshgate2-tty", 1);
    }

    void TearDown() override
    {
        window.reset();
        unsetenv("MESHGATE2_COM1");
        QDir::setCurrent(previousFolder);
        PageTest::TearDown();
    }

    // Searches an instrument with this configuration; answers the messages the search gave.
    QStringList Search(const sim::Config& config)
    {
        window.reset();
        instrument = std::make_unique<sim::Simulator>(config);
        EXPECT_TRUE(instrument->Start()) << instrument->Error();
        setenv("MESHGATE2_COM1", instrument->DevicePath().c_str(), 1);
        window = std::make_unique<MainDialog>();
        window->SetFirmwareRange(1);
        window->Link().Master().SetReadTimeout(kShortTimeoutMs);
        window->OnInitDialog();
        window->show();
        QTest::mouseClick(::Control<ImageButton>(window.get(), MainDialog::IDC_SEARCH), Qt::LeftButton);
        return Messages();
    }

    QStringList Apply()
    {
        instrument->ClearRequests();
        QTest::mouseClick(::Control<ImageButton>(window.get(), MainDialog::IDC_APPLY), Qt::LeftButton);
        return Messages();
    }

    static QStringList Messages()
    {
        QStringList texts;
        for (const auto& shown : MessageBoxes::Take())
            texts << shown.text;
        return texts;
    }

    BusPage* ShownPage() const { return ::Control<TabSheet>(window.get(), MainDialog::IDC_TABS)->GetPage(0); }

    template <class T> T* PageControl(int id)
    {
        BusPage* page = ShownPage();
        T* control = page ? ::Control<T>(page->Window(), id) : nullptr;
        EXPECT_NE(control, nullptr) << id;
        return control;
    }

    QTemporaryDir folder;
    QString previousFolder;
    std::unique_ptr<MainDialog> window;
};

TEST_F(MainWindowTest, EveryCardIsUploadedIntoItsPageAndDownloadedFromIt)
{
    for (std::uint16_t code : {1, 5}) {
        sim::Config config;
        config.cardCode = code;
        config.nodeAddress = 99;
        config.exchangeChoice = 3;
        ASSERT_EQ(Search(config), QStringList{"Upload Complete"}) << code;
        EXPECT_EQ(ShownPage()->TemplateId(), ProfibusPage::kTemplateId);
        EXPECT_EQ(PageControl<QLineEdit>(ProfibusPage::IDC_ADDRESS)->text(), "99");
        EXPECT_EQ(PageControl<QComboBox>(ProfibusPage::IDC_EXCHANGE)->currentIndex(), 3);
        PageControl<QLineEdit>(ProfibusPage::IDC_ADDRESS)->setText("100");
        EXPECT_EQ(Apply(), QStringList{"Download Complete"});
        EXPECT_EQ(instrument->Parameter(cards::kNodeAddress.start), 100);
    }
    for (std::uint16_t code : {2, 6}) {
        sim::Config config;
        config.cardCode = code;
        config.nodeAddress = 63;
        config.baudCode = 2;
        ASSERT_EQ(Search(config), QStringList{"Upload Complete"}) << code;
        EXPECT_EQ(ShownPage()->TemplateId(), DeviceNetPage::kTemplateId);
        EXPECT_EQ(PageControl<QComboBox>(DeviceNetPage::IDC_BAUD)->currentText(), "125 Kbds");
        PageControl<QComboBox>(DeviceNetPage::IDC_BAUD)->setCurrentIndex(0);
        EXPECT_EQ(Apply(), QStringList{"Download Complete"});
        EXPECT_EQ(instrument->Parameter(cards::kBaudCode.start), 0);
        EXPECT_EQ(instrument->Parameter(cards::kNodeAddress.start), 63);
    }
    {
        sim::Config config;
        config.cardCode = 4;
        config.nodeAddress = 7;
        config.modelText = "VORN P320 LEAK";
        ASSERT_EQ(Search(config), QStringList{"Upload Complete"});
        EXPECT_EQ(ShownPage()->TemplateId(), ProfinetPage::kTemplateId);
        EXPECT_EQ(PageControl<QLabel>(ProfinetPage::IDC_STATION_PREFIX)->text(), "vornp3");
        EXPECT_EQ(PageControl<QLineEdit>(ProfinetPage::IDC_STATION)->text(), "007");
        emit PageControl<UpDown>(ProfinetPage::IDC_STATION_SPIN)->DeltaPos(1);
        EXPECT_EQ(Apply(), QStringList{"Download Complete"});
        EXPECT_EQ(instrument->Parameter(cards::kNodeAddress.start), 8);
    }
    for (std::uint16_t code : {7, 8}) {
        sim::Config config;
        config.cardCode = code;
        config.addressMode = 1;
        ASSERT_EQ(Search(config), QStringList{"Upload Complete"}) << code;
        EXPECT_EQ(ShownPage()->TemplateId(), code == 7 ? EtherNetIpPage::kTemplateId : ModbusTcpPage::kTemplateId);
        EXPECT_EQ(PageControl<IpAddressEdit>(EtherNetIpPage::IDC_IP_ADDRESS)->GetAddress(), config.ip);
        PageControl<QComboBox>(EtherNetIpPage::IDC_MODE)->setCurrentIndex(0);
        PageControl<IpAddressEdit>(EtherNetIpPage::IDC_IP_ADDRESS)->SetAddress(0x0A000001);
        EXPECT_EQ(Apply(), QStringList{"Download Complete"});
        EXPECT_EQ(instrument->Parameter(cards::kAddressMode.start), 0);
        EXPECT_EQ(instrument->IpBlock()[0], 1);
        EXPECT_EQ(instrument->IpBlock()[3], 10);
    }
}

TEST_F(MainWindowTest, ApplyFailingHalfWayLeavesLaterRegistersUntouched)
{
    sim::Config config;
    config.cardCode = 2;
    config.nodeAddress = 10;
    config.baudCode = 1;
    config.exchangeChoice = 2;
    ASSERT_EQ(Search(config), QStringList{"Upload Complete"});
    PageControl<QLineEdit>(DeviceNetPage::IDC_ADDRESS)->setText("11");
    PageControl<QComboBox>(DeviceNetPage::IDC_BAUD)->setCurrentIndex(3);
    PageControl<QComboBox>(DeviceNetPage::IDC_EXCHANGE)->setCurrentIndex(0);
    FailWriteTo(cards::kBaudCode);
    EXPECT_EQ(Apply(), QStringList{"Download Fail"});
    EXPECT_EQ(instrument->Parameter(cards::kNodeAddress.start), 11);
    EXPECT_EQ(instrument->Parameter(cards::kBaudCode.start), 1);
    EXPECT_EQ(instrument->Parameter(cards::kExchangeChoice.start), 2);
    EXPECT_TRUE(window->isVisible()) << "Apply never closes the window";
}

TEST_F(MainWindowTest, InvalidStoredValuesAreReportedBeforeTheUploadOutcome)
{
    sim::Config config;
    config.cardCode = 6;
    config.nodeAddress = 64;
    config.baudCode = 3;
    EXPECT_EQ(Search(config), (QStringList{"Invalid Address", "Invalid BaudRate", "Upload Fail"}));
    // Nothing sound to send for the baud rate: the download refuses before writing anything.
    EXPECT_EQ(Apply(), QStringList{"Download Fail"});
    EXPECT_TRUE(Frames().empty());
}

TEST_F(MainWindowTest, EnterAndEscapeInsideAPageDoNothing)
{
    // One control of each page that takes typing; the keys must neither download nor close anything.
    const std::pair<std::uint16_t, int> cases[] = {{5, ProfibusPage::IDC_ADDRESS},
                                                   {6, DeviceNetPage::IDC_ADDRESS},
                                                   {4, ProfinetPage::IDC_STATION},
                                                   {7, EtherNetIpPage::IDC_MODE},
                                                   {8, ModbusTcpPage::IDC_MODE}};
    for (auto [code, id] : cases) {
        sim::Config config;
        config.cardCode = code;
        Search(config);
        instrument->ClearRequests();
        QWidget* control = PageControl<QWidget>(id);
        ASSERT_NE(control, nullptr);
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            QTest::keyClick(control, key);
        EXPECT_TRUE(Messages().isEmpty()) << code;
        EXPECT_TRUE(Frames().empty()) << code;
        EXPECT_TRUE(window->isVisible()) << code;
        EXPECT_TRUE(ShownPage()->Window()->isVisible()) << code;
    }
}

} // namespace
