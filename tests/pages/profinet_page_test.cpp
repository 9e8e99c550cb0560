#include "page_test_support.h"
#include "pages/profinet_page.h"
#include "widgets/up_down.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QToolButton>

namespace {

class ProfinetTest : public PageTest
{
protected:
    void SetUp() override
    {
        PageTest::SetUp();
        ASSERT_TRUE(page.Create(&host));
        station = Control<QLineEdit>(page, ProfinetPage::IDC_STATION);
        prefix = Control<QLabel>(page, ProfinetPage::IDC_STATION_PREFIX);
        exchange = Control<QComboBox>(page, ProfinetPage::IDC_EXCHANGE);
    }

    sim::Simulator& Instrument(std::uint16_t number, std::uint16_t exchangeChoice = 2)
    {
        sim::Config config;
        config.cardCode = 4;
        config.nodeAddress = number;
        config.exchangeChoice = exchangeChoice;
        config.firmwareText = "PN 3.0";
        return StartInstrument(config);
    }

    QString Address(int id)
    {
        return QString::fromStdString(cards::FormatIp(Control<IpAddressEdit>(page, id)->GetAddress()));
    }

    void Spin(int step) { emit Control<UpDown>(page, ProfinetPage::IDC_STATION_SPIN)->DeltaPos(step); }

    ProfinetPage page;
    QLineEdit* station = nullptr;
    QLabel* prefix = nullptr;
    QComboBox* exchange = nullptr;
};

TEST_F(ProfinetTest, NewWindowShowsNumberOneAndTheFiveEntriesInEitherRange)
{
    ExpectCommonLook(page, ProfinetPage::IDC_TITLE, "Profinet", ProfinetPage::IDC_FIRMWARE, "------");
    EXPECT_EQ(station->text(), "1");
    EXPECT_EQ(prefix->text(), "Static");
    EXPECT_EQ(prefix->alignment(), Qt::AlignRight | Qt::AlignVCenter) << "the name reads on into the number";
    EXPECT_EQ(exchange->count(), 5);
    EXPECT_EQ(exchange->itemText(4), "<5> Upload/download Parameters (256 bytes)");
    EXPECT_FALSE(Control<IpAddressEdit>(page, ProfinetPage::IDC_IP_ADDRESS)->isEnabled());
}

TEST_F(ProfinetTest, UploadShowsStationNameAddressesAndTable)
{
    auto& instrument = Instrument(7);
    SetIpBlock(instrument, 0x0A000001, 0xFF000000, 0x0A0000FE);
    EXPECT_EQ(Upload(page, 4, 0, 0), 1);
    EXPECT_EQ(Control<ColourStatic>(page, ProfinetPage::IDC_FIRMWARE)->text(), "PN 3.0");
    EXPECT_EQ(prefix->text(), "vornk3");
    EXPECT_EQ(station->text(), "007");
    EXPECT_EQ(Address(ProfinetPage::IDC_IP_ADDRESS), "10.0.0.1");
    EXPECT_EQ(Address(ProfinetPage::IDC_MASK), "255.0.0.0");
    EXPECT_EQ(Address(ProfinetPage::IDC_GATEWAY), "10.0.0.254");
    EXPECT_EQ(exchange->currentIndex(), 2);
    EXPECT_EQ(Frames(), (std::vector<Frame>{Read(cards::kIdentification), Read(cards::kNodeAddress),
                                            Read(cards::kIpBlock), Read(cards::kExchangeChoice)}));

    const std::pair<int, const char*> prefixes[] = {
        {1, "vornp3"}, {2, "vornrk3"}, {3, "vorng3"}, {4, "vornk4"}, {5, ""}};
    for (auto [model, text] : prefixes) {
        Upload(page, 4, 1, model);
        EXPECT_EQ(prefix->text(), text) << model;
    }
    instrument.SetParameter(cards::kNodeAddress.start, 1000);
    instrument.SetParameter(cards::kExchangeChoice.start, 5);
    EXPECT_EQ(Upload(page, 4), 0) << "the result rests on the table alone";
    EXPECT_EQ(station->text(), "1000");
    EXPECT_TRUE(MessageBoxes::Take().empty());
}

TEST_F(ProfinetTest, UnreadableValuesKeepTextOrShowZeroAddresses)
{
    Instrument(12);
    ASSERT_EQ(Upload(page, 4), 1);
    FailReadOf(cards::kNodeAddress);
    EXPECT_EQ(Upload(page, 4), 1);
    EXPECT_EQ(station->text(), "012");
    FailReadOf(cards::kIpBlock);
    EXPECT_EQ(Upload(page, 4), 1);
    EXPECT_EQ(Address(ProfinetPage::IDC_IP_ADDRESS), "0.0.0.0");
    EXPECT_EQ(Address(ProfinetPage::IDC_GATEWAY), "0.0.0.0");
}

TEST_F(ProfinetTest, ArrowsStepWithinOneTo255InThreeDigits)
{
    struct Case
    {
        const char* before;
        int step;
        const char* after;
    };
    const Case cases[] = {{"255", 1, "255"}, {"001", -1, "001"}, {"", 1, "001"},
                          {"", -1, "001"},   {"9", 1, "010"},    {"1000", -1, "255"},
                          {"0", 1, "001"},   {"100", -5, "095"}, {"99999999999999", 1, "255"}};
    for (const Case& c : cases) {
        station->setText(c.before);
        Spin(c.step);
        EXPECT_EQ(station->text(), c.after) << c.before << " " << c.step;
    }
    station->setText("010");
    QTest::mouseClick(Control<UpDown>(page, ProfinetPage::IDC_STATION_SPIN)->UpArrow(), Qt::LeftButton);
    EXPECT_EQ(station->text(), "011");
}

TEST_F(ProfinetTest, DownloadValidatesTheNumberAndNeverWritesTheAddresses)
{
    auto& instrument = Instrument(0, 3);
    ASSERT_EQ(Upload(page, 4), 1);
    EXPECT_EQ(station->text(), "000");
    instrument.ClearRequests();
    host.show();
    page.Window()->show();
    QApplication::setActiveWindow(&host);
    for (const char* text : {"000", "256", ""}) {
        exchange->setFocus();
        station->setText(text);
        EXPECT_EQ(page.WriteSettings(&link), 0) << text;
        const auto shown = MessageBoxes::Take();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, "Please enter an integer between 1 and 255.");
        EXPECT_TRUE(station->hasFocus()) << "the operator corrects the number where it is";
    }
    EXPECT_TRUE(Frames().empty());

    station->setText("042");
    EXPECT_EQ(page.WriteSettings(&link), 1);
    EXPECT_EQ(page.stationNumber, 42);
    EXPECT_EQ(Frames(),
              (std::vector<Frame>{Write(cards::kNodeAddress, {42, 0}), Write(cards::kExchangeChoice, {3, 0})}));

    instrument.ClearRequests();
    FailWriteTo(cards::kNodeAddress);
    EXPECT_EQ(page.WriteSettings(&link), 0);
    EXPECT_EQ(Writes().size(), 1u);
}

} // namespace
