// Any frames a line can carry, with any outcome, through the frame log, decoded and written out in every
// export. The input is a run of frames: a flags byte (bit 0 received, bits 1-3 the outcome, bits 4-5 the
// attempt, bit 6 a connection the device server closed), a length byte and that many bytes. Whatever the bytes, every
// export must hold every frame and nothing that could steer a terminal: the texts are valid UTF-8 without control
// characters.
#include "monitor/frame_decoding.h"
#include "comm/line_device.h"
#include "monitor/frame_export.h"
#include "monitor/frame_log.h"

#include <algorithm>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>

namespace {

constexpr int kResults[8] = {ResultOk,         ResultBadCrc,    ResultIncomplete, ResultWrongSlave,
                             ResultWrongReply, ResultException, ResultStopped,    ResultNotOpen};

void MustBeShowable(const std::string& text, const char* allowed)
{
    (void)nlohmann::json(text).dump(); // throws on anything that is not UTF-8
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 || byte == 0x7F) && std::string(allowed).find(c) == std::string::npos)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    monitor::FrameLog log(16); // small, so old records are dropped too
    log.SetFirmwareRange(size % 2 == 0 ? cards::kCurrent : cards::kLegacy);
    std::size_t expectedPcap = monitor::kPcapHeaderBytes;
    std::uint32_t transaction = 0;
    for (std::size_t at = 0; at + 2 <= size;) {
        const std::uint8_t flags = data[at];
        const std::size_t length = std::min<std::size_t>(data[at + 1], size - at - 2);
        const FrameEvent event{flags & 1 ? FrameEvent::Direction::Received : FrameEvent::Direction::Sent,
                               data + at + 2,
                               static_cast<int>(length),
                               kResults[(flags >> 1) & 7],
                               ((flags >> 4) & 3) + 1,
                               (flags & 1) == 0 ? ++transaction : transaction,
                               static_cast<std::uint8_t>((flags & 0x40) != 0 ? kLineConnectionClosed : 0)};
        log.Record(event);
        at += 2 + length;
    }
    for (std::size_t i = 0; i < log.Size(); ++i) {
        const monitor::FrameRecord& r = log.At(i);
        MustBeShowable(monitor::TextLine(r, log.Start()), "");
        if (!r.bytes.empty())
            expectedPcap += monitor::kPcapRecordHeaderBytes + r.bytes.size();
    }
    MustBeShowable(monitor::ToText(log), "\n");
    const std::string csv = monitor::ToCsv(log);
    MustBeShowable(csv, "\r\n");
    std::size_t rows = 0;
    for (std::size_t p = csv.find("\r\n"); p != std::string::npos; p = csv.find("\r\n", p + 2))
        ++rows;
    if (rows != log.Size() + 1 || static_cast<std::size_t>(std::count(csv.begin(), csv.end(), '\n')) != rows)
        std::abort(); // a row per frame, never a line break inside one
    if (monitor::ToPcap(log).size() != expectedPcap)
        std::abort();
    MustBeShowable(monitor::CountersText(log.Count()), "");
    return 0;
}
