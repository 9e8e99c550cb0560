#include "cards/backup_file.h"

#include "cards/card_info.h"
#include "cards/card_lists.h"
#include "cards/encoding.h"
#include "cards/parameter_order.h"
#include "cards/parameters.h"

#include <set>
#include <vector>

namespace cards {

namespace {

constexpr const char* kFormat = "meshgate2-backup";
constexpr int kVersion = 1;

} // namespace

std::string BadBackupFile(const std::string& what)
{
    return "bad backup file: " + what;
}

std::optional<std::string> ParseBackupText(std::string_view text, nlohmann::json& document)
{
    if (const auto nul = text.find('\0'); nul != std::string_view::npos) {
        return "holds a NUL byte (byte " + std::to_string(nul + 1) + " of " + std::to_string(text.size()) +
               "); a backup is plain text";
    }
    // The keys seen so far in each object being parsed, innermost last, with the key that object belongs to.
    struct Open
    {
        std::string name;
        std::set<std::string> keys;
    };
    std::vector<Open> open;
    std::string lastKey;
    std::optional<std::string> twice;
    const auto note = [&](int, nlohmann::json::parse_event_t event, nlohmann::json& parsed) {
        using Event = nlohmann::json::parse_event_t;
        if (event == Event::object_start) {
            open.push_back({open.empty() ? std::string() : lastKey, {}});
        } else if (event == Event::object_end && !open.empty()) {
            open.pop_back();
        } else if (event == Event::key && !open.empty() && parsed.is_string()) {
            lastKey = parsed.get<std::string>();
            if (!open.back().keys.insert(lastKey).second && !twice) {
                twice = "has \"" + lastKey + "\" twice" +
                        (open.back().name.empty() ? std::string() : " in \"" + open.back().name + "\"") +
                        "; keep the one you mean";
            }
        }
        return true;
    };
    document = nlohmann::json::parse(text.begin(), text.end(), note, false);
    if (document.is_discarded()) {
        return "is not valid JSON";
    }
    return twice;
}

const char* BackupKey(const Parameter& parameter)
{
    const ParameterInfo* row = FindParameter(parameter);
    return row != nullptr ? row->backupKey : "";
}

nlohmann::json BackupToJson(std::uint16_t cardCode, int firmwareRange, const CardSettings& settings,
                            std::optional<std::string_view> firmwareText, std::optional<std::string_view> modelText)
{
    const CardInfo* card = FindCard(cardCode);
    nlohmann::json parameters = nlohmann::json::object();
    for (const Parameter& p : ReadOrder(card->bus)) {
        if (p == kIpBlock) {
            for (const IpPart& part : kIpParts) {
                parameters[part.key] = FormatIp(settings.ip.*part.field);
            }
        } else {
            parameters[BackupKey(p)] = *ParameterValue(settings, p);
        }
    }
    nlohmann::json document{{"format", kFormat},
                            {"version", kVersion},
                            {"cardCode", cardCode},
                            {"card", card->title},
                            {"range", RangeName(firmwareRange)}};
    if (firmwareText) {
        document["firmware"] = Latin1ToUtf8(*firmwareText);
    }
    if (modelText) {
        document["model"] = Latin1ToUtf8(*modelText);
    }
    document["parameters"] = parameters;
    return document;
}

std::optional<std::string> BackupFromJson(const nlohmann::json& document, Backup& out)
{
    if (!document.is_object()) {
        return BadBackupFile("not a JSON object");
    }
    if (document.value("format", nlohmann::json()) != kFormat) {
        return BadBackupFile("\"format\" is not \"meshgate2-backup\"");
    }
    const auto version = document.find("version");
    if (version == document.end() || !version->is_number_integer() || *version != kVersion) {
        return BadBackupFile("\"version\" is not 1");
    }
    const auto code = document.find("cardCode");
    if (code == document.end() || !code->is_number_integer() || *code < 0 || *code > 0xFFFF) {
        return BadBackupFile("\"cardCode\" is missing or not a number from 0 to 65535");
    }
    out.cardCode = code->get<std::uint16_t>();
    const CardInfo* card = FindCard(out.cardCode);
    if (card == nullptr) {
        return BadBackupFile("card code " + std::to_string(out.cardCode) + " has no settings");
    }
    const auto range = document.find("range");
    out.firmwareRange = range != document.end() && range->is_string() ? ParseRange(range->get<std::string>()) : -1;
    if (out.firmwareRange < 0) {
        return BadBackupFile("\"range\" is not \"legacy\" or \"current\"");
    }
    const auto parameters = document.find("parameters");
    if (parameters == document.end() || !parameters->is_object()) {
        return BadBackupFile("\"parameters\" is missing");
    }

    std::set<std::string> expected;
    out.settings = {};
    for (const Parameter& p : ReadOrder(card->bus)) {
        if (p == kIpBlock) {
            for (const IpPart& part : kIpParts) {
                expected.insert(part.key);
                const auto item = parameters->find(part.key);
                const auto address =
                    item != parameters->end() && item->is_string() ? ParseIp(item->get<std::string>()) : std::nullopt;
                if (!address) {
                    return BadBackupFile(std::string("\"") + part.key +
                                         "\" is missing or not an address like 192.168.1.10");
                }
                out.settings.ip.*part.field = *address;
            }
            continue;
        }
        const char* key = BackupKey(p);
        expected.insert(key);
        const auto item = parameters->find(key);
        if (item == parameters->end() || !item->is_number_integer() || *item < 0 || *item > 0xFFFF) {
            return BadBackupFile(std::string("\"") + key + "\" is missing or not a number from 0 to 65535");
        }
        SetParameterValue(out.settings, p, item->get<std::uint16_t>());
    }
    for (const auto& [key, value] : parameters->items()) {
        if (!expected.contains(key)) {
            return BadBackupFile("\"" + key + "\" is not a parameter of a " + card->title + " card");
        }
    }
    return std::nullopt;
}

} // namespace cards
