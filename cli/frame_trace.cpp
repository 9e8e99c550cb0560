#include "cli/frame_trace.h"

#include "host/port_map.h"
#include "monitor/frame_export.h"

#include <cstdio>

namespace cli {

FrameTrace::FrameTrace(std::ostream& to, monitor::FrameLog& frames) : out(to), log(frames)
{
    log.SetListener(&FrameTrace::OnRecord, this);
}

FrameTrace::~FrameTrace()
{
    log.SetListener(nullptr, nullptr);
}

void FrameTrace::OnRecord(void* context, const monitor::FrameRecord& record)
{
    auto* self = static_cast<FrameTrace*>(context);
    self->out << monitor::TextLine(record, self->log.Start()) << '\n' << std::flush;
}

void FrameTrace::Stamped(const std::string& text)
{
    const auto elapsed = std::chrono::duration<double>(monitor::Clock::now() - log.Start()).count();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "+%.6f s  ", elapsed);
    out << stamp << text << '\n';
}

void FrameTrace::OnProbe(void* context, std::uint8_t address)
{
    static_cast<FrameTrace*>(context)->Stamped("probing slave address " + std::to_string(address));
}

void FrameTrace::Opened(const std::string& device)
{
    Stamped("line " + device + " (" + ports::LineKind(device) + ")");
}

} // namespace cli
