#pragma once

#include <chrono>

// Facts of the instrument's serial line, shared by the port's back ends, the simulator and the benchmarks.

// One character at 57600 baud, 8E1: start + 8 data + parity + stop = 11 bits, about 191 us.
constexpr std::chrono::nanoseconds kCharTime{11'000'000'000LL / 57600};
// The silence of 3.5 characters that ends a frame; fixed at 1.75 ms above 19200 baud.
constexpr std::chrono::microseconds kFrameGap{1750};

// Whether received bytes may still be purged after a request of requestBytes, when the drain that waited
// for it to leave returned sinceWriteStart after it began to go out: the one rule of every local back end.
// Only a drain that took the request's own line time shows when the request left; then what came before
// it, within the 3.5-character silence a slave keeps before answering, answers nothing we asked. A drain
// that returns sooner (a virtual port, a pseudo-terminal, a USB adapter that buffers) says nothing of the
// wire, and a fast line's reply may already be in: nothing is dropped. A drain that returns late may have
// let the start of the reply in: nothing is dropped either.
constexpr bool InputPurgeIsSafe(std::chrono::nanoseconds sinceWriteStart, int requestBytes)
{
    // One character of slack for the clock's and the driver's granularity.
    const auto lineTime = kCharTime * requestBytes;
    return sinceWriteStart >= lineTime - kCharTime && sinceWriteStart < lineTime + kFrameGap;
}
