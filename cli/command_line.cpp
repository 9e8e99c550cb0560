#include "command_line.h"

#include "backup_file.h"
#include "card_info.h"
#include "card_lists.h"
#include "encoding.h"
#include "exit_code.h"
#include "instrument_session.h"
#include "parameter_order.h"
#include "parameter_report.h"
#include "port_scan.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <functional>
#include <iomanip>
#include <nlohmann/json.hpp>
#include <optional>

#ifndef MESHGATE2_VERSION
#define MESHGATE2_VERSION "unknown"
#endif

namespace cli {

namespace {

using nlohmann::json;

constexpr const char* kExitCodeHelp = "Exit codes:\n"
                                      "  0  success\n"
                                      "  1  internal error\n"
                                      "  2  invalid input: bad option or value, value outside the card's range,\n"
                                      "     bad or mismatched backup file (nothing is written)\n"
                                      "  3  no device: the port opened but no instrument answered\n"
                                      "  4  communication failure: a read or write failed, or a value did not verify\n"
                                      "  5  unsupported card: the instrument's card has no settings known here\n"
                                      "  6  port unavailable: missing, no permission, or in use by another program\n"
                                      "  7  file error: the backup file cannot be read or written";

// The four baud rates a DeviceNet card may offer, by code; the COMX card has the first three.
constexpr const char* kBaudWords[] = {"500", "250", "125", "auto"};

struct Options
{
    std::string port;
    std::string device;
    std::string range = "current";
    bool json = false;
    bool trace = false;
    std::uint32_t timeoutMs = InstrumentLink::kReadTimeoutMs;
    std::string address, baud, exchange, mode, ip, mask, gateway;
    std::string file;
};

// One run of one command.
struct Context
{
    Options options;
    int firmwareRange = cards::kCurrent;
    bool rangeGiven = false;
    std::ostream& out;
    std::ostream& err;
};

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Digits only, at most 65535.
std::optional<int> ParseCount(const std::string& text)
{
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    const int value = std::stoi(text);
    return value <= 0xFFFF ? std::optional<int>(value) : std::nullopt;
}

int Report(Context& c, json result, const Outcome& outcome, const std::function<void()>& text = {})
{
    if (c.options.json) {
        result["ok"] = outcome.Ok();
        result["exitCode"] = outcome.exitCode;
        if (!outcome.Ok()) {
            result["error"] = outcome.message;
        }
        c.out << result.dump(2) << '\n';
    } else if (text) {
        text();
    }
    if (!outcome.Ok()) {
        c.err << "meshgate2-cli: " << outcome.message << '\n';
    }
    return outcome.exitCode;
}

void Field(std::ostream& out, const std::string& name, const std::string& value)
{
    out << std::left << std::setw(30) << (name + ":") << value << '\n';
}

json IdentityJson(const Identification& id)
{
    return json{{"device", id.device},
                {"slaveAddress", id.slaveAddress},
                {"cardCode", id.cardCode},
                {"card", id.card ? json(id.card->title) : json(nullptr)},
                {"tab", id.card ? id.card->tabCaption : cards::kInfoCaption},
                {"supported", id.card != nullptr},
                {"model", cards::ModelName(id.modelIndex)},
                {"modelIndex", id.modelIndex},
                {"modelText", id.modelText},
                {"firmware", id.firmwareText},
                {"firmwareShown", cards::FirmwarePrefix(id.cardCode) + id.firmwareText}};
}

void PrintIdentity(std::ostream& out, const Identification& id)
{
    Field(out, "Device", id.device);
    Field(out, "Slave address", std::to_string(id.slaveAddress));
    Field(out, "Card code", std::to_string(id.cardCode));
    Field(out, "Card",
          id.card ? std::string(id.card->title) + " (" + id.card->tabCaption + ")"
                  : std::string(cards::kInfoCaption) + ": " + cards::kUnsupportedMessage);
    Field(out, "Model", std::string(cards::ModelName(id.modelIndex)) + " (model text \"" + id.modelText + "\")");
    Field(out, "Firmware", cards::FirmwarePrefix(id.cardCode) + id.firmwareText);
}

// One parameter line: "station address (0x3011):     7", with its meaning, validity and notes.
void PrintParameter(std::ostream& out, const json& item)
{
    std::string value;
    if (item.value("readFailed", false)) {
        value = "(could not be read)";
    } else if (item.contains("ip")) {
        value = item["text"].get<std::string>();
    } else {
        value = std::to_string(item["raw"].get<int>());
        const std::string text = item["text"].get<std::string>();
        if (text != value) {
            value += "  " + text;
        }
        if (item.contains("stationName")) {
            value += "  (station name " + item["stationName"].get<std::string>() + ")";
        }
        if (!item["valid"].get<bool>()) {
            value += "  [INVALID]";
        }
    }
    if (item.contains("note")) {
        value += "  (" + item["note"].get<std::string>() + ")";
    }
    Field(out, "  " + item["name"].get<std::string>() + " (" + item["register"].get<std::string>() + ")", value);
    if (item.contains("modules")) {
        std::string modules = item["modules"].get<std::string>();
        std::size_t at = 0;
        while ((at = modules.find("\r\n", at)) != std::string::npos) {
            modules.replace(at, 2, "\n" + std::string(34, ' '));
        }
        out << std::string(34, ' ') << modules << '\n';
    }
}

json ParametersJson(const Identification& id, int range, const cards::CardSettings& settings,
                    const std::vector<cards::Parameter>& failed)
{
    json list = json::array();
    for (const cards::Parameter& p : cards::ReadOrder(id.card->bus)) {
        if (std::find(failed.begin(), failed.end(), p) != failed.end()) {
            char reg[8];
            std::snprintf(reg, sizeof reg, "0x%04X", p.start);
            list.push_back(
                json{{"name", cards::ParameterName(id.card->bus, p.start)}, {"register", reg}, {"readFailed", true}});
        } else {
            list.push_back(DescribeParameterValue(id, range, settings, p));
        }
    }
    return list;
}

// Opens the port named by the options and finds the instrument. `requireCard`: an unsupported card
// ends the command with its own exit code.
Outcome Connect(Context& c, InstrumentSession& session, Identification& id, bool requireCard)
{
    const Options& o = c.options;
    if (o.port.empty() == o.device.empty()) {
        return Outcome::Fail(kExitInvalidInput, "give the port: --port COMn or --device PATH (one of them)");
    }
    LinkOptions link;
    link.readTimeoutMs = o.timeoutMs;
    link.trace = o.trace ? &c.err : nullptr;
    if (!o.port.empty()) {
        const std::string lower = Lower(o.port);
        const auto number = lower.rfind("com", 0) == 0 ? ParseCount(lower.substr(3)) : std::nullopt;
        if (!number || *number < 1 || *number > 255) {
            return Outcome::Fail(kExitInvalidInput,
                                 "invalid --port " + o.port + ": expected COM1 to COM255 (or --device PATH)");
        }
        link.port = *number;
    }
    link.device = o.device;
    Outcome outcome = session.Open(link);
    if (outcome.Ok()) {
        outcome = session.Identify(id);
    }
    if (outcome.Ok() && requireCard && id.card == nullptr) {
        outcome = Outcome::Fail(kExitUnsupportedCard, std::string(cards::kUnsupportedMessage) + " (card code " +
                                                          std::to_string(id.cardCode) + ")");
    }
    return outcome;
}

// Finds the instrument, requires a card with known settings and reads them all; the identity goes
// into `result`. `consequence` ends the message of a failed read ("nothing written", ...).
Outcome ConnectAndRead(Context& c, InstrumentSession& session, Identification& id, cards::CardSettings& settings,
                       json& result, const char* consequence)
{
    Outcome outcome = Connect(c, session, id, true);
    if (!outcome.Ok()) {
        return outcome;
    }
    result.update(IdentityJson(id));
    std::vector<cards::Parameter> failed;
    outcome = session.ReadSettings(*id.card, settings, failed);
    if (!outcome.Ok()) {
        outcome.message += consequence;
    }
    return outcome;
}

int RunPorts(Context& c)
{
    const auto devices = ScanSerialDevices();
    const auto comPorts = ResolveComPorts();
    json result{{"command", "ports"}, {"devices", json::array()}, {"comPorts", json::array()}};
    for (const SerialDevice& d : devices) {
        result["devices"].push_back(json{
            {"path", d.path}, {"target", d.target}, {"kind", d.kind}, {"accessible", d.accessible}, {"hint", d.hint}});
    }
    for (const ComPort& p : comPorts) {
        result["comPorts"].push_back(json{{"name", "COM" + std::to_string(p.number)},
                                          {"path", p.path},
                                          {"exists", p.exists},
                                          {"accessible", p.accessible},
                                          {"hint", p.hint}});
    }
    return Report(c, result, {}, [&] {
        c.out << "Serial devices:\n";
        if (devices.empty()) {
            c.out << "  none found\n";
        }
        for (const SerialDevice& d : devices) {
            std::string line = d.kind;
            if (!d.target.empty()) {
                line += " -> " + d.target;
            }
            line += d.accessible ? ", accessible" : ", " + d.hint;
            Field(c.out, "  " + d.path, line);
        }
        c.out << "COM ports:\n";
        for (const ComPort& p : comPorts) {
            Field(c.out, "  COM" + std::to_string(p.number), p.path + (p.accessible ? ", accessible" : ", " + p.hint));
        }
    });
}

int RunSearch(Context& c)
{
    InstrumentSession session;
    Identification id;
    Outcome outcome = Connect(c, session, id, false);
    json result{{"command", "search"}};
    const bool found = outcome.Ok();
    if (found) {
        result.update(IdentityJson(id));
        if (id.card == nullptr) {
            outcome = Outcome::Fail(kExitUnsupportedCard, cards::kUnsupportedMessage);
        }
    }
    return Report(c, result, outcome, [&] {
        if (found) {
            PrintIdentity(c.out, id);
        }
    });
}

// Reads the card's settings; with `failed` listing what could not be read.
int RunRead(Context& c)
{
    InstrumentSession session;
    Identification id;
    Outcome outcome = Connect(c, session, id, true);
    json result{{"command", "read"}};
    cards::CardSettings settings;
    std::vector<cards::Parameter> failed;
    const bool identified = outcome.Ok() || (outcome.exitCode == kExitUnsupportedCard);
    if (identified) {
        result.update(IdentityJson(id));
    }
    if (outcome.Ok()) {
        outcome = session.ReadSettings(*id.card, settings, failed);
        result["range"] = cards::RangeName(c.firmwareRange);
        result["parameters"] = ParametersJson(id, c.firmwareRange, settings, failed);
    }
    return Report(c, result, outcome, [&] {
        if (identified) {
            PrintIdentity(c.out, id);
        }
        if (result.contains("parameters")) {
            Field(c.out, "Range", cards::RangeName(c.firmwareRange));
            c.out << "Parameters:\n";
            for (const json& item : result["parameters"]) {
                PrintParameter(c.out, item);
            }
        }
    });
}

// What the operator asked to change, taken apart before the instrument is touched.
struct Requested
{
    std::optional<std::uint16_t> address, baud, exchange, mode;
    std::optional<std::uint32_t> ip, mask, gateway;
    std::vector<std::pair<std::string, std::string>> given; // option and its text, for messages
    bool Empty() const { return given.empty(); }
};

Outcome ParseRequested(const Options& o, Requested& r)
{
    const auto bad = [](const std::string& option, const std::string& text, const std::string& expected) {
        return Outcome::Fail(kExitInvalidInput, "invalid --" + option + " " + text + ": expected " + expected);
    };
    if (!o.address.empty()) {
        const auto value = ParseCount(o.address);
        if (!value) {
            return bad("address", o.address, "a whole number (the card's range is checked once it is found)");
        }
        r.address = static_cast<std::uint16_t>(*value);
        r.given.emplace_back("address", o.address);
    }
    if (!o.baud.empty()) {
        const std::string word = Lower(o.baud);
        for (std::uint16_t code = 0; code < 4; ++code) {
            if (word == kBaudWords[code] || word == std::string(kBaudWords[code]) + " kbds") {
                r.baud = code;
            }
        }
        if (!r.baud) {
            return bad("baud", o.baud, "500, 250, 125 or auto (kbit/s)");
        }
        r.given.emplace_back("baud", o.baud);
    }
    if (!o.exchange.empty()) {
        std::string text = o.exchange;
        if (text.size() > 2 && text.front() == '<' && text.back() == '>') {
            text = text.substr(1, text.size() - 2);
        }
        const auto entry = ParseCount(text);
        if (!entry || *entry < 1) {
            return bad("exchange", o.exchange, "the entry number as listed, 1 for \"<1> ...\"");
        }
        r.exchange = static_cast<std::uint16_t>(*entry - 1);
        r.given.emplace_back("exchange", o.exchange);
    }
    if (!o.mode.empty()) {
        const std::string word = Lower(o.mode);
        if (word == "static" || word == "static ip") {
            r.mode = cards::kModeStatic;
        } else if (word == "dhcp") {
            r.mode = cards::kModeDhcp;
        } else {
            return bad("mode", o.mode, "static or dhcp");
        }
        r.given.emplace_back("mode", o.mode);
    }
    const std::pair<const std::string*, std::optional<std::uint32_t>*> addresses[] = {
        {&o.ip, &r.ip}, {&o.mask, &r.mask}, {&o.gateway, &r.gateway}};
    const char* names[] = {"ip", "mask", "gateway"};
    for (int i = 0; i < 3; ++i) {
        const std::string& text = *addresses[i].first;
        if (text.empty()) {
            continue;
        }
        *addresses[i].second = cards::ParseIp(text);
        if (!*addresses[i].second) {
            return bad(names[i], text, "four numbers from 0 to 255, like 192.168.1.10");
        }
        r.given.emplace_back(names[i], text);
    }
    if (r.Empty()) {
        return Outcome::Fail(kExitInvalidInput,
                             "nothing to apply: give at least one of --address, --baud, --exchange, --mode, --ip, "
                             "--mask, --gateway");
    }
    return {};
}

// The option that sets a parameter.
const char* OptionFor(const cards::Parameter& p)
{
    if (p == cards::kNodeAddress) {
        return "address";
    }
    if (p == cards::kBaudCode) {
        return "baud";
    }
    if (p == cards::kExchangeChoice) {
        return "exchange";
    }
    if (p == cards::kAddressMode) {
        return "mode";
    }
    return "ip";
}

const cards::Parameter& ParameterOf(const std::string& option)
{
    static const std::pair<const char*, const cards::Parameter*> table[] = {
        {"address", &cards::kNodeAddress}, {"baud", &cards::kBaudCode}, {"exchange", &cards::kExchangeChoice},
        {"mode", &cards::kAddressMode},    {"ip", &cards::kIpBlock},    {"mask", &cards::kIpBlock},
        {"gateway", &cards::kIpBlock}};
    for (const auto& [name, parameter] : table) {
        if (option == name) {
            return *parameter;
        }
    }
    return cards::kIpBlock;
}

bool Writes(const cards::Bus bus, const cards::Parameter& parameter)
{
    const auto order = cards::WriteOrder(bus);
    return std::find(order.begin(), order.end(), parameter) != order.end();
}

// Checks, writes in the card's order, verifies and reports: the part apply and restore share.
// `label` names a value that does not fit; nothing is written unless every value fits.
int WriteAndReport(Context& c, InstrumentSession& session, const Identification& id, int range,
                   const cards::CardSettings& before, const cards::CardSettings& after, const ValueLabel& label,
                   json result)
{
    result["range"] = cards::RangeName(range);
    Outcome outcome;
    if (const auto fault = CheckWritable(id, range, after, label)) {
        outcome = Outcome::Fail(kExitInvalidInput, *fault + "; nothing written");
    }
    WriteReport report;
    json changes = json::array();
    if (outcome.Ok()) {
        for (const cards::Parameter& p : cards::WriteOrder(id.card->bus)) {
            changes.push_back(json{{"before", DescribeParameterValue(id, range, before, p)},
                                   {"after", DescribeParameterValue(id, range, after, p)}});
        }
        result["changes"] = changes;
        outcome = session.WriteSettings(*id.card, after, report);
        const auto names = [&](const std::vector<cards::Parameter>& list) {
            json array = json::array();
            for (const cards::Parameter& p : list) {
                array.push_back(cards::ParameterName(id.card->bus, p.start));
            }
            return array;
        };
        result["written"] = names(report.written);
        result["notWritten"] = names(report.notWritten);
        if (report.failed) {
            result["failed"] = cards::ParameterName(id.card->bus, report.failed->start);
        }
        result["mismatched"] = names(report.mismatched);
        result["verified"] = outcome.Ok();
    }
    return Report(c, result, outcome, [&] {
        PrintIdentity(c.out, id);
        Field(c.out, "Range", cards::RangeName(range));
        if (changes.empty()) {
            return;
        }
        c.out << "Settings (before -> after):\n";
        for (const json& change : changes) {
            const auto shown = [](const json& item) {
                std::string text = item["text"].get<std::string>();
                return item.contains("ip") || item["raw"].dump() == text ? text : item["raw"].dump() + " " + text;
            };
            const json& after = change["after"];
            Field(c.out, "  " + after["name"].get<std::string>() + " (" + after["register"].get<std::string>() + ")",
                  change["before"] == after ? shown(after) + "  (unchanged)"
                                            : shown(change["before"]) + "  ->  " + shown(after));
        }
        Field(c.out, "Written", ListParameters(id.card->bus, report.written));
        if (!report.notWritten.empty()) {
            Field(c.out, "Not written", ListParameters(id.card->bus, report.notWritten));
        }
        c.out << (outcome.Ok() ? "Verified: every value reads back as written.\nDownload Complete\n"
                               : "Download Fail\n");
    });
}

int RunApply(Context& c)
{
    Requested requested;
    Outcome outcome = ParseRequested(c.options, requested);
    json result{{"command", "apply"}};
    if (!outcome.Ok()) {
        return Report(c, result, outcome);
    }
    InstrumentSession session;
    Identification id;
    cards::CardSettings before;
    outcome = ConnectAndRead(c, session, id, before, result, " (needed before writing); nothing written");
    if (!outcome.Ok()) {
        return Report(c, result, outcome);
    }
    for (const auto& [option, text] : requested.given) {
        const cards::Parameter& p = ParameterOf(option);
        if (!Writes(id.card->bus, p)) {
            const std::string what = p == cards::kIpBlock && id.card->bus == cards::Bus::Profinet
                                         ? "the IP block of a Profinet card is shown only and set on its network"
                                         : std::string("this ") + id.card->title + " card has no " +
                                               cards::ParameterName(id.card->bus, p.start);
            return Report(
                c, result,
                Outcome::Fail(kExitInvalidInput, "--" + option + " does not apply: " + what + "; nothing written"));
        }
    }

    cards::CardSettings after = before;
    after.nodeAddress = requested.address.value_or(after.nodeAddress);
    after.baudCode = requested.baud.value_or(after.baudCode);
    after.exchangeChoice = requested.exchange.value_or(after.exchangeChoice);
    after.addressMode = requested.mode.value_or(after.addressMode);
    after.ip.ip = requested.ip.value_or(after.ip.ip);
    after.ip.mask = requested.mask.value_or(after.ip.mask);
    after.ip.gateway = requested.gateway.value_or(after.ip.gateway);

    const auto label = [&](const cards::Parameter& p, int value) {
        for (const auto& [option, text] : requested.given) {
            if (ParameterOf(option) == p) {
                return "invalid --" + option + " " + text;
            }
        }
        return "the instrument holds " + std::string(cards::ParameterName(id.card->bus, p.start)) + " " +
               std::to_string(value) + " (give --" + OptionFor(p) + " to change it)";
    };
    return WriteAndReport(c, session, id, c.firmwareRange, before, after, label, result);
}

int RunBackup(Context& c)
{
    InstrumentSession session;
    Identification id;
    cards::CardSettings settings;
    json result{{"command", "backup"}, {"file", c.options.file}};
    Outcome outcome = ConnectAndRead(c, session, id, settings, result, "; no backup written");
    if (!outcome.Ok()) {
        return Report(c, result, outcome);
    }
    const json document = BackupToJson(id, c.firmwareRange, settings);
    outcome = SaveBackup(c.options.file, document);
    result["backup"] = document;
    return Report(c, result, outcome, [&] {
        c.out << "Saved the settings of the " << CardText(id) << ", range " << cards::RangeName(c.firmwareRange)
              << ", to " << c.options.file << ":\n";
        for (const json& item : ParametersJson(id, c.firmwareRange, settings, {})) {
            PrintParameter(c.out, item);
        }
    });
}

int RunRestore(Context& c)
{
    json result{{"command", "restore"}, {"file", c.options.file}};
    Backup backup;
    Outcome outcome = LoadBackup(c.options.file, backup);
    if (outcome.Ok() && c.rangeGiven && backup.firmwareRange != c.firmwareRange) {
        outcome = Outcome::Fail(kExitInvalidInput, "the backup was made for range " +
                                                       std::string(cards::RangeName(backup.firmwareRange)) + ", not " +
                                                       cards::RangeName(c.firmwareRange) + "; nothing written");
    }
    if (!outcome.Ok()) {
        return Report(c, result, outcome);
    }
    InstrumentSession session;
    Identification id;
    cards::CardSettings before;
    outcome = ConnectAndRead(c, session, id, before, result, " (needed before writing); nothing written");
    if (!outcome.Ok()) {
        return Report(c, result, outcome);
    }
    if (backup.cardCode != id.cardCode) {
        const cards::CardInfo* saved = cards::FindCard(backup.cardCode);
        return Report(c, result,
                      Outcome::Fail(kExitInvalidInput, "the backup is of a " + std::string(saved->title) +
                                                           " card (code " + std::to_string(backup.cardCode) +
                                                           "), the instrument has a " + CardText(id) +
                                                           "; nothing written"));
    }
    // What the card never writes (a Profinet IP block) stays as the instrument has it.
    cards::CardSettings after = before;
    for (const cards::Parameter& p : cards::WriteOrder(id.card->bus)) {
        cards::IpBlock bytes{};
        const int count = cards::EncodeParameter(backup.settings, p, bytes);
        cards::DecodeParameter(after, p, std::span<const std::uint8_t>(bytes.data(), static_cast<std::size_t>(count)));
    }
    const auto label = [&](const cards::Parameter& p, int value) {
        return "the backup's " + std::string(BackupKey(p)) + " " + std::to_string(value);
    };
    return WriteAndReport(c, session, id, backup.firmwareRange, before, after, label, result);
}

} // namespace

int RunCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    Context c{{}, cards::kCurrent, false, out, err};
    Options& o = c.options;

    CLI::App app{"Configures the fieldbus card of a Vorn leak-test instrument over its RS-232 port.", "meshgate2-cli"};
    app.set_version_flag("--version", std::string("meshgate2-cli ") + MESHGATE2_VERSION);
    app.require_subcommand(1, 1);
    app.fallthrough();
    app.footer(kExitCodeHelp);

    auto* port = app.add_option("--port", o.port,
                                "serial port COMn, resolved as the configurator does "
                                "($MESHGATE2_COMn, else /dev/ttyS<n-1>)");
    auto* device = app.add_option("--device", o.device, "serial device path instead of --port");
    port->excludes(device);
    auto* range = app.add_option("--range", o.range, "instrument firmware range: legacy or current")
                      ->check(CLI::IsMember({"legacy", "current"}))
                      ->capture_default_str();
    app.add_flag("--json", o.json, "machine-readable output on standard output");
    app.add_flag("--trace", o.trace, "every frame sent and received, in hex with time and outcome, on standard error");
    app.add_option("--timeout", o.timeoutMs, "serial reply time-out in ms (the configurator uses 400)")
        ->check(CLI::Range(1, 60000))
        ->capture_default_str();

    auto* ports = app.add_subcommand("ports", "list the serial devices and what COM1 to COM9 open");
    auto* search = app.add_subcommand("search", "find the instrument and identify its card, model and firmware");
    auto* read = app.add_subcommand("read", "read every setting of the card, with its raw value and meaning");
    auto* apply = app.add_subcommand("apply", "change settings: checks every value first, writes in the card's "
                                              "order, reads back to verify");
    apply->add_option("--address", o.address,
                      "node address (Profibus 1-128 or 1-125, DeviceNet 0-63, Profinet "
                      "station number 1-255)");
    apply->add_option("--baud", o.baud, "DeviceNet baud rate: 500, 250, 125 or auto");
    apply->add_option("--exchange", o.exchange, "exchange table entry number as listed: 1 for \"<1> ...\"");
    apply->add_option("--mode", o.mode, "address mode: static or dhcp (EtherNet/IP, Modbus-TCP)");
    apply->add_option("--ip", o.ip, "IP address, like 192.168.1.10 (EtherNet/IP, Modbus-TCP)");
    apply->add_option("--mask", o.mask, "subnet mask");
    apply->add_option("--gateway", o.gateway, "default gateway");
    auto* backup = app.add_subcommand("backup", "save the card's settings to a JSON file");
    backup->add_option("FILE", o.file, "the backup file (replaced whole if it exists)")->required();
    auto* restore = app.add_subcommand("restore", "write the settings of a backup file back onto a matching card");
    restore->add_option("FILE", o.file, "the backup file")->required();
    for (CLI::App* command : {ports, search, read, apply, backup, restore}) {
        command->footer(kExitCodeHelp);
    }

    std::vector<const char*> argv{"meshgate2-cli"};
    for (const std::string& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e, out, err);
        return code == 0 ? kExitSuccess : kExitInvalidInput;
    }
    c.firmwareRange = cards::ParseRange(o.range);
    c.rangeGiven = range->count() > 0;

    if (ports->parsed()) {
        return RunPorts(c);
    }
    if (search->parsed()) {
        return RunSearch(c);
    }
    if (read->parsed()) {
        return RunRead(c);
    }
    if (apply->parsed()) {
        return RunApply(c);
    }
    if (backup->parsed()) {
        return RunBackup(c);
    }
    return RunRestore(c);
}

} // namespace cli
