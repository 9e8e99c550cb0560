#pragma once

#include <chrono>
#include <ctime>
#include <termios.h>

// Facts of the instrument's serial line, shared by the port, the simulator and the benchmarks.

// One character at 57600 baud, 8E1: start + 8 data + parity + stop = 11 bits, about 191 us.
constexpr std::chrono::nanoseconds kCharTime{11'000'000'000LL / 57600};
// The silence of 3.5 characters that ends a frame; fixed at 1.75 ms above 19200 baud.
constexpr std::chrono::microseconds kFrameGap{1750};

// The line on top of whatever the driver reported: 57600 baud, 8 data bits, even parity, one stop bit,
// raw, no flow control, no hang-up on close, reads that never wait by themselves (VMIN = VTIME = 0).
// A byte with a parity error is kept (INPCK without IGNPAR/PARMRK), so the frame keeps its length and
// its CRC fails, rather than the frame silently shrinking. False if the speed cannot be set.
bool MakeLineSettings(termios& tio);

// Whether received bytes may still be purged, sinceWriteStart after a request of requestBytes began
// to go out: only while no reply can have begun, i.e. before the request's own line time plus the
// 3.5-character silence a slave keeps before answering.
constexpr bool InputPurgeIsSafe(std::chrono::nanoseconds sinceWriteStart, int requestBytes)
{
    return sinceWriteStart < kCharTime * requestBytes + kFrameGap;
}

// A wait for ppoll(); negative waits are no wait.
inline timespec ToTimespec(std::chrono::nanoseconds wait)
{
    if (wait < std::chrono::nanoseconds::zero())
        wait = std::chrono::nanoseconds::zero();
    return timespec{static_cast<time_t>(wait.count() / 1'000'000'000), static_cast<long>(wait.count() % 1'000'000'000)};
}
