#include "cli/instrument_session.h"

#include "cards/card_lists.h"
#include "cards/encoding.h"
#include "cards/parameter_order.h"
#include "cards/registers.h"
#include "host/open_error.h"

#include <algorithm>

namespace cli {

std::string InstrumentSession::SearchDiagnosis() const
{
    return DiagnoseSearch(slave != 0 ? firstContact : link.LastSearch(), link.Master().IsOpen(),
                          {link.Master().DeviceName(), static_cast<std::uint8_t>(slave)});
}

void InstrumentSession::OnProbe(void* context, std::uint8_t address)
{
    auto* self = static_cast<InstrumentSession*>(context);
    const std::string line = "Searching " + self->link.Master().DeviceName() + ": " + SearchStep(address) + "...";
    if (self->progressIsTerminal) {
        // Rewritten with a carriage return and blanks over what was longer, not an escape sequence: every
        // terminal and console window (cmd.exe, PowerShell, Windows before 10, Wine) understands these.
        *self->progress << '\r' << line
                        << std::string(self->progressWidth - std::min(self->progressWidth, line.size()), ' ');
        self->progressWidth = std::max(self->progressWidth, line.size());
    } else {
        *self->progress << line << '\n';
    }
    *self->progress << std::flush;
    self->progressShown = true;
}

Outcome InstrumentSession::Open(const LinkOptions& options)
{
    if (options.frames != nullptr) {
        options.frames->Attach(link.Master()); // the link goes before the log: no detach needed
    }
    slave = options.slave;
    progress = options.progress;
    progressIsTerminal = options.progressIsTerminal;
    if (options.trace != nullptr) {
        link.SetProbeObserver(&FrameTrace::OnProbe, options.trace); // a trace names the probes itself
    } else if (progress != nullptr) {
        link.SetProbeObserver(&InstrumentSession::OnProbe, this);
    }
    // Takes effect at the open below.
    link.Master().SetReadTimeout(options.readTimeoutMs);
    link.Master().SetStopFlag(options.stop);
    const int opened = options.port ? link.OpenPort(*options.port) : link.OpenDevice(options.device);
    if (opened != 1) {
        const std::string& device = link.Master().DeviceName();
        return Outcome::Fail(
            kExitPortUnavailable,
            "cannot open " + ExplainOpenFailure(options.port ? "COM" + std::to_string(*options.port) : std::string(),
                                                device, link.Master().LastOpenError(), link.Master().LastOpenDetail()));
    }
    if (options.trace != nullptr) {
        options.trace->Opened(link.Master().DeviceName());
    }
    return {};
}

Outcome InstrumentSession::Identify(Identification& out)
{
    out.device = link.Master().DeviceName();
    if (slave != 0) {
        link.SetSlaveAddress(static_cast<std::uint8_t>(slave));
    } else {
        const int found = link.Discover();
        if (progressShown && progressIsTerminal) {
            *progress << '\r' << std::string(progressWidth, ' ') << '\r' << std::flush; // gives way to what follows
        }
        if (found != 1) {
            if (Stopped()) {
                return Outcome::Fail(kExitInterrupted, "stopped before an instrument was found on " + out.device);
            }
            return Outcome::Fail(kExitNoDevice, "No device found on " + out.device + ". " + SearchDiagnosis());
        }
    }
    out.slaveAddress = link.SlaveAddress();

    const CardIdentity identity = link.Identify();
    switch (identity.failure) {
    case CardIdentity::Failure::RecordUnread:
        if (Stopped()) {
            return Outcome::Fail(kExitInterrupted, "stopped before the card was identified");
        }
        // Without a search this read is the first word with the instrument: no answer to it is no device,
        // as a search that nothing answers is.
        if (slave != 0) {
            firstContact = link.Master().LastAttempts();
            return Outcome::Fail(kExitNoDevice, "No device found on " + out.device + " at slave address " +
                                                    std::to_string(slave) + ". " + SearchDiagnosis());
        }
        return Outcome::Fail(kExitCommunication, "the instrument did not send its card identification");
    case CardIdentity::Failure::RecordInvalid:
        return Outcome::Fail(kExitCommunication, "the instrument sent an invalid card identification record");
    case CardIdentity::Failure::ModelUnread:
        return Stopped() ? Outcome::Fail(kExitInterrupted, "stopped before the model was identified")
                         : Outcome::Fail(kExitCommunication, "the instrument did not send its model block");
    case CardIdentity::Failure::None:
        break;
    }
    out.cardCode = identity.cardCode;
    out.card = cards::FindCard(out.cardCode);
    out.firmwareText = identity.firmwareText;
    out.modelText = identity.modelText;
    out.modelIndex = identity.modelIndex;
    return {};
}

Outcome InstrumentSession::ReadSettings(const cards::CardInfo& card, std::uint16_t cardCode,
                                        cards::CardSettings& settings, std::vector<cards::Parameter>& failed)
{
    const auto order = cards::ReadOrder(card.bus);
    TurnCheck turn;
    link.ReadInTurn(
        [&] {
            failed.clear();
            for (const cards::Parameter& p : order) {
                if (ReadParameter(link, p, settings) != 1) {
                    failed.push_back(p);
                }
            }
            return failed.size() == order.size() ? 0 : 1;
        },
        turn);
    if (Stopped()) {
        return Outcome::Fail(kExitInterrupted, "stopped; not read: " + cards::ListParameters(card.bus, failed));
    }
    if (!failed.empty()) {
        return Outcome::Fail(kExitCommunication, "could not read " + cards::ListParameters(card.bus, failed));
    }
    if (turn.outOfTurn) {
        failed.assign(order.begin(), order.end());
        return Outcome::Fail(kExitCommunication, "replies came out of turn in " + std::to_string(turn.rounds) +
                                                     " tries (the line repeats or delays frames: check the converter "
                                                     "or device server); nothing read can be trusted");
    }
    if (turn.cardCode == 0) {
        failed.assign(order.begin(), order.end());
        return Outcome::Fail(kExitCommunication,
                             "the card could not be identified again after reading; nothing read can be trusted");
    }
    if (turn.cardCode != cardCode) {
        failed.assign(order.begin(), order.end());
        return Outcome::Fail(kExitCommunication, DescribeCardChange(cardCode, turn.cardCode));
    }
    return {};
}

Outcome InstrumentSession::WriteSettings(const cards::CardInfo& card, std::uint16_t cardCode,
                                         const cards::CardSettings& settings, VerifiedWrite& report)
{
    report = {};
    const Download download = DownloadSettings(link, cardCode, cards::WriteOrder(card.bus), settings);
    report.write = download.write;
    if (!download.Written()) {
        return Outcome::Fail(Stopped() ? kExitInterrupted : kExitCommunication,
                             DescribeDownload(card.bus, cardCode, download));
    }
    const WriteReport& write = report.write;
    if (!write.Ok()) {
        return Outcome::Fail(write.failure == WriteReport::Failure::Stopped ? kExitInterrupted : kExitCommunication,
                             DescribeWriteFailure(card.bus, write));
    }

    const Verification& check = *download.verification;
    report.mismatched = check.mismatched;
    report.unverified = check.unverified;
    if (!report.mismatched.empty() || check.CardChanged() || check.outOfTurn) {
        return Outcome::Fail(kExitCommunication, DescribeVerification(card.bus, check));
    }
    if (Stopped()) {
        return Outcome::Fail(kExitInterrupted, "stopped after writing every value; not read back to verify: " +
                                                   cards::ListParameters(card.bus, report.unverified));
    }
    if (!report.unverified.empty()) {
        return Outcome::Fail(kExitCommunication, DescribeVerification(card.bus, check));
    }
    return {};
}

} // namespace cli
