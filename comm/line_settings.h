#pragma once

#include <chrono>

// Facts of the instrument's serial line, shared by the port's back ends, the simulator and the benchmarks.

// One character at 57600 baud, 8E1: start + 8 data + parity + stop = 11 bits, about 191 us.
constexpr std::chrono::nanoseconds kCharTime{11'000'000'000LL / 57600};
// The silence of 3.5 characters that ends a frame; fixed at 1.75 ms above 19200 baud.
constexpr std::chrono::microseconds kFrameGap{1750};
