#include "cli/options.h"

#include "host/port_map.h"

namespace cli {

std::optional<int> ParsePortName(const std::string& text)
{
    std::size_t length = 0;
    const auto number = ports::ParseComName(text, &length);
    return number && length == text.size() ? number : std::nullopt;
}

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
        const auto value = cards::ParseSettingValue(*setting.row, text);
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
        cards::PutSettingValue(settings, *v.setting, v.value);
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
