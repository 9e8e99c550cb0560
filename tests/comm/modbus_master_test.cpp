#include "comm/modbus_master.h"
#include "sim/simulator.h"
#include "tests/support/pty_peer.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace std::chrono_literals;

// Replies that should come get time to spare on a loaded machine; attempts that must fail wait briefly.
constexpr std::uint32_t kTimeoutMs = 250;
constexpr std::uint32_t kShortTimeoutMs = 60;

struct MasterTest : ::testing::Test
{
    sim::Simulator instrument;
    ModbusMaster master;

    void SetUp() override
    {
        ASSERT_TRUE(instrument.Start()) << instrument.Error();
        master.SetDevicePath(instrument.DevicePath());
        master.SetReadTimeout(kTimeoutMs);
        ASSERT_EQ(master.Open(), 1);
    }

    void ShortTimeout()
    {
        master.SetReadTimeout(kShortTimeoutMs);
        ASSERT_EQ(master.Open(), 1);
    }

    void Fault(sim::Faults faults)
    {
        instrument.SetFaults(faults);
        instrument.ClearRequests();
    }

    int ReadProbe()
    {
        std::uint8_t data[20] = {};
        return master.ReadHoldingRegisters(0xFF, 10, 0x3000, data);
    }
};

TEST(Crc16, MatchesTheModbusReferenceFrames)
{
    const Bytes a = Hex("01 03 00 00 00 0A");
    EXPECT_EQ(ModbusMaster::Crc16(6, a.data()), 0xCDC5); // sent as C5 CD
    const Bytes b = Hex("FF 03 30 00 00 0A");
    EXPECT_EQ(ModbusMaster::Crc16(6, b.data()), 0x13DF);
    const std::uint8_t check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(ModbusMaster::Crc16(9, check), 0x4B37); // the catalogued check value of CRC-16/MODBUS
    EXPECT_EQ(ModbusMaster::Crc16(0, nullptr), 0xFFFF);
}

TEST_F(MasterTest, ReadSendsTheExactFrameAndCopiesTheRegisterData)
{
    std::uint8_t data[20] = {};
    ASSERT_EQ(master.ReadHoldingRegisters(0xFF, 10, 0x3000, data), ResultOk);
    ASSERT_EQ(instrument.Requests().size(), 1u);
    EXPECT_EQ(instrument.Requests()[0], Hex("FF 03 30 00 00 0A DF 13"));
    EXPECT_EQ(Bytes(data, data + 20), instrument.Block(0x3000));
    EXPECT_EQ(master.LastReadCount(), 25);
}

TEST_F(MasterTest, WriteSendsElevenBytesForOneRegisterAndAwaitsEight)
{
    const std::uint8_t value[2] = {0x05, 0x00};
    ASSERT_EQ(master.WriteMultipleRegisters(0xFF, 1, 0x3011, value), ResultOk);
    ASSERT_EQ(instrument.Requests().size(), 1u);
    EXPECT_EQ(instrument.Requests()[0], Hex("FF 10 30 11 00 01 02 05 00 DE 26"));
    EXPECT_EQ(master.LastReadCount(), 8);
    EXPECT_EQ(instrument.Parameter(0x3011), 5);
}

TEST_F(MasterTest, BadRepliesAreRetriedAndTheLastCodeReturned)
{
    struct Case
    {
        const char* name;
        sim::Faults faults;
        int expected;
    };
    sim::Faults badCrc, wrongSlave, shortReply, exception, silent;
    badCrc.badCrc = true;
    wrongSlave.wrongSlave = true;
    shortReply.shortReply = true;
    exception.exceptionReply = true;
    silent.silent = true;
    ShortTimeout();
    for (const Case& c : {Case{"bad CRC", badCrc, ResultBadCrc}, Case{"wrong slave", wrongSlave, ResultWrongSlave},
                          Case{"short reply", shortReply, ResultIncomplete},
                          Case{"exception", exception, ResultException}, Case{"silent", silent, ResultIncomplete}}) {
        Fault(c.faults);
        EXPECT_EQ(ReadProbe(), c.expected) << c.name;
        const auto requests = instrument.Requests();
        EXPECT_EQ(requests.size(), 3u) << c.name;
        for (const auto& r : requests)
            EXPECT_EQ(r, Hex("FF 03 30 00 00 0A DF 13")) << c.name << ": the request must not change between attempts";
    }
}

TEST_F(MasterTest, SecondAttemptSucceedsAfterAMissedReply)
{
    sim::Faults faults;
    faults.failFirst = 1;
    Fault(faults);
    EXPECT_EQ(ReadProbe(), ResultOk);
    EXPECT_EQ(instrument.Requests().size(), 2u);

    faults.failFirst = 3;
    Fault(faults);
    EXPECT_EQ(ReadProbe(), ResultIncomplete);
    EXPECT_EQ(instrument.Requests().size(), 3u);
}

TEST_F(MasterTest, TryCountZeroNullBuffersAndClosedPortSendNothing)
{
    std::uint8_t data[20];
    master.SetTryCount(0);
    EXPECT_EQ(master.ReadHoldingRegisters(0xFF, 10, 0x3000, data), ResultNotOpen);
    EXPECT_EQ(master.WriteMultipleRegisters(0xFF, 1, 0x3011, data), ResultNotOpen);
    master.SetTryCount(3);
    EXPECT_EQ(master.ReadHoldingRegisters(0xFF, 10, 0x3000, nullptr), ResultNotOpen);
    EXPECT_EQ(master.WriteMultipleRegisters(0xFF, 1, 0x3011, nullptr), ResultNotOpen);
    std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(instrument.Requests().empty());

    ModbusMaster closed;
    EXPECT_EQ(closed.ReadHoldingRegisters(0xFF, 10, 0x3000, data), ResultNotOpen);
}

TEST_F(MasterTest, CountsBeyondTheFrameBuffersAreRejectedUnsent)
{
    std::uint8_t data[2 * 130] = {};
    EXPECT_EQ(master.ReadHoldingRegisters(0xFF, 126, 0x3000, data), ResultTooLong);
    EXPECT_EQ(master.ReadHoldingRegisters(0xFF, 0xFFFF, 0x3000, data), ResultTooLong);
    EXPECT_EQ(master.WriteMultipleRegisters(0xFF, 124, 0x3000, data), ResultTooLong);
    std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(instrument.Requests().empty());

    // The largest counts that fit still go out (the instrument refuses them, which is its business).
    EXPECT_EQ(master.ReadHoldingRegisters(0xFF, 125, 0x3000, data), ResultException);
    EXPECT_EQ(master.WriteMultipleRegisters(0xFF, 123, 0x3000, data), ResultException);
    const auto requests = instrument.Requests();
    ASSERT_EQ(requests.size(), 6u);
    EXPECT_EQ(requests[3].size(), 9u + 246u);
    EXPECT_EQ(requests[3][6], 246);
}

TEST_F(MasterTest, FrameObserverSeesEveryAttempt)
{
    struct Seen
    {
        FrameEvent::Direction direction;
        Bytes bytes;
        int result;
    };
    std::vector<Seen> seen;
    master.SetFrameObserver(
        [](void* context, const FrameEvent& e) {
            static_cast<std::vector<Seen>*>(context)->push_back(
                {e.direction, Bytes(e.bytes, e.bytes + e.length), e.result});
        },
        &seen);
    sim::Faults faults;
    faults.failFirst = 1;
    Fault(faults);
    ASSERT_EQ(ReadProbe(), ResultOk);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].direction, FrameEvent::Direction::Sent);
    EXPECT_EQ(seen[0].bytes, Hex("FF 03 30 00 00 0A DF 13"));
    EXPECT_EQ(seen[1].direction, FrameEvent::Direction::Received);
    EXPECT_TRUE(seen[1].bytes.empty());
    EXPECT_EQ(seen[1].result, ResultIncomplete);
    EXPECT_EQ(seen[3].bytes.size(), 25u);
    EXPECT_EQ(seen[3].result, ResultOk);
}

// A scripted peer shows what the simulator never sends; it answers each request with the next reply given.
struct ScriptedMaster : ::testing::Test
{
    PtyPeer peer;
    ModbusMaster master;

    void SetUp() override
    {
        ASSERT_TRUE(peer.Ok());
        master.SetDevicePath(peer.DevicePath());
        master.SetReadTimeout(kTimeoutMs);
        ASSERT_EQ(master.Open(), 1);
    }

    // Replies (CRC appended) to the next requests of `requestLength` bytes, one each, on a thread of its own.
    std::thread Answer(std::vector<Bytes> replies, bool appendCrc = true, std::size_t requestLength = 8)
    {
        return std::thread([this, replies, appendCrc, requestLength]() mutable {
            for (Bytes& reply : replies) {
                peer.Receive(requestLength, 2000ms);
                if (appendCrc) {
                    const std::uint16_t crc =
                        ModbusMaster::Crc16(static_cast<std::uint16_t>(reply.size()), reply.data());
                    reply.push_back(static_cast<std::uint8_t>(crc & 0xFF));
                    reply.push_back(static_cast<std::uint8_t>(crc >> 8));
                }
                peer.Send(reply);
            }
        });
    }
};

TEST_F(ScriptedMaster, RegisterDataTravelsUnswapped)
{
    std::thread instrument = Answer({Hex("FF 03 02 34 12")});
    std::uint8_t bytes[2] = {};
    EXPECT_EQ(master.ReadHoldingRegisters(0xFF, 1, 0x3011, bytes), ResultOk);
    instrument.join();
    EXPECT_EQ(bytes[0], 0x34);
    EXPECT_EQ(bytes[1], 0x12);
}

// An intact frame that answers another request (a late reply, another function) would put a wrong value
// in its place: it is refused and the request tried again.
TEST_F(ScriptedMaster, RepliesToAnotherRequestAreRefused)
{
    struct Case
    {
        const char* name;
        bool write;
        Bytes reply;
    };
    for (const Case& c : {Case{"another function", false, Hex("FF 04 02 34 12")},
                          Case{"another byte count", false, Hex("FF 03 04 34 12")},
                          Case{"another register echoed", true, Hex("FF 10 30 13 00 01")},
                          Case{"another count echoed", true, Hex("FF 10 30 11 00 02")}}) {
        std::thread instrument = Answer({c.reply, c.reply, c.reply}, true, c.write ? 11 : 8);
        std::uint8_t bytes[4] = {5, 0};
        const int result = c.write ? master.WriteMultipleRegisters(0xFF, 1, 0x3011, bytes)
                                   : master.ReadHoldingRegisters(0xFF, 1, 0x3011, bytes);
        instrument.join();
        EXPECT_EQ(result, ResultWrongReply) << c.name;
    }
}

TEST_F(ScriptedMaster, SwappedCrcBytesAreABadCrc)
{
    const Bytes swapped = Hex("FF 03 02 05 00 C0 92"); // the right CRC is 92 C0
    std::thread instrument = Answer({swapped, swapped, swapped}, false);
    std::uint8_t data[2];
    EXPECT_EQ(master.ReadHoldingRegisters(0xFF, 1, 0x3011, data), ResultBadCrc);
    instrument.join();
}

} // namespace
