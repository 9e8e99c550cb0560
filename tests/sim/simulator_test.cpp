#include "comm/modbus_master.h"
#include "comm/serial_port.h"
#include "sim/simulator.h"
#include "tests/support/pty_peer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

Bytes WithCrc(Bytes frame)
{
    const std::uint16_t crc = ModbusMaster::Crc16(static_cast<std::uint16_t>(frame.size()), frame.data());
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    return frame;
}

Bytes Read(std::uint8_t slave, std::uint16_t start, std::uint16_t count)
{
    return WithCrc({slave, 0x03, static_cast<std::uint8_t>(start >> 8), static_cast<std::uint8_t>(start & 0xFF),
                    static_cast<std::uint8_t>(count >> 8), static_cast<std::uint8_t>(count & 0xFF)});
}

Bytes Write(std::uint8_t slave, std::uint16_t start, const Bytes& data)
{
    const auto count = static_cast<std::uint16_t>(data.size() / 2);
    Bytes frame{slave,
                0x10,
                static_cast<std::uint8_t>(start >> 8),
                static_cast<std::uint8_t>(start & 0xFF),
                static_cast<std::uint8_t>(count >> 8),
                static_cast<std::uint8_t>(count & 0xFF),
                static_cast<std::uint8_t>(data.size())};
    frame.insert(frame.end(), data.begin(), data.end());
    return WithCrc(frame);
}

// Replies straight from the instrument's logic, without a line in between.
struct AnswerTest : ::testing::Test
{
    sim::Simulator instrument;
    Bytes Ask(const Bytes& request) { return instrument.Answer(request.data(), static_cast<int>(request.size())); }
};

TEST_F(AnswerTest, RegisterMapAsTheConfiguratorReadsIt)
{
    EXPECT_EQ(Ask(Read(0xFF, 0x3000, 10)).size(), 25u);
    EXPECT_EQ(Ask(Read(0xFF, 0x3010, 12)), WithCrc(Hex("FF 03 18 10 30 05 00 56 31 2E 30 30 00 00 00 00 00 00 00 00 "
                                                       "00 00 00 00 00 00 00")));
    EXPECT_EQ(Ask(Read(0xFF, 0x3011, 1)), WithCrc(Hex("FF 03 02 01 00")));
    EXPECT_EQ(Ask(Read(0xFF, 0x3012, 1)), WithCrc(Hex("FF 03 02 00 00")));
    EXPECT_EQ(Ask(Read(0xFF, 0x3013, 1)), WithCrc(Hex("FF 03 02 00 00")));
    EXPECT_EQ(Ask(Read(0xFF, 0x3014, 6)), WithCrc(Hex("FF 03 0C 0A 01 A8 C0 00 FF FF FF 01 01 A8 C0")));
    EXPECT_EQ(Ask(Read(0xFF, 0x3015, 1)), WithCrc(Hex("FF 03 02 00 00")));
    const Bytes model = Ask(Read(0xFF, 0xA500, 18));
    ASSERT_EQ(model.size(), 41u);
    EXPECT_EQ(std::string(model.begin() + 3 + 16, model.begin() + 3 + 25), "VORN K320");
    EXPECT_EQ(model[3 + 25], 0);
}

TEST_F(AnswerTest, EachParameterOnlyAtItsOwnStartAndLength)
{
    const Bytes refused = WithCrc(Hex("FF 83 02"));
    EXPECT_EQ(Ask(Read(0xFF, 0x3014, 7)), refused); // the IP block and the address mode together
    EXPECT_EQ(Ask(Read(0xFF, 0x3011, 2)), refused);
    EXPECT_EQ(Ask(Read(0xFF, 0x3016, 1)), refused);
    EXPECT_EQ(Ask(Read(0xFF, 0x3001, 9)), refused);
    EXPECT_EQ(Ask(Read(0xFF, 0xA500, 17)), refused);
    EXPECT_EQ(Ask(Write(0xFF, 0x3014, Bytes(14, 0))), WithCrc(Hex("FF 90 02")));
    // The identification, probe and model blocks cannot be written.
    EXPECT_EQ(Ask(Write(0xFF, 0x3010, Bytes(24, 0))), WithCrc(Hex("FF 90 02")));
    EXPECT_EQ(Ask(Write(0xFF, 0xA500, Bytes(36, 0))), WithCrc(Hex("FF 90 02")));
    // A byte count that disagrees with the register count is a bad value.
    Bytes inconsistent = Hex("FF 10 30 11 00 01 04 05 00 00 00");
    EXPECT_EQ(Ask(WithCrc(inconsistent)), WithCrc(Hex("FF 90 03")));
    EXPECT_EQ(Ask(WithCrc(Hex("FF 04 30 11 00 01"))), WithCrc(Hex("FF 84 01")));
    EXPECT_EQ(instrument.Block(0x3010)[0], 0x10);
}

TEST_F(AnswerTest, WritesChangeTheSettingsForTheRestOfTheRun)
{
    EXPECT_EQ(Ask(Write(0xFF, 0x3011, Hex("05 00"))), WithCrc(Hex("FF 10 30 11 00 01")));
    EXPECT_EQ(instrument.Parameter(0x3011), 5);
    EXPECT_EQ(Ask(Read(0xFF, 0x3011, 1)), WithCrc(Hex("FF 03 02 05 00")));
    const Bytes ip = Hex("0B 00 00 0A 00 00 00 FF FE 00 00 0A");
    EXPECT_EQ(Ask(Write(0xFF, 0x3014, ip)).size(), 8u);
    const auto block = instrument.IpBlock();
    EXPECT_EQ(Bytes(block.begin(), block.end()), ip);

    instrument.SetParameter(0x3015, 1);
    EXPECT_EQ(Ask(Read(0xFF, 0x3015, 1)), WithCrc(Hex("FF 03 02 01 00")));
    instrument.SetIpBlock({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    EXPECT_EQ(Ask(Read(0xFF, 0x3014, 6))[3], 1);
    EXPECT_FALSE(instrument.SetBlock(0x3011, Hex("01 02 03")));
    EXPECT_FALSE(instrument.SetBlock(0x4000, Hex("01 02")));
}

TEST_F(AnswerTest, SilentForOtherSlavesAndDamagedFrames)
{
    EXPECT_TRUE(Ask(Read(0x7F, 0x3000, 10)).empty());
    Bytes damaged = Read(0xFF, 0x3000, 10);
    damaged[3] ^= 0x01;
    EXPECT_TRUE(Ask(damaged).empty());
    EXPECT_TRUE(Ask(Hex("FF 03")).empty());
    // Frames too short for their function are refused without reading past their end.
    for (const Bytes& stub :
         {WithCrc(Hex("FF 03")), WithCrc(Hex("FF 03 30")), WithCrc(Hex("FF 10 30")), WithCrc(Hex("FF 10 30 11 00 01"))})
        EXPECT_EQ(Ask(stub).size(), 5u) << "an exception reply";
    EXPECT_TRUE(Ask(Write(0x3F, 0x3011, Hex("09 00"))).empty());
    EXPECT_EQ(instrument.Parameter(0x3011), 1);
}

TEST_F(AnswerTest, FaultsShapeTheReply)
{
    const Bytes good = Ask(Read(0xFF, 0x3011, 1));
    sim::Faults f;
    f.badCrc = true;
    instrument.SetFaults(f);
    Bytes reply = Ask(Read(0xFF, 0x3011, 1));
    EXPECT_EQ(Bytes(reply.begin(), reply.end() - 2), Bytes(good.begin(), good.end() - 2));
    EXPECT_NE(reply[5], good[5]);
    EXPECT_NE(reply[6], good[6]);

    f = {};
    f.wrongSlave = true;
    instrument.SetFaults(f);
    reply = Ask(Read(0xFF, 0x3011, 1));
    EXPECT_NE(reply[0], 0xFF);
    EXPECT_EQ(reply, WithCrc(Bytes(reply.begin(), reply.end() - 2))); // a valid CRC

    f = {};
    f.shortReply = true;
    instrument.SetFaults(f);
    EXPECT_EQ(Ask(Read(0xFF, 0x3000, 10)).size(), 20u);

    f = {};
    f.exceptionReply = true;
    instrument.SetFaults(f);
    EXPECT_EQ(Ask(Read(0xFF, 0x3011, 1)), WithCrc(Hex("FF 83 04")));

    f = {};
    f.failFirst = 2;
    instrument.SetFaults(f);
    EXPECT_TRUE(Ask(Read(0xFF, 0x3011, 1)).empty());
    EXPECT_TRUE(Ask(Read(0x3F, 0x3011, 1)).empty()); // not for us: does not count
    EXPECT_TRUE(Ask(Read(0xFF, 0x3011, 1)).empty());
    EXPECT_EQ(Ask(Read(0xFF, 0x3011, 1)), good);
    instrument.SetFaults(f); // setting faults again starts the count afresh
    EXPECT_TRUE(Ask(Read(0xFF, 0x3011, 1)).empty());

    f = {};
    f.failWriteTo = 0x3011;
    instrument.SetFaults(f);
    EXPECT_EQ(Ask(Write(0xFF, 0x3011, Hex("09 00"))), WithCrc(Hex("FF 90 04")));
    EXPECT_EQ(instrument.Parameter(0x3011), 1);
    EXPECT_EQ(Ask(Write(0xFF, 0x3013, Hex("02 00"))).size(), 8u);

    f = {};
    f.failReadOf = 0x3013;
    instrument.SetFaults(f);
    EXPECT_EQ(Ask(Read(0xFF, 0x3013, 1)), WithCrc(Hex("FF 83 04")));
    EXPECT_EQ(Ask(Read(0xFF, 0x3011, 1)), good);

    f = {};
    f.silent = true;
    instrument.SetFaults(f);
    EXPECT_TRUE(Ask(Read(0xFF, 0x3011, 1)).empty());
}

TEST(SimulatorConfig, TextsAndValuesFromTheConfiguration)
{
    sim::Config c;
    c.slaveAddress = 0x9F;
    c.cardCode = 8;
    c.firmwareText = "ABCDEFGHIJKLMNOPQRSTUVWXYZ"; // more than fits: 19 characters travel
    c.modelText = "VORN G320 WITH A VERY LONG NAME";
    c.nodeAddress = 0x0102;
    c.baudCode = 2;
    c.exchangeChoice = 3;
    c.addressMode = 1;
    c.ip = 0x0A000001;
    sim::Simulator instrument(c);
    const Bytes id = instrument.Block(0x3010);
    EXPECT_EQ(Bytes(id.begin(), id.begin() + 4), Hex("10 30 08 00"));
    EXPECT_EQ(std::string(id.begin() + 4, id.begin() + 23), "ABCDEFGHIJKLMNOPQRS");
    EXPECT_EQ(id[23], 0);
    const Bytes model = instrument.Block(0xA500);
    EXPECT_EQ(std::string(model.begin() + 16, model.end()), "VORN G320 WITH A VER");
    EXPECT_EQ(instrument.Block(0x3011), Hex("02 01"));
    EXPECT_EQ(instrument.Parameter(0x3012), 2);
    EXPECT_EQ(instrument.Parameter(0x3013), 3);
    EXPECT_EQ(instrument.Parameter(0x3015), 1);
    EXPECT_EQ(instrument.IpBlock()[0], 0x01);
    EXPECT_EQ(instrument.IpBlock()[3], 0x0A);
    const Bytes read = Read(0x9F, 0x3011, 1);
    EXPECT_EQ(instrument.Answer(read.data(), 8).size(), 7u);
}

// The same instrument on a pseudo-terminal, driven by a plain serial port as a master would.
struct LineTest : ::testing::Test
{
    sim::Config config;
    std::unique_ptr<sim::Simulator> instrument;
    SerialPort port;

    void Start()
    {
        instrument = std::make_unique<sim::Simulator>(config);
        ASSERT_TRUE(instrument->Start()) << instrument->Error();
        port.SetDevicePath(instrument->DevicePath());
        port.SetReadTimeout(300);
        ASSERT_EQ(port.Open(), 1);
    }

    Bytes Transact(const Bytes& request, int replyLength)
    {
        EXPECT_EQ(port.Write(static_cast<int>(request.size()), request.data()), ResultOk);
        Bytes reply(static_cast<std::size_t>(replyLength));
        port.Read(replyLength, reply.data());
        reply.resize(static_cast<std::size_t>(port.LastReadCount()));
        return reply;
    }
};

TEST_F(LineTest, AnswersOverThePseudoTerminalAndRecordsEveryFrame)
{
    Start();
    EXPECT_EQ(Transact(Hex("FF 03 30 10 00 0C 5E D4"), 29).size(), 29u);
    EXPECT_EQ(Transact(Hex("FF 10 30 11 00 01 02 05 00 DE 26"), 8), Hex("FF 10 30 11 00 01 4B 12"));
    EXPECT_TRUE(Transact(Read(0x3F, 0x3000, 10), 25).empty());
    const auto requests = instrument->Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[1], Hex("FF 10 30 11 00 01 02 05 00 DE 26"));
    EXPECT_EQ(requests[2][0], 0x3F);
    instrument->ClearRequests();
    EXPECT_TRUE(instrument->Requests().empty());
}

TEST_F(LineTest, FindsTheNextFrameAfterNoiseAndSplitFrames)
{
    Start();
    // Noise, a pause longer than 3.5 characters, then a good frame.
    const Bytes noise = Hex("00 17 42");
    ASSERT_EQ(port.Write(3, noise.data()), ResultOk);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(Transact(Read(0xFF, 0x3011, 1), 7), WithCrc(Hex("FF 03 02 01 00")));

    // A request cut short by silence is dropped; the next one is answered.
    const Bytes half = Hex("FF 10 30 11 00 01 02");
    ASSERT_EQ(port.Write(7, half.data()), ResultOk);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(Transact(Read(0xFF, 0x3011, 1), 7), WithCrc(Hex("FF 03 02 01 00")));
    EXPECT_EQ(instrument->Parameter(0x3011), 1);

    // Two requests back to back are both answered, in order.
    Bytes both = Read(0xFF, 0x3011, 1);
    const Bytes second = Read(0xFF, 0x3013, 1);
    both.insert(both.end(), second.begin(), second.end());
    Bytes replies = Transact(both, 14);
    EXPECT_EQ(replies.size(), 14u);
}

TEST_F(LineTest, DelayAndWireTimingHoldTheReplyBack)
{
    config.wireTiming = true;
    config.turnaround = 30ms;
    Start();
    // 8 request and 29 reply characters at 191 us each, plus the turnaround.
    const auto start = Clock::now();
    EXPECT_EQ(Transact(Hex("FF 03 30 10 00 0C 5E D4"), 29).size(), 29u);
    EXPECT_GE(Clock::now() - start, 30ms + 37 * sim::kCharTime);

    sim::Faults f;
    f.delay = 120ms;
    instrument->SetFaults(f);
    const auto again = Clock::now();
    EXPECT_EQ(Transact(Hex("FF 03 30 10 00 0C 5E D4"), 29).size(), 29u);
    EXPECT_GE(Clock::now() - again, 120ms);
}

TEST(SimulatorLifecycle, StartsAndStopsCleanlyAndRefusesToClobberFiles)
{
    sim::Simulator instrument;
    ASSERT_TRUE(instrument.Start());
    EXPECT_TRUE(instrument.Start()); // already running: nothing changes
    const std::string path = instrument.DevicePath();
    EXPECT_EQ(path.rfind("/dev/pts/", 0), 0u);
    instrument.Stop();
    EXPECT_FALSE(instrument.Running());
    instrument.Stop(); // twice is harmless

    sim::Config c;
    c.linkPath = "/dev/null";
    sim::Simulator clobber(c);
    EXPECT_FALSE(clobber.Start());
    EXPECT_NE(clobber.Error().find("/dev/null"), std::string::npos);

    // A link that leads to a live simulator is not taken over; a dead one's is.
    c.linkPath = ::testing::TempDir() + "meshgate2-sim-link-" + std::to_string(::getpid());
    sim::Simulator first(c);
    ASSERT_TRUE(first.Start()) << first.Error();
    sim::Simulator second(c);
    EXPECT_FALSE(second.Start());
    EXPECT_EQ(std::filesystem::read_symlink(c.linkPath), first.DevicePath());
    ::unlink(c.linkPath.c_str());
    ::symlink("/dev/pts/no-such-pty", c.linkPath.c_str());
    EXPECT_TRUE(second.Start()) << second.Error();
    EXPECT_EQ(std::filesystem::read_symlink(c.linkPath), second.DevicePath());
}

TEST_F(LineTest, RequestLogHoldsOnlyTheLatestFrames)
{
    Start();
    ModbusMaster master;
    master.SetDevicePath(instrument->DevicePath());
    port.SetDevicePath("/dev/no-such-port"); // let the master have the line
    port.Open();
    ASSERT_EQ(master.Open(), 1);
    std::uint8_t data[2];
    for (std::size_t i = 0; i < sim::Simulator::kRequestLogSize + 10; ++i)
        ASSERT_EQ(master.ReadHoldingRegisters(0xFF, 1, 0x3011, data), ResultOk);
    EXPECT_EQ(instrument->Requests().size(), sim::Simulator::kRequestLogSize);
}

} // namespace
