// The network line against a scripted device server of the test's own, for what a real one does only
// now and then: replies cut into single bytes, Telnet commands between data bytes, other line settings,
// line errors, a connection that breaks.
#include "comm/instrument_link.h"
#include "comm/modbus_master.h"
#include "comm/telnet.h"
#include "host/open_error.h"
#include "sim/simulator.h"
#include "tests/support/loopback_listener.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <cstring>
#include <mutex>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using namespace telnet;

struct Script
{
    bool telnet = false;                  // speak the COM port option
    bool answerOption = true;             // telnet: agree to the option (false: accept and say nothing at all)
    std::uint32_t baud = 57600;           // what the acknowledgements report
    std::uint8_t parity = 3;              // even
    std::chrono::milliseconds byteGap{0}; // a reply one byte at a time, this far apart
    bool commandsBetweenBytes = false;    // telnet: a NOP and a modem-state notice between data bytes
    bool replyTwice = false;              // the reply and a copy of it in one segment
    bool silent = false;                  // never answer a request
    std::uint8_t lineState = 0;           // telnet: report this line state instead of answering
    int dropFirst = 0;                    // close the connection on the first N requests
    const char* farewell = nullptr;       // send this on connecting, then close
    bool refuseOption = false;            // telnet: answer DONT to the COM port option
};

// A device server on 127.0.0.1: accepts one client at a time and answers as the simulated instrument.
class ScriptedServer final : Listener
{
public:
    explicit ScriptedServer(Script s) : script(s)
    {
        listener = ListenOnLoopback(port);
        thread = std::thread([this] { Serve(); });
    }
    ~ScriptedServer()
    {
        stop = true;
        thread.join();
        ::close(listener);
    }
    std::string Name() const
    {
        return std::string(script.telnet ? "rfc2217" : "tcp") + "://127.0.0.1:" + std::to_string(port);
    }
    int Connections() const { return connections; }
    void SetIpBlock(const std::array<std::uint8_t, 12>& bytes) { instrument.SetIpBlock(bytes); }

private:
    void Send(const std::vector<std::uint8_t>& bytes)
    {
        (void)!::send(client, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }

    void OnNegotiation(std::uint8_t verb, std::uint8_t option) override
    {
        if (verb == kWill && option == kComPort && script.answerOption)
            Send({kIac, script.refuseOption ? kDont : kDo, kComPort});
    }
    void OnSubnegotiation(std::uint8_t option, const std::uint8_t* value, int length) override
    {
        if (option != kComPort || length < 2 || value[0] > 5)
            return;
        std::vector<std::uint8_t> ack{kIac, kSb, kComPort, static_cast<std::uint8_t>(value[0] + 100)};
        if (value[0] == 1)
            for (int shift = 24; shift >= 0; shift -= 8)
                ack.push_back(static_cast<std::uint8_t>(script.baud >> shift));
        else
            ack.push_back(value[0] == 3 ? script.parity : value[1]);
        ack.insert(ack.end(), {kIac, kSe});
        Send(ack);
    }

    void Answer(const std::vector<std::uint8_t>& request)
    {
        if (requests++ < script.dropFirst) {
            ::close(client);
            client = -1;
            return;
        }
        if (script.lineState != 0) {
            Send({kIac, kSb, kComPort, 106, script.lineState, kIac, kSe});
            return;
        }
        if (script.silent)
            return;
        const std::vector<std::uint8_t> reply = instrument.Answer(request.data(), static_cast<int>(request.size()));
        std::vector<std::uint8_t> wire(2 * reply.size());
        wire.resize(static_cast<std::size_t>(
            script.telnet ? Escape(reply.data(), static_cast<int>(reply.size()), wire.data())
                          : (std::copy(reply.begin(), reply.end(), wire.begin()), static_cast<int>(reply.size()))));
        if (script.replyTwice) {
            std::vector<std::uint8_t> twice = wire;
            twice.insert(twice.end(), wire.begin(), wire.end());
            Send(twice);
        } else if (script.byteGap.count() == 0 && !script.commandsBetweenBytes) {
            Send(wire);
        }
        for (std::size_t i = 0; (script.byteGap.count() > 0 || script.commandsBetweenBytes) && i < wire.size(); ++i) {
            // An escaped 0xFF goes with its double: the pair is one data byte.
            std::vector<std::uint8_t> piece{wire[i]};
            if (wire[i] == kIac)
                piece.push_back(wire[++i]);
            if (script.commandsBetweenBytes)
                piece.insert(piece.end(), {kIac, 241 /* NOP */, kIac, kSb, kComPort, 107, 0x30, kIac, kSe});
            Send(piece);
            std::this_thread::sleep_for(script.byteGap);
        }
    }

    // Requests by their length: function 3 is eight bytes, function 16 nine plus its data.
    void Take(std::vector<std::uint8_t>& pending)
    {
        while (pending.size() >= 8) {
            const std::size_t need = pending[1] == 0x10 && pending.size() >= 7 ? 9u + pending[6] : 8u;
            if (pending.size() < need)
                return;
            Answer(std::vector<std::uint8_t>(pending.begin(), pending.begin() + static_cast<long>(need)));
            pending.erase(pending.begin(), pending.begin() + static_cast<long>(need));
            if (client < 0)
                return;
        }
    }

    void Serve()
    {
        std::vector<std::uint8_t> pending;
        while (!stop) {
            pollfd pfd{client >= 0 ? client : listener, POLLIN, 0};
            if (::poll(&pfd, 1, 20) <= 0)
                continue;
            if (client < 0) {
                client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
                // The gaps between bytes are the script's, not Nagle's waiting for our acknowledgement.
                const int on = 1;
                ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
                ++connections;
                parser.Reset();
                pending.clear();
                if (script.farewell != nullptr) {
                    Send(std::vector<std::uint8_t>(script.farewell, script.farewell + std::strlen(script.farewell)));
                    ::close(client);
                    client = -1;
                }
                continue;
            }
            std::uint8_t bytes[512];
            std::uint8_t data[512];
            const ssize_t n = ::recv(client, bytes, sizeof bytes, 0);
            if (n <= 0) {
                ::close(client);
                client = -1;
                continue;
            }
            const int count = script.telnet ? parser.Feed(bytes, static_cast<int>(n), data, *this)
                                            : (std::copy(bytes, bytes + n, data), static_cast<int>(n));
            pending.insert(pending.end(), data, data + count);
            Take(pending);
        }
        if (client >= 0)
            ::close(client);
    }

    Script script;
    sim::Simulator instrument{[] {
        sim::Config config;
        config.cardCode = 8; // its IP block holds 0xFF bytes
        return config;
    }()};
    Parser parser;
    int listener = -1;
    int client = -1;
    int port = 0;
    int requests = 0;
    std::atomic<int> connections{0};
    std::atomic<bool> stop{false};
    std::thread thread;
};

// A script with some of its defaults changed.
template <class Change> Script Scripted(Change change)
{
    Script s;
    change(s);
    return s;
}

constexpr std::uint16_t kIpBlock = 0x3014;
const std::array<std::uint8_t, 12> kIp{10, 1, 168, 192, 0, 255, 255, 255, 1, 1, 168, 192};

int ReadIpBlock(ModbusMaster& master, std::array<std::uint8_t, 12>& out)
{
    return master.ReadHoldingRegisters(0xFF, 6, kIpBlock, out.data());
}

TEST(NetworkLine, RepliesAreFramedExactlyAsOnASerialLine)
{
    struct Case
    {
        const char* what;
        Script script;
        int result;
    };
    const Script raw;
    const Script rfc = Scripted([](Script& s) { s.telnet = true; });
    const auto with = [](Script s, auto change) {
        change(s);
        return s;
    };
    const Case cases[] = {
        {"raw, whole", raw, ResultOk},
        {"RFC 2217, whole, 0xFF doubled", rfc, ResultOk},
        {"raw, a byte every 10 ms", with(raw, [](Script& s) { s.byteGap = 10ms; }), ResultOk},
        {"RFC 2217, a byte every 10 ms", with(rfc, [](Script& s) { s.byteGap = 10ms; }), ResultOk},
        {"RFC 2217, commands between the bytes", with(rfc, [](Script& s) { s.commandsBetweenBytes = true; }), ResultOk},
        {"raw, two replies in one segment", with(raw, [](Script& s) { s.replyTwice = true; }), ResultOk},
        {"RFC 2217, two replies in one segment", with(rfc, [](Script& s) { s.replyTwice = true; }), ResultOk},
        {"raw, a byte every 80 ms", with(raw, [](Script& s) { s.byteGap = 80ms; }), ResultIncomplete},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedServer server(c.script);
        ModbusMaster master;
        master.SetDevicePath(server.Name());
        master.SetReadTimeout(1000); // a reply that trickles in must have the time
        master.SetTryCount(1);
        ASSERT_EQ(master.Open(), 1) << master.LastOpenError() << " " << master.LastOpenDetail();
        std::array<std::uint8_t, 12> ip{};
        EXPECT_EQ(ReadIpBlock(master, ip), c.result);
        if (c.result == ResultOk) {
            EXPECT_EQ(ip, kIp);
        }
        // What came after the reply (a copy, or the rest of a slow one) is gone before the next request.
        std::array<std::uint8_t, 12> other{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
        server.SetIpBlock(other);
        std::this_thread::sleep_for(c.script.byteGap * 20); // the 17 bytes of the reply
        ip = {};
        EXPECT_EQ(ReadIpBlock(master, ip), c.result);
        if (c.result == ResultOk) {
            EXPECT_EQ(ip, other);
        }
    }
}

TEST(NetworkLine, FaultsOfTheServerFailCleanly)
{
    // What the attempts got, and what a failed search would say of it.
    struct Attempts
    {
        const char* what;
        Script script;
        int silent;
        int garbled;
        const char* diagnosis;
    };
    for (const Attempts& c : {
             Attempts{"a raw server that never answers", Scripted([](Script& s) { s.silent = true; }), 3, 0,
                      "Nothing answered"},
             // Through a device server, broken or slow replies point at the server and the network.
             Attempts{"a raw server whose replies trickle", Scripted([](Script& s) { s.byteGap = 60ms; }), 0, 3,
                      "Replies come broken or too late through the device server: set the server's serial port"},
             Attempts{"an RFC 2217 server whose replies trickle", Scripted([](Script& s) {
                          s.telnet = true;
                          s.byteGap = 60ms;
                      }),
                      0, 3, "Replies come broken or too late through the device server: check the network"},
             Attempts{"line errors reported", Scripted([](Script& s) {
                          s.telnet = true;
                          s.lineState = 0x04;
                      }),
                      0, 3, "The device server reports parity errors"},
         }) {
        SCOPED_TRACE(c.what);
        ScriptedServer server(c.script);
        ModbusMaster master;
        master.SetDevicePath(server.Name());
        master.SetReadTimeout(100);
        ASSERT_EQ(master.Open(), 1);
        std::array<std::uint8_t, 12> ip{};
        EXPECT_EQ(ReadIpBlock(master, ip), ResultIncomplete);
        EXPECT_EQ(master.LastAttempts().silent, c.silent);
        EXPECT_EQ(master.LastAttempts().garbled, c.garbled);
        EXPECT_EQ(DiagnoseSearch(master.LastAttempts(), true, {server.Name()}).find(c.diagnosis), 0u)
            << DiagnoseSearch(master.LastAttempts(), true, {server.Name()});
    }

    // A server gone after the line opened: the requests cannot be sent, and the search says so.
    {
        ModbusMaster master;
        {
            ScriptedServer server({});
            master.SetDevicePath(server.Name());
            ASSERT_EQ(master.Open(), 1);
        }
        std::array<std::uint8_t, 12> ip{};
        EXPECT_EQ(ReadIpBlock(master, ip), ResultIncomplete);
        EXPECT_EQ(master.LastAttempts().unsent, 3);
        EXPECT_EQ(DiagnoseSearch(master.LastAttempts(), true).find("The requests could not be sent"), 0u);
    }

    // A connection that breaks under a request fails that attempt; the next one connects again.
    {
        ScriptedServer server(Scripted([](Script& s) { s.dropFirst = 1; }));
        ModbusMaster master;
        master.SetDevicePath(server.Name());
        ASSERT_EQ(master.Open(), 1);
        std::array<std::uint8_t, 12> ip{};
        EXPECT_EQ(ReadIpBlock(master, ip), ResultOk);
        EXPECT_EQ(ip, kIp);
        EXPECT_EQ(server.Connections(), 2);
    }

    // What does not open says why.
    struct Refusal
    {
        const char* what;
        Script script;
        int error;
        const char* detail;
        const char* says = ""; // part of the explanation the operator gets
    };
    for (const Refusal& c : {
             Refusal{"a Telnet server that never answers", Scripted([](Script& s) {
                         s.telnet = true;
                         s.answerOption = false;
                     }),
                     kOpenErrorNoRfc2217, ""},
             Refusal{"other line settings", Scripted([](Script& s) {
                         s.telnet = true;
                         s.baud = 9600;
                         s.parity = 1;
                     }),
                     kOpenErrorSettingsRefused, "it set 9600 baud, no parity"},
             Refusal{"a Telnet server that refuses the option", Scripted([](Script& s) {
                         s.telnet = true;
                         s.refuseOption = true;
                     }),
                     kOpenErrorRfc2217Refused, "", "refuses RFC 2217 on this port"},
             // Only the in-use answer means another client; whatever else came is shown as it came.
             Refusal{"an in-use answer", Scripted([](Script& s) { s.farewell = "Port already in use\r\n"; }),
                     kOpenErrorPortHeld, "Port already in use", "held by another client"},
             Refusal{"a greeting and a close", Scripted([](Script& s) {
                         s.telnet = true;
                         s.farewell = "Hello";
                     }),
                     kOpenErrorClosed, "it sent \"Hello\"", "closed the connection while it was being set up"},
             Refusal{"an HTTP server", Scripted([](Script& s) {
                         s.telnet = true;
                         s.farewell = "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n";
                     }),
                     kOpenErrorClosed, "it sent \"HTTP/1.1 400 Bad Request Content-Length: 0\"",
                     "(it sent \"HTTP/1.1 400 Bad Request"},
         }) {
        SCOPED_TRACE(c.what);
        ScriptedServer server(c.script);
        SerialPort port;
        port.SetDevicePath(server.Name());
        EXPECT_EQ(port.Open(), 0);
        EXPECT_EQ(port.LastOpenError(), c.error);
        EXPECT_EQ(port.LastOpenDetail(), c.detail);
        const std::string explained = ExplainOpenFailure("", server.Name(), c.error, c.detail);
        EXPECT_NE(explained.find(c.says), std::string::npos) << explained;
    }
}

} // namespace
