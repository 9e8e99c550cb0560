#include "cli/frame_trace.h"

#include "monitor/frame_export.h"

#include <cstdio>

namespace cli {

FrameTrace::FrameTrace(std::ostream& out, monitor::FrameLog& log) : out(out), log(log)
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

void FrameTrace::OnProbe(void* context, std::uint8_t address)
{
    auto* self = static_cast<FrameTrace*>(context);
    const auto elapsed = std::chrono::duration<double>(monitor::Clock::now() - self->log.Start()).count();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "+%.6f s  ", elapsed);
    self->out << stamp << "probing slave address " << static_cast<int>(address) << '\n';
}

} // namespace cli
