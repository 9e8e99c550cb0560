#include "cards/setting_values.h"

#include "cards/encoding.h"

#include <algorithm>
#include <cctype>

namespace cards {

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

const std::vector<SettingOption>& SettingOptions()
{
    static const std::vector<SettingOption> options = [] {
        std::vector<SettingOption> list;
        for (const ParameterInfo& row : ParameterTable()) {
            if (row.ipBlock) {
                for (const IpPart& part : kIpParts) {
                    list.push_back({part.key, part.help, part.initial, &row, &part});
                }
            } else if (row.option != nullptr) {
                list.push_back({row.option, row.help, row.initial, &row, nullptr});
            }
        }
        return list;
    }();
    return options;
}

std::optional<int> ParseCount(const std::string& text)
{
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    const int value = std::stoi(text);
    return value <= 0xFFFF ? std::optional<int>(value) : std::nullopt;
}

std::optional<std::uint32_t> ParseSettingValue(const ParameterInfo& row, const std::string& text)
{
    switch (row.syntax) {
    case ValueSyntax::Number:
        return ParseCount(text);
    case ValueSyntax::ListEntry: {
        const bool bracketed = text.size() > 2 && text.front() == '<' && text.back() == '>';
        const auto entry = ParseCount(bracketed ? text.substr(1, text.size() - 2) : text);
        return entry && *entry >= 1 ? std::optional<std::uint32_t>(*entry - 1) : std::nullopt;
    }
    case ValueSyntax::ListWord: {
        const std::string word = Lower(text);
        for (std::uint32_t code = 0; code < row.choices.size(); ++code) {
            const std::string choice = Lower(row.choices[code]);
            if (word == choice || word == choice.substr(0, choice.find(' '))) {
                return code;
            }
        }
        return std::nullopt;
    }
    case ValueSyntax::Address:
        return ParseIp(text);
    case ValueSyntax::None:
        break;
    }
    return std::nullopt;
}

void PutSettingValue(CardSettings& settings, const SettingOption& setting, std::uint32_t value)
{
    if (setting.part != nullptr) {
        settings.ip.*(setting.part->field) = value;
    } else {
        settings.*(setting.row->field) = static_cast<std::uint16_t>(value);
    }
}

} // namespace cards
