#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The one remembered setting, the serial port number: a file of exactly four bytes, a signed 32-bit
// little-endian number, without header. Bytes after the first four are ignored when reading.
namespace settings_file {

constexpr const char* kFileName = "Meshgate2.dat"; // in the working directory
constexpr int kSize = 4;

// The stored number, or nothing when the file is missing, unreadable, not a regular file (a FIFO is
// never waited on) or shorter than four bytes.
std::optional<std::int32_t> Load(const std::string& path = kFileName);

// Writes through a temporary file renamed over the old one, so a failure or a crash never leaves a torn
// or empty file; in a read-only folder a writable file is overwritten in place. False (and the old file
// untouched) when it cannot be written.
bool Save(std::int32_t portNumber, const std::string& path = kFileName);

} // namespace settings_file
