#pragma once

#include "cards/card_settings.h"
#include "cli/instrument_session.h"

#include <nlohmann/json.hpp>
#include <string>

namespace cli {

// One parameter as read: {"name", "register", "raw", "text", "valid", ...}. A value outside its list
// or range is kept with "valid": false and a note saying what the card allows, never hidden.
nlohmann::json DescribeParameterValue(const Identification& identity, int firmwareRange,
                                      const cards::CardSettings& settings, const cards::Parameter& parameter);

// "Profibus card (code 5)", or "card code 3" for an unsupported card.
std::string CardText(const Identification& identity);

} // namespace cli
