// Bytes from a device server on an RFC 2217 line: whatever they hold, the parser keeps within its buffers,
// gives the same data and the same answers however the stream is cut into reads, and undoes the
// doubling of 0xFF that data travels with.
#include "comm/telnet.h"
#include "comm/com_port_control.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct Outcome
{
    std::vector<std::uint8_t> data;
    std::vector<std::uint8_t> replies;
    bool accepted;
    bool refused;
    bool answered;
    std::string mismatch;
    std::uint8_t lineErrors;
    bool operator==(const Outcome&) const = default;
};

// Feeds the stream in reads of the given lengths (cycled), as a socket might deliver it.
Outcome Run(const std::uint8_t* bytes, std::size_t size, const std::vector<std::size_t>& cuts)
{
    ComPortControl control;
    Outcome out;
    std::vector<std::uint8_t> data(size);
    std::size_t at = 0;
    for (std::size_t i = 0; at < size; ++i) {
        const std::size_t length = std::min(size - at, cuts.empty() ? size : cuts[i % cuts.size()]);
        const int n = control.Feed(bytes + at, static_cast<int>(length), data.data());
        if (n < 0 || static_cast<std::size_t>(n) > length)
            std::abort();
        out.data.insert(out.data.end(), data.begin(), data.begin() + n);
        at += length;
    }
    out.replies = control.Replies();
    out.accepted = control.Accepted();
    out.refused = control.Refused();
    out.answered = control.SettingsAnswered();
    out.mismatch = control.SettingsMismatch();
    out.lineErrors = control.TakeLineErrors();
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    // The first byte chooses how the rest is cut into reads.
    const std::vector<std::size_t> cuts{1u + data[0] % 7u, 1u + data[0] / 37u};
    const Outcome whole = Run(data + 1, size - 1, {});
    if (!(Run(data + 1, size - 1, cuts) == whole) || !(Run(data + 1, size - 1, {1}) == whole))
        std::abort();

    // Data escaped for the wire comes back as it was, when no command is pending.
    std::vector<std::uint8_t> wire(2 * size);
    const int length = telnet::Escape(data, static_cast<int>(size), wire.data());
    const Outcome back = Run(wire.data(), static_cast<std::size_t>(length), cuts);
    if (back.data.size() != size || std::memcmp(back.data.data(), data, size) != 0)
        std::abort();
    return 0;
}
