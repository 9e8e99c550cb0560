#include "comm/serial_port.h"
#include "comm/termios_line_posix.h"
#include "host/open_error.h"
#include "tests/support/pty_peer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A busy two-core machine may run us late, never early: lower bounds are tight, upper ones generous.
constexpr auto kSlack = 400ms;

struct SerialPortTest : ::testing::Test
{
    PtyPeer peer;
    SerialPort port;

    void SetUp() override
    {
        ASSERT_TRUE(peer.Ok());
        port.SetDevicePath(peer.DevicePath());
    }
};

std::chrono::milliseconds Since(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

TEST(SerialPortOpen, MissingDeviceFailsWithReasonAndClosesThePreviousPort)
{
    PtyPeer peer;
    SerialPort port;
    port.SetDevicePath(peer.DevicePath());
    ASSERT_EQ(port.Open(), 1);
    EXPECT_EQ(port.LastOpenError(), 0);

    port.SetDevicePath("/dev/no-such-meshgate2-port");
    EXPECT_EQ(port.Open(), 0);
    EXPECT_EQ(port.LastOpenError(), ENOENT);
    EXPECT_FALSE(port.IsOpen());
    std::uint8_t byte = 0;
    EXPECT_EQ(port.Write(1, &byte), ResultNotOpen);
    EXPECT_EQ(port.Read(1, &byte), ResultNotOpen);
}

TEST(SerialPortOpen, OpeningAgainReopensTheSamePort)
{
    PtyPeer peer;
    SerialPort port;
    port.SetDevicePath(peer.DevicePath());
    EXPECT_EQ(port.Open(), 1);
    EXPECT_EQ(port.Open(), 1); // our own lock is released before the second open
    EXPECT_EQ(port.DeviceName(), peer.DevicePath());
}

TEST(SerialPortOpen, IsExclusiveWithinAndAcrossProcesses)
{
    PtyPeer peer;
    SerialPort first;
    first.SetDevicePath(peer.DevicePath());
    ASSERT_EQ(first.Open(), 1);

    SerialPort second;
    second.SetDevicePath(peer.DevicePath());
    EXPECT_EQ(second.Open(), 0);
    EXPECT_EQ(second.LastOpenError(), EBUSY);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SerialPort other;
        other.SetDevicePath(peer.DevicePath());
        _exit(other.Open() == 0 && other.LastOpenError() == EBUSY ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "another process opened the held port";

    // Once the holder lets go, the port is free again.
    first.SetDevicePath("/dev/no-such-meshgate2-port");
    first.Open();
    EXPECT_EQ(second.Open(), 1);
}

TEST(SerialPortOpen, AnotherProgramsExclusiveHoldIsRespectedAndLeftInPlace)
{
    // A terminal program that takes the port with TIOCEXCL only (no flock); root may open it regardless.
    PtyPeer peer;
    const int other = ::open(peer.DevicePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    ASSERT_EQ(ioctl(other, TIOCEXCL), 0);

    SerialPort port;
    port.SetDevicePath(peer.DevicePath());
    EXPECT_EQ(port.Open(), 0);
    EXPECT_EQ(port.LastOpenError(), EBUSY);
    int held = 0;
    ASSERT_EQ(ioctl(other, TIOCGEXCL, &held), 0);
    EXPECT_EQ(held, 1) << "the other program's exclusive hold was cleared";
    ::close(other);

    // The flag outlives the program that set it (a crash): with nobody holding the port, it is free.
    EXPECT_EQ(port.Open(), 1) << port.LastOpenError();
}

TEST(SerialPortOpen, RefusesSomethingThatIsNoTerminal)
{
    const auto file = std::filesystem::temp_directory_path() / ("meshgate2-not-a-tty-" + std::to_string(getpid()));
    std::ofstream(file) << "x";
    SerialPort port;
    port.SetDevicePath(file.string());
    EXPECT_EQ(port.Open(), 0);
    EXPECT_EQ(port.LastOpenError(), ENOTTY);
    std::filesystem::remove(file);
}

TEST(SerialPortOpen, ComNumbersOpenWhatThePortMapSays)
{
    SerialPort none;
    none.SetPortNumber(0);
    EXPECT_EQ(none.Open(), 0);
    EXPECT_EQ(none.LastOpenError(), ENOENT);

    PtyPeer peer;
    setenv("MESHGATE2_COM7", peer.DevicePath().c_str(), 1);
    SerialPort port;
    port.SetPortNumber(7);
    EXPECT_EQ(port.Open(), 1);
    EXPECT_EQ(port.DeviceName(), peer.DevicePath());
    unsetenv("MESHGATE2_COM7");
}

TEST(SerialPortLine, Raw57600EvenParityOneStopBitWithoutFlowControl)
{
    termios tio{};
    // Start from what a driver might report: canonical, echoing, flow-controlled, odd parity.
    tio.c_iflag = ICRNL | IXON | IXOFF | IGNPAR | PARMRK | ISTRIP;
    tio.c_oflag = OPOST | ONLCR;
    tio.c_cflag = CS7 | PARODD | CSTOPB | CRTSCTS | HUPCL;
    tio.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 5;
    ASSERT_TRUE(MakeLineSettings(tio));
    EXPECT_EQ(cfgetospeed(&tio), B57600);
    EXPECT_EQ(cfgetispeed(&tio), B57600);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_TRUE(tio.c_cflag & PARENB);
    EXPECT_FALSE(tio.c_cflag & (PARODD | CSTOPB | CRTSCTS | HUPCL));
    EXPECT_TRUE(tio.c_cflag & CLOCAL);
    EXPECT_TRUE(tio.c_cflag & CREAD);
    EXPECT_TRUE(tio.c_iflag & INPCK); // parity errors stay in the frame, for the CRC to catch
    EXPECT_FALSE(tio.c_iflag & (IGNPAR | PARMRK | IXON | IXOFF | ISTRIP | ICRNL));
    EXPECT_FALSE(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN));
    EXPECT_FALSE(tio.c_oflag & OPOST);
    EXPECT_EQ(tio.c_cc[VMIN], 0);
    EXPECT_EQ(tio.c_cc[VTIME], 0);
}

TEST_F(SerialPortTest, OpenAppliesTheLineSettingsAndCloseGivesTheOldOnesBack)
{
    termios before{};
    ASSERT_EQ(tcgetattr(peer.MasterFd(), &before), 0);
    ASSERT_TRUE(before.c_lflag & ICANON) << "a new pseudo-terminal is a cooked terminal";
    ASSERT_EQ(port.Open(), 1);
    // A pseudo-terminal's master side reports its slave's settings. It has no parity (the kernel
    // clears PARENB on a pty), so check what such a line keeps.
    termios tio{};
    ASSERT_EQ(tcgetattr(peer.MasterFd(), &tio), 0);
    EXPECT_EQ(cfgetospeed(&tio), B57600);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(tio.c_lflag & (ICANON | ECHO));
    EXPECT_FALSE(tio.c_iflag & (IXON | ICRNL));
    EXPECT_EQ(tio.c_cc[VMIN], 0);

    port.SetDevicePath("/dev/no-such-meshgate2-port");
    port.Open(); // closes the port first
    termios after{};
    ASSERT_EQ(tcgetattr(peer.MasterFd(), &after), 0);
    EXPECT_EQ(cfgetospeed(&after), cfgetospeed(&before));
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_cc[VMIN], before.c_cc[VMIN]);
}

TEST(SerialPortOpen, RefusesTheTerminalTheProgramRunsIn)
{
    PtyPeer own;
    PtyPeer other;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A session of its own whose controlling terminal is `own`, as a shell's would be.
        const int tty = setsid() < 0 ? -1 : ::open(own.DevicePath().c_str(), O_RDWR | O_CLOEXEC);
        if (tty < 0 || ioctl(tty, TIOCSCTTY, 0) != 0)
            _exit(2);
        int refused = 0;
        for (const std::string& path : {own.DevicePath(), std::string("/dev/tty")}) {
            SerialPort port;
            port.SetDevicePath(path);
            refused += port.Open() == 0 && port.LastOpenError() == kOpenErrorOwnTerminal;
        }
        SerialPort port;
        port.SetDevicePath(other.DevicePath());
        _exit(refused == 2 && port.Open() == 1 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "2: no session of its own with a controlling terminal";
    EXPECT_NE(ExplainOpenFailure("", "/dev/tty", kOpenErrorOwnTerminal).find("the terminal the program runs in"),
              std::string::npos);
}

TEST_F(SerialPortTest, WriteRejectsNullAndSendsExactlyTheBytes)
{
    const Bytes request = Hex("FF 03 30 00 00 0A DF 13");
    EXPECT_EQ(port.Write(8, request.data()), ResultNotOpen);
    ASSERT_EQ(port.Open(), 1);
    EXPECT_EQ(port.Write(8, nullptr), ResultNotOpen);
    EXPECT_EQ(port.Write(8, request.data()), ResultOk);
    EXPECT_EQ(peer.Receive(request.size(), 500ms), request);
}

TEST_F(SerialPortTest, SilentLineEndsOnTheTotalTimeOut)
{
    port.SetReadTimeout(100);
    ASSERT_EQ(port.Open(), 1);
    port.SetReadTimeout(5000); // applies from the next Open on
    std::uint8_t buffer[25];
    const auto start = Clock::now();
    EXPECT_EQ(port.Read(25, buffer), ResultIncomplete);
    const auto took = Since(start);
    EXPECT_GE(took, 125ms); // constant + 1 ms per byte
    EXPECT_LT(took, 125ms + kSlack);
    EXPECT_EQ(port.LastReadCount(), 0);
}

TEST_F(SerialPortTest, ShortReplyEndsOnTheGapAndKeepsWhatCame)
{
    port.SetReadTimeout(2000);
    ASSERT_EQ(port.Open(), 1);
    Bytes partial(20);
    for (std::size_t i = 0; i < partial.size(); ++i)
        partial[i] = static_cast<std::uint8_t>(0xA0 + i);
    peer.Send(partial);
    std::uint8_t buffer[25] = {};
    const auto start = Clock::now();
    EXPECT_EQ(port.Read(25, buffer), ResultIncomplete);
    const auto took = Since(start);
    EXPECT_GE(took, 50ms);
    EXPECT_LT(took, 50ms + kSlack); // long before the 2 s total
    EXPECT_EQ(port.LastReadCount(), 20);
    EXPECT_EQ(Bytes(buffer, buffer + 20), partial);
    EXPECT_EQ(buffer[20], 0);
}

TEST_F(SerialPortTest, ReadCollectsPiecesAndReturnsWithTheLastByte)
{
    port.SetReadTimeout(3000);
    ASSERT_EQ(port.Open(), 1);
    const Bytes first(10, 0x11), second(15, 0x22);
    std::thread sender([&] {
        peer.Send(first);
        std::this_thread::sleep_for(20ms); // well inside the 50 ms gap
        peer.Send(second);
    });
    std::uint8_t buffer[25] = {};
    const auto start = Clock::now();
    EXPECT_EQ(port.Read(25, buffer), ResultOk);
    const auto took = Since(start);
    sender.join();
    EXPECT_EQ(port.LastReadCount(), 25);
    EXPECT_EQ(buffer[9], 0x11);
    EXPECT_EQ(buffer[10], 0x22);
    EXPECT_LT(took, 1000ms); // no wait for either time-out once complete
}

TEST_F(SerialPortTest, StaleBytesBeforeAWriteAreNeverRead)
{
    port.SetReadTimeout(300);
    ASSERT_EQ(port.Open(), 1);
    peer.Send(Hex("DE AD BE EF 01 02 03")); // a late answer to something earlier
    std::this_thread::sleep_for(20ms);
    const Bytes request = Hex("FF 03 30 00 00 01 9E D4");
    ASSERT_EQ(port.Write(8, request.data()), ResultOk);
    ASSERT_EQ(peer.Receive(8, 500ms), request);
    peer.Send(Hex("FF 03 02 05 00 92 C0"));
    std::uint8_t reply[7] = {};
    EXPECT_EQ(port.Read(7, reply), ResultOk);
    EXPECT_EQ(Bytes(reply, reply + 7), Hex("FF 03 02 05 00 92 C0"));
}

TEST_F(SerialPortTest, SignalsDuringAReadNeitherEndNorSpoilIt)
{
    struct sigaction action
    {};
    action.sa_handler = [](int) {};
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: every wait is interrupted with EINTR
    struct sigaction previous
    {};
    ASSERT_EQ(sigaction(SIGUSR1, &action, &previous), 0);

    port.SetReadTimeout(150);
    ASSERT_EQ(port.Open(), 1);
    const pthread_t reader = pthread_self();
    std::atomic<bool> reading{true};
    std::thread interrupter([&] {
        while (reading) {
            pthread_kill(reader, SIGUSR1);
            std::this_thread::sleep_for(5ms);
        }
    });
    std::uint8_t buffer[7] = {};
    const auto start = Clock::now();
    EXPECT_EQ(port.Read(7, buffer), ResultIncomplete);
    EXPECT_GE(Since(start), 157ms);

    std::thread sender([&] {
        std::this_thread::sleep_for(60ms);
        peer.Send(Hex("FF 03 02 05 00 92 C0"));
    });
    EXPECT_EQ(port.Read(7, buffer), ResultOk);
    EXPECT_EQ(buffer[6], 0xC0);
    sender.join();
    reading = false;
    interrupter.join();
    sigaction(SIGUSR1, &previous, nullptr);
}

TEST_F(SerialPortTest, IdleHookRunsWhileAReadWaits)
{
    port.SetReadTimeout(300);
    ASSERT_EQ(port.Open(), 1);
    int calls = 0;
    port.SetIdleHook([](void* context) { ++*static_cast<int*>(context); }, &calls);
    std::uint8_t buffer[8];
    EXPECT_EQ(port.Read(8, buffer), ResultIncomplete);
    EXPECT_GE(calls, 4); // about every 25 ms over 308 ms, even when the machine is slow
}

TEST_F(SerialPortTest, VanishedDeviceEndsTheReadInsteadOfWaiting)
{
    port.SetReadTimeout(3000);
    ASSERT_EQ(port.Open(), 1);
    std::thread unplug([&] {
        std::this_thread::sleep_for(50ms);
        peer.CloseMaster();
    });
    std::uint8_t buffer[8];
    const auto start = Clock::now();
    EXPECT_EQ(port.Read(8, buffer), ResultIncomplete);
    unplug.join();
    EXPECT_LT(Since(start), 1500ms);
}

} // namespace
