#include "card_transfer.h"

int ReadParameter(InstrumentLink& link, const cards::Parameter& parameter, cards::CardSettings& settings)
{
    cards::IpBlock bytes{};
    if (parameter.Bytes() > bytes.size() || link.ReadBlock(parameter.start, parameter.Bytes(), bytes.data()) != 1)
        return 0;
    return cards::DecodeParameter(settings, parameter, std::span<const std::uint8_t>(bytes.data(), parameter.Bytes()))
               ? 1
               : 0;
}

WriteReport WriteParameters(InstrumentLink& link, std::span<const cards::Parameter> order,
                            const cards::CardSettings& settings)
{
    WriteReport report;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const cards::Parameter& p = order[i];
        cards::IpBlock bytes{};
        const int count = cards::EncodeParameter(settings, p, bytes);
        if (count == 0 || link.WriteBlock(p.start, static_cast<std::uint16_t>(count), bytes.data()) != 1) {
            report.failed = p;
            report.notWritten.assign(order.begin() + static_cast<std::ptrdiff_t>(i), order.end());
            return report;
        }
        report.written.push_back(p);
    }
    return report;
}
