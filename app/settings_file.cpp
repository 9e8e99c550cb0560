#include "settings_file.h"

#include <QFile>
#include <QSaveFile>
#include <array>

namespace settings_file {

std::optional<std::int32_t> Load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    std::array<char, kSize> bytes{};
    if (file.read(bytes.data(), kSize) != kSize)
        return std::nullopt;
    std::uint32_t value = 0;
    for (int i = kSize - 1; i >= 0; --i)
        value = (value << 8) | static_cast<std::uint8_t>(bytes[static_cast<std::size_t>(i)]);
    return static_cast<std::int32_t>(value);
}

bool Save(std::int32_t portNumber, const QString& path)
{
    const auto value = static_cast<std::uint32_t>(portNumber);
    std::array<char, kSize> bytes{};
    for (int i = 0; i < kSize; ++i)
        bytes[static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes.data(), kSize) != kSize) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace settings_file
