#include "page_test_support.h"
#include "pages/devicenet_page.h"

namespace {

class DeviceNetTest : public PageTest
{
protected:
    void SetUp() override
    {
        PageTest::SetUp();
        ASSERT_TRUE(page.Create(&host));
        address = Control<QLineEdit>(page, DeviceNetPage::IDC_ADDRESS);
        baud = Control<QComboBox>(page, DeviceNetPage::IDC_BAUD);
        exchange = Control<QComboBox>(page, DeviceNetPage::IDC_EXCHANGE);
    }

    sim::Simulator& Instrument(std::uint16_t cardCode, std::uint16_t node, std::uint16_t baudCode)
    {
        sim::Config config;
        config.cardCode = cardCode;
        config.nodeAddress = node;
        config.baudCode = baudCode;
        config.exchangeChoice = 1;
        config.firmwareText = "DN 1.4";
        return StartInstrument(config);
    }

    DeviceNetPage page;
    QLineEdit* address = nullptr;
    QComboBox* baud = nullptr;
    QComboBox* exchange = nullptr;
};

TEST_F(DeviceNetTest, NewWindowHasNoBaudListAndTheLegacyTable)
{
    ExpectCommonLook(page, DeviceNetPage::IDC_TITLE, "DeviceNet", DeviceNetPage::IDC_FIRMWARE, "------");
    EXPECT_EQ(address->text(), "1");
    EXPECT_EQ(baud->count(), 0);
    EXPECT_EQ(Entries(exchange).last(), "<4> Upload/download Parameters (255 bytes)");
    EXPECT_EQ(exchange->currentIndex(), 0);
}

TEST_F(DeviceNetTest, BaudListFollowsTheCardVariant)
{
    auto& instrument = Instrument(2, 0, 3);
    EXPECT_EQ(Upload(page, 2), 1);
    EXPECT_TRUE(MessageBoxes::Take().empty());
    EXPECT_EQ(Control<ColourStatic>(page, DeviceNetPage::IDC_FIRMWARE)->text(), "COM-DNS / DN 1.4");
    EXPECT_EQ(address->text(), "0") << "node 0 is valid";
    EXPECT_EQ(baud->currentText(), "Auto");
    EXPECT_EQ(exchange->currentIndex(), 1);
    EXPECT_EQ(Frames(), (std::vector<Frame>{Read(cards::kIdentification), Read(cards::kNodeAddress),
                                            Read(cards::kBaudCode), Read(cards::kExchangeChoice)}));

    // The COMX card has no automatic baud rate.
    instrument.SetParameter(cards::kNodeAddress.start, 63);
    EXPECT_EQ(Upload(page, 6), 1) << "the address alone makes the upload a success";
    EXPECT_EQ(Texts(MessageBoxes::Take()), QStringList{"Invalid BaudRate"});
    EXPECT_EQ(Entries(baud), (QStringList{"500 Kbds", "250 Kbds", "125 Kbds"}));
    EXPECT_EQ(baud->currentIndex(), -1);
    EXPECT_EQ(Control<ColourStatic>(page, DeviceNetPage::IDC_FIRMWARE)->text(), "COMX 100XX-DNS    / DN 1.4");
    EXPECT_EQ(address->text(), "63");
}

TEST_F(DeviceNetTest, InvalidValuesAreReportedAndKeepWhatWasShown)
{
    auto& instrument = Instrument(2, 20, 1);
    ASSERT_EQ(Upload(page, 2, 0), 1);
    instrument.SetParameter(cards::kNodeAddress.start, 64);
    instrument.SetParameter(cards::kExchangeChoice.start, 4);
    EXPECT_EQ(Upload(page, 2, 0), 1) << "the baud rate alone makes the upload a success";
    EXPECT_EQ(Texts(MessageBoxes::Take()), QStringList{"Invalid Address"});
    EXPECT_EQ(address->text(), "20");
    EXPECT_EQ(exchange->currentIndex(), -1) << "4 is outside the legacy table";

    instrument.SetParameter(cards::kBaudCode.start, 9);
    EXPECT_EQ(Upload(page, 2), 0);
    EXPECT_EQ(Texts(MessageBoxes::Take()), (QStringList{"Invalid Address", "Invalid BaudRate"}));
    EXPECT_EQ(exchange->currentIndex(), 4) << "the current table has five entries";
}

TEST_F(DeviceNetTest, WithoutFirmwareTextTheBaudListIsNotRebuilt)
{
    Instrument(2, 5, 2);
    FailReadOf(cards::kIdentification);
    EXPECT_EQ(Upload(page, 2), 1);
    EXPECT_EQ(Texts(MessageBoxes::Take()), QStringList{"Invalid BaudRate"}) << "the list is still empty";
    simulated->SetFaults({});
    ASSERT_EQ(Upload(page, 2), 1);
    FailReadOf(cards::kIdentification);
    EXPECT_EQ(Upload(page, 6), 1);
    EXPECT_TRUE(MessageBoxes::Take().empty());
    EXPECT_EQ(baud->count(), 4) << "the list of the card last seen stays";
    EXPECT_EQ(baud->currentIndex(), 2);
}

TEST_F(DeviceNetTest, DownloadWritesAddressBaudAndTableAndStopsAtAFailure)
{
    auto& instrument = Instrument(6, 10, 1);
    ASSERT_EQ(Upload(page, 6), 1);
    instrument.ClearRequests();
    address->setText("42");
    baud->setCurrentIndex(2);
    exchange->setCurrentIndex(0);
    EXPECT_EQ(page.WriteSettings(&link), 1);
    EXPECT_EQ(Frames(), (std::vector<Frame>{Write(cards::kNodeAddress, {42, 0}), Write(cards::kBaudCode, {2, 0}),
                                            Write(cards::kExchangeChoice, {0, 0})}));

    instrument.ClearRequests();
    FailWriteTo(cards::kBaudCode);
    address->setText("43");
    EXPECT_EQ(page.WriteSettings(&link), 0);
    EXPECT_EQ(Writes().back(), Write(cards::kBaudCode, {2, 0}));
    EXPECT_EQ(Writes().size(), 2u);
    EXPECT_EQ(instrument.Parameter(cards::kNodeAddress.start), 43) << "written before the failure";
}

TEST_F(DeviceNetTest, DownloadWithoutBaudRateWritesNothing)
{
    auto& instrument = Instrument(6, 10, 3);
    ASSERT_EQ(Upload(page, 6), 1);
    MessageBoxes::Take();
    instrument.ClearRequests();
    EXPECT_EQ(page.WriteSettings(&link), 0);
    EXPECT_TRUE(page.FailureDetail().contains("baud rate")) << page.FailureDetail().toStdString();
    Type(address, "64");
    Choose(baud, 0);
    EXPECT_EQ(page.WriteSettings(&link), 0);
    EXPECT_EQ(Texts(MessageBoxes::Take()), QStringList{"Invalid Address"});
    EXPECT_TRUE(Frames().empty());
}

TEST_F(DeviceNetTest, PageWithoutWindowSendsNothing)
{
    auto& instrument = Instrument(2, 10, 1);
    ASSERT_EQ(Upload(page, 2), 1);
    MessageBoxes::Take();
    instrument.ClearRequests();
    page.DestroyWindow(); // the tab sheet dropped it
    EXPECT_EQ(page.WriteSettings(&link), 0);
    EXPECT_EQ(page.ReadSettings(&link), 0);
    EXPECT_TRUE(Frames().empty());
    EXPECT_TRUE(MessageBoxes::Take().empty());
}

} // namespace
