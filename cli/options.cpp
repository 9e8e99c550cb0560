#include "cli/options.h"

#include "cards/encoding.h"
#include "cards/parameters.h"
#include "host/port_map.h"

#include <algorithm>
#include <cctype>

namespace cli {

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

std::optional<int> ParseCount(const std::string& text)
{
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    const int value = std::stoi(text);
    return value <= 0xFFFF ? std::optional<int>(value) : std::nullopt;
}

std::optional<int> ParsePortName(const std::string& text)
{
    std::size_t length = 0;
    const auto number = ports::ParseComName(text, &length);
    return number && length == text.size() ? number : std::nullopt;
}

const std::vector<SettingOption>& SettingOptions()
{
    static const std::vector<SettingOption> options = [] {
        std::vector<SettingOption> list;
        for (const cards::ParameterInfo& row : cards::ParameterTable()) {
            if (row.ipBlock) {
                for (const cards::IpPart& part : cards::kIpParts) {
                    list.push_back({part.key, part.help, &row, &part});
                }
            } else if (row.option != nullptr) {
                list.push_back({row.option, row.help, &row, nullptr});
            }
        }
        return list;
    }();
    return options;
}

namespace {

// The value a setting's text stands for, by the syntax of its row; nothing for a bad one.
std::optional<std::uint32_t> ParseValue(const cards::ParameterInfo& row, const std::string& text)
{
    switch (row.syntax) {
    case cards::ValueSyntax::Number:
        return ParseCount(text);
    case cards::ValueSyntax::ListEntry: {
        const bool bracketed = text.size() > 2 && text.front() == '<' && text.back() == '>';
        const auto entry = ParseCount(bracketed ? text.substr(1, text.size() - 2) : text);
        return entry && *entry >= 1 ? std::optional<std::uint32_t>(*entry - 1) : std::nullopt;
    }
    case cards::ValueSyntax::ListWord: {
        const std::string word = Lower(text);
        for (std::uint32_t code = 0; code < row.choices.size(); ++code) {
            const std::string choice = Lower(row.choices[code]);
            if (word == choice || word == choice.substr(0, choice.find(' '))) {
                return code;
            }
        }
        return std::nullopt;
    }
    case cards::ValueSyntax::Address:
        return cards::ParseIp(text);
    case cards::ValueSyntax::None:
        break;
    }
    return std::nullopt;
}

} // namespace

Outcome ParseRequested(const Options& o, Requested& r)
{
    std::string all;
    for (const SettingOption& setting : SettingOptions()) {
        all += std::string(all.empty() ? "" : ", ") + "--" + setting.option;
        const auto given = o.settings.find(setting.option);
        if (given == o.settings.end() || given->second.empty()) {
            continue;
        }
        const std::string& text = given->second;
        const auto value = ParseValue(*setting.row, text);
        if (!value) {
            return Outcome::Fail(kExitInvalidInput, "invalid --" + std::string(setting.option) + " " + text +
                                                        ": expected " + setting.row->expected);
        }
        r.given.push_back({&setting, text, *value});
    }
    if (r.Empty()) {
        return Outcome::Fail(kExitInvalidInput, "nothing to apply: give at least one of " + all);
    }
    return {};
}

cards::CardSettings Requested::AppliedTo(cards::CardSettings settings) const
{
    for (const Value& v : given) {
        if (v.setting->part != nullptr) {
            settings.ip.*(v.setting->part->field) = v.value;
        } else {
            settings.*(v.setting->row->field) = static_cast<std::uint16_t>(v.value);
        }
    }
    return settings;
}

const char* OptionFor(const cards::Parameter& p)
{
    for (const SettingOption& setting : SettingOptions()) {
        if (setting.row->parameter == p) {
            return setting.option; // the IP block's first address for the block
        }
    }
    return "";
}

} // namespace cli
