#pragma once

#include <chrono>
#include <ctime>
#include <termios.h>

// The instrument's line in termios terms, for the POSIX back end and the simulator's pseudo-terminal.

// The line on top of whatever the driver reported: 57600 baud, 8 data bits, even parity, one stop bit,
// raw, no flow control, no hang-up on close, reads that never wait by themselves (VMIN = VTIME = 0).
// A byte with a parity error is kept (INPCK without IGNPAR/PARMRK), so the frame keeps its length and
// its CRC fails, rather than the frame silently shrinking. False if the speed cannot be set.
bool MakeLineSettings(termios& tio);

// A wait for ppoll(); negative waits are no wait.
inline timespec ToTimespec(std::chrono::nanoseconds wait)
{
    if (wait < std::chrono::nanoseconds::zero())
        wait = std::chrono::nanoseconds::zero();
    timespec t{};
    t.tv_sec = wait.count() / 1'000'000'000;
    t.tv_nsec = wait.count() % 1'000'000'000;
    return t;
}
