#include "cli/command_line.h"

#include "cards/card_info.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exit_code.h"
#include "cli/render.h"
#include "host/file_io.h"
#include "host/port_map.h"
#include "monitor/frame_export.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <exception>
#include <iostream>
#include <memory>
#include <utility>
#include <vector>

#ifndef MESHGATE2_VERSION
#define MESHGATE2_VERSION "unknown"
#endif

namespace cli {

namespace {

constexpr const char* kExitCodeHelp = "Exit codes:\n"
                                      "  0  success\n"
                                      "  1  internal error\n"
                                      "  2  invalid input: bad option or value, value outside the card's range,\n"
                                      "     bad or mismatched backup file (nothing is written)\n"
                                      "  3  no device: the port opened but no instrument answered\n"
                                      "  4  communication failure: a read or write failed, or a value did not verify\n"
                                      "  5  unsupported card: the instrument's card has no settings known here\n"
                                      "  6  port unavailable: missing, no permission, or in use by another program\n"
                                      "  7  file error: the backup, capture or log file cannot be read or written\n"
                                      "  129, 130  stopped by a hang-up (SIGHUP), or by Ctrl-C or SIGTERM, after the\n"
                                      "     transaction under way; the report says what was and was not written";

// The files --capture and --log name (empty when not asked for), with the format of each.
struct OutputFile
{
    const char* option;
    const std::string& path;
    monitor::ExportFormat format;
};
std::array<OutputFile, 2> Outputs(const Options& o)
{
    return {OutputFile{"--capture", o.capture, monitor::ExportFormat::Pcap},
            OutputFile{"--log", o.log, monitor::ExportFormat::Csv}};
}

// Before the instrument is touched: --capture and --log must name two files, neither of them one the
// command reads or keeps (the backup, the port assignments), and each must be one that can be written.
Outcome CheckOutputs(const Options& o, const std::string& commandFile)
{
    if (!o.capture.empty() && !o.log.empty() && file_io::SameFile(o.capture, o.log)) {
        return Outcome::Fail(kExitInvalidInput, "--capture and --log name the same file (" + o.log +
                                                    "): one would replace the other; nothing sent");
    }
    const std::pair<const char*, std::string> kept[] = {{"the command's file", commandFile},
                                                        {"the port assignments", ports::AssignmentFile()}};
    for (const OutputFile& output : Outputs(o)) {
        if (output.path.empty()) {
            continue;
        }
        const std::string named = std::string(output.option) + " " + output.path;
        for (const auto& [what, file] : kept) {
            if (!file.empty() && file_io::SameFile(output.path, file)) {
                return Outcome::Fail(kExitInvalidInput,
                                     named + " is " + what + " (" + file + "): it would be replaced; nothing sent");
            }
        }
        if (const file_io::Result writable = file_io::CheckWritable(output.path); !writable.Ok()) {
            return Outcome::Fail(kExitFileError, "cannot write " + named + ": " + writable.what + "; nothing sent");
        }
    }
    return {};
}

// Writes the frames a command saw to the files --capture and --log name, whatever became of the command.
// A file that cannot be written now (a disk that filled meanwhile) is told beside what the command did.
void SaveFrames(const Options& o, const monitor::FrameLog& frames, CommandResult& result)
{
    for (const OutputFile& output : Outputs(o)) {
        if (output.path.empty()) {
            continue;
        }
        const file_io::Result saved = monitor::SaveExport(frames, output.format, output.path);
        if (!saved.Ok()) {
            result.outputErrors.push_back("cannot write " + std::string(output.option) + " " + output.path + ": " +
                                          saved.what);
        }
    }
}

// A check to put before a range: CLI11's range check words an empty value as "Value  not in range".
CLI::Validator Given(const std::string& expected)
{
    return CLI::Validator(
        [expected](const std::string& value) { return value.empty() ? "the value is empty: give " + expected : ""; },
        "", "given");
}

} // namespace

volatile std::sig_atomic_t& StopRequest()
{
    static volatile std::sig_atomic_t request = 0;
    return request;
}

namespace {

using Runner = CommandResult (*)(const Command&);

// The options every command takes.
void AddGlobalOptions(CLI::App& app, Options& o)
{
    auto* port = app.add_option("--port", o.port,
                                "serial port COMn, resolved as the configurator does: $MESHGATE2_COMn, else the "
                                "device assigned to it (assign), else the n-th serial device with hardware "
                                "(see ports)");
    auto* device =
        app.add_option("--device", o.device,
                       "serial device path instead of --port, or a serial device server: "
                       "rfc2217://HOST:PORT (RFC 2217) or tcp://HOST:PORT (raw, the server set to 57600 8E1)");
    port->excludes(device);
    app.add_option("--range", o.range, "instrument firmware range: legacy or current")
        ->check(CLI::IsMember({"legacy", "current"}))
        ->capture_default_str();
    app.add_flag("--json", o.json, "machine-readable output on standard output");
    app.add_flag("--trace", o.trace,
                 "every frame sent and received, in hex with time, outcome and meaning, on standard error");
    app.add_option("--capture", o.capture,
                   "write every frame to this pcap file (Wireshark: Modbus RTU on link type USER0, see README)");
    app.add_option("--log", o.log, "write every frame, decoded, to this CSV file");
    app.add_option("--timeout", o.timeoutMs, "serial reply time-out in ms (the configurator uses 400)")
        ->check(Given("a number of milliseconds from 1 to 60000"))
        ->check(CLI::Range(1, 60000))
        ->capture_default_str();
    app.add_option("--slave", o.slave, "the instrument's Modbus address (1 to 255): no search")
        ->check(Given("an address from 1 to 255"))
        ->check(CLI::Range(1, 255));
    app.add_flag("--quiet", o.quiet, "no search progress on standard error");
}

// Every command, with what runs it.
std::vector<std::pair<CLI::App*, Runner>> AddCommands(CLI::App& app, Options& o)
{
    auto* ports = app.add_subcommand("ports", "list the serial devices and what COM1 to COM9 open, and why");
    auto* assign = app.add_subcommand("assign", "make COMn open a device of your choice, for this program and "
                                                "the configurator (kept per user)");
    assign->add_option("COMn", o.assignPort, "the port, COM1 to COM255")->required();
    auto* device_ = assign->add_option("DEVICE", o.assignDevice,
                                       std::string("the device it opens, like ") + ports::DeviceExample() +
                                           " or rfc2217://HOST:PORT");
    assign->add_flag("--clear", o.clear, "back to the automatic choice")->excludes(device_);
    auto* search = app.add_subcommand("search", "find the instrument and identify its card, model and firmware");
    auto* read = app.add_subcommand("read", "read every setting of the card, with its raw value and meaning");
    auto* apply = app.add_subcommand("apply", "change settings: checks every value first, writes in the card's "
                                              "order, reads back to verify");
    for (const SettingOption& setting : SettingOptions()) {
        apply->add_option(std::string("--") + setting.option, o.settings[setting.option], setting.help);
    }
    auto* backup = app.add_subcommand("backup", "save the card's settings to a JSON file");
    backup->add_option("FILE", o.file, "the backup file (replaced whole if it exists)")->required();
    auto* restore = app.add_subcommand("restore", "write the settings of a backup file back onto a matching card");
    restore->add_option("FILE", o.file, "the backup file")->required();
    return {{ports, RunPorts}, {assign, RunAssign}, {search, RunSearch},  {read, RunRead},
            {apply, RunApply}, {backup, RunBackup}, {restore, RunRestore}};
}

// An empty value (--address "") is a value given, and never a valid one: refused like any other bad value,
// not taken for an option left out.
void RefuseEmptyValues(CLI::App& scope)
{
    static const CLI::Validator nonEmpty(
        [](std::string& value) { return value.empty() ? std::string("an empty value is not valid") : std::string(); },
        "", "NONEMPTY");
    for (CLI::Option* option : scope.get_options()) {
        if (option->get_type_size() > 0) {
            option->check(nonEmpty);
        }
    }
}

// The command line refused: a script asked for JSON gets JSON even then.
int ReportBadCommandLine(const CLI::App& app, const CLI::ParseError& e, const std::vector<std::string>& arguments,
                         std::ostream& out, std::ostream& err)
{
    const bool json = std::find(arguments.begin(), arguments.end(), "--json") != arguments.end();
    CommandResult result(app.get_subcommands().empty() ? "" : app.get_subcommands().front()->get_name());
    result.outcome = Outcome::Fail(kExitInvalidInput, e.what());
    const int code = Render(result, json, out, err);
    err << "Run with --help for more information.\n";
    return code;
}

// One command, its frames saved wherever it ended.
int RunParsed(const CLI::App& command, Runner run, Command& c, std::ostream& out, std::ostream& err)
{
    const Options& o = c.options;
    // The frame log listens only when someone asked for the frames: otherwise recording costs nothing.
    std::unique_ptr<monitor::FrameLog> frames;
    std::unique_ptr<FrameTrace> trace;
    if (o.trace || !o.capture.empty() || !o.log.empty()) {
        frames = std::make_unique<monitor::FrameLog>(0);
        frames->SetFirmwareRange(c.firmwareRange);
        c.frames = frames.get();
    }
    if (o.trace) {
        trace = std::make_unique<FrameTrace>(err, *frames);
        c.trace = trace.get();
    }
    c.stop = &StopRequest();
    c.progress = &err;
    c.progressIsTerminal = &err == &std::cerr && StandardErrorIsTerminal();

    CommandResult result(command.get_name(), o.file);
    result.outcome = CheckOutputs(o, o.file);
    if (!result.outcome.Ok()) {
        return Render(result, o.json, out, err);
    }
    try {
        result = run(c);
    } catch (const std::exception& e) {
        result.outcome = Outcome::Fail(kExitInternal, std::string("internal error: ") + e.what());
    }
    if (frames) {
        SaveFrames(o, *frames, result);
    }
    return Render(result, o.json, out, err);
}

} // namespace

int RunCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    Command c;
    Options& o = c.options;

    CLI::App app{"Configures the fieldbus card of a Vorn leak-test instrument over its RS-232 port.", "meshgate2-cli"};
    app.set_version_flag("--version", std::string("meshgate2-cli ") + MESHGATE2_VERSION);
    app.require_subcommand(1, 1);
    app.fallthrough();
    app.footer(kExitCodeHelp);
    AddGlobalOptions(app, o);
    const auto commands = AddCommands(app, o);
    RefuseEmptyValues(app);
    for (const auto& [command, run] : commands) {
        command->footer(kExitCodeHelp);
        RefuseEmptyValues(*command);
    }

    std::vector<const char*> argv{"meshgate2-cli"};
    for (const std::string& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0) {
            return app.exit(e, out, err); // --help, --version
        }
        return ReportBadCommandLine(app, e, arguments, out, err);
    }
    c.firmwareRange = cards::ParseRange(o.range);
    c.rangeGiven = app.get_option("--range")->count() > 0;
    for (const auto& [command, run] : commands) {
        if (command->parsed()) {
            return RunParsed(*command, run, c, out, err);
        }
    }
    return kExitInternal; // CLI11 requires exactly one command
}

} // namespace cli
