#pragma once

#include <ctime>
#include <string>

// A moment as the computer's clock shows it, with its offset from UTC: "2026-12-09 21:15:03 +0100".
// Empty when the system cannot tell.
std::string FormatLocalTime(std::time_t seconds);
