#include "backup_file.h"

#include "card_info.h"
#include "card_lists.h"
#include "encoding.h"
#include "file_io.h"
#include "parameter_order.h"

#include <cerrno>
#include <set>

namespace cli {

namespace {

constexpr const char* kFormat = "meshgate2-backup";
constexpr int kVersion = 1;
constexpr std::size_t kMaxBackupBytes = 64 * 1024;
constexpr const char* kIpKeys[3] = {"ip", "mask", "gateway"};

Outcome Corrupt(const std::string& what)
{
    return Outcome::Fail(kExitInvalidInput, "bad backup file: " + what + "; nothing written");
}

} // namespace

const char* BackupKey(const cards::Parameter& parameter)
{
    switch (parameter.start) {
    case cards::kNodeAddress.start:
        return "nodeAddress";
    case cards::kBaudCode.start:
        return "baudCode";
    case cards::kExchangeChoice.start:
        return "exchangeChoice";
    case cards::kAddressMode.start:
        return "addressMode";
    case cards::kIpBlock.start:
        return "ipBlock";
    default:
        return "";
    }
}

nlohmann::json BackupToJson(const Identification& identity, int firmwareRange, const cards::CardSettings& settings)
{
    nlohmann::json parameters = nlohmann::json::object();
    for (const cards::Parameter& p : cards::ReadOrder(identity.card->bus)) {
        if (p == cards::kIpBlock) {
            parameters["ip"] = cards::FormatIp(settings.ip.ip);
            parameters["mask"] = cards::FormatIp(settings.ip.mask);
            parameters["gateway"] = cards::FormatIp(settings.ip.gateway);
        } else {
            parameters[BackupKey(p)] = *cards::ParameterValue(settings, p);
        }
    }
    return nlohmann::json{{"format", kFormat},
                          {"version", kVersion},
                          {"cardCode", identity.cardCode},
                          {"card", identity.card->title},
                          {"range", cards::RangeName(firmwareRange)},
                          {"firmware", cards::Latin1ToUtf8(identity.firmwareText)},
                          {"model", cards::Latin1ToUtf8(identity.modelText)},
                          {"parameters", parameters}};
}

Outcome BackupFromJson(const nlohmann::json& document, Backup& out)
{
    if (!document.is_object()) {
        return Corrupt("not a JSON object");
    }
    if (document.value("format", nlohmann::json()) != kFormat) {
        return Corrupt("\"format\" is not \"meshgate2-backup\"");
    }
    const auto version = document.find("version");
    if (version == document.end() || !version->is_number_integer() || *version != kVersion) {
        return Corrupt("\"version\" is not 1");
    }
    const auto code = document.find("cardCode");
    if (code == document.end() || !code->is_number_integer() || *code < 0 || *code > 0xFFFF) {
        return Corrupt("\"cardCode\" is missing or not a number from 0 to 65535");
    }
    out.cardCode = code->get<std::uint16_t>();
    const cards::CardInfo* card = cards::FindCard(out.cardCode);
    if (card == nullptr) {
        return Corrupt("card code " + std::to_string(out.cardCode) + " has no settings");
    }
    const auto range = document.find("range");
    out.firmwareRange =
        range != document.end() && range->is_string() ? cards::ParseRange(range->get<std::string>()) : -1;
    if (out.firmwareRange < 0) {
        return Corrupt("\"range\" is not \"legacy\" or \"current\"");
    }
    const auto parameters = document.find("parameters");
    if (parameters == document.end() || !parameters->is_object()) {
        return Corrupt("\"parameters\" is missing");
    }

    std::set<std::string> expected;
    out.settings = {};
    for (const cards::Parameter& p : cards::ReadOrder(card->bus)) {
        if (p == cards::kIpBlock) {
            std::uint32_t* targets[3] = {&out.settings.ip.ip, &out.settings.ip.mask, &out.settings.ip.gateway};
            for (int i = 0; i < 3; ++i) {
                expected.insert(kIpKeys[i]);
                const auto item = parameters->find(kIpKeys[i]);
                const auto address = item != parameters->end() && item->is_string()
                                         ? cards::ParseIp(item->get<std::string>())
                                         : std::nullopt;
                if (!address) {
                    return Corrupt(std::string("\"") + kIpKeys[i] +
                                   "\" is missing or not an address like 192.168.1.10");
                }
                *targets[i] = *address;
            }
            continue;
        }
        const char* key = BackupKey(p);
        expected.insert(key);
        const auto item = parameters->find(key);
        if (item == parameters->end() || !item->is_number_integer() || *item < 0 || *item > 0xFFFF) {
            return Corrupt(std::string("\"") + key + "\" is missing or not a number from 0 to 65535");
        }
        std::uint8_t bytes[2];
        cards::EncodeU16(item->get<std::uint16_t>(), bytes);
        cards::DecodeParameter(out.settings, p, bytes);
    }
    for (const auto& [key, value] : parameters->items()) {
        if (!expected.contains(key)) {
            return Corrupt("\"" + key + "\" is not a parameter of a " + card->title + " card");
        }
    }
    return {};
}

Outcome SaveBackup(const std::string& path, const nlohmann::json& document)
{
    // Whole or not at all: an interrupted backup never leaves a half-written file in place of a good one.
    const file_io::Result written = file_io::WriteFileAtomically(path, document.dump(2, ' ', true) + "\n");
    if (!written.Ok()) {
        return Outcome::Fail(kExitFileError, "cannot write " + path + ": " + written.what);
    }
    return {};
}

Outcome LoadBackup(const std::string& path, Backup& out)
{
    std::string content;
    const file_io::Result read = file_io::ReadSmallFile(path, kMaxBackupBytes, content);
    if (read.error == EFBIG) {
        // A backup is a few hundred bytes; a bigger file is not one.
        return Corrupt(path + " is far larger than a backup");
    }
    if (!read.Ok()) {
        return Outcome::Fail(kExitFileError, "cannot read " + path + ": " + read.what + "; nothing written");
    }
    const nlohmann::json document = nlohmann::json::parse(content, nullptr, false);
    if (document.is_discarded()) {
        return Corrupt(path + " is not valid JSON");
    }
    return BackupFromJson(document, out);
}

} // namespace cli
