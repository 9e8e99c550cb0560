#include "comm/instrument_link.h"
#include "sim/simulator.h"
#include "tests/support/pty_peer.h"

#include <chrono>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Replies that should come get time to spare on a loaded machine; silent candidates are passed quickly.
constexpr std::uint32_t kTimeoutMs = 250;
constexpr std::uint32_t kShortTimeoutMs = 50;

struct LinkTest : ::testing::Test
{
    sim::Config config;
    std::unique_ptr<sim::Simulator> instrument;
    InstrumentLink link;

    void StartInstrument()
    {
        instrument = std::make_unique<sim::Simulator>(config);
        ASSERT_TRUE(instrument->Start()) << instrument->Error();
        link.Master().SetReadTimeout(kTimeoutMs);
        ASSERT_EQ(link.OpenDevice(instrument->DevicePath()), 1);
    }

    void ShortTimeout()
    {
        link.Master().SetReadTimeout(kShortTimeoutMs);
        ASSERT_EQ(link.OpenDevice(instrument->DevicePath()), 1);
    }

    void SetUp() override { StartInstrument(); }

    // The model block as the instrument holds it: 16 bytes not interpreted, then the text.
    void SetModelBlock(const std::string& head, const std::string& text)
    {
        Bytes block(36, 0);
        std::memcpy(block.data(), head.data(), std::min<std::size_t>(head.size(), 16));
        std::memcpy(block.data() + 16, text.data(), std::min<std::size_t>(text.size(), 20));
        ASSERT_TRUE(instrument->SetBlock(0xA500, block));
    }
};

TEST_F(LinkTest, DefaultsAndReadTimeout)
{
    InstrumentLink fresh;
    EXPECT_EQ(fresh.SlaveAddress(), 0xFF);
    EXPECT_FALSE(fresh.Master().IsOpen());
    EXPECT_EQ(fresh.Discover(), 0); // nothing open: fails at once
}

TEST_F(LinkTest, DiscoverFindsAddress127AfterThreeSilentCandidates)
{
    config.slaveAddress = 127;
    StartInstrument();
    ShortTimeout();
    std::vector<int> probed;
    link.SetProbeObserver([](void* c, std::uint8_t a) { static_cast<std::vector<int>*>(c)->push_back(a); }, &probed);
    ASSERT_EQ(link.Discover(), 1);
    EXPECT_EQ(link.SlaveAddress(), 127);
    EXPECT_EQ(probed, (std::vector<int>{255, 63, 95, 127}));
    const auto requests = instrument->Requests();
    // Three attempts each at 255, 63 and 95, then 127 (once, unless a busy machine made it late).
    ASSERT_GE(requests.size(), 10u);
    for (std::size_t i = 0; i < 9; ++i)
        EXPECT_EQ(requests[i][0], InstrumentLink::kCandidateAddresses[i / 3]) << i;
    EXPECT_EQ(requests[0], Hex("FF 03 30 00 00 0A DF 13"));
    EXPECT_EQ(requests[9][0], 0x7F);

    // Every later operation goes to the address found.
    EXPECT_EQ(link.ReadCardCode(), 5);
    EXPECT_EQ(instrument->Requests().back()[0], 0x7F);
}

TEST_F(LinkTest, FailedDiscoverKeepsTheLastAddressFound)
{
    config.slaveAddress = 0xDF;
    StartInstrument();
    ShortTimeout();
    ASSERT_EQ(link.Discover(), 1);
    sim::Faults silent;
    silent.silent = true;
    instrument->SetFaults(silent);
    instrument->ClearRequests();
    EXPECT_EQ(link.Discover(), 0);
    EXPECT_EQ(link.SlaveAddress(), 0xDF);
    // The simulator's thread may not have taken the last request yet on a busy machine: give it time, then
    // count exactly.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (instrument->Requests().size() < 21u && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50)); // nothing more may follow
    EXPECT_EQ(instrument->Requests().size(), 21u);              // 7 candidates x 3 attempts
}

TEST_F(LinkTest, IdentificationRecord)
{
    ASSERT_EQ(link.Discover(), 1);
    instrument->ClearRequests();
    EXPECT_EQ(link.ReadCardCode(), 5);
    ASSERT_EQ(instrument->Requests().size(), 1u);
    EXPECT_EQ(instrument->Requests()[0], Hex("FF 03 30 10 00 0C 5E D4"));
    EXPECT_EQ(link.Master().LastReadCount(), 29);

    char text[InstrumentLink::kFirmwareTextSize];
    std::memset(text, '#', sizeof text);
    ASSERT_EQ(link.ReadFirmwareText(text), 1);
    EXPECT_STREQ(text, "V1.00");

    // 20 characters and no terminator: only the first 19 count.
    Bytes record = Hex("10 30 07 00");
    for (char c : std::string("ABCDEFGHIJKLMNOPQRST"))
        record.push_back(static_cast<std::uint8_t>(c));
    ASSERT_TRUE(instrument->SetBlock(0x3010, record));
    ASSERT_EQ(link.ReadFirmwareText(text), 1);
    EXPECT_STREQ(text, "ABCDEFGHIJKLMNOPQRS");
    EXPECT_EQ(link.ReadCardCode(), 7);
}

TEST_F(LinkTest, BigEndianEchoMakesTheRecordInvalid)
{
    Bytes record = Hex("30 10 05 00 56 31 00");
    record.resize(24, 0);
    ASSERT_TRUE(instrument->SetBlock(0x3010, record));
    EXPECT_EQ(link.ReadCardCode(), 0);
    char text[InstrumentLink::kFirmwareTextSize];
    std::memset(text, '#', sizeof text);
    EXPECT_EQ(link.ReadFirmwareText(text), 0);
    EXPECT_EQ(text[0], '#'); // untouched on failure
}

TEST_F(LinkTest, FailedIdentificationReadsGiveZero)
{
    ShortTimeout();
    sim::Faults silent;
    silent.silent = true;
    instrument->SetFaults(silent);
    char text[InstrumentLink::kFirmwareTextSize] = "untouched";
    EXPECT_EQ(link.ReadCardCode(), 0);
    EXPECT_EQ(link.ReadFirmwareText(text), 0);
    EXPECT_STREQ(text, "untouched");
    EXPECT_EQ(link.IdentifyModel(), 0);
}

TEST_F(LinkTest, ModelTokensInOrderAndOnlyFromByteSixteen)
{
    struct Case
    {
        std::string head, text;
        int model;
    };
    const Case cases[] = {
        {"", "VORN K320", 0},
        {"", "P320 leak tester", 1},
        {"", "VORN RK3", 2},
        {"", "VORNRK3", 5},     // no blank before RK3
        {"", "G320 and K4", 3}, // G320 is tested before K4
        {"", "K4 and G320", 3},
        {"", "K4", 4},
        {"", "K320 K4", 0},
        {"", "", 5},
        {"K320 P320 G320", "nothing here", 5}, // tokens in bytes 0-15 do not count
        {"K320", "12345678901234567K4", 4},
        {"", "1234567890123456G320", 3}, // 20 characters, no terminator, token at the very end
    };
    for (const Case& c : cases) {
        SetModelBlock(c.head, c.text);
        instrument->ClearRequests();
        EXPECT_EQ(link.IdentifyModel(), c.model) << '"' << c.text << '"';
        ASSERT_EQ(instrument->Requests().size(), 1u);
        EXPECT_EQ(instrument->Requests()[0][2], 0xA5);
        EXPECT_EQ(instrument->Requests()[0][5], 18);
        EXPECT_EQ(link.Master().LastReadCount(), 41);
    }
}

TEST_F(LinkTest, RegisterReadsAndWritesAreLowByteFirst)
{
    instrument->SetParameter(0x3011, 0x1234);
    std::uint16_t value = 0;
    ASSERT_EQ(link.ReadRegister(0x3011, &value), 1);
    EXPECT_EQ(value, 0x1234);
    EXPECT_EQ(link.ReadRegister(0x3011, nullptr), 0);

    instrument->ClearRequests();
    ASSERT_EQ(link.WriteRegister(0x3011, 5), 1);
    EXPECT_EQ(instrument->Requests()[0], Hex("FF 10 30 11 00 01 02 05 00 DE 26"));
    EXPECT_EQ(instrument->Parameter(0x3011), 5);

    ASSERT_EQ(link.WriteRegister(0x3015, 0x0201), 1);
    EXPECT_EQ(instrument->Block(0x3015), Hex("01 02"));
}

TEST_F(LinkTest, BlocksMoveWholeRegistersOnly)
{
    // 192.168.1.10 / 255.255.255.0 / 192.168.1.1, each address low byte first.
    std::uint8_t ip[12] = {};
    ASSERT_EQ(link.ReadBlock(0x3014, 12, ip), 1);
    EXPECT_EQ(Bytes(ip, ip + 12), Hex("0A 01 A8 C0 00 FF FF FF 01 01 A8 C0"));

    const Bytes next = Hex("0B 01 A8 C0 00 00 FF FF FE 01 A8 C0");
    instrument->ClearRequests();
    ASSERT_EQ(link.WriteBlock(0x3014, 12, next.data()), 1);
    EXPECT_EQ(instrument->Requests()[0].size(), 9u + 12u);
    const auto stored = instrument->IpBlock();
    EXPECT_EQ(Bytes(stored.begin(), stored.end()), next);

    // An odd byte count moves the whole registers it covers and leaves the last byte alone.
    instrument->SetParameter(0x3011, 0x0107);
    std::uint8_t three[3] = {0, 0, 0xEE};
    instrument->ClearRequests();
    ASSERT_EQ(link.ReadBlock(0x3011, 3, three), 1);
    EXPECT_EQ(instrument->Requests()[0], Hex("FF 03 30 11 00 01 CE D1"));
    EXPECT_EQ(Bytes(three, three + 3), Hex("07 01 EE"));

    // Less than one register is no request at all.
    instrument->ClearRequests();
    EXPECT_EQ(link.ReadBlock(0x3011, 1, three), 0);
    EXPECT_EQ(link.WriteBlock(0x3011, 0, three), 0);
    std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(instrument->Requests().empty());
}

TEST_F(LinkTest, RefusedWriteReportsFailureAndChangesNothing)
{
    sim::Faults faults;
    faults.failWriteTo = 0x3013;
    instrument->SetFaults(faults);
    EXPECT_EQ(link.WriteRegister(0x3013, 4), 0);
    EXPECT_EQ(instrument->Parameter(0x3013), 0);
    EXPECT_EQ(link.WriteRegister(0x3011, 9), 1);
}

TEST(LinkPorts, OpenPortResolvesComThroughTheEnvironment)
{
    sim::Simulator instrument;
    ASSERT_TRUE(instrument.Start());
    setenv("MESHGATE2_COM4", instrument.DevicePath().c_str(), 1);
    InstrumentLink link;
    link.Master().SetReadTimeout(kShortTimeoutMs);
    EXPECT_EQ(link.OpenPort(4), 1);
    EXPECT_EQ(link.Master().DeviceName(), instrument.DevicePath());
    EXPECT_EQ(link.Discover(), 1);

    // A device path chosen earlier does not stick to a later OpenPort.
    ASSERT_EQ(link.OpenDevice(instrument.DevicePath()), 1);
    setenv("MESHGATE2_COM4", "/dev/no-such-meshgate2-port", 1);
    EXPECT_EQ(link.OpenPort(4), 0);
    EXPECT_EQ(link.Master().DeviceName(), "/dev/no-such-meshgate2-port");
    EXPECT_FALSE(link.Master().IsOpen());
    unsetenv("MESHGATE2_COM4");

    // Numbers beyond COM65535 name no port: 65537 is not COM1 (what its low 16 bits would say).
    setenv("MESHGATE2_COM1", instrument.DevicePath().c_str(), 1);
    for (int number : {65537, 65536, -1, 0}) {
        EXPECT_EQ(link.OpenPort(number), 0) << number;
        EXPECT_FALSE(link.Master().IsOpen()) << number;
    }
    unsetenv("MESHGATE2_COM1");
}

} // namespace
