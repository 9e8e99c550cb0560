#pragma once

#include "monitor/frame_log.h"

#include <cstdint>
#include <ostream>
#include <string>

namespace cli {

// --trace: every record of the frame log as it is added, one line each with the time since the log
// began, the transaction and attempt, the bytes in hex, the outcome and what the frame means:
//   +0.001234 s  #1            TX  FF 03 30 00 00 0A DB 10  ok  slave 255: read probe (0x3000, 10 registers)  [...]
// a first line naming the line and what carries it, and a line for each slave address a search probes.
class FrameTrace
{
public:
    FrameTrace(std::ostream& out, monitor::FrameLog& log);
    ~FrameTrace();
    FrameTrace(const FrameTrace&) = delete;
    FrameTrace& operator=(const FrameTrace&) = delete;

    // For InstrumentLink::SetProbeObserver, with the trace as context.
    static void OnProbe(void* context, std::uint8_t address);
    // The line just opened: "line rfc2217://10.0.0.7:4001 (RFC 2217 to a serial device server)".
    void Opened(const std::string& device);

private:
    void Stamped(const std::string& text);
    static void OnRecord(void* context, const monitor::FrameRecord& record);

    std::ostream& out;
    monitor::FrameLog& log;
};

} // namespace cli
