#include "cards/parameter_order.h"

#include "cards/parameters.h"

#include <cstdio>

namespace cards {

std::span<const Parameter> ReadOrder(Bus bus)
{
    return BaseCard(bus).readOrder;
}

std::span<const Parameter> WriteOrder(Bus bus)
{
    return BaseCard(bus).writeOrder;
}

const char* ParameterName(Bus bus, std::uint16_t start)
{
    const ParameterInfo* row = FindParameterAt(start);
    return row != nullptr ? row->NameOn(bus) : "register";
}

std::string DescribeParameter(Bus bus, const Parameter& parameter)
{
    char address[16];
    std::snprintf(address, sizeof address, " (0x%04X)", parameter.start);
    return ParameterName(bus, parameter.start) + std::string(address);
}

std::string ListParameters(Bus bus, std::span<const Parameter> parameters)
{
    std::string text;
    for (const Parameter& p : parameters) {
        text += (text.empty() ? "" : ", ") + std::string(ParameterName(bus, p.start));
    }
    return text.empty() ? "none" : text;
}

} // namespace cards
