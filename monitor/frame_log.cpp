#include "monitor/frame_log.h"

#include "cards/encoding.h"
#include "cards/parameters.h"
#include "comm/modbus_frame.h"

#include <algorithm>
#include <optional>
#include <span>

namespace monitor {

namespace {

// The card a reply to a read of the identification record names; nothing for any other frame, and for a
// record whose echo is wrong.
std::optional<std::uint16_t> CardNamed(const FrameRecord& reply)
{
    const auto& q = reply.request;
    constexpr std::size_t kHeader = 3; // slave, function, byte count
    if (reply.result != ResultOk || q[1] != modbus::kReadHoldingRegisters ||
        reply.bytes.size() < kHeader + modbus::kCrcBytes) {
        return std::nullopt;
    }
    const auto start = static_cast<std::uint16_t>(q[2] << 8 | q[3]);
    const auto count = static_cast<std::uint16_t>(q[4] << 8 | q[5]);
    const cards::ParameterInfo* block = cards::FindParameter({start, count});
    if (block == nullptr || block->kind != cards::BlockKind::Identification) {
        return std::nullopt;
    }
    const auto data =
        std::span<const std::uint8_t>(reply.bytes).subspan(kHeader, reply.bytes.size() - kHeader - modbus::kCrcBytes);
    const auto record = cards::DecodeIdentification(data);
    return record && record->EchoValid() ? std::optional<std::uint16_t>(record->cardCode) : std::nullopt;
}

} // namespace

FrameLog::FrameLog(std::size_t keep) : capacity(keep)
{
    Clear();
}

void FrameLog::Attach(ModbusMaster& master)
{
    master.SetFrameObserver(&FrameLog::OnFrame, this);
}

void FrameLog::Detach(ModbusMaster& master)
{
    master.SetFrameObserver(nullptr, nullptr);
}

void FrameLog::SetListener(Listener l, void* context)
{
    listener = l;
    listenerContext = context;
}

void FrameLog::OnFrame(void* context, const FrameEvent& event)
{
    static_cast<FrameLog*>(context)->Record(event);
}

void FrameLog::Clear()
{
    records.clear();
    nextNumber = 1;
    dropped = 0;
    counters = {};
    start = Clock::now();
    wallStart = std::chrono::system_clock::now();
    anyFrame = false;
    anyTransaction = false;
    // The card and the last request stay known: the next reply still answers that request.
}

void FrameLog::Record(const FrameEvent& event)
{
    FrameRecord r;
    r.number = nextNumber++;
    r.time = Clock::now();
    r.gap = anyFrame ? std::chrono::duration_cast<std::chrono::nanoseconds>(r.time - lastTime)
                     : std::chrono::nanoseconds::zero();
    lastTime = r.time;
    anyFrame = true;
    r.direction = event.direction;
    r.result = event.result;
    r.attempt = event.attempt;
    r.transaction = event.transaction;
    r.lineErrors = event.lineErrors;
    const int length = std::clamp(event.length, 0, ModbusMaster::kBufferSize);
    if (event.bytes != nullptr && length > 0) {
        r.bytes.assign(event.bytes, event.bytes + length);
    }
    if (r.Sent()) {
        lastRequest = {};
        if (r.bytes.size() >= lastRequest.size()) {
            std::copy_n(r.bytes.begin(), lastRequest.size(), lastRequest.begin());
        }
    } else {
        r.request = lastRequest;
        if (const auto named = CardNamed(r)) {
            cardCode = *named;
        }
    }
    r.cardCode = cardCode;
    r.firmwareRange = firmwareRange;
    CountFrame(r);

    if (capacity != 0 && records.size() >= capacity) {
        records.pop_front();
        ++dropped;
    }
    records.push_back(std::move(r));
    if (listener != nullptr) {
        listener(listenerContext, records.back());
    }
}

void FrameLog::CountFrame(const FrameRecord& r)
{
    const std::uint64_t length = r.bytes.size();
    if (r.Sent()) {
        counters.bytesSent += length;
        ++counters.attempts;
        if (r.attempt > 1) {
            ++counters.retries;
        }
        if (!anyTransaction || r.transaction != lastTransaction) {
            ++counters.transactions;
        }
        anyTransaction = true;
        lastTransaction = r.transaction;
        return;
    }
    counters.bytesReceived += length;
    switch (r.result) {
    case ResultIncomplete:
        ++(length == 0 ? counters.timeouts : counters.shortReplies);
        break;
    case ResultBadCrc:
        ++counters.badCrcs;
        break;
    case ResultException:
        ++counters.exceptions;
        break;
    case ResultWrongSlave:
        ++counters.wrongSlaves;
        break;
    case ResultWrongReply:
        ++counters.otherReplies;
        break;
    default:
        break;
    }
}

} // namespace monitor
