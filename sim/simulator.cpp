#include "simulator.h"

#include <utility>

namespace sim {

Simulator::Simulator(Config c) : config(std::move(c)) {}

Simulator::~Simulator()
{
    Stop();
}

bool Simulator::Start()
{
    error = "not implemented yet";
    return false;
}

void Simulator::Stop() {}

const std::string& Simulator::DevicePath() const
{
    return devicePath;
}

const std::string& Simulator::Error() const
{
    return error;
}

void Simulator::SetFaults(const Faults& faults)
{
    std::lock_guard lock(mutex);
    config.faults = faults;
}

std::vector<std::vector<std::uint8_t>> Simulator::Requests() const
{
    std::lock_guard lock(mutex);
    return requests;
}

void Simulator::ClearRequests()
{
    std::lock_guard lock(mutex);
    requests.clear();
}

std::uint16_t Simulator::Parameter(std::uint16_t) const
{
    return 0;
}

void Simulator::SetParameter(std::uint16_t, std::uint16_t) {}

std::array<std::uint8_t, 12> Simulator::IpBlock() const
{
    return {};
}

void Simulator::SetIpBlock(const std::array<std::uint8_t, 12>&) {}

void Simulator::Serve() {}

} // namespace sim
