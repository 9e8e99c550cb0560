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

// What a parameter holds, as a line shows it: "7", "2  250 Kbds", "IP 10.0.0.5, mask ...": the raw value
// with its meaning, or the meaning alone where it says the raw value.
std::string Shown(const ParameterValue& v, const char* gap)
{
    const std::string raw = std::to_string(v.raw);
    return v.ipBytes || v.text == raw ? v.text : raw + gap + v.text;
}

// One parameter line: "station address (0x3011):     7", with its meaning, validity and notes.
void PrintParameter(std::ostream& out, const ParameterValue& v)
{
    std::string value;
    if (v.readFailed) {
        value = "(could not be read)";
    } else {
        value = Shown(v, "  ");
        if (!v.stationName.empty()) {
            value += "  (station name " + v.stationName + ")";
        }
        if (!v.valid) {
            value += "  [INVALID]";
        }
    }
    if (!v.note.empty()) {
        value += "  (" + v.note + ")";
    }
    Field(out, "  " + v.name + " (" + v.reg + ")", value);
    if (v.modules) {
        std::string modules = *v.modules;
        std::size_t at = 0;
        while ((at = modules.find("\r\n", at)) != std::string::npos) {
            modules.replace(at, 2, "\n" + std::string(34, ' '));
        }
        out << std::string(34, ' ') << modules << '\n';
    }
}

std::vector<ParameterValue> Parameters(const Identification& id, const SettingsRead& read)
{
    std::vector<ParameterValue> list;
    for (const cards::Parameter& p : cards::ReadOrder(id.card->bus)) {
        if (std::find(read.failed.begin(), read.failed.end(), p) != read.failed.end()) {
            list.push_back(UnreadParameter(id.card->bus, p));
        } else {
            list.push_back(DescribeParameterValue(id, read.range, read.settings, p));
        }
    }
    return list;
}

json ParametersJson(const Identification& id, const SettingsRead& read)
{
    json list = json::array();
    for (const ParameterValue& v : Parameters(id, read)) {
        list.push_back(ToJson(v));
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

struct Change
{
    ParameterValue before, after;
};

std::vector<Change> Changes(const Identification& id, const SettingsWrite& write)
{
    std::vector<Change> changes;
    for (const cards::Parameter& p : cards::WriteOrder(id.card->bus)) {
        changes.push_back({DescribeParameterValue(id, write.range, write.before, p),
                           DescribeParameterValue(id, write.range, write.after, p)});
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
    result["changes"] = json::array();
    for (const Change& change : Changes(id, write)) {
        result["changes"].push_back(json{{"before", ToJson(change.before)}, {"after", ToJson(change.after)}});
    }
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
    for (const auto& [before, after] : Changes(id, write)) {
        Field(out, "  " + after.name + " (" + after.reg + ")",
              before == after ? Shown(after, " ") + "  (unchanged)"
                              : Shown(before, " ") + "  ->  " + Shown(after, " "));
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
    if (!ports.assignmentProblem.empty()) {
        result["assignmentProblem"] = ports.assignmentProblem;
    }
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
    if (!ports.assignmentProblem.empty()) {
        out << "But " << ports.assignmentProblem << ".\n";
    }
}

// A command that did its work but could not leave the capture or log asked for is a file error; a
// command that failed keeps its own code.
int ExitCodeOf(const CommandResult& r)
{
    return r.outcome.Ok() && !r.outputErrors.empty() ? kExitFileError : r.outcome.exitCode;
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
        if (!r.assignment->overriddenBy.empty()) {
            result["overriddenBy"] = r.assignment->overriddenBy;
            result["opens"] = r.assignment->opens;
        }
    }
    if (!r.diagnosis.empty()) {
        result["diagnosis"] = r.diagnosis;
    }
    if (!r.notes.empty()) {
        result["notes"] = r.notes;
    }
    if (!r.outputErrors.empty()) {
        result["outputErrors"] = r.outputErrors;
    }
    const int code = ExitCodeOf(r);
    result["ok"] = code == kExitSuccess;
    result["exitCode"] = code;
    if (code != kExitSuccess) {
        result["error"] = r.outcome.Ok() ? r.outputErrors.front() : r.outcome.message;
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
        const Assignment& a = *r.assignment;
        if (a.overriddenBy.empty()) {
            out << (a.device.empty() ? name + " is back to the automatic choice" : name + " now opens " + a.device)
                << " (kept in " << a.file << ").\n";
        } else {
            out << (a.device.empty() ? name + "'s assignment is cleared" : name + " is assigned " + a.device)
                << " (kept in " << a.file << "), but " << a.overriddenBy << " is set, so " << name << " opens "
                << a.opens << " until it is unset.\n";
        }
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
        for (const ParameterValue& v : Parameters(*r.identity, *r.read)) {
            PrintParameter(out, v);
        }
        return;
    }
    if (r.identity && (r.command == "search" || r.command == "read")) {
        PrintIdentity(out, *r.identity);
    }
    if (r.command == "read" && r.read) {
        Field(out, "Range", cards::RangeName(r.read->range));
        out << "Parameters:\n";
        for (const ParameterValue& v : Parameters(*r.identity, *r.read)) {
            PrintParameter(out, v);
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
    for (const std::string& error : result.outputErrors) {
        err << "meshgate2-cli: " << error
            << (result.outcome.Ok() ? " (the " + result.command + " itself succeeded)" : "") << '\n';
    }
    return ExitCodeOf(result);
}

} // namespace cli
