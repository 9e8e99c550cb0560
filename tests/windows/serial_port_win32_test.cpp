#include "comm/modbus_master.h"
#include "comm/serial_port.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Room for Wine and a busy machine on top of what the line needs.
constexpr auto kSlack = 1500ms;
// The station-address register of the simulated Profibus card: one register, a 7-byte reply.
constexpr std::uint16_t kRegister = 0x3011;
constexpr int kReplyBytes = 7;

std::chrono::milliseconds Since(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

// A read-holding-registers request for kRegister at slave 255.
int SendRequest(SerialPort& port)
{
    std::uint8_t request[8] = {255, 3, kRegister >> 8, kRegister & 0xFF, 0, 1, 0, 0};
    const std::uint16_t crc = ModbusMaster::Crc16(6, request);
    request[6] = static_cast<std::uint8_t>(crc & 0xFF);
    request[7] = static_cast<std::uint8_t>(crc >> 8);
    return port.Write(8, request);
}

SerialPort& Opened(SerialPort& port, const char* name, std::uint32_t readTimeout = 400)
{
    port.SetDevicePath(name);
    port.SetReadTimeout(readTimeout);
    EXPECT_EQ(port.Open(), 1) << name << ": error " << port.LastOpenError();
    return port;
}

TEST(WindowsSerialPort, OpensByNumberAndPastCom9AndTalksThoughRtsToggleIsRefused)
{
    // Wine refuses RTS toggling on its ports: the port opens all the same and a transaction goes through.
    for (const char* name : {"COM1", "COM12"}) {
        ModbusMaster master;
        Opened(master, name);
        std::uint8_t value[2] = {};
        EXPECT_EQ(master.ReadHoldingRegisters(255, 1, kRegister, value), ResultOk) << name;
    }
    ModbusMaster byNumber;
    byNumber.SetPortNumber(1);
    ASSERT_EQ(byNumber.Open(), 1);
    EXPECT_EQ(byNumber.DeviceName(), "COM1");
}

TEST(WindowsSerialPort, ReplyThatComesAtOnceIsNeverThrownAway)
{
    // COM6 answers the moment a request is in, faster than any wire (a virtual port pair, a software
    // instrument): nothing received after the request began may be dropped. One attempt each, so a
    // lost reply fails instead of hiding behind a retry.
    ModbusMaster master;
    Opened(master, "COM6");
    master.SetTryCount(1);
    for (int i = 0; i < 10; ++i) {
        std::uint8_t value[2] = {};
        EXPECT_EQ(master.ReadHoldingRegisters(255, 1, kRegister, value), ResultOk) << "read " << i + 1;
    }
}

TEST(WindowsSerialPort, MissingPortFailsAndClosesThePreviousOne)
{
    SerialPort port;
    Opened(port, "COM1");
    port.SetDevicePath("COM77");
    EXPECT_EQ(port.Open(), 0);
    EXPECT_NE(port.LastOpenError(), 0);
    EXPECT_FALSE(port.IsOpen());
    std::uint8_t buffer[4];
    EXPECT_EQ(port.Read(4, buffer), ResultNotOpen);
}

TEST(WindowsSerialPort, SilentLineEndsOnTheTotalTimeOutWhileTheWindowRepaints)
{
    SerialPort port;
    Opened(port, "COM2");
    int idleCalls = 0;
    port.SetIdleHook([](void* calls) { ++*static_cast<int*>(calls); }, &idleCalls);
    ASSERT_EQ(SendRequest(port), ResultOk);
    std::uint8_t buffer[kReplyBytes];
    const auto start = Clock::now();
    EXPECT_EQ(port.Read(kReplyBytes, buffer), ResultIncomplete);
    const auto took = Since(start);
    EXPECT_GE(took, 400ms + std::chrono::milliseconds(kReplyBytes) - 10ms); // constant + 1 ms per byte
    EXPECT_LT(took, 400ms + kSlack);
    EXPECT_EQ(port.LastReadCount(), 0);
    EXPECT_GE(idleCalls, 5); // every 25 ms or so
}

TEST(WindowsSerialPort, ShortReplyEndsOnTheGapAndKeepsWhatCame)
{
    SerialPort port;
    Opened(port, "COM3", 5000);
    ASSERT_EQ(SendRequest(port), ResultOk);
    std::uint8_t buffer[kReplyBytes] = {};
    const auto start = Clock::now();
    EXPECT_EQ(port.Read(kReplyBytes, buffer), ResultIncomplete);
    EXPECT_LT(Since(start), 5000ms); // the 50 ms gap ended it, not the total time-out
    EXPECT_GT(port.LastReadCount(), 0);
    EXPECT_LT(port.LastReadCount(), kReplyBytes);
    EXPECT_EQ(buffer[0], 255);
}

TEST(WindowsSerialPort, LateReplyToAnEarlierRequestNeverReachesTheNextRead)
{
    SerialPort port;
    Opened(port, "COM4"); // replies 600 ms late
    std::uint8_t buffer[kReplyBytes];
    ASSERT_EQ(SendRequest(port), ResultOk);
    EXPECT_EQ(port.Read(kReplyBytes, buffer), ResultIncomplete);
    std::this_thread::sleep_for(600ms); // the late reply is now waiting in the driver
    ASSERT_EQ(SendRequest(port), ResultOk);
    EXPECT_EQ(port.Read(kReplyBytes, buffer), ResultIncomplete);
    EXPECT_EQ(port.LastReadCount(), 0);
}

} // namespace
