#pragma once

#include "comm/line_device.h"

#include <algorithm>
#include <chrono>
#include <cstdint>

// The read rule of every back end that waits on a descriptor (a tty, a socket), written once: a read ends
// when `count` bytes are in, at the total time-out counted from the call, or when the gap after the last
// byte exceeds the interval; a device that is gone ends it after what was still queued has been read.
//
// `Source` offers:
//   int ReadSome(std::uint8_t* buffer, int room)   > 0 bytes read, 0 none yet, < 0 the device failed or is gone
//   Wait Await(LineDevice::Clock::time_point until) whether input came, the time passed, or the device is gone
namespace timed_read {

using Clock = LineDevice::Clock;

enum class Wait
{
    Input,
    Timeout,
    Gone
};

// How long one wait lasts at most while an idle hook is set, so a window repaints often enough.
constexpr auto kIdleSlice = std::chrono::milliseconds(25);

// Waits until `deadline`, but one idle slice at most while a hook is set; the hook runs after a slice
// that passed without input.
template <class Source> Wait AwaitSlice(Source& source, Clock::time_point deadline, const LineDevice::Idle& idle)
{
    if (idle.hook != nullptr)
        deadline = std::min(deadline, Clock::now() + kIdleSlice);
    const Wait wait = source.Await(deadline);
    if (wait == Wait::Timeout)
        idle();
    return wait;
}

template <class Source>
int Read(Source& source, std::uint8_t* buffer, int count, const LineDevice::Timeouts& timeouts,
         const LineDevice::Idle& idle)
{
    const auto totalDeadline =
        Clock::now() + std::chrono::milliseconds(timeouts.readTotalConstant +
                                                 timeouts.readTotalMultiplier * static_cast<std::uint32_t>(count));
    const auto interval = std::chrono::milliseconds(timeouts.readInterval);
    Clock::time_point lastByte{};
    int got = 0;
    bool gone = false;
    while (got < count) {
        const int n = source.ReadSome(buffer + got, count - got);
        if (n > 0) {
            got += n;
            lastByte = Clock::now();
            continue;
        }
        if (n < 0 || gone)
            break; // what was left has been read; no more will come
        const auto deadline = got > 0 ? std::min(totalDeadline, lastByte + interval) : totalDeadline;
        if (Clock::now() >= deadline)
            break;
        // Read once more for bytes still queued after the device went, then give up instead of spinning.
        gone = AwaitSlice(source, deadline, idle) == Wait::Gone;
    }
    return got;
}

template <class Source>
void DrainUntilQuiet(Source& source, std::chrono::milliseconds quiet, std::chrono::milliseconds limit,
                     const LineDevice::Idle& idle)
{
    const auto end = Clock::now() + limit;
    auto silentUntil = Clock::now() + quiet;
    std::uint8_t scratch[64];
    for (;;) {
        const int n = source.ReadSome(scratch, static_cast<int>(sizeof scratch));
        if (n > 0) {
            silentUntil = Clock::now() + quiet;
            continue;
        }
        if (n < 0)
            return;
        const auto deadline = std::min(silentUntil, end);
        if (Clock::now() >= deadline || AwaitSlice(source, deadline, idle) == Wait::Gone)
            return;
    }
}

// A back end that waits on a descriptor: Read and DrainUntilQuiet by the rule above, from the ReadSome and
// Await of `Device` and the time-outs it was opened with.
template <class Device> class PolledDevice : public LineDevice
{
public:
    int Read(std::uint8_t* buffer, int count, const Idle& idle) override
    {
        return timed_read::Read(static_cast<Device&>(*this), buffer, count, timeouts, idle);
    }
    void DrainUntilQuiet(std::chrono::milliseconds quiet, std::chrono::milliseconds limit, const Idle& idle) override
    {
        timed_read::DrainUntilQuiet(static_cast<Device&>(*this), quiet, limit, idle);
    }

protected:
    Timeouts timeouts; // as given at Open
};

} // namespace timed_read
