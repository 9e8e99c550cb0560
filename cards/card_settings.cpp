#include "cards/card_settings.h"

#include "cards/card_info.h"
#include "cards/card_lists.h"
#include "cards/parameter_order.h"

namespace cards {

namespace {

// The one-register settings, by start register; nullptr for anything else. A template so one
// mapping serves const and mutable settings alike.
template <class Settings> auto Field(Settings& settings, std::uint16_t start) -> decltype(&settings.nodeAddress)
{
    switch (start) {
    case kNodeAddress.start:
        return &settings.nodeAddress;
    case kBaudCode.start:
        return &settings.baudCode;
    case kExchangeChoice.start:
        return &settings.exchangeChoice;
    case kAddressMode.start:
        return &settings.addressMode;
    default:
        return nullptr;
    }
}

bool IsSetting(const Parameter& parameter)
{
    return parameter == kNodeAddress || parameter == kBaudCode || parameter == kExchangeChoice ||
           parameter == kAddressMode || parameter == kIpBlock;
}

std::optional<AllowedRange> ListRange(std::span<const char* const> list)
{
    if (list.empty()) {
        return std::nullopt;
    }
    return AllowedRange{0, static_cast<int>(list.size()) - 1};
}

} // namespace

int EncodeParameter(const CardSettings& settings, const Parameter& parameter,
                    std::span<std::uint8_t, kIpBlockBytes> out)
{
    if (!IsSetting(parameter)) {
        return 0;
    }
    if (parameter == kIpBlock) {
        EncodeIpBlock(settings.ip, out);
        return kIpBlock.Bytes();
    }
    EncodeU16(*ParameterValue(settings, parameter), out.first<2>());
    return parameter.Bytes();
}

bool DecodeParameter(CardSettings& settings, const Parameter& parameter, std::span<const std::uint8_t> bytes)
{
    if (!IsSetting(parameter) || bytes.size() < parameter.Bytes()) {
        return false;
    }
    if (parameter == kIpBlock) {
        settings.ip = DecodeIpBlock(bytes.first<kIpBlockBytes>());
        return true;
    }
    *Field(settings, parameter.start) = DecodeU16(bytes.first<2>());
    return true;
}

std::optional<std::uint16_t> ParameterValue(const CardSettings& settings, const Parameter& parameter)
{
    if (!IsSetting(parameter) || parameter == kIpBlock) {
        return std::nullopt;
    }
    return *Field(settings, parameter.start);
}

bool SetParameterValue(CardSettings& settings, const Parameter& parameter, std::uint16_t value)
{
    if (!IsSetting(parameter) || parameter == kIpBlock) {
        return false;
    }
    *Field(settings, parameter.start) = value;
    return true;
}

std::optional<AllowedRange> WritableRange(std::uint16_t cardCode, int firmwareRange, const Parameter& parameter)
{
    const CardInfo* card = FindCard(cardCode);
    if (card == nullptr) {
        return std::nullopt;
    }
    const auto order = WriteOrder(card->bus);
    bool written = false;
    for (const Parameter& p : order) {
        written = written || p == parameter;
    }
    if (!written) {
        return std::nullopt;
    }
    if (parameter == kNodeAddress) {
        const NodeAddressRule* rule = FindNodeAddressRule(cardCode);
        return rule ? std::optional<AllowedRange>(AllowedRange{rule->minimum, rule->maximum}) : std::nullopt;
    }
    if (parameter == kBaudCode) {
        return ListRange(BaudList(cardCode));
    }
    if (parameter == kExchangeChoice) {
        return ListRange(ExchangeTable(card->bus, firmwareRange));
    }
    if (parameter == kAddressMode) {
        return ListRange(ModeList());
    }
    return std::nullopt;
}

} // namespace cards
