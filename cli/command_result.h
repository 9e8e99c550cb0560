#pragma once

#include "cards/card_settings.h"
#include "cli/exit_code.h"
#include "cli/instrument_session.h"
#include "host/port_map.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// What one command found and did, for the renderer to show as text or JSON. Each part is present once
// the command got that far.
namespace cli {

// The settings as read from the instrument.
struct SettingsRead
{
    int range = 0;
    cards::CardSettings settings;
    std::vector<cards::Parameter> failed; // could not be read
};

// A write of settings (apply, restore): what was there, what was to be, and what happened.
struct SettingsWrite
{
    int range = 0;
    cards::CardSettings before;
    cards::CardSettings after;
    bool checked = false; // every value fitted the card, so the write was attempted
    VerifiedWrite report;
};

// What the ports command found: every serial device, and what COM1 to COM9 open and why.
struct PortList
{
    struct Device
    {
        ports::SerialDevice device;
        std::string problem; // why this user may not open it; empty when it may
    };
    struct Port
    {
        ports::ComPort port;
        bool exists = false;
        std::string problem;
    };
    std::vector<Device> devices;
    std::vector<Port> comPorts;
    std::string assignmentFile;
};

// What the assign command changed.
struct Assignment
{
    int port = 0;
    std::string device; // empty: back to automatic
    std::string file;
};

struct CommandResult
{
    explicit CommandResult(std::string name, std::string path = {}) : command(std::move(name)), file(std::move(path)) {}

    std::string command; // "ports", "search", "read", "apply", "backup", "restore"
    Outcome outcome;
    std::string file; // backup and restore
    std::optional<Identification> identity;
    std::optional<SettingsRead> read;
    std::optional<SettingsWrite> write;
    std::optional<nlohmann::json> backup; // the document a backup writes
    std::optional<PortList> ports;
    std::optional<Assignment> assignment;
    std::string diagnosis;          // why a search found nothing
    std::vector<std::string> notes; // what the operator should know though the command did its work
};

} // namespace cli
