#pragma once

#include "cards/card_info.h"
#include "cards/card_settings.h"

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

// A card's settings as a JSON document, the file both front ends save and load:
// {"format": "meshgate2-backup", "version": 1, "cardCode": 5, "card": "Profibus", "range": "current",
//  "firmware": "...", "model": "...", "parameters": {"nodeAddress": 7, "exchangeChoice": 2}}
// The parameters are exactly those the card reads, as raw register values; the IP block as
// "ip", "mask" and "gateway" in dotted form. "firmware" and "model" are what the card and the instrument
// reported, for the reader; they are left out when not known and never read back.
namespace cards {

struct Backup
{
    std::uint16_t cardCode = 0;
    int firmwareRange = kCurrent;
    CardSettings settings;
};

// The card code must name a card with settings (FindCard). The texts are the instrument's bytes.
nlohmann::json BackupToJson(std::uint16_t cardCode, int firmwareRange, const CardSettings& settings,
                            std::optional<std::string_view> firmwareText = std::nullopt,
                            std::optional<std::string_view> modelText = std::nullopt);

// Checks the whole document: format and version, a supported card code, the range, and exactly the
// card's parameters with values that fit their registers. Nothing on success, else the fault in words
// ("bad backup file: ...").
std::optional<std::string> BackupFromJson(const nlohmann::json& document, Backup& out);

// A file's text as a backup's JSON document, refusing what a JSON parser passes silently: a NUL byte (the
// parser stops reading there) and a key given twice in one object (it keeps the last). Nothing on success,
// else what is wrong, worded to follow the file's name: "is not valid JSON", "has \"cardCode\" twice".
std::optional<std::string> ParseBackupText(std::string_view text, nlohmann::json& document);

// The whole text of a file that is not even JSON, or is far too big to be a backup, in the same words.
std::string BadBackupFile(const std::string& what);

// The key a parameter has in the file ("nodeAddress", ...); the IP block has three.
const char* BackupKey(const Parameter& parameter);

} // namespace cards
