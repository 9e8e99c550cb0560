#include "cards/encoding.h"

#include <algorithm>
#include <cstdio>

namespace cards {

namespace {

// The bytes up to the first zero, or all of them.
std::string TextUntilZero(std::span<const std::uint8_t> bytes)
{
    const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    return std::string(bytes.begin(), end);
}

void PutText(std::string_view text, std::span<std::uint8_t> room)
{
    const std::size_t length = std::min(text.size(), room.size());
    std::copy_n(text.begin(), length, room.begin());
}

} // namespace

std::string FormatIp(std::uint32_t address)
{
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", address >> 24, (address >> 16) & 0xFF, (address >> 8) & 0xFF,
                  address & 0xFF);
    return text;
}

std::string IpBlockText(const IpSettings& settings)
{
    return "IP " + FormatIp(settings.ip) + ", mask " + FormatIp(settings.mask) + ", gateway " +
           FormatIp(settings.gateway);
}

std::optional<IdentificationRecord> DecodeIdentification(std::span<const std::uint8_t> record)
{
    if (record.size() < kFirmwareTextOffset) {
        return std::nullopt;
    }
    IdentificationRecord out;
    out.echo = DecodeU16(record.subspan<0, 2>());
    out.cardCode = DecodeU16(record.subspan<2, 2>());
    const auto text = record.subspan(kFirmwareTextOffset);
    out.firmware = TextUntilZero(text.first(std::min(text.size(), kFirmwareTextBytes)));
    return out;
}

void EncodeIdentification(std::uint16_t cardCode, std::string_view firmware,
                          std::span<std::uint8_t, kIdentificationBytes> out)
{
    std::fill(out.begin(), out.end(), std::uint8_t{0});
    EncodeU16(kIdentificationEcho, out.subspan<0, 2>());
    EncodeU16(cardCode, out.subspan<2, 2>());
    PutText(firmware, out.subspan(kFirmwareTextOffset, kFirmwareTextBytes));
}

std::optional<std::string> DecodeModelText(std::span<const std::uint8_t> block)
{
    if (block.size() < kModelTextOffset) {
        return std::nullopt;
    }
    return TextUntilZero(block.subspan(kModelTextOffset));
}

void EncodeModelText(std::string_view model, std::span<std::uint8_t, kModelBlockBytes> out)
{
    std::fill(out.begin() + kModelTextOffset, out.end(), std::uint8_t{0});
    PutText(model, std::span<std::uint8_t>(out).subspan(kModelTextOffset));
}

std::string Latin1ToUtf8(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xC0 | (byte >> 6));
            text += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return text;
}

std::string PrintableText(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || (byte >= 0x80 && byte < 0xA0)) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            text += escaped;
        } else if (c == '\\') {
            text += "\\\\";
        } else {
            text += Latin1ToUtf8(std::string_view(&c, 1));
        }
    }
    return text;
}

std::optional<std::uint32_t> ParseIp(std::string_view text)
{
    std::uint32_t address = 0;
    std::size_t position = 0;
    for (int octet = 0; octet < 4; ++octet) {
        if (octet > 0) {
            if (position >= text.size() || text[position] != '.') {
                return std::nullopt;
            }
            ++position;
        }
        unsigned value = 0;
        int digits = 0;
        while (position < text.size() && text[position] >= '0' && text[position] <= '9' && digits < 4) {
            value = value * 10 + static_cast<unsigned>(text[position] - '0');
            ++position;
            ++digits;
        }
        if (digits == 0 || digits > 3 || value > 255) {
            return std::nullopt;
        }
        address = (address << 8) | value;
    }
    if (position != text.size()) {
        return std::nullopt;
    }
    return address;
}

} // namespace cards
