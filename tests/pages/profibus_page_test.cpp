#include "page_test_support.h"
#include "pages/profibus_page.h"
#include "widgets/up_down.h"

#include <QLabel>
#include <QPlainTextEdit>

namespace {

// The module texts break lines with CR LF; the text box shows each as one line break.
QString Shown(const char* text)
{
    return QString::fromLatin1(text).replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

class ProfibusTest : public PageTest
{
protected:
    void SetUp() override
    {
        PageTest::SetUp();
        ASSERT_TRUE(page.Create(&host));
        address = Control<QLineEdit>(page, ProfibusPage::IDC_ADDRESS);
        exchange = Control<QComboBox>(page, ProfibusPage::IDC_EXCHANGE);
        modules = Control<QPlainTextEdit>(page, ProfibusPage::IDC_MODULES);
        caption = Control<QLabel>(page, ProfibusPage::IDC_ADDRESS_CAPTION);
    }

    sim::Simulator& Instrument(std::uint16_t cardCode, std::uint16_t station, std::uint16_t exchangeChoice)
    {
        sim::Config config;
        config.cardCode = cardCode;
        config.nodeAddress = station;
        config.exchangeChoice = exchangeChoice;
        config.firmwareText = "V2.13";
        return StartInstrument(config);
    }

    ProfibusPage page;
    QLineEdit* address = nullptr;
    QComboBox* exchange = nullptr;
    QPlainTextEdit* modules = nullptr;
    QLabel* caption = nullptr;
};

TEST_F(ProfibusTest, NewWindowShowsLegacyTableUntilAnUploadRefillsIt)
{
    ExpectCommonLook(page, ProfibusPage::IDC_TITLE, "Profibus", ProfibusPage::IDC_FIRMWARE, "-------");
    EXPECT_EQ(caption->text(), "Address (1 - 128) :");
    EXPECT_EQ(address->text(), "1");
    EXPECT_EQ(exchange->count(), 3);
    EXPECT_EQ(exchange->currentIndex(), 0);
    EXPECT_EQ(modules->toPlainText(), Shown("Module 1:   16 Bytes Input  CON\r\nModule 2:   16 Bytes Output CON"));

    page.SetFirmwareRange(1);
    ASSERT_EQ(exchange->count(), 5);
    exchange->setCurrentIndex(2); // the operator picks "<3> Results fifo"
    EXPECT_EQ(exchange->currentText(), "<3> Results fifo (32 bytes+16 words)");
    EXPECT_EQ(modules->toPlainText(), Shown("Module 1:   32 Bytes Input  CON\r\nModule 2:   16 Words Input  CON\r\n"
                                            "Module 3:   32 Bytes Output CON\r\nModule 4:   16 Words Output CON"));
}

TEST_F(ProfibusTest, UploadOfComxCardReadsFirmwareAddressAndTableInOrder)
{
    Instrument(5, 77, 4);
    EXPECT_EQ(Upload(page, 5), 1);
    EXPECT_TRUE(MessageBoxes::Take().empty());
    EXPECT_EQ(caption->text(), "Address (1 - 125) :");
    EXPECT_EQ(Control<ColourStatic>(page, ProfibusPage::IDC_FIRMWARE)->text(), "COMX 100XX-DPS    / V2.13");
    EXPECT_EQ(address->text(), "77");
    EXPECT_EQ(exchange->currentIndex(), 4);
    EXPECT_TRUE(modules->toPlainText().contains("64 Words Output"));
    EXPECT_EQ(Frames(), (std::vector<Frame>{Read(cards::kIdentification), Read(cards::kNodeAddress),
                                            Read(cards::kExchangeChoice)}));
}

TEST_F(ProfibusTest, AddressOutsideTheCardsRangeIsReportedAndNotShown)
{
    // A COMX card holding 126 to 128 would otherwise show 125, and the next download would write it.
    auto& instrument = Instrument(5, 126, 1);
    for (std::uint16_t stored : std::initializer_list<std::uint16_t>{126, 128, 0, 129}) {
        instrument.SetParameter(cards::kNodeAddress.start, stored);
        EXPECT_EQ(Upload(page, 5), 0) << stored;
        EXPECT_EQ(Texts(MessageBoxes::Take()), QStringList{"Invalid Address"}) << stored;
        EXPECT_EQ(address->text(), "1") << stored;
        EXPECT_EQ(exchange->currentIndex(), 1) << "the table is still read";
    }
    instrument.SetParameter(cards::kNodeAddress.start, 128);
    EXPECT_EQ(Upload(page, 1), 1) << "the COM card takes 128";
    EXPECT_EQ(caption->text(), "Address (1 - 128) :");
    EXPECT_EQ(address->text(), "128");
    EXPECT_EQ(Control<ColourStatic>(page, ProfibusPage::IDC_FIRMWARE)->text(), "COM-DPS / V2.13");
}

TEST_F(ProfibusTest, UnreadableOrUnknownValuesLeaveDefaultsWithoutMessage)
{
    auto& instrument = Instrument(1, 50, 3);
    EXPECT_EQ(Upload(page, 1, 0), 1) << "choice 3 is outside the legacy table but the address is valid";
    EXPECT_EQ(exchange->currentIndex(), -1);
    EXPECT_EQ(modules->toPlainText(), "");

    FailReadOf(cards::kNodeAddress);
    EXPECT_EQ(Upload(page, 1, 1), 0);
    EXPECT_EQ(address->text(), "1") << "every upload starts from address 1";
    EXPECT_EQ(exchange->currentIndex(), 3);
    FailReadOf(cards::kIdentification);
    instrument.SetParameter(cards::kExchangeChoice.start, 5);
    EXPECT_EQ(Upload(page, 1, 1), 1);
    EXPECT_EQ(Control<ColourStatic>(page, ProfibusPage::IDC_FIRMWARE)->text(), "------");
    EXPECT_EQ(exchange->currentIndex(), -1);
    EXPECT_TRUE(MessageBoxes::Take().empty());
}

TEST_F(ProfibusTest, DownloadWritesAddressThenTableLowByteFirst)
{
    auto& instrument = Instrument(1, 50, 0);
    ASSERT_EQ(Upload(page, 1), 1);
    instrument.ClearRequests();
    address->setText("30");
    exchange->setCurrentIndex(3);
    EXPECT_EQ(page.WriteSettings(&link), 1);
    EXPECT_EQ(Frames(),
              (std::vector<Frame>{Write(cards::kNodeAddress, {30, 0}), Write(cards::kExchangeChoice, {3, 0})}));
    EXPECT_EQ(instrument.Parameter(cards::kNodeAddress.start), 30);
    EXPECT_EQ(instrument.Parameter(cards::kExchangeChoice.start), 3);
}

TEST_F(ProfibusTest, DownloadStopsAtFirstFailureAndRefusesWhatItCannotSend)
{
    auto& instrument = Instrument(5, 50, 2);
    ASSERT_EQ(Upload(page, 5), 1);
    instrument.ClearRequests();
    FailWriteTo(cards::kNodeAddress);
    EXPECT_EQ(page.WriteSettings(&link), 0);
    EXPECT_EQ(Writes(), (std::vector<Frame>{Write(cards::kNodeAddress, {50, 0})})) << "the table is not written";

    instrument.SetFaults({});
    instrument.ClearRequests();
    address->setText("126"); // above the COMX range: the control would send its last valid position
    EXPECT_EQ(page.WriteSettings(&link), 0);
    EXPECT_EQ(Texts(MessageBoxes::Take()), QStringList{"Invalid Address"});
    address->setText("");
    EXPECT_EQ(page.WriteSettings(&link), 0);
    address->setText("12");
    exchange->setCurrentIndex(-1);
    EXPECT_EQ(page.WriteSettings(&link), 0);
    EXPECT_EQ(page.WriteSettings(nullptr), 0);
    EXPECT_TRUE(Frames().empty());
    EXPECT_EQ(Texts(MessageBoxes::Take()), QStringList{"Invalid Address"});

    // An address that could not be read shows 1, which is no value to send; once typed, it is.
    FailReadOf(cards::kNodeAddress);
    EXPECT_EQ(Upload(page, 5), 0);
    instrument.SetFaults({});
    instrument.ClearRequests();
    EXPECT_EQ(page.WriteSettings(&link), 0);
    EXPECT_TRUE(Frames().empty());
    EXPECT_TRUE(page.FailureDetail().contains("station address")) << page.FailureDetail().toStdString();
    Type(address, "12");
    EXPECT_EQ(page.WriteSettings(&link), 1);
    EXPECT_EQ(instrument.Parameter(cards::kNodeAddress.start), 12);
}

// An instrument answering around the read time-out: whatever Read shows and whatever Apply then sends,
// nothing the operator did not change is written with a value other than the one the instrument holds.
class ProfibusLateReplies : public ProfibusTest, public ::testing::WithParamInterface<int>
{};

TEST_P(ProfibusLateReplies, ReadAndApplyNeverWriteAValueNobodyChose)
{
    auto& instrument = Instrument(5, 3, 1);
    link.Master().SetReadTimeout(InstrumentLink::kReadTimeoutMs);
    ASSERT_EQ(link.OpenDevice(instrument.DevicePath()), 1);
    sim::Faults faults;
    faults.delay = std::chrono::milliseconds(GetParam());
    instrument.SetFaults(faults);

    const int read = Upload(page, 5);
    if (read == 1) {
        EXPECT_EQ(address->text(), "3");
    }
    EXPECT_TRUE(exchange->currentIndex() == 1 || exchange->currentIndex() == -1) << exchange->currentIndex();
    page.WriteSettings(&link);
    MessageBoxes::Take();
    for (const Frame& write : Writes()) {
        EXPECT_EQ(write.data[0], write.start == cards::kNodeAddress.start ? 3 : 1) << write;
    }
    EXPECT_EQ(instrument.Parameter(cards::kNodeAddress.start), 3);
    EXPECT_EQ(instrument.Parameter(cards::kExchangeChoice.start), 1);
}

INSTANTIATE_TEST_SUITE_P(AroundTheTimeOut, ProfibusLateReplies, ::testing::Values(408, 416, 450));

} // namespace
