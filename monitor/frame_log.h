#pragma once

#include "cards/card_info.h"
#include "comm/modbus_master.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <vector>

// The frame log: what the Modbus master sent and received, kept as records for a trace, a window and
// the exports. Nothing is decoded while recording (that happens when a record is shown), so a
// transaction pays only for a copy of its frames.
namespace monitor {

using Clock = std::chrono::steady_clock;

struct FrameRecord
{
    std::uint64_t number = 0;        // 1 for the first frame since the log began or was cleared
    Clock::time_point time;          // when the master had sent the frame, or had stopped waiting for a reply
    std::chrono::nanoseconds gap{0}; // since the frame before it (0 for the first)
    FrameEvent::Direction direction = FrameEvent::Direction::Sent;
    int result = ResultOk; // the master's result code for this step
    int attempt = 1;       // 1, then 2 and 3 for the retries of the same transaction
    std::uint32_t transaction = 0;
    std::uint8_t lineErrors = 0;     // for a received frame: what the device reported meanwhile (LineError bits)
    std::vector<std::uint8_t> bytes; // what actually went or came; empty for a time-out
    // For a received frame: slave, function, start and count of the request it answers (as sent, high
    // byte first); all zero when the log did not see that request.
    std::array<std::uint8_t, 6> request{};
    // What the instrument was known to be when the frame went by, for naming list entries.
    std::uint16_t cardCode = 0; // from the last identification record seen; 0 before one
    int firmwareRange = cards::kCurrent;

    bool Sent() const { return direction == FrameEvent::Direction::Sent; }
    bool Failed() const { return result != ResultOk; }
};

// Since the log began or was last cleared, frames dropped for room included.
struct Counters
{
    std::uint64_t transactions = 0;
    std::uint64_t attempts = 0; // requests sent
    std::uint64_t retries = 0;  // requests sent again after a failed attempt
    std::uint64_t timeouts = 0; // nothing came back
    std::uint64_t badCrcs = 0;
    std::uint64_t exceptions = 0;
    std::uint64_t wrongSlaves = 0;
    std::uint64_t shortReplies = 0;
    std::uint64_t otherReplies = 0; // intact, but answering another request (a late reply)
    std::uint64_t bytesSent = 0;
    std::uint64_t bytesReceived = 0;
};

class FrameLog
{
public:
    // The configurator's window keeps the last 10,000 frames.
    static constexpr std::size_t kWindowCapacity = 10'000;

    // Keeps the last `capacity` records; 0 keeps them all (a command line run is a few hundred frames).
    explicit FrameLog(std::size_t capacity = kWindowCapacity);
    FrameLog(const FrameLog&) = delete;
    FrameLog& operator=(const FrameLog&) = delete;

    // Makes the log the master's frame observer, or stops it being that. The log keeps no pointer to the
    // master: whoever attaches it detaches it before the log goes, or lets the master go first.
    void Attach(ModbusMaster& master);
    static void Detach(ModbusMaster& master);

    // Adds one frame as the master reports it (what Attach arranges); public for tests and tools.
    void Record(const FrameEvent& event);

    // The range list entries are named by (the log cannot see it on the line).
    void SetFirmwareRange(int range) { firmwareRange = range; }
    // Forgets every record and counter; time starts again.
    void Clear();

    std::size_t Size() const { return records.size(); }
    const FrameRecord& At(std::size_t index) const { return records[index]; }
    // The number of the oldest record held (numbers go on counting when old records are dropped).
    std::uint64_t FirstNumber() const { return records.empty() ? nextNumber : records.front().number; }
    std::uint64_t Dropped() const { return dropped; }
    const Counters& Count() const { return counters; }

    // When the log began or was cleared, on the monotonic clock and on the wall clock (for captures).
    Clock::time_point Start() const { return start; }
    std::chrono::system_clock::time_point WallStart() const { return wallStart; }

    // Told of every record as it is added; one plain pointer, as the master's own observer.
    using Listener = void (*)(void* context, const FrameRecord& record);
    void SetListener(Listener listener, void* context);

private:
    static void OnFrame(void* context, const FrameEvent& event);
    void CountFrame(const FrameRecord& record);

    std::size_t capacity;
    std::deque<FrameRecord> records;
    std::uint64_t nextNumber = 1;
    std::uint64_t dropped = 0;
    Counters counters;
    Clock::time_point start;
    std::chrono::system_clock::time_point wallStart;
    Clock::time_point lastTime;
    bool anyFrame = false;
    std::uint32_t lastTransaction = 0;
    bool anyTransaction = false;
    std::array<std::uint8_t, 6> lastRequest{};
    std::uint16_t cardCode = 0;
    int firmwareRange = cards::kCurrent;
    Listener listener = nullptr;
    void* listenerContext = nullptr;
};

} // namespace monitor
