#include "cards/card_settings.h"

#include "cards/card_info.h"
#include "cards/parameters.h"
#include "cards/settings_check.h"

namespace cards {

namespace {

// The row of a one-register setting; nullptr for the IP block and what is no setting.
const ParameterInfo* OneRegisterSetting(const Parameter& parameter)
{
    const ParameterInfo* row = FindParameter(parameter);
    return row != nullptr && row->field != nullptr ? row : nullptr;
}

std::optional<AllowedRange> ListRange(TextList list)
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
    const ParameterInfo* row = FindParameter(parameter);
    if (row == nullptr || !row->IsSetting()) {
        return 0;
    }
    if (row->ipBlock) {
        EncodeIpBlock(settings.ip, out);
        return kIpBlock.Bytes();
    }
    EncodeU16(settings.*row->field, out.first<2>());
    return parameter.Bytes();
}

bool DecodeParameter(CardSettings& settings, const Parameter& parameter, std::span<const std::uint8_t> bytes)
{
    const ParameterInfo* row = FindParameter(parameter);
    if (row == nullptr || !row->IsSetting() || bytes.size() < parameter.Bytes()) {
        return false;
    }
    if (row->ipBlock) {
        settings.ip = DecodeIpBlock(bytes.first<kIpBlockBytes>());
        return true;
    }
    settings.*row->field = DecodeU16(bytes.first<2>());
    return true;
}

std::optional<std::uint16_t> ParameterValue(const CardSettings& settings, const Parameter& parameter)
{
    const ParameterInfo* row = OneRegisterSetting(parameter);
    if (row == nullptr) {
        return std::nullopt;
    }
    return settings.*row->field;
}

bool SetParameterValue(CardSettings& settings, const Parameter& parameter, std::uint16_t value)
{
    const ParameterInfo* row = OneRegisterSetting(parameter);
    if (row == nullptr) {
        return false;
    }
    settings.*row->field = value;
    return true;
}

std::optional<AllowedRange> WritableRange(std::uint16_t cardCode, int firmwareRange, const Parameter& parameter)
{
    const CardInfo* card = FindCard(cardCode);
    if (card == nullptr || !card->Writes(parameter) || OneRegisterSetting(parameter) == nullptr) {
        return std::nullopt;
    }
    if (parameter == kNodeAddress) {
        const NodeAddressRule* rule = card->nodeAddress;
        return rule ? std::optional<AllowedRange>(AllowedRange{rule->minimum, rule->maximum}) : std::nullopt;
    }
    return ListRange(ParameterList(cardCode, firmwareRange, parameter));
}

} // namespace cards
