#include "cards/card_lists.h"

#include "cards/parameters.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace cards {

namespace {

constexpr std::array<const char*, 5> kModelTokens{"K320", "P320", " RK3", "G320", "K4"};
constexpr std::array<const char*, 5> kModelNames{"K320", "P320", "RK3", "G320", "K4"};
constexpr std::array<const char*, 5> kStationPrefixes{"vornk3", "vornp3", "vornrk3", "vorng3", "vornk4"};

} // namespace

TextList ModeList()
{
    return FindParameter(kAddressMode)->choices;
}

TextList BaudList(const CardInfo& card)
{
    const TextList all = FindParameter(kBaudCode)->choices;
    return all.first(std::min(card.baudCount, all.size()));
}

const char* ModuleText(const CardInfo& card, int firmwareRange, int code)
{
    const auto texts = card.ModuleTexts(firmwareRange);
    return code >= 0 && static_cast<std::size_t>(code) < texts.size() ? texts[static_cast<std::size_t>(code)] : nullptr;
}

TextList ModelTokens()
{
    return kModelTokens;
}

int FindModelIndex(std::string_view modelText)
{
    for (std::size_t i = 0; i < kModelTokens.size(); ++i) {
        if (modelText.find(kModelTokens[i]) != std::string_view::npos) {
            return static_cast<int>(i);
        }
    }
    return kModelNone;
}

const char* ModelName(int modelIndex)
{
    return modelIndex >= 0 && modelIndex < kModelNone ? kModelNames[static_cast<std::size_t>(modelIndex)] : "unknown";
}

const char* StationNamePrefix(int modelIndex)
{
    return modelIndex >= 0 && modelIndex < kModelNone ? kStationPrefixes[static_cast<std::size_t>(modelIndex)] : "";
}

std::string FormatStationNumber(int number)
{
    char text[16];
    std::snprintf(text, sizeof text, "%03d", number);
    return text;
}

std::optional<int> ParseStationNumber(std::string_view text)
{
    if (text.empty() || text.size() > 6) {
        return std::nullopt;
    }
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    if (!BaseCard(Bus::Profinet).nodeAddress->Accepts(value)) {
        return std::nullopt;
    }
    return value;
}

} // namespace cards
