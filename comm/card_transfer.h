#pragma once

#include "cards/card_info.h"
#include "cards/card_settings.h"
#include "cards/registers.h"
#include "comm/instrument_link.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

// A card's settings to and from the instrument, one parameter at a time, each with exactly its own start
// and length. The one path by which the pages and the command line move settings: the register images
// come from cards::EncodeParameter and go back through cards::DecodeParameter.

// Reads one setting into `settings`; 1 on success, 0 (settings untouched) on failure.
int ReadParameter(InstrumentLink& link, const cards::Parameter& parameter, cards::CardSettings& settings);

// What a write of several parameters did.
struct WriteReport
{
    enum class Failure
    {
        None,
        Refused, // the instrument answered with an exception: not written
        NoReply, // no valid reply, and reading back shows the old value: not written
        Unknown, // no valid reply, and it could not be read back: written or not, nobody can tell
        Stopped, // a stop was asked for before this write
    };
    std::vector<cards::Parameter> written;
    std::vector<cards::Parameter> replyLost; // written, as reading back showed, though their reply was lost
    std::optional<cards::Parameter> failed;  // where the write stopped; later ones were not sent
    Failure failure = Failure::None;
    std::vector<cards::Parameter> notWritten; // the failed one (unless Unknown) and every one after it
    bool Ok() const { return failure == Failure::None; }
};

// Writes the parameters in `order` one after another from `settings`, stopping at the first that fails.
// A write whose reply is lost is read back: when the instrument holds the value it counts as written.
WriteReport WriteParameters(InstrumentLink& link, std::span<const cards::Parameter> order,
                            const cards::CardSettings& settings);

// What reading back the written parameters found: an instrument may acknowledge a write and keep the old
// value.
struct Verification
{
    std::vector<cards::Parameter> mismatched; // read back different from what was written
    std::vector<cards::Parameter> unverified; // could not be read back
    bool outOfTurn = false;       // replies came out of turn while reading back: what was read proves nothing
    std::uint16_t cardAfter = 0;  // the card the closing identification read named (0: it did not come)
    std::uint16_t cardWanted = 0; // the card written to
    bool CardChanged() const { return cardAfter != 0 && cardAfter != cardWanted; }
    bool Ok() const { return mismatched.empty() && unverified.empty() && !outOfTurn && !CardChanged(); }
};
// Reads each of `written` back and compares it with `settings`, in a checked sequence (ReadInTurn) whose
// closing identification read must name `cardCode`: a value read back from another card proves nothing.
Verification VerifyWritten(InstrumentLink& link, std::uint16_t cardCode, std::span<const cards::Parameter> written,
                           const cards::CardSettings& settings);

// The download both front ends go through: with `checkCard`, the card is identified right before the first
// write, so that values meant for one card never reach another (the cable may have moved since the search);
// the parameters go in `order`, stopping at the first that fails; then, with `verify`, every written one is
// read back.
struct Download
{
    enum class CardCheck
    {
        Same,
        Unread,  // the identification record did not come: nothing written
        Changed, // another card answers: nothing written
    };
    CardCheck cardCheck = CardCheck::Same;
    std::uint16_t cardFound = 0; // what the identification read named
    WriteReport write;
    std::optional<Verification> verification; // with `verify`, once something was written
    bool Written() const { return cardCheck == CardCheck::Same; }
    bool Ok() const { return Written() && write.Ok() && (!verification || verification->Ok()); }
};
struct DownloadChecks
{
    bool checkCard = true;
    bool verify = true;
};
Download DownloadSettings(InstrumentLink& link, std::uint16_t cardCode, std::span<const cards::Parameter> order,
                          const cards::CardSettings& settings, DownloadChecks checks = {});

// "The instrument now has the Profibus card (code 5), not the EtherNet/IP card (code 7) the search found:
// search again."
std::string DescribeCardChange(std::uint16_t found, std::uint16_t now);
// Why a download wrote nothing, or what went wrong in it, in words for the operator; empty when it went well.
std::string DescribeDownload(cards::Bus bus, std::uint16_t cardCode, const Download& download);
// "written, but reads back different: station address", else "written, but could not be read back to
// verify: ..."; empty when all was verified.
std::string DescribeVerification(cards::Bus bus, const Verification& verification);

// Why a write stopped and what it did, in words for the operator: "writing IP block (0x3014) failed;
// already written: address mode; not written: IP block, exchange table".
std::string DescribeWriteFailure(cards::Bus bus, const WriteReport& report);
