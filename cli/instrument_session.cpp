#include "cli/instrument_session.h"

#include "cards/card_lists.h"
#include "cards/encoding.h"
#include "cards/parameter_order.h"
#include "cards/registers.h"
#include "host/open_error.h"

#include <algorithm>

namespace cli {

namespace {

// Zero-terminated text of at most `size` bytes.
std::string TextAt(const std::uint8_t* bytes, std::size_t size)
{
    std::size_t length = 0;
    while (length < size && bytes[length] != 0) {
        ++length;
    }
    return std::string(reinterpret_cast<const char*>(bytes), length);
}

} // namespace

std::string InstrumentSession::SearchDiagnosis() const
{
    return DiagnoseSearch(link.LastSearch(), link.Master().IsOpen());
}

void InstrumentSession::OnProbe(void* context, std::uint8_t address)
{
    auto* self = static_cast<InstrumentSession*>(context);
    const auto& candidates = InstrumentLink::kCandidateAddresses;
    const auto position = std::find(candidates.begin(), candidates.end(), address) - candidates.begin() + 1;
    *self->progress << (self->progressIsTerminal ? "\r\033[K" : "") << "Searching " << self->link.Master().DeviceName()
                    << ": slave address " << static_cast<int>(address) << " (" << position << " of "
                    << candidates.size() << ")..." << (self->progressIsTerminal ? "" : "\n") << std::flush;
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
            *progress << "\r\033[K" << std::flush; // the progress line gives way to what follows
        }
        if (found != 1) {
            if (Stopped()) {
                return Outcome::Fail(kExitInterrupted, "stopped before an instrument was found on " + out.device);
            }
            return Outcome::Fail(kExitNoDevice, "No device found on " + out.device + ". " + SearchDiagnosis());
        }
    }
    out.slaveAddress = link.SlaveAddress();

    std::uint8_t record[cards::kIdentification.Bytes()] = {};
    if (link.ReadBlock(cards::kIdentification.start, cards::kIdentification.Bytes(), record) != 1) {
        return Stopped() ? Outcome::Fail(kExitInterrupted, "stopped before the card was identified")
                         : Outcome::Fail(kExitCommunication, "the instrument did not send its card identification");
    }
    if (cards::DecodeU16(std::span<const std::uint8_t, 2>(record, 2)) != cards::kIdentificationEcho) {
        return Outcome::Fail(kExitCommunication, "the instrument sent an invalid card identification record");
    }
    out.cardCode = cards::DecodeU16(std::span<const std::uint8_t, 2>(record + 2, 2));
    out.card = cards::FindCard(out.cardCode);
    // The last byte always counts as the terminator: at most 19 characters.
    out.firmwareText = TextAt(record + cards::kFirmwareTextOffset, sizeof record - cards::kFirmwareTextOffset - 1);

    std::uint8_t model[cards::kModelBlock.Bytes()] = {};
    if (link.ReadBlock(cards::kModelBlock.start, cards::kModelBlock.Bytes(), model) != 1) {
        return Stopped() ? Outcome::Fail(kExitInterrupted, "stopped before the model was identified")
                         : Outcome::Fail(kExitCommunication, "the instrument did not send its model block");
    }
    out.modelText = TextAt(model + cards::kModelTextOffset, sizeof model - cards::kModelTextOffset);
    out.modelIndex = cards::FindModelIndex(out.modelText);
    return {};
}

Outcome InstrumentSession::ReadSettings(const cards::CardInfo& card, cards::CardSettings& settings,
                                        std::vector<cards::Parameter>& failed)
{
    failed.clear();
    for (const cards::Parameter& p : cards::ReadOrder(card.bus)) {
        if (ReadParameter(link, p, settings) != 1) {
            failed.push_back(p);
        }
    }
    if (Stopped()) {
        return Outcome::Fail(kExitInterrupted, "stopped; not read: " + cards::ListParameters(card.bus, failed));
    }
    if (!failed.empty()) {
        return Outcome::Fail(kExitCommunication, "could not read " + cards::ListParameters(card.bus, failed));
    }
    return {};
}

Outcome InstrumentSession::WriteSettings(const cards::CardInfo& card, const cards::CardSettings& settings,
                                         VerifiedWrite& report)
{
    report = {};
    report.write = WriteParameters(link, cards::WriteOrder(card.bus), settings);
    const WriteReport& write = report.write;
    if (!write.Ok()) {
        return Outcome::Fail(write.failure == WriteReport::Failure::Stopped ? kExitInterrupted : kExitCommunication,
                             DescribeWriteFailure(card.bus, write));
    }

    for (const cards::Parameter& p : write.written) {
        cards::CardSettings actual = settings;
        if (ReadParameter(link, p, actual) != 1) {
            report.unverified.push_back(p);
        } else if (actual != settings) {
            report.mismatched.push_back(p);
        }
    }
    if (!report.mismatched.empty()) {
        return Outcome::Fail(kExitCommunication, "written, but reads back different: " +
                                                     cards::ListParameters(card.bus, report.mismatched));
    }
    if (Stopped()) {
        return Outcome::Fail(kExitInterrupted, "stopped after writing every value; not read back to verify: " +
                                                   cards::ListParameters(card.bus, report.unverified));
    }
    if (!report.unverified.empty()) {
        return Outcome::Fail(kExitCommunication, "written, but could not be read back to verify: " +
                                                     cards::ListParameters(card.bus, report.unverified));
    }
    return {};
}

} // namespace cli
