#include "cards/encoding.h"

#include <cstdio>

namespace cards {

std::string FormatIp(std::uint32_t address)
{
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", address >> 24, (address >> 16) & 0xFF, (address >> 8) & 0xFF,
                  address & 0xFF);
    return text;
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
