#pragma once

#include "card_settings.h"
#include "instrument_link.h"
#include "registers.h"

#include <optional>
#include <span>
#include <vector>

// A card's settings to and from the instrument, one parameter at a time, each with exactly its own start
// and length. The one path by which the pages and the command line move settings: the register images
// come from cards::EncodeParameter and go back through cards::DecodeParameter.

// Reads one setting into `settings`; 1 on success, 0 (settings untouched) on failure.
int ReadParameter(InstrumentLink& link, const cards::Parameter& parameter, cards::CardSettings& settings);

// What a write of several parameters did.
struct WriteReport
{
    std::vector<cards::Parameter> written;
    std::optional<cards::Parameter> failed;   // the write that failed; later ones were not sent
    std::vector<cards::Parameter> notWritten; // the failed one and every one after it
    bool Ok() const { return !failed; }
};

// Writes the parameters in `order` one after another from `settings`, stopping at the first that fails.
WriteReport WriteParameters(InstrumentLink& link, std::span<const cards::Parameter> order,
                            const cards::CardSettings& settings);
