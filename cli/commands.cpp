#include "cli/commands.h"

#include "cards/card_info.h"
#include "cards/parameter_order.h"
#include "cards/settings_check.h"
#include "cli/parameter_report.h"
#include "host/backup_io.h"
#include "host/open_error.h"

#include <algorithm>
#include <cerrno>

namespace cli {

namespace {

// Opens the port named by the options and finds the instrument. `requireCard`: an unsupported card
// ends the command with its own exit code.
Outcome Connect(const Command& c, InstrumentSession& session, Identification& id, bool requireCard,
                CommandResult& result)
{
    const Options& o = c.options;
    if (o.port.empty() == o.device.empty()) {
        return Outcome::Fail(kExitInvalidInput, "give the port: --port COMn or --device PATH (one of them)");
    }
    LinkOptions link;
    link.readTimeoutMs = o.timeoutMs;
    link.frames = c.frames;
    link.trace = c.trace;
    link.stop = c.stop;
    link.slave = o.slave;
    link.progress = o.quiet ? nullptr : c.progress;
    link.progressIsTerminal = c.progressIsTerminal;
    if (!o.port.empty()) {
        const auto number = ParsePortName(o.port);
        if (!number) {
            return Outcome::Fail(kExitInvalidInput,
                                 "invalid --port " + o.port + ": expected COM1 to COM255 (or --device PATH)");
        }
        link.port = *number;
    }
    link.device = o.device;
    Outcome outcome = session.Open(link);
    // A port number that opens something although the assignments are not read may open another device than
    // the one assigned to it: say so beside whatever the command does.
    if (outcome.Ok() && link.port) {
        if (const std::string problem = ports::AssignmentProblem(); !problem.empty()) {
            const ports::ComPort opened = ports::ResolveComPort(*link.port);
            result.notes.push_back(problem + "; COM" + std::to_string(*link.port) + " opened " +
                                   session.Link().Master().DeviceName() + " (" + ports::SourceName(opened.source) +
                                   "), not an assignment of it");
        }
    }
    if (outcome.Ok()) {
        outcome = session.Identify(id);
        if (outcome.exitCode == kExitNoDevice) {
            result.diagnosis = session.SearchDiagnosis();
        }
    }
    if (outcome.Ok() && requireCard && id.card == nullptr) {
        outcome = Outcome::Fail(kExitUnsupportedCard, std::string(cards::kUnsupportedMessage) + " (card code " +
                                                          std::to_string(id.cardCode) + ")");
    }
    return outcome;
}

// Finds the instrument, requires a card with known settings and reads them all. `consequence` ends the
// message of a failed read ("nothing written", ...). With `report` (read), what was found is kept even when
// it is not enough: the identity of an unsupported card, the values of a read that failed in part.
bool ConnectAndRead(const Command& c, InstrumentSession& session, CommandResult& result, const char* consequence,
                    bool report = false)
{
    Identification id;
    result.outcome = Connect(c, session, id, true, result);
    if (result.outcome.Ok() || (report && result.outcome.exitCode == kExitUnsupportedCard)) {
        result.identity = id;
    }
    if (!result.outcome.Ok()) {
        return false;
    }
    SettingsRead read;
    read.range = c.firmwareRange;
    result.outcome = session.ReadSettings(*id.card, id.cardCode, read.settings, read.failed);
    if (!result.outcome.Ok()) {
        result.outcome.message += consequence;
        if (report) {
            result.read = read;
        }
        return false;
    }
    result.read = read;
    return true;
}

// Writes in the card's order and verifies, unless `fault` says why a value does not fit: the part apply and
// restore share, each with its own check.
void CheckAndWrite(InstrumentSession& session, CommandResult& result, int range, const cards::CardSettings& after,
                   const std::optional<std::string>& fault)
{
    const Identification& id = *result.identity;
    SettingsWrite& write = result.write.emplace();
    write.range = range;
    write.before = result.read->settings;
    write.after = after;
    if (fault) {
        result.outcome = Outcome::Fail(kExitInvalidInput, *fault + "; nothing written");
        return;
    }
    write.checked = true;
    result.outcome = session.WriteSettings(*id.card, id.cardCode, after, write.report);
}

// A backup file's fault as the command line reports it: a file that is no usable backup is invalid input.
Outcome BackupOutcome(const backup_io::Result& r, const char* consequence = "")
{
    if (r.Ok()) {
        return {};
    }
    return Outcome::Fail(r.fault == backup_io::Result::Fault::BadFile ? kExitInvalidInput : kExitFileError,
                         r.message + consequence);
}

} // namespace

CommandResult RunPorts(const Command&)
{
    CommandResult result("ports");
    PortList& list = result.ports.emplace();
    for (const ports::SerialDevice& device : ports::ScanSerialDevices()) {
        list.devices.push_back({device, AccessProblem(device.path)});
    }
    constexpr int kListedPorts = 9; // the configurator's list
    for (const ports::ComPort& port : ports::ResolveComPorts(kListedPorts)) {
        const bool exists = !port.path.empty() && ports::DevicePresent(port.path);
        list.comPorts.push_back({port, exists, exists ? AccessProblem(port.path) : std::string()});
    }
    list.assignmentFile = ports::AssignmentFile();
    list.assignmentProblem = ports::AssignmentProblem();
    return result;
}

CommandResult RunAssign(const Command& c)
{
    CommandResult result("assign");
    const auto number = ParsePortName(c.options.assignPort);
    if (!number || *number > ports::kMaxAssignedPort) {
        result.outcome =
            Outcome::Fail(kExitInvalidInput, "invalid port " + c.options.assignPort + ": expected COM1 to COM" +
                                                 std::to_string(ports::kMaxAssignedPort));
        return result;
    }
    if (c.options.clear == !c.options.assignDevice.empty()) {
        result.outcome = Outcome::Fail(kExitInvalidInput, "give the device to assign, or --clear (one of them)");
        return result;
    }
    const file_io::Result written = ports::Assign(*number, c.options.assignDevice);
    if (!written.Ok()) {
        result.outcome = Outcome::Fail(written.error == EINVAL ? kExitInvalidInput : kExitFileError,
                                       "cannot assign COM" + std::to_string(*number) + ": " + written.what);
        return result;
    }
    Assignment& done = result.assignment.emplace();
    done.port = *number;
    done.device = ports::StoredDevicePath(c.options.assignDevice);
    done.file = ports::AssignmentFile();
    if (const ports::ComPort now = ports::ResolveComPort(*number); now.source == ports::Source::Environment) {
        done.overriddenBy = "MESHGATE2_COM" + std::to_string(*number);
        done.opens = now.path;
    }
    return result;
}

CommandResult RunSearch(const Command& c)
{
    CommandResult result("search");
    InstrumentSession session;
    Identification id;
    result.outcome = Connect(c, session, id, false, result);
    if (result.outcome.Ok()) {
        result.identity = id;
        if (id.card == nullptr) {
            result.outcome = Outcome::Fail(kExitUnsupportedCard, cards::kUnsupportedMessage);
        }
    }
    return result;
}

CommandResult RunRead(const Command& c)
{
    CommandResult result("read");
    InstrumentSession session;
    ConnectAndRead(c, session, result, "", true);
    return result;
}

CommandResult RunApply(const Command& c)
{
    CommandResult result("apply");
    Requested requested;
    result.outcome = ParseRequested(c.options, requested);
    if (!result.outcome.Ok()) {
        return result;
    }
    InstrumentSession session;
    if (!ConnectAndRead(c, session, result, " (needed before writing); nothing written")) {
        return result;
    }
    const cards::CardInfo& card = *result.identity->card;
    for (const Requested::Value& given : requested.given) {
        const std::string option = given.setting->option;
        const cards::Parameter& p = given.setting->row->parameter;
        if (!card.Writes(p)) {
            const std::string name = cards::ParameterName(card.bus, p.start);
            const std::string what =
                card.Reads(p) ? "the " + name + " of a " + card.title + " card is shown only and set on its network"
                              : std::string("this ") + card.title + " card has no " + name;
            result.outcome =
                Outcome::Fail(kExitInvalidInput, "--" + option + " does not apply: " + what + "; nothing written");
            return result;
        }
    }

    const cards::CardSettings after = requested.AppliedTo(result.read->settings);

    const auto label = [&](const cards::Parameter& p, int value) {
        for (const Requested::Value& given : requested.given) {
            if (given.setting->row->parameter == p) {
                return "invalid --" + std::string(given.setting->option) + " " + given.text;
            }
        }
        return "the instrument holds " + std::string(cards::ParameterName(card.bus, p.start)) + " " +
               std::to_string(value) + " (give --" + OptionFor(p) + " to change it)";
    };
    CheckAndWrite(session, result, c.firmwareRange, after,
                  cards::CheckWritable(result.identity->cardCode, c.firmwareRange, after, label));
    return result;
}

CommandResult RunBackup(const Command& c)
{
    CommandResult result("backup", c.options.file);
    InstrumentSession session;
    if (!ConnectAndRead(c, session, result, "; no backup written")) {
        return result;
    }
    const Identification& id = *result.identity;
    result.backup =
        cards::BackupToJson(id.cardCode, c.firmwareRange, result.read->settings, id.firmwareText, id.modelText);
    result.outcome = BackupOutcome(backup_io::SaveBackup(c.options.file, *result.backup));
    // Worth keeping as a record, but neither restore nor the window takes it back as it is.
    const auto label = [&](const cards::Parameter& p, int value) {
        return "the instrument's " + std::string(cards::BackupKey(p)) + " " + std::to_string(value);
    };
    if (const auto fault = cards::CheckWritable(id.cardCode, c.firmwareRange, result.read->settings, label);
        fault && result.outcome.Ok()) {
        result.notes.push_back(*fault + "; restore and the window refuse this file until that value is changed");
    }
    return result;
}

CommandResult RunRestore(const Command& c)
{
    CommandResult result("restore", c.options.file);
    cards::Backup backup;
    result.outcome = BackupOutcome(backup_io::LoadBackup(c.options.file, backup), "; nothing written");
    const auto label = [&](const cards::Parameter& p, int value) {
        return "the backup's " + std::string(cards::BackupKey(p)) + " " + std::to_string(value);
    };
    // Without --range the file's own range is taken; with it, a file of the other range is refused before
    // anything is sent.
    const auto range = c.rangeGiven ? std::optional<int>(c.firmwareRange) : std::nullopt;
    if (result.outcome.Ok() &&
        cards::CheckFileFits(backup, std::nullopt, range, label).fault == cards::FileFit::Fault::OtherRange) {
        result.outcome = Outcome::Fail(
            kExitInvalidInput, "the backup was made for range " + std::string(cards::RangeName(backup.firmwareRange)) +
                                   ", not " + cards::RangeName(c.firmwareRange) + "; nothing written");
    }
    if (!result.outcome.Ok()) {
        return result;
    }
    InstrumentSession session;
    if (!ConnectAndRead(c, session, result, " (needed before writing); nothing written")) {
        return result;
    }
    const Identification& id = *result.identity;
    const cards::FileFit fit = cards::CheckFileFits(backup, id.cardCode, range, label);
    if (fit.fault == cards::FileFit::Fault::OtherCard) {
        const cards::CardInfo* saved = cards::FindCard(backup.cardCode);
        result.outcome =
            Outcome::Fail(kExitInvalidInput, "the backup is of the " + std::string(saved->title) + " card (code " +
                                                 std::to_string(backup.cardCode) + "), the instrument has the " +
                                                 CardText(id) + "; nothing written");
        return result;
    }
    // What the card never writes (a Profinet IP block) stays as the instrument has it, and the operator
    // hears of it when the file holds something else.
    cards::CardSettings after = result.read->settings;
    for (const cards::Parameter& p : cards::WriteOrder(id.card->bus)) {
        cards::IpBlock bytes{};
        const int count = cards::EncodeParameter(backup.settings, p, bytes);
        cards::DecodeParameter(after, p, std::span<const std::uint8_t>(bytes.data(), static_cast<std::size_t>(count)));
    }
    for (const cards::Parameter& p : id.card->readOrder) {
        if (id.card->Writes(p)) {
            continue;
        }
        cards::IpBlock inFile{};
        cards::IpBlock onInstrument{};
        cards::EncodeParameter(backup.settings, p, inFile);
        cards::EncodeParameter(result.read->settings, p, onInstrument);
        if (inFile != onInstrument) {
            const std::string name = cards::ParameterName(id.card->bus, p.start);
            result.notes.push_back("the file's " + name + " differs from the instrument's and was not written: a " +
                                   id.card->title + " card's " + name + " is set on its network");
        }
    }
    CheckAndWrite(session, result, backup.firmwareRange, after,
                  fit.fault == cards::FileFit::Fault::ValueDoesNotFit ? std::optional<std::string>(fit.message)
                                                                      : std::nullopt);
    return result;
}

} // namespace cli
