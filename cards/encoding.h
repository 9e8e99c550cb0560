#pragma once

#include "cards/registers.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// How parameter values sit in the register data. The instrument keeps 16-bit numbers low byte first,
// the opposite of the Modbus header fields, and an IP address as the 32-bit value whose most
// significant byte is the first octet, also low byte first: 192.168.1.10 is the bytes 10, 1, 168, 192.
namespace cards {

constexpr void EncodeU16(std::uint16_t value, std::span<std::uint8_t, 2> out)
{
    out[0] = static_cast<std::uint8_t>(value & 0xFF);
    out[1] = static_cast<std::uint8_t>(value >> 8);
}

constexpr std::uint16_t DecodeU16(std::span<const std::uint8_t, 2> bytes)
{
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

constexpr void EncodeU32(std::uint32_t value, std::span<std::uint8_t, 4> out)
{
    for (std::size_t i = 0; i < 4; ++i) {
        out[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

constexpr std::uint32_t DecodeU32(std::span<const std::uint8_t, 4> bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// The three addresses of the IP block, each first octet most significant (as an IP address control
// takes and gives them).
struct IpSettings
{
    std::uint32_t ip = 0;
    std::uint32_t mask = 0;
    std::uint32_t gateway = 0;
    friend constexpr bool operator==(const IpSettings&, const IpSettings&) = default;
};

constexpr std::size_t kIpBlockBytes = 12;
using IpBlock = std::array<std::uint8_t, kIpBlockBytes>;

// Bytes 0-3 the IP address, 4-7 the mask, 8-11 the gateway.
constexpr void EncodeIpBlock(const IpSettings& settings, std::span<std::uint8_t, kIpBlockBytes> out)
{
    EncodeU32(settings.ip, out.subspan<0, 4>());
    EncodeU32(settings.mask, out.subspan<4, 4>());
    EncodeU32(settings.gateway, out.subspan<8, 4>());
}

constexpr IpSettings DecodeIpBlock(std::span<const std::uint8_t, kIpBlockBytes> bytes)
{
    return IpSettings{DecodeU32(bytes.subspan<0, 4>()), DecodeU32(bytes.subspan<4, 4>()),
                      DecodeU32(bytes.subspan<8, 4>())};
}

// "192.168.1.10".
std::string FormatIp(std::uint32_t address);
// "IP 10.0.0.5, mask 255.0.0.0, gateway 10.0.0.1".
std::string IpBlockText(const IpSettings& settings);

// The identification record: the echo of its own start, the card code, then the card's firmware text,
// zero-terminated; the record's last byte always counts as the terminator (at most 19 characters).
constexpr std::size_t kIdentificationBytes = kIdentification.Bytes();
constexpr std::size_t kFirmwareTextBytes = kIdentificationBytes - kFirmwareTextOffset - 1;
struct IdentificationRecord
{
    std::uint16_t echo = 0;
    std::uint16_t cardCode = 0;
    std::string firmware; // the instrument's bytes, up to the terminator
    bool EchoValid() const { return echo == kIdentificationEcho; }
};
// From as many bytes of the record as came; nullopt when fewer than the echo and the card code.
std::optional<IdentificationRecord> DecodeIdentification(std::span<const std::uint8_t> record);
// The record an instrument with this card sends; a longer firmware text is cut to what fits.
void EncodeIdentification(std::uint16_t cardCode, std::string_view firmware,
                          std::span<std::uint8_t, kIdentificationBytes> out);

// The model block: the instrument's model text from byte 16, zero-terminated or filling the block.
constexpr std::size_t kModelBlockBytes = kModelBlock.Bytes();
// nullopt when the bytes end before the text begins.
std::optional<std::string> DecodeModelText(std::span<const std::uint8_t> block);
// A longer text is cut to what fits.
void EncodeModelText(std::string_view model, std::span<std::uint8_t, kModelBlockBytes> out);

// Texts from the instrument (firmware, model) are bytes in its own 8-bit character set, taken as
// Latin-1 as the configurator has always shown them. As UTF-8, one character a byte: nothing lost.
std::string Latin1ToUtf8(std::string_view bytes);
// The same for a terminal or a window: control characters (C0, DEL, C1) as \xNN and a backslash as \\,
// so no text an instrument sends can steer a terminal or hide what it holds.
std::string PrintableText(std::string_view bytes);

// Exactly four decimal octets of 0 to 255 separated by dots, each one to three digits (leading zeros
// read as decimal, as the IP address control does); nothing else, not even blanks around it.
std::optional<std::uint32_t> ParseIp(std::string_view text);

} // namespace cards
