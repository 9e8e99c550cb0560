// The command line against a real serial device server: ser2net bridging the simulator's pseudo-terminal.
#include "cli/exit_code.h"
#include "cli_fixture.h"
#include "comm/tcp_socket.h"
#include "tests/support/loopback_listener.h"
#include "tests/support/ser2net.h"

#include <arpa/inet.h>
#include <atomic>
#include <fcntl.h>
#include <filesystem>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace cli;
namespace fs = std::filesystem;

namespace {

using namespace std::chrono_literals;

// A device server that accepts each connection and drops it 0.3 s later without a word.
class DroppingServer
{
public:
    DroppingServer()
    {
        int port = 0;
        listener = ListenOnLoopback(port);
        name = "tcp://127.0.0.1:" + std::to_string(port);
        thread = std::thread([this] {
            while (!stop) {
                pollfd pfd{listener, POLLIN, 0};
                if (::poll(&pfd, 1, 20) <= 0)
                    continue;
                const int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
                std::this_thread::sleep_for(300ms);
                ::close(client);
            }
        });
    }
    ~DroppingServer()
    {
        stop = true;
        thread.join();
        ::close(listener);
    }
    std::string name;

private:
    int listener = -1;
    std::atomic<bool> stop{false};
    std::thread thread;
};

class CliNetworkTest : public CliTest
{
protected:
    void StartServer(const sim::Config& config, const Ser2net::Options& options = {})
    {
        StartSimulator(config);
        ASSERT_TRUE(server.Start(simulator->DevicePath(), options)) << server.Error();
    }
    Run On(const std::string& device, std::initializer_list<std::string> arguments)
    {
        std::vector<std::string> all{"--device", device};
        all.insert(all.end(), arguments);
        std::ostringstream out;
        std::ostringstream err;
        const int code = RunCommandLine(all, out, err);
        return Run{code, out.str(), err.str()};
    }

    Ser2net server;
};

TEST_F(CliNetworkTest, SearchReadApplyBackupAndRestoreThroughBothKindsOfLine)
{
    const fs::path file = fs::temp_directory_path() / ("meshgate2-net-" + std::to_string(::getpid()) + ".json");
    sim::Config config = Card(8); // Modbus-TCP: the IP block's mask bytes are 0xFF, doubled on an RFC 2217 line
    StartServer(config);
    for (const std::string& device : {server.RawName(), server.Rfc2217Name()}) {
        SCOPED_TRACE(device);
        const Run search = On(device, {"--json", "--trace", "search"});
        ASSERT_EQ(search.code, kExitSuccess) << search.err;
        EXPECT_NE(search.err.find("line " + device + (device[0] == 't' ? " (raw TCP" : " (RFC 2217")),
                  std::string::npos);
        EXPECT_EQ(search.Json()["slaveAddress"], 255);

        const Run read = On(device, {"--json", "read"});
        ASSERT_EQ(read.code, kExitSuccess) << read.err;
        EXPECT_NE(read.out.find("255.255.255.0"), std::string::npos) << read.out;

        const Run apply = On(device, {"--json", "apply", "--mask", "255.255.0.0", "--gateway", "192.168.255.1"});
        ASSERT_EQ(apply.code, kExitSuccess) << apply.err;
        EXPECT_EQ(apply.Json()["verified"], true);
        const std::array<std::uint8_t, 12> applied{10, 1, 168, 192, 0, 0, 255, 255, 1, 255, 168, 192};
        EXPECT_EQ(simulator->IpBlock(), applied);

        ASSERT_EQ(On(device, {"backup", file.string()}).code, kExitSuccess);
        simulator->SetIpBlock({});
        const Run restore = On(device, {"restore", file.string()});
        ASSERT_EQ(restore.code, kExitSuccess) << restore.err;
        EXPECT_EQ(simulator->IpBlock(), applied);
        simulator->SetIpBlock({10, 1, 168, 192, 0, 255, 255, 255, 1, 1, 168, 192});
        // ser2net closes the device a moment after the client went; until then the other port is busy.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    fs::remove(file);
}

// A device server that repeats a reply: through both kinds of line the copy never passes for the answer to
// the next read (a DeviceNet card's settings have replies of one shape), and nothing is written with a value
// the instrument does not hold. Position 0 repeats every reply.
TEST_F(CliNetworkTest, ARepeatedReplyNeverPassesForTheNextOne)
{
    sim::Config config = Card(2);
    config.nodeAddress = 3;
    config.baudCode = 2;
    config.exchangeChoice = 1;
    config.wireTiming = true;
    StartServer(config);
    for (const std::string& device : {server.RawName(), server.Rfc2217Name()}) {
        for (const int position : {0, 3, 4, 5, 6}) {
            for (const int delayUs : {1000, 50'000}) {
                const std::string what =
                    device + ", reply " + std::to_string(position) + " after " + std::to_string(delayUs) + " us";
                config.faults.repeatReply = position;
                config.faults.repeatEvery = position == 0;
                config.faults.repeatDelay = std::chrono::microseconds(delayUs);
                simulator->SetFaults(config.faults);
                simulator->SetParameter(0x3011, 3);
                const Run apply = On(device, {"apply", "--address", "9"});
                EXPECT_EQ(simulator->Parameter(0x3012), 2) << what << apply.out << apply.err;
                EXPECT_EQ(simulator->Parameter(0x3013), 1) << what << apply.out << apply.err;
                if (apply.code == kExitSuccess) {
                    EXPECT_EQ(simulator->Parameter(0x3011), 9) << what;
                }
            }
        }
    }
}

TEST_F(CliNetworkTest, Rfc2217SetsTheServersPortTo57600)
{
    StartServer(Card(5)); // ser2net opens the device at 9600
    const Run read = On(server.Rfc2217Name(), {"read"});
    ASSERT_EQ(read.code, kExitSuccess) << read.err;
    // A pseudo-terminal keeps the speed set on it (never the parity: the acknowledgements prove that one).
    const int fd = ::open(simulator->DevicePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios tio{};
    ASSERT_EQ(::tcgetattr(fd, &tio), 0);
    ::close(fd);
    EXPECT_EQ(::cfgetospeed(&tio), B57600);
}

TEST_F(CliNetworkTest, ServerStoppedDuringAnApplySaysWhatWasAndWasNotWritten)
{
    StartServer(Card(7));
    // The server goes the moment the first write reaches the instrument: that write lands, its reply is lost.
    struct Stopper
    {
        Ser2net* server;
        bool done = false;
    } stopper{&server};
    simulator->SetFrameLogger(
        [](void* context, bool received, const std::uint8_t* bytes, int length) {
            auto* s = static_cast<Stopper*>(context);
            if (received && length > 7 && bytes[1] == 0x10 && length == 9 + bytes[6] && !s->done) {
                s->done = true;
                s->server->Stop();
            }
        },
        &stopper);
    const Run run = On(server.RawName(), {"--json", "apply", "--mode", "dhcp", "--ip", "10.0.0.5"});
    simulator->SetFrameLogger(nullptr, nullptr);
    EXPECT_EQ(run.code, kExitCommunication) << run.out << run.err;
    const auto result = run.Json();
    EXPECT_EQ(result["written"], nlohmann::json::array());
    EXPECT_EQ(result["unknown"], nlohmann::json({"address mode"}));
    EXPECT_EQ(result["notWritten"], nlohmann::json({"IP block", "exchange table"}));
    // Nothing but the first write reached the instrument (the simulator's thread may still be stopping the
    // server when the command has given up: let it finish).
    simulator->Stop();
    EXPECT_EQ(simulator->Parameter(0x3015), 1);
    const std::array<std::uint8_t, 12> untouched{10, 1, 168, 192, 0, 255, 255, 255, 1, 1, 168, 192};
    EXPECT_EQ(simulator->IpBlock(), untouched);
}

// Each request connects again, so a server that drops every connection looked like a silent line.
TEST_F(CliNetworkTest, AServerThatDropsEveryConnectionIsNamedInTheTraceAndTheDiagnosis)
{
    DroppingServer dropping;
    const Run run = On(dropping.name, {"--trace", "--timeout", "1000", "--slave", "255", "search"});
    EXPECT_EQ(run.code, kExitNoDevice);
    EXPECT_NE(run.err.find("(nothing)  no reply: the device server closed the connection"), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("The device server closed the connection 3 times (of 3 attempts)"), std::string::npos)
        << run.err;
}

TEST_F(CliNetworkTest, ALineThatDoesNotOpenSaysWhyInOneSentence)
{
    StartServer(Card(5)); // without kickolduser: a second client is turned away

    struct Case
    {
        std::string device;
        std::uint16_t held; // a port another client holds while the command runs, or 0
        const char* says;
    };
    const Case cases[] = {
        {"tcp://127.0.0.1:" + std::to_string(Ser2net::FreePort()), 0, "nothing listens on that port"},
        {"rfc2217://no-such-host.invalid:4001", 0, "the host name does not resolve"},
        {"tcp://[::1:4001", 0, "this is no network address the program can use"},
        {server.RawName(), server.RawPort(),
         "the device server's port is held by another client (Port already in use)"},
        {server.Rfc2217Name(), server.Rfc2217Port(), "the device server's port is held by another client"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.device);
        TcpSocket holder;
        std::string detail;
        if (c.held != 0) {
            ASSERT_EQ(holder.Connect("127.0.0.1", c.held, std::chrono::seconds(5), detail), 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(100)); // ser2net opens the device for it
        }
        const Run run = On(c.device, {"search"});
        EXPECT_EQ(run.code, kExitPortUnavailable);
        EXPECT_NE(run.err.find(c.device + ": " + c.says), std::string::npos) << run.err;
        holder.Close();
        std::this_thread::sleep_for(std::chrono::milliseconds(300)); // and closes it
    }
}

} // namespace
