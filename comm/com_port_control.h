#pragma once

#include "comm/line_device.h"
#include "comm/telnet.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The client side of the Telnet COM port control option (RFC 2217), without the socket: what to send to
// set the line to 57600 8E1, what the server's answers mean, and the answers it expects of us.
class ComPortControl final : public telnet::Listener
{
public:
    ComPortControl();

    // Offers the COM port option and agrees to binary data and no go-ahead both ways.
    static std::vector<std::uint8_t> Greeting();
    // Sets 57600 baud, 8 data bits, even parity, one stop bit and no flow control, asks to hear of line
    // errors and purges the server's receive buffer. Nothing of the modem lines: a server whose device
    // has none (ser2net on a pseudo-terminal) never answers for them.
    static std::vector<std::uint8_t> SettingsRequest();

    // Decodes bytes from the server; data goes to `data` (room for `count`). Answers how many data bytes.
    int Feed(const std::uint8_t* bytes, int count, std::uint8_t* data)
    {
        return parser.Feed(bytes, count, data, *this);
    }

    // Whether the server agreed to the option (DO COM-PORT-OPTION), or refused it.
    bool Accepted() const { return accepted; }
    bool Refused() const { return refused; }
    // Whether baud rate, data size, parity and stop bits have been acknowledged, and flow control: a server
    // that answers nothing for flow control is still usable, but one that answers otherwise is not.
    bool SettingsAnswered() const;
    bool FlowControlAnswered() const { return settings[kFlowControl].answered; }
    // Empty when every acknowledged setting is the one asked for, else what the server set
    // ("9600 baud, no parity").
    std::string SettingsMismatch() const;
    // Which settings went unanswered ("baud rate, parity").
    std::string Unanswered() const;

    // Line errors the server reported since the last call (LineError bits, as the option codes them).
    std::uint8_t TakeLineErrors();
    // Answers to the server's requests, to be sent; cleared by the caller once sent.
    std::vector<std::uint8_t>& Replies() { return replies; }

    void OnNegotiation(std::uint8_t verb, std::uint8_t option) override;
    void OnSubnegotiation(std::uint8_t option, const std::uint8_t* value, int length) override;

private:
    static constexpr std::size_t kFlowControl = 4; // its place among the settings
    // One setting: its client code, the value asked for, and what the server acknowledged.
    struct Setting
    {
        std::uint8_t code;
        const char* name;
        std::uint32_t wanted;
        int valueBytes;
        bool answered = false;
        std::uint32_t got = 0;
    };
    static bool Supported(std::uint8_t option);

    telnet::Parser parser;
    std::array<Setting, 5> settings;
    std::array<bool, 256> weDo{};   // options enabled on our side
    std::array<bool, 256> theyDo{}; // options enabled on the server's side
    bool accepted = false;
    bool refused = false;
    std::uint8_t lineErrors = 0;
    std::vector<std::uint8_t> replies;
};
