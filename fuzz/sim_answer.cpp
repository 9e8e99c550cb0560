// Any frame a master (or noise) can send, answered by the simulated instrument's logic.
#include "sim/simulator.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static sim::Simulator instrument; // its settings change with the writes it is sent, as on a line
    if (size > 512)
        return 0; // the simulator never takes a longer frame off the line
    const auto reply = instrument.Answer(data, static_cast<int>(size));
    if (reply.size() > 255)
        std::abort(); // no Modbus RTU frame is longer
    return 0;
}
