#pragma once

#include "cards/card_info.h"
#include "cards/card_lists.h"
#include "cards/card_settings.h"
#include "cli/exit_code.h"
#include "cli/frame_trace.h"
#include "comm/card_transfer.h"
#include "comm/instrument_link.h"
#include "monitor/frame_log.h"

#include <csignal>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace cli {

struct LinkOptions
{
    std::optional<int> port;                                      // "COMn" resolved as the configurator does
    std::string device;                                           // or a device path
    std::uint32_t readTimeoutMs = InstrumentLink::kReadTimeoutMs; // the configurator's 400 ms unless told
    monitor::FrameLog* frames = nullptr;                          // records every frame when set
    FrameTrace* trace = nullptr;                                  // names each probed address when set
    const volatile std::sig_atomic_t* stop = nullptr;             // non-zero: no further transaction starts
    int slave = 0;                    // 1 to 255: the instrument's address, so no search; 0: search
    std::ostream* progress = nullptr; // each address the search tries is named here
    bool progressIsTerminal = false;  // then one line, rewritten as the search goes
};

// What the search found.
struct Identification
{
    std::string device;
    std::uint8_t slaveAddress = 0;
    std::uint16_t cardCode = 0;
    const cards::CardInfo* card = nullptr; // nullptr: a card without known settings
    std::string firmwareText;              // as the card reports it, without prefix
    std::string modelText;
    int modelIndex = cards::kModelNone;
};

// What a write of the settings did, parameter by parameter, and what reading back found.
struct VerifiedWrite
{
    WriteReport write;
    std::vector<cards::Parameter> mismatched; // read back different from what was written
    std::vector<cards::Parameter> unverified; // could not be read back
};

// One instrument on one port, for the length of a command.
class InstrumentSession
{
public:
    Outcome Open(const LinkOptions& options);
    // Finds the instrument, then reads identification and model block. An unsupported card is not a
    // failure here: callers decide (search reports it, the others stop).
    Outcome Identify(Identification& out);
    // Reads every parameter of the card in its read order. A parameter that cannot be read is listed in
    // `failed` and the others are still read; the outcome is then a communication failure.
    // The reads end with one of the identification record, which must name `cardCode` still; replies that
    // came out of turn fail the read (see InstrumentLink::ReadInTurn).
    Outcome ReadSettings(const cards::CardInfo& card, std::uint16_t cardCode, cards::CardSettings& settings,
                         std::vector<cards::Parameter>& failed);
    // Checks that the instrument still has the card `cardCode`, writes the card's parameters in its write
    // order, stopping at the first failure, then reads each written parameter back and compares.
    Outcome WriteSettings(const cards::CardInfo& card, std::uint16_t cardCode, const cards::CardSettings& settings,
                          VerifiedWrite& report);

    InstrumentLink& Link() { return link; }
    // A stop was asked for and a transaction was refused because of it.
    bool Stopped() const { return link.Master().LastResult() == ResultStopped; }
    // Why the last search found nothing, in one sentence.
    std::string SearchDiagnosis() const;

private:
    static void OnProbe(void* context, std::uint8_t address);

    InstrumentLink link;
    int slave = 0;
    AttemptSummary firstContact; // with a slave address given: what the identification read got
    std::ostream* progress = nullptr;
    bool progressIsTerminal = false;
    bool progressShown = false;
    std::size_t progressWidth = 0; // the longest progress line written, which a rewrite must cover
};

} // namespace cli
