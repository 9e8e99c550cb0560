#include "cards/settings_check.h"

#include "cards/card_info.h"
#include "cards/card_lists.h"
#include "cards/parameter_order.h"
#include "cards/parameters.h"

#include <algorithm>

namespace cards {

std::string CardText(std::uint16_t cardCode)
{
    const CardInfo* card = FindCard(cardCode);
    if (card == nullptr) {
        return "card code " + std::to_string(cardCode);
    }
    return std::string(card->title) + " card (code " + std::to_string(cardCode) + ")";
}

std::span<const char* const> ParameterList(std::uint16_t cardCode, int firmwareRange, const Parameter& parameter)
{
    const CardInfo* card = FindCard(cardCode);
    const ParameterInfo* row = FindParameter(parameter);
    if (card == nullptr || row == nullptr) {
        return {};
    }
    if (parameter == kExchangeChoice) {
        return card->ExchangeTable(firmwareRange);
    }
    if (parameter == kBaudCode) {
        return BaudList(*card);
    }
    return row->choices;
}

std::string AllowedText(std::uint16_t cardCode, int firmwareRange, const Parameter& parameter)
{
    const auto range = WritableRange(cardCode, firmwareRange, parameter);
    if (!range) {
        return "not writable on this card";
    }
    if (parameter == kNodeAddress) {
        return std::to_string(range->minimum) + " to " + std::to_string(range->maximum);
    }
    if (parameter == kExchangeChoice) {
        return "entries <1> to <" + std::to_string(range->maximum + 1) + "> (codes 0 to " +
               std::to_string(range->maximum) + ", range " + RangeName(firmwareRange) + ")";
    }
    std::string text = "codes 0 to " + std::to_string(range->maximum) + " (";
    const auto list = ParameterList(cardCode, firmwareRange, parameter);
    for (std::size_t i = 0; i < list.size(); ++i) {
        text += (i ? ", " : "") + std::to_string(i) + " = " + list[i];
    }
    return text + ")";
}

std::optional<std::string> CheckWritable(std::uint16_t cardCode, int firmwareRange, const CardSettings& settings,
                                         const ValueLabel& label)
{
    const Bus bus = FindCard(cardCode)->bus;
    for (const Parameter& p : WriteOrder(bus)) {
        const auto range = WritableRange(cardCode, firmwareRange, p);
        const auto value = ParameterValue(settings, p);
        if (range && value && !range->Contains(*value)) {
            return label(p, *value) + ": the " + ParameterName(bus, p.start) + " of this " + CardText(cardCode) +
                   " must be " + AllowedText(cardCode, firmwareRange, p);
        }
    }
    return std::nullopt;
}

FileFit CheckFileFits(const Backup& file, std::optional<std::uint16_t> cardCode, std::optional<int> range,
                      const ValueLabel& label)
{
    if (cardCode && *cardCode != file.cardCode) {
        return {FileFit::Fault::OtherCard, {}};
    }
    if (range && IsCurrent(*range) != IsCurrent(file.firmwareRange)) {
        return {FileFit::Fault::OtherRange, {}};
    }
    if (cardCode) {
        if (auto fault = CheckWritable(file.cardCode, file.firmwareRange, file.settings, label)) {
            return {FileFit::Fault::ValueDoesNotFit, std::move(*fault)};
        }
    }
    return {};
}

} // namespace cards
