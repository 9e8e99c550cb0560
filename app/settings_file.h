#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// The one remembered setting, the serial port number: a file of exactly four bytes, a signed 32-bit
// little-endian number, without header. Bytes after the first four are ignored when reading.
namespace settings_file {

constexpr const char* kFileName = "Meshgate2.dat"; // in the working directory
constexpr int kSize = 4;

// The stored number, or nothing when the file is missing, unreadable or shorter than four bytes.
std::optional<std::int32_t> Load(const QString& path = QString::fromLatin1(kFileName));

// Writes through a temporary file renamed over the old one, so a crash never leaves a torn file.
// False (and the old file untouched) when it cannot be written.
bool Save(std::int32_t portNumber, const QString& path = QString::fromLatin1(kFileName));

} // namespace settings_file
