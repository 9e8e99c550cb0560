#include "host/local_time.h"

std::string FormatLocalTime(std::time_t seconds)
{
    std::tm local{};
    char text[64] = "";
    if (localtime_r(&seconds, &local) != nullptr)
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S %z", &local);
    return text;
}
