#pragma once

#include "instrument_link.h"

#include <chrono>
#include <ostream>

namespace cli {

// Writes every frame the master sends and receives, in hex with the time since the trace began and
// the step's outcome ("ok", "bad CRC", "time-out", "wrong slave", ...), one line each:
//   +0.001234 s  TX  FF 03 30 00 00 0A DB 10  ok
class FrameTrace
{
public:
    explicit FrameTrace(std::ostream& out);
    // Starts tracing the link's master and its search probes; the trace must outlive the link's use.
    void Attach(InstrumentLink& link);

    // The outcome words for a result code; `length` tells a silent line from a short reply.
    static const char* OutcomeText(int result, int length);

private:
    static void OnFrame(void* context, const FrameEvent& event);
    static void OnProbe(void* context, std::uint8_t address);
    void Stamp();

    std::ostream& out;
    std::chrono::steady_clock::time_point start;
};

} // namespace cli
