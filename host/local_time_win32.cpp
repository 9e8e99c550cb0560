#include "host/local_time.h"

#include <cstdio>
#include <cstdlib>

std::string FormatLocalTime(std::time_t seconds)
{
    std::tm local{};
    if (localtime_s(&local, &seconds) != 0)
        return {};
    char text[64] = "";
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    // The C runtime's %z gives the zone's name here, not its offset: count the offset itself.
    std::tm copy = local;
    const long offset = static_cast<long>(_mkgmtime(&copy) - seconds) / 60;
    char zone[16];
    std::snprintf(zone, sizeof zone, " %c%02ld%02ld", offset < 0 ? '-' : '+', std::labs(offset) / 60,
                  std::labs(offset) % 60);
    return std::string(text) + zone;
}
