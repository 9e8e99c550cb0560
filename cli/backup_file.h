#pragma once

#include "card_settings.h"
#include "exit_code.h"
#include "instrument_session.h"

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

// A card's settings in a JSON file:
// {"format": "meshgate2-backup", "version": 1, "cardCode": 5, "card": "Profibus", "range": "current",
//  "firmware": "...", "model": "...", "parameters": {"nodeAddress": 7, "exchangeChoice": 2}}
// The parameters are exactly those the card reads, as raw register values; the IP block as
// "ip", "mask" and "gateway" in dotted form.
namespace cli {

struct Backup
{
    std::uint16_t cardCode = 0;
    int firmwareRange = 1;
    cards::CardSettings settings;
};

nlohmann::json BackupToJson(const Identification& identity, int firmwareRange, const cards::CardSettings& settings);

// Checks the whole document: format and version, a supported card code, the range, and exactly the
// card's parameters with values that fit their registers. Any fault is kExitInvalidInput with a
// message naming it.
Outcome BackupFromJson(const nlohmann::json& document, Backup& out);

// Writes the file whole or not at all (a temporary file renamed over it).
Outcome SaveBackup(const std::string& path, const nlohmann::json& document);
Outcome LoadBackup(const std::string& path, Backup& out);

// The key a parameter has in the file ("nodeAddress", ...); the IP block has three.
const char* BackupKey(const cards::Parameter& parameter);

} // namespace cli
