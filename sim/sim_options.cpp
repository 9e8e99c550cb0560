#include "sim/sim_options.h"

#include "cards/encoding.h"
#include "cards/registers.h"
#include "cards/setting_values.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <functional>
#include <limits>

namespace sim {

namespace {

constexpr unsigned long long kMax16 = std::numeric_limits<std::uint16_t>::max();
constexpr unsigned long long kMaxInt = std::numeric_limits<int>::max();

constexpr const char* kDescription =
    "Simulate a Vorn leak-test instrument with a fieldbus card: a Modbus RTU slave (functions 3 and 16)\n"
    "on a pseudo-terminal. Prints the device to open, then serves until SIGINT or SIGTERM.";

constexpr const char* kFooter =
    "Numbers are decimal or 0x-prefixed hexadecimal; the settings options take their values as\n"
    "meshgate2-cli apply does, without the card's ranges (the simulator holds what a card would refuse).\n"
    "Exit status: 0 after a clean stop, 1 when the pseudo-terminal cannot be made, 2 for a bad command line.";

// The settings under their earlier names, as the registers hold them: any 16-bit number.
struct RawAlias
{
    const char* option;
    cards::Parameter parameter;
    const char* help;
};
constexpr RawAlias kRawAliases[] = {
    {"--node", cards::kNodeAddress, "node or station address"},
    {"--baud-code", cards::kBaudCode, "DeviceNet baud-rate code: 0 500, 1 250, 2 125, 3 Auto"},
    {"--exchange-code", cards::kExchangeChoice, "exchange-table code: 0 for \"<1> ...\""},
    {"--address-mode", cards::kAddressMode, "0 STATIC IP, 1 DHCP"},
};

// What the options fill while CLI11 parses; the settings go into the Config at the end.
struct Parsing
{
    Options& options;
    cards::CardSettings settings;
};

// CLI11's layout with the usage first, as help2man reads it, and one blank line between sections.
class HelpLayout : public CLI::Formatter
{
public:
    std::string make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const override
    {
        std::string groups = make_groups(app, mode);
        for (std::size_t at; (at = groups.find("\n\n\n")) != std::string::npos;)
            groups.erase(at, 1);
        return make_usage(app, std::move(name)) + make_description(app) + groups + "\n" + make_footer(app);
    }
};

// Breaks a help text from a table into lines that keep the help within 110 columns.
std::string Wrapped(const std::string& text)
{
    constexpr std::size_t kWidth = 110 - 23;
    std::string out;
    std::size_t lineStart = 0;
    for (std::size_t word = 0; word < text.size();) {
        std::size_t end = text.find(' ', word + 1);
        end = end == std::string::npos ? text.size() : end;
        if (end - lineStart > kWidth && word > lineStart) {
            out += '\n';
            lineStart = word + 1;
            ++word; // the space the break replaces
        }
        out.append(text, word, end - word);
        word = end;
    }
    return out;
}

[[noreturn]] void Refuse(const std::string& message)
{
    throw CLI::ValidationError(message);
}

bool ParseUnsigned(const std::string& text, unsigned long long max, unsigned long long* value)
{
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    const unsigned base = hex ? 16 : 10;
    if (digits.empty())
        return false;
    unsigned long long result = 0;
    for (const char c : digits) {
        unsigned digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (hex && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (hex && c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return false;
        if (result > (max - digit) / base)
            return false;
        result = result * base + digit;
    }
    *value = result;
    return true;
}

unsigned long long Number(const std::string& name, const std::string& text, unsigned long long max)
{
    unsigned long long value = 0;
    if (!ParseUnsigned(text, max, &value))
        Refuse("bad value '" + text + "' for " + name + " (a number from 0 to " + std::to_string(max) + ")");
    return value;
}

// An option that takes a number from 0 to `max`, decimal or 0x-hex, and hands it to `take`.
CLI::Option* AddNumber(CLI::App& app, const std::string& name, unsigned long long max,
                       std::function<void(unsigned long long)> take, const std::string& help)
{
    return app
        .add_option_function<std::string>(
            name, [name, max, take](const std::string& text) { take(Number(name, text, max)); }, help)
        ->type_name("N");
}

void AddText(CLI::App& app, const std::string& name, std::size_t maxLength, std::string& field, const std::string& help)
{
    app.add_option_function<std::string>(
           name,
           [name, maxLength, &field](const std::string& text) {
               if (text.size() > maxLength)
                   Refuse(name + " takes at most " + std::to_string(maxLength) + " characters");
               field = text;
           },
           help)
        ->type_name("TEXT");
}

void AddInstrument(CLI::App& app, Config& c)
{
    app.option_defaults()->group("Instrument");
    AddNumber(
        app, "--slave", 255,
        [&c](unsigned long long value) {
            if (value == 0)
                Refuse("--slave 0 is the broadcast address; give 1 to 255");
            c.slaveAddress = static_cast<std::uint8_t>(value);
        },
        "slave address (default 255)");
    AddNumber(
        app, "--card", kMax16, [&c](unsigned long long value) { c.cardCode = static_cast<std::uint16_t>(value); },
        "card code: 1 or 5 Profibus, 2 or 6 DeviceNet, 4 Profinet,\n7 EtherNet/IP, 8 Modbus-TCP (default 5)");
    const std::size_t firmwareRoom = cards::kIdentification.Bytes() - cards::kFirmwareTextOffset - 1;
    const std::size_t modelRoom = cards::kModelBlock.Bytes() - cards::kModelTextOffset;
    AddText(app, "--firmware", firmwareRoom, c.firmwareText,
            "card firmware text, at most " + std::to_string(firmwareRoom) + " characters (default V1.00)");
    AddText(app, "--model", modelRoom, c.modelText,
            "instrument model text, at most " + std::to_string(modelRoom) + " characters (default \"VORN K320\")");
}

const char* ValueName(cards::ValueSyntax syntax)
{
    switch (syntax) {
    case cards::ValueSyntax::ListWord:
        return "WORD";
    case cards::ValueSyntax::Address:
        return "A.B.C.D";
    default:
        return "N";
    }
}

const char* RawOptionFor(const cards::Parameter& parameter)
{
    for (const RawAlias& alias : kRawAliases)
        if (alias.parameter == parameter)
            return alias.option;
    return nullptr;
}

// A setting's value as the command line's apply takes it; the card's ranges are not the simulator's to check.
std::uint32_t SettingValue(const std::string& name, const cards::SettingOption& setting, const std::string& text)
{
    if (const auto value = cards::ParseSettingValue(*setting.row, text))
        return *value;
    const bool zero = text.find('0') != std::string::npos && text.find_first_not_of("<0>") == std::string::npos;
    const char* raw = RawOptionFor(setting.row->parameter);
    if (setting.row->syntax == cards::ValueSyntax::ListEntry && zero && raw != nullptr)
        Refuse(name + " " + text + ": entries count from 1, as listed (\"<1> ...\" is 1); for the raw register " +
               "code give " + raw + " 0");
    const bool number = setting.row->syntax == cards::ValueSyntax::Number;
    Refuse("bad value '" + text + "' for " + name + ": expected " +
           (number ? "a number from 0 to 65535" : setting.row->expected));
}

std::string RegisterName(const cards::Parameter& parameter)
{
    char text[16] = {};
    std::snprintf(text, sizeof text, "0x%04X", parameter.start);
    return text;
}

void AddSettings(CLI::App& app, cards::CardSettings& settings)
{
    app.option_defaults()->group("Settings (initial values; writes change them for the rest of the run)");
    for (const cards::SettingOption& setting : cards::SettingOptions()) {
        const std::string name = std::string("--") + setting.option;
        app.add_option_function<std::string>(
               name,
               [name, &setting, &settings](const std::string& text) {
                   cards::PutSettingValue(settings, setting, SettingValue(name, setting, text));
               },
               Wrapped(std::string(setting.help) + " (default " + setting.initial + ")"))
            ->type_name(ValueName(setting.row->syntax));
    }
    app.option_defaults()->group("Settings as the registers hold them (the earlier names; any 16-bit number)");
    for (const RawAlias& alias : kRawAliases) {
        std::uint16_t* field = &(settings.*(cards::FindParameter(alias.parameter)->field));
        AddNumber(
            app, alias.option, kMax16,
            [field](unsigned long long value) { *field = static_cast<std::uint16_t>(value); },
            std::string(alias.help) + ", register " + RegisterName(alias.parameter));
    }
}

void AddLine(CLI::App& app, Options& options)
{
    Config& c = options.config;
    app.option_defaults()->group("Line");
    app.add_option_function<std::string>(
           "--link",
           [&c](const std::string& path) {
               if (path.empty())
                   Refuse("--link needs a path");
               c.linkPath = path;
           },
           "also make PATH a symbolic link to the device")
        ->type_name("PATH");
    app.add_flag("--wire-timing", c.wireTiming, "delay each reply as a 57600 baud 8E1 line would");
    AddNumber(
        app, "--turnaround", kMaxInt, [&c](unsigned long long us) { c.turnaround = std::chrono::microseconds(us); },
        "extra instrument turnaround in microseconds (with --wire-timing)")
        ->type_name("US");
    app.add_flag("--trace", options.trace, "print every frame received and sent on standard error");
}

// N:CODE: after N reads of the card identification, report card CODE.
void TakeCardChange(Faults& faults, const std::string& text)
{
    const std::size_t colon = text.find(':');
    unsigned long long reads = 0;
    unsigned long long code = 0;
    if (colon == std::string::npos || !ParseUnsigned(text.substr(0, colon), kMaxInt, &reads) || reads == 0 ||
        !ParseUnsigned(text.substr(colon + 1), kMax16, &code))
        Refuse("bad value '" + text + "' for --card-changes-after (N:CODE, like 2:2)");
    faults.cardChangesAfter = static_cast<int>(reads);
    faults.laterCardCode = static_cast<std::uint16_t>(code);
}

// WHICH[:US]: the Nth reply or "all", repeated US microseconds after it (default 1000).
void TakeRepeat(Faults& faults, const std::string& text)
{
    const std::size_t colon = text.find(':');
    const std::string which = text.substr(0, colon);
    unsigned long long nth = 0;
    unsigned long long us = 1000;
    const bool every = which == "all";
    if ((!every && (!ParseUnsigned(which, kMaxInt, &nth) || nth == 0)) ||
        (colon != std::string::npos && !ParseUnsigned(text.substr(colon + 1), kMaxInt, &us)))
        Refuse("bad value '" + text + "' for --repeat-reply (N or all, then :US, like 4:1000)");
    faults.repeatReply = static_cast<int>(nth);
    faults.repeatEvery = every;
    faults.repeatDelay = std::chrono::microseconds(us);
}

void AddRegisterFaults(CLI::App& app, Faults& f)
{
    AddNumber(
        app, "--delay", kMaxInt, [&f](unsigned long long ms) { f.delay = std::chrono::milliseconds(ms); },
        "wait MS milliseconds before each reply")
        ->type_name("MS");
    AddNumber(
        app, "--fail-first", kMaxInt, [&f](unsigned long long n) { f.failFirst = static_cast<int>(n); },
        "give no reply to the first N requests");
    AddNumber(
        app, "--fail-write-to", kMax16, [&f](unsigned long long reg) { f.failWriteTo = static_cast<int>(reg); },
        "refuse writes to register REG (e.g. 0x3011) with an exception")
        ->type_name("REG");
    AddNumber(
        app, "--fail-read-of", kMax16, [&f](unsigned long long reg) { f.failReadOf = static_cast<int>(reg); },
        "refuse reads of register REG with an exception")
        ->type_name("REG");
}

void AddFaults(CLI::App& app, Faults& f)
{
    app.option_defaults()->group("Faults");
    app.add_flag("--silent", f.silent, "answer nothing");
    app.add_flag("--bad-crc", f.badCrc, "corrupt the CRC of every reply");
    app.add_flag("--wrong-slave", f.wrongSlave, "reply from another slave address");
    app.add_flag("--short-reply", f.shortReply, "drop the last bytes of every reply");
    app.add_flag("--exception-reply", f.exceptionReply, "answer every request with a Modbus exception");
    AddRegisterFaults(app, f);
    app.add_flag("--lose-write-replies", f.loseWriteReplies, "writes land, but their reply is lost on the line");
    app.add_flag("--ignore-writes", f.ignoreWrites, "acknowledge writes but keep the old values");
    app.add_option_function<std::string>(
           "--card-changes-after", [&f](const std::string& text) { TakeCardChange(f, text); },
           "after N reads of the card identification, report card CODE")
        ->type_name("N:CODE");
    app.add_option_function<std::string>(
           "--repeat-reply", [&f](const std::string& text) { TakeRepeat(f, text); },
           "send reply WHICH (a number: the Nth reply; \"all\": every one) a second\ntime, US microseconds after "
           "it (default 1000), as a line that repeats\nframes does")
        ->type_name("WHICH[:US]");
}

void Describe(CLI::App& app, Parsing& parsing)
{
    app.description(kDescription);
    app.footer(kFooter);
    app.formatter(std::make_shared<HelpLayout>());
    app.get_formatter()->column_width(23);
    app.set_help_flag(); // answered by main, as --version is, so that ParseOptions never prints
    // As the earlier parser did: a later value replaces an earlier one, and a flag takes no value.
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast)->disable_flag_override();
    AddInstrument(app, parsing.options.config);
    AddSettings(app, parsing.settings);
    AddLine(app, parsing.options);
    AddFaults(app, parsing.options.config.faults);
    app.option_defaults()->group("Help");
    app.add_flag("-h,--help", parsing.options.help, "show this help");
    app.add_flag("--version", parsing.options.version, "show the version");
}

// The settings before any option: the parameter table's initial values.
cards::CardSettings InitialSettings()
{
    cards::CardSettings settings;
    for (const cards::SettingOption& setting : cards::SettingOptions())
        if (const auto value = cards::ParseSettingValue(*setting.row, setting.initial))
            cards::PutSettingValue(settings, setting, *value);
    return settings;
}

void PutSettings(Config& c, const cards::CardSettings& s)
{
    c.nodeAddress = s.nodeAddress;
    c.baudCode = s.baudCode;
    c.exchangeChoice = s.exchangeChoice;
    c.addressMode = s.addressMode;
    c.ip = s.ip.ip;
    c.mask = s.ip.mask;
    c.gateway = s.ip.gateway;
}

std::string Unexpected(const CLI::App& app, const CLI::ParseError& error)
{
    const std::vector<std::string> left = app.remaining();
    if (dynamic_cast<const CLI::ExtrasError*>(&error) == nullptr || left.empty())
        return error.what();
    return (left.front().rfind('-', 0) == 0 ? "unknown option '" : "unexpected argument '") + left.front() + "'";
}

} // namespace

std::string Usage()
{
    Options options;
    Parsing parsing{options, {}};
    CLI::App app{"", "meshgate2-sim"};
    Describe(app, parsing);
    return app.help();
}

Options ParseOptions(const std::vector<std::string>& args)
{
    Options options;
    Parsing parsing{options, InitialSettings()};
    CLI::App app{"", "meshgate2-sim"};
    Describe(app, parsing);
    std::vector<std::string> reversed(args.rbegin(), args.rend()); // as CLI11 takes them
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& error) {
        options.error = Unexpected(app, error);
    }
    PutSettings(options.config, parsing.settings);
    return options;
}

void TraceFrame(void*, bool received, const std::uint8_t* bytes, int length)
{
    // One fprintf per frame so lines from two frames never interleave.
    char line[3 * 256 + 8] = {};
    int used = std::snprintf(line, sizeof line, "%s", received ? "<-" : "->");
    for (int i = 0; i < length && used + 4 < static_cast<int>(sizeof line); ++i)
        used += std::snprintf(line + used, sizeof line - static_cast<std::size_t>(used), " %02X", bytes[i]);
    std::fprintf(stderr, "%s\n", line);
}

} // namespace sim
