#include "host/settings_file.h"

#include "host/file_io.h"

#include <cerrno>

namespace settings_file {

std::optional<std::int32_t> Load(const std::string& path)
{
    std::string bytes;
    // Only the first four bytes count; a longer file is read that far (EFBIG).
    const file_io::Result read = file_io::ReadSmallFile(path, kSize, bytes);
    if ((!read.Ok() && read.error != EFBIG) || bytes.size() < kSize)
        return std::nullopt;
    std::uint32_t value = 0;
    for (int i = kSize - 1; i >= 0; --i)
        value = (value << 8) | static_cast<std::uint8_t>(bytes[static_cast<std::size_t>(i)]);
    return static_cast<std::int32_t>(value);
}

bool Save(std::int32_t portNumber, const std::string& path)
{
    const auto value = static_cast<std::uint32_t>(portNumber);
    char bytes[kSize];
    for (int i = 0; i < kSize; ++i)
        bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return file_io::WriteFileAtomically(path, std::string_view(bytes, kSize), true).Ok();
}

} // namespace settings_file
