#include "frame_trace.h"

#include <cstdio>

namespace cli {

FrameTrace::FrameTrace(std::ostream& out) : out(out), start(std::chrono::steady_clock::now()) {}

void FrameTrace::Attach(InstrumentLink& link)
{
    link.Master().SetFrameObserver(&FrameTrace::OnFrame, this);
    link.SetProbeObserver(&FrameTrace::OnProbe, this);
}

const char* FrameTrace::OutcomeText(int result, int length)
{
    switch (result) {
    case ResultOk:
        return "ok";
    case ResultBadCrc:
        return "bad CRC";
    case ResultIncomplete:
        return length == 0 ? "time-out" : "short reply";
    case ResultWrongSlave:
        return "wrong slave";
    case ResultNotOpen:
        return "port not open";
    case ResultTooLong:
        return "frame too long";
    case ResultWrongReply:
        return "not the reply to this request";
    case ResultException:
        return "Modbus exception";
    case ResultStopped:
        return "stopped";
    default:
        return "failed";
    }
}

void FrameTrace::Stamp()
{
    const auto elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "+%.6f s  ", elapsed);
    out << stamp;
}

void FrameTrace::OnFrame(void* context, const FrameEvent& event)
{
    auto* self = static_cast<FrameTrace*>(context);
    self->Stamp();
    self->out << (event.direction == FrameEvent::Direction::Sent ? "TX " : "RX ");
    char hex[4];
    for (int i = 0; i < event.length; ++i) {
        std::snprintf(hex, sizeof hex, " %02X", event.bytes[i]);
        self->out << hex;
    }
    if (event.length == 0) {
        self->out << " (nothing)";
    }
    self->out << "  " << OutcomeText(event.result, event.length);
    if (event.result == ResultException)
        self->out << ' ' << static_cast<int>(event.bytes[2]);
    self->out << '\n';
    self->out.flush();
}

void FrameTrace::OnProbe(void* context, std::uint8_t address)
{
    auto* self = static_cast<FrameTrace*>(context);
    self->Stamp();
    self->out << "probing slave address " << static_cast<int>(address) << '\n';
}

} // namespace cli
