#include "cli/render.h"

#include "cards/card_info.h"
#include "cards/card_lists.h"
#include "cards/encoding.h"
#include "cards/parameter_order.h"
#include "cli/parameter_report.h"

#include <algorithm>
#include <cstdio>
#include <iomanip>

namespace cli {

namespace {

using nlohmann::json;

void Field(std::ostream& out, const std::string& name, const std::string& value)
{
    out << std::left << std::setw(30) << (name + ":") << value << '\n';
}

std::string FirmwarePrefix(const Identification& id)
{
    return id.card ? id.card->firmwarePrefix : "";
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
                {"modelText", cards::Latin1ToUtf8(id.modelText)},
                {"firmware", cards::Latin1ToUtf8(id.firmwareText)},
                {"firmwareShown", FirmwarePrefix(id) + cards::Latin1ToUtf8(id.firmwareText)}};
}

void PrintIdentity(std::ostream& out, const Identification& id)
{
    Field(out, "Device", id.device);
    Field(out, "Slave address", std::to_string(id.slaveAddress));
    Field(out, "Card code", std::to_string(id.cardCode));
    Field(out, "Card",
          id.card ? std::string(id.card->title) + " (" + id.card->tabCaption + ")"
                  : std::string(cards::kInfoCaption) + ": " + cards::kUnsupportedMessage);
    Field(out, "Model",
          std::string(cards::ModelName(id.modelIndex)) + " (model text \"" + cards::PrintableText(id.modelText) +
              "\")");
    Field(out, "Firmware", FirmwarePrefix(id) + cards::PrintableText(id.firmwareText));
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

json ParametersJson(const Identification& id, const SettingsRead& read)
{
    json list = json::array();
    for (const cards::Parameter& p : cards::ReadOrder(id.card->bus)) {
        if (std::find(read.failed.begin(), read.failed.end(), p) != read.failed.end()) {
            char reg[8];
            std::snprintf(reg, sizeof reg, "0x%04X", p.start);
            list.push_back(
                json{{"name", cards::ParameterName(id.card->bus, p.start)}, {"register", reg}, {"readFailed", true}});
        } else {
            list.push_back(DescribeParameterValue(id, read.range, read.settings, p));
        }
    }
    return list;
}

json Names(cards::Bus bus, const std::vector<cards::Parameter>& list)
{
    json array = json::array();
    for (const cards::Parameter& p : list) {
        array.push_back(cards::ParameterName(bus, p.start));
    }
    return array;
}

json Changes(const Identification& id, const SettingsWrite& write)
{
    json changes = json::array();
    for (const cards::Parameter& p : cards::WriteOrder(id.card->bus)) {
        changes.push_back(json{{"before", DescribeParameterValue(id, write.range, write.before, p)},
                               {"after", DescribeParameterValue(id, write.range, write.after, p)}});
    }
    return changes;
}

void AddWriteJson(json& result, const Identification& id, const SettingsWrite& write, bool ok)
{
    const cards::Bus bus = id.card->bus;
    result["range"] = cards::RangeName(write.range);
    if (!write.checked) {
        return;
    }
    const VerifiedWrite& report = write.report;
    result["changes"] = Changes(id, write);
    result["written"] = Names(bus, report.write.written);
    result["notWritten"] = Names(bus, report.write.notWritten);
    if (report.write.failed) {
        result["failed"] = cards::ParameterName(bus, report.write.failed->start);
    }
    // Written for all that reading back shows, though their reply was lost on the line.
    result["replyLost"] = Names(bus, report.write.replyLost);
    if (report.write.failure == WriteReport::Failure::Unknown) {
        result["unknown"] = Names(bus, {*report.write.failed});
    }
    result["stopped"] = report.write.failure == WriteReport::Failure::Stopped;
    result["mismatched"] = Names(bus, report.mismatched);
    result["verified"] = ok;
}

void PrintWrite(std::ostream& out, const Identification& id, const SettingsWrite& write, bool ok)
{
    PrintIdentity(out, id);
    Field(out, "Range", cards::RangeName(write.range));
    if (!write.checked) {
        return;
    }
    out << "Settings (before -> after):\n";
    for (const json& change : Changes(id, write)) {
        const auto shown = [](const json& item) {
            std::string text = item["text"].get<std::string>();
            return item.contains("ip") || item["raw"].dump() == text ? text : item["raw"].dump() + " " + text;
        };
        const json& after = change["after"];
        Field(out, "  " + after["name"].get<std::string>() + " (" + after["register"].get<std::string>() + ")",
              change["before"] == after ? shown(after) + "  (unchanged)"
                                        : shown(change["before"]) + "  ->  " + shown(after));
    }
    const cards::Bus bus = id.card->bus;
    Field(out, "Written", cards::ListParameters(bus, write.report.write.written));
    const WriteReport& report = write.report.write;
    if (!report.replyLost.empty()) {
        Field(out, "Reply lost, read back", cards::ListParameters(bus, report.replyLost));
    }
    if (report.failure == WriteReport::Failure::Unknown) {
        Field(out, "Unknown (no reply)", cards::ListParameters(bus, std::span(&*report.failed, 1)));
    }
    if (!report.notWritten.empty()) {
        Field(out, "Not written", cards::ListParameters(bus, report.notWritten));
    }
    out << (ok ? "Verified: every value reads back as written.\nDownload Complete\n" : "Download Fail\n");
}

json PortsJson(const PortList& ports)
{
    json result{{"devices", json::array()}, {"comPorts", json::array()}, {"assignmentFile", ports.assignmentFile}};
    for (const PortList::Device& d : ports.devices) {
        result["devices"].push_back(json{{"path", d.device.path},
                                         {"kernelName", d.device.kernelName},
                                         {"kind", d.device.kind},
                                         {"product", d.device.product},
                                         {"description", d.device.Description()},
                                         {"accessible", d.problem.empty()},
                                         {"problem", d.problem}});
    }
    for (const PortList::Port& p : ports.comPorts) {
        result["comPorts"].push_back(json{{"name", "COM" + std::to_string(p.port.number)},
                                          {"path", p.port.path},
                                          {"source", ports::SourceName(p.port.source)},
                                          {"description", p.port.description},
                                          {"exists", p.exists},
                                          {"accessible", p.exists && p.problem.empty()},
                                          {"problem", p.problem}});
    }
    return result;
}

std::string Why(const ports::ComPort& port)
{
    switch (port.source) {
    case ports::Source::Environment:
        return "MESHGATE2_COM" + std::to_string(port.number);
    case ports::Source::Assignment:
        return "assigned";
    case ports::Source::Automatic:
        return "automatic";
    case ports::Source::None:
        break;
    }
    return {};
}

void PrintPorts(std::ostream& out, const PortList& ports)
{
    out << "Serial devices:\n";
    if (ports.devices.empty()) {
        out << "  none found\n";
    }
    for (const PortList::Device& d : ports.devices) {
        Field(out, "  " + d.device.path, d.device.Description() + (d.problem.empty() ? "" : "; " + d.problem));
    }
    out << "COM ports:\n";
    for (const PortList::Port& p : ports.comPorts) {
        const std::string name = "COM" + std::to_string(p.port.number);
        if (p.port.path.empty()) {
            Field(out, "  " + name, "nothing (meshgate2-cli assign " + name + " DEVICE gives it one)");
            continue;
        }
        std::string line = p.port.path + "  (" + Why(p.port);
        line += p.port.description.empty() ? "" : ": " + p.port.description;
        line += ")";
        if (!p.exists) {
            line += "; not present";
        } else if (!p.problem.empty()) {
            line += "; " + p.problem;
        }
        Field(out, "  " + name, line);
    }
    out << "Assignments are kept in " << ports.assignmentFile << ".\n";
}

json ResultJson(const CommandResult& r)
{
    json result{{"command", r.command.empty() ? json(nullptr) : json(r.command)}};
    if (r.command == "backup" || r.command == "restore") {
        result["file"] = r.file;
    }
    if (r.ports) {
        result.update(PortsJson(*r.ports));
    }
    if (r.identity) {
        result.update(IdentityJson(*r.identity));
    }
    if (r.command == "read" && r.read) {
        result["range"] = cards::RangeName(r.read->range);
        result["parameters"] = ParametersJson(*r.identity, *r.read);
    }
    if (r.write) {
        AddWriteJson(result, *r.identity, *r.write, r.outcome.Ok());
    }
    if (r.backup) {
        result["backup"] = *r.backup;
    }
    if (r.assignment) {
        result["port"] = "COM" + std::to_string(r.assignment->port);
        result["device"] = r.assignment->device.empty() ? json(nullptr) : json(r.assignment->device);
        result["assignmentFile"] = r.assignment->file;
    }
    if (!r.diagnosis.empty()) {
        result["diagnosis"] = r.diagnosis;
    }
    if (!r.notes.empty()) {
        result["notes"] = r.notes;
    }
    result["ok"] = r.outcome.Ok();
    result["exitCode"] = r.outcome.exitCode;
    if (!r.outcome.Ok()) {
        result["error"] = r.outcome.message;
    }
    return result;
}

void PrintResult(std::ostream& out, const CommandResult& r)
{
    if (r.ports) {
        PrintPorts(out, *r.ports);
    }
    if (r.assignment) {
        const std::string name = "COM" + std::to_string(r.assignment->port);
        out << (r.assignment->device.empty() ? name + " is back to the automatic choice"
                                             : name + " now opens " + r.assignment->device)
            << " (kept in " << r.assignment->file << ").\n";
    }
    if (r.write) {
        PrintWrite(out, *r.identity, *r.write, r.outcome.Ok());
        return;
    }
    if (r.backup) {
        if (!r.outcome.Ok()) {
            return; // nothing was saved; the message says why
        }
        out << "Saved the settings of the " << CardText(*r.identity) << ", range " << cards::RangeName(r.read->range)
            << ", to " << r.file << ":\n";
        for (const json& item : ParametersJson(*r.identity, *r.read)) {
            PrintParameter(out, item);
        }
        return;
    }
    if (r.identity && (r.command == "search" || r.command == "read")) {
        PrintIdentity(out, *r.identity);
    }
    if (r.command == "read" && r.read) {
        Field(out, "Range", cards::RangeName(r.read->range));
        out << "Parameters:\n";
        for (const json& item : ParametersJson(*r.identity, *r.read)) {
            PrintParameter(out, item);
        }
    }
}

} // namespace

int Render(const CommandResult& result, bool json, std::ostream& out, std::ostream& err)
{
    if (json) {
        // Non-ASCII as \\u escapes: valid whatever the instrument sent, and safe on any terminal.
        out << ResultJson(result).dump(2, ' ', true) << '\n';
    } else {
        PrintResult(out, result);
    }
    if (!json) {
        for (const std::string& note : result.notes) {
            err << "meshgate2-cli: note: " << note << '\n';
        }
    }
    if (!result.outcome.Ok()) {
        err << "meshgate2-cli: " << result.outcome.message << '\n';
    }
    return result.outcome.exitCode;
}

} // namespace cli
