#include "sim/sim_options.h"

#include "cards/encoding.h"
#include "cards/registers.h"

#include <cstdio>
#include <limits>
#include <type_traits>

namespace sim {

const char* const kUsage =
    R"(Usage: meshgate2-sim [OPTION]...
Simulate a Vorn leak-test instrument with a fieldbus card: a Modbus RTU slave (functions 3 and 16)
on a pseudo-terminal. Prints the device to open, then serves until SIGINT or SIGTERM.

Instrument:
  --slave N            slave address (default 255)
  --card N             card code: 1 or 5 Profibus, 2 or 6 DeviceNet, 4 Profinet,
                       7 EtherNet/IP, 8 Modbus-TCP (default 5)
  --firmware TEXT      card firmware text, at most 19 characters (default V1.00)
  --model TEXT         instrument model text, at most 20 characters (default "VORN K320")
Settings (initial values; writes change them for the rest of the run):
  --node N             node or station address, register 0x3011 (default 1)
  --baud-code N        DeviceNet baud-rate code, register 0x3012 (default 0)
  --exchange N         exchange-table choice, register 0x3013 (default 0)
  --address-mode N     0 STATIC IP, 1 DHCP, register 0x3015 (default 0)
  --ip A.B.C.D         IP address (default 192.168.1.10)
  --mask A.B.C.D       subnet mask (default 255.255.255.0)
  --gateway A.B.C.D    gateway (default 192.168.1.1)
Line:
  --link PATH          also make PATH a symbolic link to the device
  --wire-timing        delay each reply as a 57600 baud 8E1 line would
  --turnaround US      extra instrument turnaround in microseconds (with --wire-timing)
  --trace              print every frame received and sent on standard error
Faults:
  --silent             answer nothing
  --bad-crc            corrupt the CRC of every reply
  --wrong-slave        reply from another slave address
  --short-reply        drop the last bytes of every reply
  --exception-reply    answer every request with a Modbus exception
  --delay MS           wait MS milliseconds before each reply
  --fail-first N       give no reply to the first N requests
  --fail-write-to REG  refuse writes to register REG (e.g. 0x3011) with an exception
  --fail-read-of REG   refuse reads of register REG with an exception
  --lose-write-replies writes land, but their reply is lost on the line
  --ignore-writes      acknowledge writes but keep the old values
  --card-changes-after N:CODE
                       after N reads of the card identification, report card CODE
  --repeat-reply WHICH[:US]
                       send reply WHICH (a number: the Nth reply; "all": every one) a second
                       time, US microseconds after it (default 1000), as a line that repeats
                       frames does
  -h, --help           show this help
  --version            show the version

Numbers are decimal or 0x-prefixed hexadecimal.
Exit status: 0 after a clean stop, 1 when the pseudo-terminal cannot be made, 2 for a bad command line.
)";

namespace {

bool ParseUnsigned(const std::string& text, unsigned long long max, unsigned long long* value)
{
    int base = 10;
    std::size_t i = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        i = 2;
    }
    if (i >= text.size())
        return false;
    unsigned long long result = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        unsigned digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return false;
        if (result > (max - digit) / static_cast<unsigned>(base))
            return false;
        result = result * static_cast<unsigned>(base) + digit;
    }
    *value = result;
    return true;
}

} // namespace

Options ParseOptions(const std::vector<std::string>& args)
{
    Options options;
    Config& c = options.config;

    for (std::size_t i = 0; i < args.size() && options.error.empty(); ++i) {
        std::string name = args[i];
        std::string value;
        bool hasValue = false;
        if (const std::size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            hasValue = true;
        }
        auto takeValue = [&]() -> bool {
            if (hasValue)
                return true;
            if (i + 1 >= args.size()) {
                options.error = "option " + name + " needs a value";
                return false;
            }
            value = args[++i];
            hasValue = true;
            return true;
        };
        auto number = [&](unsigned long long max, auto* field) {
            if (!takeValue())
                return;
            unsigned long long parsed = 0;
            if (!ParseUnsigned(value, max, &parsed))
                options.error =
                    "bad value '" + value + "' for " + name + " (a number from 0 to " + std::to_string(max) + ")";
            else
                *field = static_cast<std::remove_pointer_t<decltype(field)>>(parsed);
        };
        auto address = [&](std::uint32_t* field) {
            if (!takeValue())
                return;
            if (const auto ip = cards::ParseIp(value))
                *field = *ip;
            else
                options.error = "bad address '" + value + "' for " + name + " (four numbers 0-255, e.g. 192.168.1.10)";
        };
        auto text = [&](std::size_t maxLength, std::string* field) {
            if (!takeValue())
                return;
            if (value.size() > maxLength)
                options.error = name + " takes at most " + std::to_string(maxLength) + " characters";
            else
                *field = value;
        };
        auto flag = [&](bool* field) {
            if (hasValue)
                options.error = "option " + name + " takes no value";
            else
                *field = true;
        };
        constexpr unsigned long long kMax16 = std::numeric_limits<std::uint16_t>::max();
        constexpr unsigned long long kMaxInt = std::numeric_limits<int>::max();

        if (name == "-h" || name == "--help")
            flag(&options.help);
        else if (name == "--version")
            flag(&options.version);
        else if (name == "--slave") {
            number(255, &c.slaveAddress);
            if (options.error.empty() && c.slaveAddress == 0)
                options.error = "--slave 0 is the broadcast address; give 1 to 255";
        } else if (name == "--card")
            number(kMax16, &c.cardCode);
        else if (name == "--firmware")
            text(cards::kIdentification.Bytes() - cards::kFirmwareTextOffset - 1, &c.firmwareText);
        else if (name == "--model")
            text(cards::kModelBlock.Bytes() - cards::kModelTextOffset, &c.modelText);
        else if (name == "--node")
            number(kMax16, &c.nodeAddress);
        else if (name == "--baud-code")
            number(kMax16, &c.baudCode);
        else if (name == "--exchange")
            number(kMax16, &c.exchangeChoice);
        else if (name == "--address-mode")
            number(kMax16, &c.addressMode);
        else if (name == "--ip")
            address(&c.ip);
        else if (name == "--mask")
            address(&c.mask);
        else if (name == "--gateway")
            address(&c.gateway);
        else if (name == "--link") {
            if (takeValue()) {
                if (value.empty())
                    options.error = "--link needs a path";
                c.linkPath = value;
            }
        } else if (name == "--wire-timing")
            flag(&c.wireTiming);
        else if (name == "--turnaround") {
            long long us = 0;
            number(kMaxInt, &us);
            c.turnaround = std::chrono::microseconds(us);
        } else if (name == "--trace")
            flag(&options.trace);
        else if (name == "--silent")
            flag(&c.faults.silent);
        else if (name == "--bad-crc")
            flag(&c.faults.badCrc);
        else if (name == "--wrong-slave")
            flag(&c.faults.wrongSlave);
        else if (name == "--short-reply")
            flag(&c.faults.shortReply);
        else if (name == "--exception-reply")
            flag(&c.faults.exceptionReply);
        else if (name == "--delay") {
            long long ms = 0;
            number(kMaxInt, &ms);
            c.faults.delay = std::chrono::milliseconds(ms);
        } else if (name == "--fail-first")
            number(kMaxInt, &c.faults.failFirst);
        else if (name == "--fail-write-to")
            number(kMax16, &c.faults.failWriteTo);
        else if (name == "--fail-read-of")
            number(kMax16, &c.faults.failReadOf);
        else if (name == "--lose-write-replies")
            flag(&c.faults.loseWriteReplies);
        else if (name == "--ignore-writes")
            flag(&c.faults.ignoreWrites);
        else if (name == "--card-changes-after") {
            if (!takeValue())
                continue;
            const std::size_t colon = value.find(':');
            unsigned long long reads = 0;
            unsigned long long code = 0;
            if (colon == std::string::npos || !ParseUnsigned(value.substr(0, colon), kMaxInt, &reads) || reads == 0 ||
                !ParseUnsigned(value.substr(colon + 1), kMax16, &code))
                options.error = "bad value '" + value + "' for " + name + " (N:CODE, like 2:2)";
            else {
                c.faults.cardChangesAfter = static_cast<int>(reads);
                c.faults.laterCardCode = static_cast<std::uint16_t>(code);
            }
        } else if (name == "--repeat-reply") {
            if (!takeValue())
                continue;
            const std::size_t colon = value.find(':');
            const std::string which = value.substr(0, colon);
            unsigned long long nth = 0;
            unsigned long long us = 1000;
            const bool every = which == "all";
            if ((!every && (!ParseUnsigned(which, kMaxInt, &nth) || nth == 0)) ||
                (colon != std::string::npos && !ParseUnsigned(value.substr(colon + 1), kMaxInt, &us)))
                options.error = "bad value '" + value + "' for " + name + " (N or all, then :US, like 4:1000)";
            else {
                c.faults.repeatReply = static_cast<int>(nth);
                c.faults.repeatEvery = every;
                c.faults.repeatDelay = std::chrono::microseconds(us);
            }
        } else
            options.error = "unknown option '" + args[i] + "'";
    }
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
