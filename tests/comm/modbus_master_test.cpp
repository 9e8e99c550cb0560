#include "modbus_master.h"
#include "pty_peer.h"
#include "simulator.h"

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
    exception.exceptionReply = true; // 5 bytes: shorter than awaited, so it ends as a short read
    silent.silent = true;
    ShortTimeout();
    for (const Case& c : {Case{"bad CRC", badCrc, ResultBadCrc}, Case{"wrong slave", wrongSlave, ResultWrongSlave},
                          Case{"short reply", shortReply, ResultIncomplete},
                          Case{"exception", exception, ResultIncomplete}, Case{"silent", silent, ResultIncomplete}}) {
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
    EXPECT_EQ(master.ReadHoldingRegisters(0xFF, 125, 0x3000, data), ResultIncomplete);
    EXPECT_EQ(master.WriteMultipleRegisters(0xFF, 123, 0x3000, data), ResultIncomplete);
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

// A scripted peer shows what the simulator never sends: replies the master must take as they are.
TEST(MasterScripted, AcceptsAnyFunctionCodeAndByteCountInAnIntactReply)
{
    PtyPeer peer;
    ASSERT_TRUE(peer.Ok());
    ModbusMaster master;
    master.SetDevicePath(peer.DevicePath());
    master.SetReadTimeout(500);
    ASSERT_EQ(master.Open(), 1);
    std::thread instrument([&] {
        peer.Receive(8, 2000ms);
        Bytes reply = Hex("FF 04 07 34 12");
        const std::uint16_t crc = ModbusMaster::Crc16(5, reply.data());
        reply.push_back(static_cast<std::uint8_t>(crc & 0xFF));
        reply.push_back(static_cast<std::uint8_t>(crc >> 8));
        peer.Send(reply);
    });
    std::uint16_t value = 0;
    EXPECT_EQ(master.ReadHoldingRegisters(0xFF, 1, 0x3011, reinterpret_cast<std::uint8_t*>(&value)), ResultOk);
    instrument.join();
    const std::uint8_t* bytes = reinterpret_cast<const std::uint8_t*>(&value);
    EXPECT_EQ(bytes[0], 0x34); // data bytes travel unswapped
    EXPECT_EQ(bytes[1], 0x12);
}

TEST(MasterScripted, SwappedCrcBytesAreABadCrc)
{
    PtyPeer peer;
    ASSERT_TRUE(peer.Ok());
    ModbusMaster master;
    master.SetDevicePath(peer.DevicePath());
    master.SetReadTimeout(500);
    ASSERT_EQ(master.Open(), 1);
    std::thread instrument([&] {
        for (int attempt = 0; attempt < 3; ++attempt) {
            peer.Receive(8, 2000ms);
            peer.Send(Hex("FF 03 02 05 00 C0 92")); // the right CRC is 92 C0
        }
    });
    std::uint8_t data[2];
    EXPECT_EQ(master.ReadHoldingRegisters(0xFF, 1, 0x3011, data), ResultBadCrc);
    instrument.join();
}

} // namespace
