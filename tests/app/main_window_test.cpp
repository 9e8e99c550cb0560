#include "app_test_support.h"

#include "cards/registers.h"
#include "pages/devicenet_page.h"
#include "pages/ethernet_ip_page.h"
#include "pages/modbus_tcp_page.h"
#include "pages/profibus_page.h"
#include "pages/profinet_page.h"
#include "widgets/ip_address_edit.h"
#include "widgets/up_down.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace {

// The pages as the operator reaches them: COM1 leads to the simulated instrument, Search uploads
// into the card's page, Apply downloads what it shows.
class MainWindowTest : public AppTest
{
protected:
    using Messages = std::vector<QString>;

    // Searches an instrument with this configuration; answers the messages the search gave.
    Messages Search(const sim::Config& config)
    {
        dialog.reset();
        StartInstrument(config);
        Click(OpenMainWindow(), MainDialog::IDC_SEARCH);
        return Texts(MessageBoxes::Take());
    }

    Messages Apply()
    {
        simulator->ClearRequests();
        Click(*dialog, MainDialog::IDC_APPLY);
        return Texts(MessageBoxes::Take());
    }

    void FailWriteTo(const cards::Parameter& p)
    {
        sim::Faults faults;
        faults.failWriteTo = p.start;
        simulator->SetFaults(faults);
    }

    template <class T> T* PageControl(int id)
    {
        BusPage* page = ShownPage(*dialog);
        T* control = page ? Control<T>(page->Window(), id) : nullptr;
        EXPECT_NE(control, nullptr) << id;
        return control;
    }
};

TEST_F(MainWindowTest, EveryCardIsUploadedIntoItsPageAndDownloadedFromIt)
{
    for (std::uint16_t code : std::initializer_list<std::uint16_t>{1, 5}) {
        sim::Config config;
        config.cardCode = code;
        config.nodeAddress = 99;
        config.exchangeChoice = 3;
        ASSERT_EQ(Search(config), Messages{"Upload Complete"}) << code;
        EXPECT_NE(qobject_cast<ProfibusPage*>(ShownPage(*dialog)), nullptr);
        EXPECT_EQ(PageControl<QLineEdit>(ProfibusPage::IDC_ADDRESS)->text(), "99");
        EXPECT_EQ(PageControl<QComboBox>(ProfibusPage::IDC_EXCHANGE)->currentIndex(), 3);
        PageControl<QLineEdit>(ProfibusPage::IDC_ADDRESS)->setText("100");
        EXPECT_EQ(Apply(), Messages{"Download Complete"});
        EXPECT_EQ(simulator->Parameter(cards::kNodeAddress.start), 100);
    }
    for (std::uint16_t code : std::initializer_list<std::uint16_t>{2, 6}) {
        sim::Config config;
        config.cardCode = code;
        config.nodeAddress = 63;
        config.baudCode = 2;
        ASSERT_EQ(Search(config), Messages{"Upload Complete"}) << code;
        EXPECT_NE(qobject_cast<DeviceNetPage*>(ShownPage(*dialog)), nullptr);
        EXPECT_EQ(PageControl<QComboBox>(DeviceNetPage::IDC_BAUD)->currentText(), "125 Kbds");
        PageControl<QComboBox>(DeviceNetPage::IDC_BAUD)->setCurrentIndex(0);
        EXPECT_EQ(Apply(), Messages{"Download Complete"});
        EXPECT_EQ(simulator->Parameter(cards::kBaudCode.start), 0);
        EXPECT_EQ(simulator->Parameter(cards::kNodeAddress.start), 63);
    }
    {
        sim::Config config;
        config.cardCode = 4;
        config.nodeAddress = 7;
        config.modelText = "VORN P320 LEAK";
        ASSERT_EQ(Search(config), Messages{"Upload Complete"});
        EXPECT_NE(qobject_cast<ProfinetPage*>(ShownPage(*dialog)), nullptr);
        EXPECT_EQ(PageControl<QLabel>(ProfinetPage::IDC_STATION_PREFIX)->text(), "vornp3");
        EXPECT_EQ(PageControl<QLineEdit>(ProfinetPage::IDC_STATION)->text(), "007");
        emit PageControl<UpDown>(ProfinetPage::IDC_STATION_SPIN)->DeltaPos(1);
        EXPECT_EQ(Apply(), Messages{"Download Complete"});
        EXPECT_EQ(simulator->Parameter(cards::kNodeAddress.start), 8);
    }
    for (std::uint16_t code : std::initializer_list<std::uint16_t>{7, 8}) {
        sim::Config config;
        config.cardCode = code;
        config.addressMode = 1;
        ASSERT_EQ(Search(config), Messages{"Upload Complete"}) << code;
        EXPECT_TRUE(code == 7 ? qobject_cast<EtherNetIpPage*>(ShownPage(*dialog)) != nullptr
                              : qobject_cast<ModbusTcpPage*>(ShownPage(*dialog)) != nullptr);
        EXPECT_EQ(PageControl<IpAddressEdit>(EtherNetIpPage::IDC_IP_ADDRESS)->GetAddress(), config.ip);
        PageControl<QComboBox>(EtherNetIpPage::IDC_MODE)->setCurrentIndex(0);
        PageControl<IpAddressEdit>(EtherNetIpPage::IDC_IP_ADDRESS)->SetAddress(0x0A000001);
        // The read gateway (192.168.1.1) lies outside the new address's subnet: none at all instead.
        PageControl<IpAddressEdit>(EtherNetIpPage::IDC_GATEWAY)->SetAddress(0);
        EXPECT_EQ(Apply(), Messages{"Download Complete"});
        EXPECT_EQ(simulator->Parameter(cards::kAddressMode.start), 0);
        EXPECT_EQ(simulator->IpBlock()[0], 1);
        EXPECT_EQ(simulator->IpBlock()[3], 10);
    }
}

TEST_F(MainWindowTest, ApplyFailingHalfWayLeavesLaterRegistersUntouched)
{
    sim::Config config;
    config.cardCode = 2;
    config.nodeAddress = 10;
    config.baudCode = 1;
    config.exchangeChoice = 2;
    ASSERT_EQ(Search(config), Messages{"Upload Complete"});
    PageControl<QLineEdit>(DeviceNetPage::IDC_ADDRESS)->setText("11");
    PageControl<QComboBox>(DeviceNetPage::IDC_BAUD)->setCurrentIndex(3);
    PageControl<QComboBox>(DeviceNetPage::IDC_EXCHANGE)->setCurrentIndex(0);
    FailWriteTo(cards::kBaudCode);
    EXPECT_EQ(Apply(), Messages{"Download Fail"});
    EXPECT_EQ(simulator->Parameter(cards::kNodeAddress.start), 11);
    EXPECT_EQ(simulator->Parameter(cards::kBaudCode.start), 1);
    EXPECT_EQ(simulator->Parameter(cards::kExchangeChoice.start), 2);
    EXPECT_TRUE(dialog->isVisible()) << "Apply never closes the window";
}

TEST_F(MainWindowTest, InvalidStoredValuesAreReportedBeforeTheUploadOutcome)
{
    sim::Config config;
    config.cardCode = 6;
    config.nodeAddress = 64;
    config.baudCode = 3;
    EXPECT_EQ(Search(config), (Messages{"Invalid Address", "Invalid BaudRate", "Upload Fail"}));
    // Nothing sound to send for the baud rate: the download refuses before writing anything.
    EXPECT_EQ(Apply(), Messages{"Download Fail"});
    EXPECT_TRUE(simulator->Requests().empty());
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
        simulator->ClearRequests();
        QWidget* control = PageControl<QWidget>(id);
        ASSERT_NE(control, nullptr);
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            QTest::keyClick(control, key);
        EXPECT_TRUE(MessageBoxes::Take().empty()) << code;
        EXPECT_TRUE(simulator->Requests().empty()) << code;
        EXPECT_TRUE(dialog->isVisible()) << code;
        EXPECT_TRUE(ShownPage(*dialog)->Window()->isVisible()) << code;
    }
}

// The cable moved to another instrument after the search, or an instrument that acknowledges a write and
// keeps the old value: neither may end in a page showing another card's values or in "Download Complete".
TEST_F(MainWindowTest, ReadAndApplyCheckTheCardAndApplyReadsBackWhatItWrote)
{
    sim::Config config;
    config.cardCode = 1;
    config.nodeAddress = 99;
    config.faults.cardChangesAfter = 2; // the search's and its upload's reads still name Profibus
    config.faults.laterCardCode = 2;
    ASSERT_EQ(Search(config), Messages{"Upload Complete"});
    const auto identification = [](const std::vector<std::uint8_t>& frame) {
        return frame[1] == 0x03 && (frame[2] << 8 | frame[3]) == cards::kIdentification.start;
    };

    simulator->ClearRequests();
    Click(*dialog, MainDialog::IDC_READ);
    auto shown = MessageBoxes::Take();
    ASSERT_EQ(Texts(shown), Messages{"Upload Fail"});
    EXPECT_TRUE(shown[0].detail.contains("DeviceNet card (code 2)")) << shown[0].detail.toStdString();
    EXPECT_TRUE(shown[0].detail.contains("search again")) << shown[0].detail.toStdString();
    ASSERT_EQ(simulator->Requests().size(), 1u) << "one identification read, then nothing";
    EXPECT_EQ(PageControl<QLineEdit>(ProfibusPage::IDC_ADDRESS)->text(), "99");

    PageControl<QLineEdit>(ProfibusPage::IDC_ADDRESS)->setText("100");
    EXPECT_EQ(Apply(), Messages{"Download Fail"});
    ASSERT_EQ(simulator->Requests().size(), 1u);
    EXPECT_TRUE(identification(simulator->Requests()[0])) << "nothing written";
    EXPECT_EQ(simulator->Parameter(cards::kNodeAddress.start), 99);

    sim::Faults stubborn;
    stubborn.ignoreWrites = true;
    simulator->SetFaults(stubborn);
    simulator->ClearRequests();
    Click(*dialog, MainDialog::IDC_APPLY);
    shown = MessageBoxes::Take();
    ASSERT_EQ(Texts(shown), Messages{"Download Fail"});
    EXPECT_TRUE(shown[0].detail.contains("reads back different: station address")) << shown[0].detail.toStdString();
    // The frames Apply sends: the identification, the two writes, each written parameter read back and the
    // identification again, which closes the reading back.
    const auto requests = simulator->Requests();
    ASSERT_EQ(requests.size(), 6u);
    EXPECT_TRUE(identification(requests[0]));
    EXPECT_EQ(requests[1][1], 0x10);
    EXPECT_EQ(requests[2][1], 0x10);
    EXPECT_EQ(requests[3][1], 0x03);
    EXPECT_EQ(requests[4][1], 0x03);
    EXPECT_TRUE(identification(requests[5]));
}

// A line that repeats one reply, at each position of the search with its upload and of an Apply: the copy
// must never pass for the answer to the next read (it names no register), so the page never shows a value
// the instrument does not hold with "Upload Complete", and Apply never writes back what an untrusted read
// showed.
TEST_F(MainWindowTest, ARepeatedReplyNeverPassesForTheNextOne)
{
    for (const int position : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}) { // 0: every reply
        for (const int delayUs : {1000, 3000, 50'000}) {
            const std::string what = std::to_string(position) + " after " + std::to_string(delayUs) + " us";
            sim::Config config;
            config.cardCode = 2;
            config.nodeAddress = 3;
            config.baudCode = 2;
            config.exchangeChoice = 1;
            config.wireTiming = true;
            config.faults.repeatReply = position;
            config.faults.repeatEvery = position == 0;
            config.faults.repeatDelay = std::chrono::microseconds(delayUs);
            const Messages upload = Search(config);
            if (upload == Messages{"Upload Complete"}) {
                EXPECT_EQ(PageControl<QLineEdit>(DeviceNetPage::IDC_ADDRESS)->text(), "3") << what;
                EXPECT_EQ(PageControl<QComboBox>(DeviceNetPage::IDC_BAUD)->currentIndex(), 2) << what;
                EXPECT_EQ(PageControl<QComboBox>(DeviceNetPage::IDC_EXCHANGE)->currentIndex(), 1) << what;
            }
            simulator->SetFaults(config.faults);
            PageControl<QLineEdit>(DeviceNetPage::IDC_ADDRESS)->setText("9");
            const Messages download = Apply();
            EXPECT_EQ(simulator->Parameter(cards::kBaudCode.start), 2) << what;
            EXPECT_EQ(simulator->Parameter(cards::kExchangeChoice.start), 1) << what;
            if (download == Messages{"Download Complete"}) {
                EXPECT_EQ(simulator->Parameter(cards::kNodeAddress.start), 9) << what;
            }
        }
    }
}

// The instrument's line goes away (an adapter pulled out) and comes back under the same name: Read says so
// and keeps the values last read; the next search opens the line again and finds the instrument.
TEST_F(MainWindowTest, LineThatWentAwayIsToldOnReadAndTheNextSearchOpensItAgain)
{
    const std::string name = folder.filePath(QStringLiteral("vorn")).toStdString();
    sim::Config config;
    config.cardCode = 7;
    config.linkPath = name;
    StartInstrument(config);
    setenv("MESHGATE2_COM1", name.c_str(), 1);
    Click(OpenMainWindow(), MainDialog::IDC_SEARCH);
    ASSERT_EQ(Texts(MessageBoxes::Take()), Messages{"Upload Complete"});

    simulator.reset();
    Click(*dialog, MainDialog::IDC_READ);
    const auto shown = MessageBoxes::Take();
    ASSERT_EQ(Texts(shown), Messages{"Upload Fail"});
    EXPECT_TRUE(shown[0].detail.contains("the line is gone")) << shown[0].detail.toStdString();
    EXPECT_EQ(PageControl<IpAddressEdit>(EtherNetIpPage::IDC_IP_ADDRESS)->GetAddress(), config.ip);

    config.ip = 0x0A000002;
    StartInstrument(config);
    setenv("MESHGATE2_COM1", name.c_str(), 1);
    Click(*dialog, MainDialog::IDC_SEARCH);
    EXPECT_EQ(Texts(MessageBoxes::Take()), Messages{"Upload Complete"});
    EXPECT_EQ(PageControl<IpAddressEdit>(EtherNetIpPage::IDC_IP_ADDRESS)->GetAddress(), config.ip);
}

} // namespace
