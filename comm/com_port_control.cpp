#include "comm/com_port_control.h"

namespace {

using namespace telnet;

// Client codes of the COM port option; the server acknowledges each with the code + 100.
constexpr std::uint8_t kSetBaudRate = 1;
constexpr std::uint8_t kSetDataSize = 2;
constexpr std::uint8_t kSetParity = 3;
constexpr std::uint8_t kSetStopSize = 4;
constexpr std::uint8_t kSetControl = 5;
constexpr std::uint8_t kSetLineStateMask = 10;
constexpr std::uint8_t kPurgeData = 12;
constexpr std::uint8_t kServerOffset = 100;
constexpr std::uint8_t kNotifyLineState = 106;

constexpr std::uint32_t kBaudRate = 57600;
constexpr std::uint8_t kEvenParity = 3;
constexpr std::uint8_t kOneStopBit = 1;
constexpr std::uint8_t kNoFlowControl = 1;
constexpr std::uint8_t kPurgeReceiveBuffer = 1;

void AppendCommand(std::vector<std::uint8_t>& out, std::uint8_t code, std::uint32_t value, int valueBytes)
{
    out.insert(out.end(), {kIac, kSb, kComPort, code});
    std::uint8_t bytes[4];
    for (int i = 0; i < valueBytes; ++i)
        bytes[i] = static_cast<std::uint8_t>(value >> (8 * (valueBytes - 1 - i))); // network order
    std::uint8_t escaped[8];
    const int n = Escape(bytes, valueBytes, escaped);
    out.insert(out.end(), escaped, escaped + n);
    out.insert(out.end(), {kIac, kSe});
}

// What the server set, in words: "9600 baud", "no parity".
std::string Describe(std::uint8_t code, std::uint32_t value)
{
    static constexpr const char* kParities[] = {"no parity", "odd parity", "even parity", "mark parity",
                                                "space parity"};
    static constexpr const char* kStops[] = {"1 stop bit", "2 stop bits", "1.5 stop bits"};
    switch (code) {
    case kSetBaudRate:
        return std::to_string(value) + " baud";
    case kSetDataSize:
        return std::to_string(value) + " data bits";
    case kSetParity:
        return value >= 1 && value <= 5 ? kParities[value - 1] : "parity " + std::to_string(value);
    case kSetStopSize:
        return value >= 1 && value <= 3 ? kStops[value - 1] : "stop size " + std::to_string(value);
    default:
        return value == kNoFlowControl ? "no flow control" : "flow control " + std::to_string(value);
    }
}

void Join(std::string& text, const std::string& more)
{
    text += (text.empty() ? "" : ", ") + more;
}

} // namespace

ComPortControl::ComPortControl()
    : settings{{{kSetBaudRate, "baud rate", kBaudRate, 4},
                {kSetDataSize, "data size", 8, 1},
                {kSetParity, "parity", kEvenParity, 1},
                {kSetStopSize, "stop bits", kOneStopBit, 1},
                {kSetControl, "flow control", kNoFlowControl, 1}}}
{
    // What the greeting offers counts as asked: the server's agreement needs no answer.
    weDo[kComPort] = weDo[kBinary] = weDo[kSuppressGoAhead] = true;
    theyDo[kBinary] = theyDo[kSuppressGoAhead] = true;
}

std::vector<std::uint8_t> ComPortControl::Greeting()
{
    return {kIac, kWill, kComPort,         kIac, kWill, kBinary,         kIac, kDo, kBinary,
            kIac, kWill, kSuppressGoAhead, kIac, kDo,   kSuppressGoAhead};
}

std::vector<std::uint8_t> ComPortControl::SettingsRequest()
{
    std::vector<std::uint8_t> out;
    const ComPortControl fresh;
    for (const Setting& s : fresh.settings)
        AppendCommand(out, s.code, s.wanted, s.valueBytes);
    AppendCommand(out, kSetLineStateMask, kLineOverrun | kLineParity | kLineFraming, 1);
    AppendCommand(out, kPurgeData, kPurgeReceiveBuffer, 1);
    return out;
}

bool ComPortControl::Supported(std::uint8_t option)
{
    return option == kBinary || option == kSuppressGoAhead || option == kComPort;
}

void ComPortControl::OnNegotiation(std::uint8_t verb, std::uint8_t option)
{
    // Answer only a change, so that two sides never echo each other's agreement for ever.
    const auto answer = [this, option](std::uint8_t reply) { replies.insert(replies.end(), {kIac, reply, option}); };
    switch (verb) {
    case kDo:
        if (!Supported(option)) {
            answer(kWont);
        } else if (!weDo[option]) {
            weDo[option] = true;
            answer(kWill);
        }
        accepted = accepted || option == kComPort;
        break;
    case kDont:
        if (weDo[option]) {
            weDo[option] = false;
            answer(kWont);
        }
        refused = refused || option == kComPort;
        break;
    case kWill:
        if (!Supported(option)) {
            answer(kDont);
        } else if (!theyDo[option]) {
            theyDo[option] = true;
            answer(kDo);
        }
        break;
    case kWont:
        if (theyDo[option]) {
            theyDo[option] = false;
            answer(kDont);
        }
        break;
    default:
        break;
    }
}

void ComPortControl::OnSubnegotiation(std::uint8_t option, const std::uint8_t* value, int length)
{
    if (option != kComPort || length < 1)
        return;
    const std::uint8_t code = value[0];
    if (code == kNotifyLineState) {
        if (length >= 2)
            lineErrors |= value[1] & (kLineOverrun | kLineParity | kLineFraming);
        return;
    }
    for (Setting& s : settings) {
        if (code != s.code + kServerOffset || length - 1 < s.valueBytes)
            continue;
        std::uint32_t got = 0;
        for (int i = 1; i <= s.valueBytes; ++i)
            got = got << 8 | value[i];
        s.answered = true;
        s.got = got;
    }
}

bool ComPortControl::SettingsAnswered() const
{
    for (std::size_t i = 0; i < kFlowControl; ++i)
        if (!settings[i].answered)
            return false;
    return true;
}

std::string ComPortControl::SettingsMismatch() const
{
    std::string text;
    for (const Setting& s : settings)
        if (s.answered && s.got != s.wanted)
            Join(text, Describe(s.code, s.got));
    return text;
}

std::string ComPortControl::Unanswered() const
{
    std::string text;
    for (std::size_t i = 0; i < kFlowControl; ++i)
        if (!settings[i].answered)
            Join(text, settings[i].name);
    return text;
}

std::uint8_t ComPortControl::TakeLineErrors()
{
    const std::uint8_t errors = lineErrors;
    lineErrors = 0;
    return errors;
}
