#include "page_test_support.h"
#include "pages/ethernet_ip_page.h"
#include "pages/modbus_tcp_page.h"

namespace {

constexpr std::uint32_t kIp = 0xC0A8010A; // 192.168.1.10
constexpr std::uint32_t kMask = 0xFFFFFF00;
constexpr std::uint32_t kGateway = 0xC0A80101;

// The EtherNet/IP and Modbus-TCP pages share their address half; the tests run on both.
template <class Page> class AddressPageTest : public PageTest
{
protected:
    static constexpr std::uint16_t kCardCode = std::is_same_v<Page, EtherNetIpPage> ? 7 : 8;

    void SetUp() override
    {
        PageTest::SetUp();
        ASSERT_TRUE(page.Create(&host));
        mode = Control<QComboBox>(page, Page::IDC_MODE);
        ip = Control<IpAddressEdit>(page, Page::IDC_IP_ADDRESS);
        mask = Control<IpAddressEdit>(page, Page::IDC_MASK);
        gateway = Control<IpAddressEdit>(page, Page::IDC_GATEWAY);
    }

    sim::Simulator& Instrument(std::uint16_t addressMode)
    {
        sim::Config config;
        config.cardCode = kCardCode;
        config.addressMode = addressMode;
        config.exchangeChoice = 4;
        config.ip = kIp;
        config.mask = kMask;
        config.gateway = kGateway;
        config.firmwareText = "EIP 2.1";
        return StartInstrument(config);
    }

    void ExpectMaskAndGatewayEnabled(bool enabled)
    {
        EXPECT_TRUE(ip->isEnabled());
        EXPECT_EQ(mask->isEnabled(), enabled);
        EXPECT_EQ(gateway->isEnabled(), enabled);
    }

    std::vector<std::uint8_t> Bytes(std::uint32_t a, std::uint32_t m, std::uint32_t g)
    {
        std::array<std::uint8_t, 12> bytes{};
        cards::EncodeIpBlock({a, m, g}, bytes);
        return {bytes.begin(), bytes.end()};
    }

    Page page;
    QComboBox* mode = nullptr;
    IpAddressEdit* ip = nullptr;
    IpAddressEdit* mask = nullptr;
    IpAddressEdit* gateway = nullptr;
};

using AddressPages = ::testing::Types<EtherNetIpPage, ModbusTcpPage>;
TYPED_TEST_SUITE(AddressPageTest, AddressPages);

TYPED_TEST(AddressPageTest, NewWindowOffersBothModesAndChoosesNeither)
{
    const char* title = this->kCardCode == 7 ? "EtherNet/IP" : "Modbus-TCP";
    this->ExpectCommonLook(this->page, TypeParam::IDC_TITLE, title, TypeParam::IDC_FIRMWARE, "------");
    EXPECT_EQ(this->Entries(this->mode), (QStringList{"STATIC IP", "DHCP"}));
    EXPECT_EQ(this->mode->currentIndex(), -1);
    EXPECT_TRUE(this->ip->IsBlank() || this->ip->GetAddress() == 0);
    EXPECT_EQ(this->gateway->GetAddress(), 0u);
    this->ExpectMaskAndGatewayEnabled(true);
}

TYPED_TEST(AddressPageTest, ModeRuleFollowsUploadAndOperator)
{
    auto& instrument = this->Instrument(1);
    EXPECT_EQ(this->Upload(this->page, this->kCardCode), 1);
    EXPECT_EQ(this->mode->currentText(), "DHCP");
    this->ExpectMaskAndGatewayEnabled(false);
    EXPECT_EQ(this->ip->GetAddress(), kIp) << "bytes 10, 1, 168, 192 are 192.168.1.10";
    EXPECT_EQ(this->mask->GetAddress(), kMask);

    // A mode the list does not have, or no mode at all, leaves the controls as they were.
    for (int fault : {0, 1}) {
        if (fault)
            this->FailReadOf(cards::kAddressMode);
        else
            instrument.SetParameter(cards::kAddressMode.start, 2);
        EXPECT_EQ(this->Upload(this->page, this->kCardCode), 1);
        EXPECT_EQ(this->mode->currentIndex(), -1);
        this->ExpectMaskAndGatewayEnabled(false);
    }
    EXPECT_TRUE(MessageBoxes::Take().empty());
    this->mode->setCurrentIndex(0);
    this->ExpectMaskAndGatewayEnabled(true);
    this->mode->setCurrentIndex(1);
    this->ExpectMaskAndGatewayEnabled(false);
}

TYPED_TEST(AddressPageTest, DhcpDownloadStillSendsTheDisabledAddresses)
{
    auto& instrument = this->Instrument(1);
    ASSERT_EQ(this->Upload(this->page, this->kCardCode), 1);
    instrument.ClearRequests();
    this->mask->SetAddress(0xFFFF0000);
    EXPECT_EQ(this->page.WriteSettings(&this->link), 1);
    std::vector<PageTest::Frame> expected{this->Write(cards::kAddressMode, {1, 0}),
                                          this->Write(cards::kIpBlock, this->Bytes(kIp, 0xFFFF0000, kGateway))};
    if (this->kCardCode == 7)
        expected.push_back(this->Write(cards::kExchangeChoice, {4, 0}));
    EXPECT_EQ(this->Frames(), expected);
}

TYPED_TEST(AddressPageTest, DownloadWithoutModeWritesNothingAndAFailedBlockKeepsTheMode)
{
    auto& instrument = this->Instrument(3);
    this->Upload(this->page, this->kCardCode);
    instrument.ClearRequests();
    EXPECT_EQ(this->page.WriteSettings(&this->link), 0);
    EXPECT_TRUE(this->Frames().empty());

    this->Choose(this->mode, 0);
    this->FailWriteTo(cards::kIpBlock);
    EXPECT_EQ(this->page.WriteSettings(&this->link), 0);
    EXPECT_EQ(this->Writes().size(), 2u) << "mode, then the failed block; nothing after it";
    EXPECT_EQ(instrument.Parameter(cards::kAddressMode.start), 0);
    EXPECT_EQ(this->page.ReadSettings(nullptr), 0);
}

// Static addresses the card could never use are refused before anything is sent, naming the field.
TYPED_TEST(AddressPageTest, StaticAddressesThatCanNeverWorkAreRefused)
{
    this->Instrument(0);
    ASSERT_EQ(this->Upload(this->page, this->kCardCode), 1);
    struct Case
    {
        IpAddressEdit* edit;
        QStringList octets;
        const char* fault;
    };
    for (const Case& c : {
             Case{this->gateway, {"10", "0", "0", "1"}, "The gateway 10.0.0.1 is outside the subnet"},
             Case{this->ip, {"10", "0", "0", "5"}, "The gateway 192.168.1.1 is outside the subnet"},
             Case{this->gateway, {"192", "168", "1", "10"}, "The gateway 192.168.1.10 is the card's own IP address"},
             Case{this->mask, {"255", "255", "255", "255"}, "The subnet mask 255.255.255.255 cannot be used"},
             Case{this->mask, {"0", "0", "0", "0"}, "The subnet mask 0.0.0.0 cannot be used"},
         }) {
        const std::uint32_t before = c.edit->GetAddress();
        this->simulated->ClearRequests();
        this->TypeAddress(c.edit, c.octets);
        EXPECT_EQ(this->page.WriteSettings(&this->link), 0);
        EXPECT_TRUE(this->Frames().empty());
        EXPECT_TRUE(this->page.FailureDetail().startsWith(c.fault)) << this->page.FailureDetail().toStdString();
        c.edit->SetAddress(before);
    }
    this->TypeAddress(this->gateway, {"0", "0", "0", "0"});
    EXPECT_EQ(this->page.WriteSettings(&this->link), 1) << "no gateway at all is allowed";
}

using EtherNetIpTest = AddressPageTest<EtherNetIpPage>;
using ModbusTcpTest = AddressPageTest<ModbusTcpPage>;

TEST_F(EtherNetIpTest, UploadSucceedsOnlyWithATableChoiceInTheList)
{
    auto& instrument = Instrument(0);
    EXPECT_EQ(Upload(page, 7, 0), 1);
    auto* exchange = Control<QComboBox>(page, EtherNetIpPage::IDC_EXCHANGE);
    EXPECT_EQ(exchange->count(), 5) << "five entries in the legacy range too";
    EXPECT_EQ(exchange->currentIndex(), 4);
    EXPECT_EQ(Frames(), (std::vector<Frame>{Read(cards::kIdentification), Read(cards::kAddressMode),
                                            Read(cards::kIpBlock), Read(cards::kExchangeChoice)}));
    instrument.SetParameter(cards::kExchangeChoice.start, 5);
    EXPECT_EQ(Upload(page, 7), 0);
    EXPECT_EQ(mode->currentText(), "STATIC IP") << "mode and addresses are still shown";
    EXPECT_EQ(gateway->GetAddress(), kGateway);
    EXPECT_EQ(Control<ColourStatic>(page, EtherNetIpPage::IDC_FIRMWARE)->text(), "EIP 2.1");
}

TEST_F(ModbusTcpTest, NeverTouchesTheExchangeTableAndSucceedsOnTheAddresses)
{
    Instrument(0);
    auto* exchange = Control<QComboBox>(page, ModbusTcpPage::IDC_EXCHANGE);
    EXPECT_FALSE(exchange->isEnabled());
    FailReadOf(cards::kAddressMode);
    EXPECT_EQ(Upload(page, 8), 1) << "a mode that cannot be read does not fail the upload";
    EXPECT_EQ(exchange->count(), 0);
    FailReadOf(cards::kIpBlock);
    EXPECT_EQ(Upload(page, 8), 0);
    EXPECT_EQ(ip->GetAddress(), 0u);
    Choose(mode, 0);
    simulated->SetFaults({});
    simulated->ClearRequests();
    // 0.0.0.0 stands for addresses that were never read: they are not sent until the operator gives them.
    EXPECT_EQ(page.WriteSettings(&link), 0);
    EXPECT_TRUE(Frames().empty());
    EXPECT_TRUE(page.FailureDetail().contains("IP block")) << page.FailureDetail().toStdString();
    TypeAddress(ip, {"10", "0", "0", "9"});
    TypeAddress(mask, {"255", "0", "0", "0"});
    TypeAddress(gateway, {"10", "0", "0", "1"});
    EXPECT_EQ(page.WriteSettings(&link), 1);
    EXPECT_EQ(simulated->IpBlock()[0], 9);
    for (const Frame& f : Frames())
        EXPECT_NE(f.start, cards::kExchangeChoice.start) << f;
}

} // namespace
