#pragma once

#include <array>
#include <cstdint>

// Telnet framing for the RFC 2217 line: a stream of data bytes with commands between them, each command
// starting with IAC (0xFF); a data byte 0xFF travels doubled, inside subnegotiations too.
namespace telnet {

constexpr std::uint8_t kIac = 255;
constexpr std::uint8_t kDont = 254;
constexpr std::uint8_t kDo = 253;
constexpr std::uint8_t kWont = 252;
constexpr std::uint8_t kWill = 251;
constexpr std::uint8_t kSb = 250; // subnegotiation begins
constexpr std::uint8_t kSe = 240; // subnegotiation ends

constexpr std::uint8_t kBinary = 0;
constexpr std::uint8_t kSuppressGoAhead = 3;
constexpr std::uint8_t kComPort = 44;

// What the parser meets besides data, as it meets it.
class Listener
{
public:
    // WILL, WONT, DO or DONT `option`.
    virtual void OnNegotiation(std::uint8_t verb, std::uint8_t option) = 0;
    // IAC SB option value... IAC SE, the value with its doubled 0xFF undone.
    virtual void OnSubnegotiation(std::uint8_t option, const std::uint8_t* value, int length) = 0;

protected:
    ~Listener() = default;
};

// Splits a Telnet stream into data and commands byte by byte, keeping its state between calls: servers cut
// commands anywhere (ser2net at the wrap of its buffer), so a command may span any number of reads.
class Parser
{
public:
    // Longer subnegotiations than the COM port option ever sends are cut to this length.
    static constexpr int kMaxSubnegotiation = 32;

    // Decodes `count` bytes; their data bytes go to `data`, which has room for `count`. Answers how many.
    int Feed(const std::uint8_t* bytes, int count, std::uint8_t* data, Listener& listener);
    void Reset() { *this = Parser(); }

private:
    enum class State : std::uint8_t
    {
        Data,
        Command,    // after IAC
        Option,     // after IAC WILL/WONT/DO/DONT
        Sub,        // inside IAC SB ...
        SubCommand, // after an IAC inside a subnegotiation
    };
    State state = State::Data;
    std::uint8_t verb = 0;
    std::array<std::uint8_t, kMaxSubnegotiation> sub{};
    int subLength = 0;
    bool subCut = false; // longer than kMaxSubnegotiation: dropped whole
};

// Writes `count` data bytes as they travel, each 0xFF doubled, to `out` (room for 2 x count); answers how
// many bytes that took.
int Escape(const std::uint8_t* bytes, int count, std::uint8_t* out);

} // namespace telnet
