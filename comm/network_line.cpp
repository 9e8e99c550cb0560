#include "comm/network_line.h"

#include "comm/com_port_control.h"
#include "comm/tcp_socket.h"
#include "comm/timed_read.h"
#include "host/open_error.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace {

using Clock = LineDevice::Clock;
using timed_read::Wait;
using namespace std::chrono_literals;
using namespace network_line;

// A refusal a server sends before closing ("Port already in use") is short text.
constexpr int kMaxFarewell = 120;
constexpr int kChunk = 256;

// What a server wrote, on one line: each run of blanks and control characters (line breaks) as one blank.
std::string Printable(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        if (std::isprint(static_cast<unsigned char>(c)) && c != ' ')
            out += c;
        else if (!out.empty() && out.back() != ' ')
            out += ' ';
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

// A close while the line was being set up. Only a server's in-use answer (ser2net: "Port already in use",
// "Port's device already in use") means another client holds the port; anything else it sent (a greeting,
// an HTTP error: the wrong port) is shown as it came.
LineDevice::OpenResult ClosedWith(const std::string& farewell)
{
    std::string said = Printable(farewell);
    std::string lower = said;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower.find("in use") != std::string::npos)
        return {kOpenErrorPortHeld, said};
    return {kOpenErrorClosed, said.empty() ? said : "it sent \"" + said + "\""};
}

class NetworkDevice final : public timed_read::PolledDevice<NetworkDevice>
{
public:
    OpenResult Open(const std::string& name, const Timeouts& given) override;
    void Close() override;
    int Write(const std::uint8_t* bytes, int count, bool& failed) override;
    std::uint8_t TakeLineErrors() override;

    // For timed_read: data bytes only; what the server says besides them is handled on the way.
    int ReadSome(std::uint8_t* buffer, int room);
    Wait Await(Clock::time_point until) { return socket.Await(until); }

private:
    OpenResult Connect();
    OpenResult AwaitFarewell(Clock::duration connectTime);
    OpenResult Negotiate();
    // Reads what the server sends until `done` holds, the connection closes or `until` passes.
    template <class Done> bool ReadUntil(Clock::time_point until, std::string& farewell, Done done);
    bool SendReplies();

    ports::NetworkLine address;
    TcpSocket socket;
    std::optional<ComPortControl> control; // RFC 2217 only
    bool opened = false;                   // Open succeeded, so a broken connection may be renewed
    std::size_t received = 0;              // bytes from the server since the connection began
    bool closedByServer = false;           // since the last TakeLineErrors, once open
    Clock::time_point reconnectAfter{};
};

LineDevice::OpenResult NetworkDevice::Open(const std::string& name, const Timeouts& given)
{
    Close();
    const std::optional<ports::NetworkLine> parsed = ports::ParseNetworkName(name);
    if (!parsed)
        return {kOpenErrorBadNetworkName, {}};
    address = *parsed;
    timeouts = given;
    const OpenResult result = Connect();
    opened = result.Ok();
    closedByServer = false;
    return result;
}

std::uint8_t NetworkDevice::TakeLineErrors()
{
    // A server that accepts and then drops every connection would otherwise look like a silent line, as
    // each request connects again.
    const std::uint8_t errors =
        (control ? control->TakeLineErrors() : 0) | (closedByServer ? kLineConnectionClosed : 0);
    closedByServer = false;
    return errors;
}

LineDevice::OpenResult NetworkDevice::Connect()
{
    control.reset();
    if (address.protocol == ports::NetworkLine::Protocol::Rfc2217)
        control.emplace();
    std::string detail;
    const auto start = Clock::now();
    if (const int error = socket.Connect(address.host, address.port, kConnectTimeout, detail); error != 0)
        return {error, detail};
    OpenResult result = AwaitFarewell(Clock::now() - start);
    if (result.Ok() && control)
        result = Negotiate();
    if (!result.Ok())
        socket.Close();
    return result;
}

// A server that serves another client accepts, says so and closes (ser2net: "Port already in use"). A raw
// line has no handshake to show it, and a request sent into the closing connection would make the refusal
// be lost with it: give the server a few round trips to say so before we send anything. A Telnet server
// speaks first (its options, then any refusal, in one go), so its line waits only until it has spoken.
LineDevice::OpenResult NetworkDevice::AwaitFarewell(Clock::duration connectTime)
{
    const auto wait = std::min<Clock::duration>(100ms + 4 * connectTime, control ? 1000ms : 500ms);
    std::string farewell;
    received = 0;
    bool open = ReadUntil(Clock::now() + wait, farewell, [this] { return received > 0; });
    if (open && received > 0)
        open = ReadUntil(Clock::now() + 20ms, farewell, [] { return false; });
    if (open)
        return {};
    return ClosedWith(farewell);
}

LineDevice::OpenResult NetworkDevice::Negotiate()
{
    const auto send = [this](const std::vector<std::uint8_t>& bytes) {
        return socket.SendAll(bytes.data(), static_cast<int>(bytes.size()), Clock::now() + kNegotiationTimeout);
    };
    std::string farewell;
    const auto closed = [&] {
        // A send can fail before the refusal that came with the close has been read.
        ReadUntil(Clock::now() + 100ms, farewell, [] { return false; });
        return ClosedWith(farewell);
    };
    if (!send(ComPortControl::Greeting()))
        return closed();
    if (!ReadUntil(Clock::now() + kNegotiationTimeout, farewell,
                   [this] { return control->Accepted() || control->Refused(); }))
        return closed();
    if (!control->Accepted())
        return {control->Refused() ? kOpenErrorRfc2217Refused : kOpenErrorNoRfc2217, {}};
    if (!send(ComPortControl::SettingsRequest()))
        return closed();
    const auto answered = [this] { return control->SettingsAnswered() && control->FlowControlAnswered(); };
    if (!ReadUntil(Clock::now() + kNegotiationTimeout, farewell, answered))
        return closed();
    // Some servers never answer for flow control; once the rest is in, it has had its chance.
    if (control->SettingsAnswered() && !control->FlowControlAnswered() &&
        !ReadUntil(Clock::now() + 300ms, farewell, answered))
        return closed();
    if (const std::string mismatch = control->SettingsMismatch(); !mismatch.empty())
        return {kOpenErrorSettingsRefused, "it set " + mismatch};
    if (!control->SettingsAnswered())
        return {kOpenErrorSettingsRefused, "no answer for " + control->Unanswered()};
    control->TakeLineErrors(); // what happened before our settings took effect says nothing
    return {};
}

template <class Done> bool NetworkDevice::ReadUntil(Clock::time_point until, std::string& farewell, Done done)
{
    std::uint8_t data[kChunk];
    while (!done()) {
        const int n = ReadSome(data, kChunk);
        if (n < 0)
            return false;
        if (n > 0) {
            // Data before the line is ours is no reply to anything; keep only its start, as a refusal.
            farewell.append(
                reinterpret_cast<const char*>(data),
                static_cast<std::size_t>(std::min<int>(n, kMaxFarewell - static_cast<int>(farewell.size()))));
            continue;
        }
        // Commands alone (an acknowledgement) give no data but may be what was awaited.
        if (done() || Clock::now() >= until)
            break;
        if (socket.Await(until) == Wait::Gone)
            return false;
    }
    return true;
}

int NetworkDevice::ReadSome(std::uint8_t* buffer, int room)
{
    if (!socket.IsOpen())
        return -1;
    if (!control) {
        const int n = socket.ReadSome(buffer, room);
        received += static_cast<std::size_t>(std::max(n, 0));
        if (n < 0) {
            socket.Close(); // broken: the next request connects again
            closedByServer = opened;
        }
        return n;
    }
    // Never more from the socket than the caller has room for: decoding only ever shrinks the bytes, and
    // what is left in the socket belongs to whatever comes next.
    std::uint8_t raw[kChunk];
    const int n = socket.ReadSome(raw, std::min(room, kChunk));
    received += static_cast<std::size_t>(std::max(n, 0));
    if (n < 0) {
        socket.Close(); // broken: the next request connects again
        closedByServer = opened;
        return -1;
    }
    const int data = control->Feed(raw, n, buffer);
    if (!SendReplies())
        return -1;
    return data;
}

bool NetworkDevice::SendReplies()
{
    std::vector<std::uint8_t>& replies = control->Replies();
    if (replies.empty())
        return true;
    const bool sent =
        socket.SendAll(replies.data(), static_cast<int>(replies.size()), Clock::now() + kNegotiationTimeout);
    replies.clear();
    if (!sent)
        socket.Close(); // broken: the next request connects again
    return sent;
}

int NetworkDevice::Write(const std::uint8_t* bytes, int count, bool& failed)
{
    failed = true;
    if (!opened)
        return 0;
    // What came before this request is no answer to it: drop it, as a purge does on a local port. Nothing
    // is dropped after sending, as the reply may already be on its way. A connection found closed here
    // (the server restarted, or dropped us while idle) is renewed before the request goes.
    std::uint8_t scratch[kChunk];
    std::size_t before = 0;
    do { // until nothing more waits: a read of Telnet commands alone gives no data but is no silence
        before = received;
        dropped.Add(scratch, std::max(ReadSome(scratch, kChunk), 0));
    } while (received != before && socket.IsOpen());
    if (!socket.IsOpen()) {
        if (Clock::now() < reconnectAfter)
            return 0;
        if (!Connect().Ok()) {
            reconnectAfter = Clock::now() + kReconnectPause;
            return 0;
        }
    }
    if (control)
        control->TakeLineErrors(); // they belong to the bytes just dropped

    const auto deadline =
        Clock::now() + std::chrono::milliseconds(timeouts.writeTotalConstant +
                                                 timeouts.writeTotalMultiplier * static_cast<std::uint32_t>(count));
    int written = 0;
    while (written < count) {
        // In pieces small enough for a buffer on the stack, each 0xFF doubled on an RFC 2217 line.
        const int piece = std::min(count - written, kChunk / 2);
        std::uint8_t wire[kChunk];
        const int length = control ? telnet::Escape(bytes + written, piece, wire) : piece;
        const std::uint8_t* out = control ? wire : bytes + written;
        if (!socket.SendAll(out, length, deadline)) {
            socket.Close(); // broken: the next request connects again
            return written;
        }
        written += piece;
    }
    failed = false;
    return written;
}

void NetworkDevice::Close()
{
    socket.Close();
    control.reset();
    opened = false;
    reconnectAfter = {};
}

} // namespace

std::unique_ptr<LineDevice> MakeNetworkDevice()
{
    return std::make_unique<NetworkDevice>();
}
