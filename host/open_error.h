#pragma once

#include <string>

// Why a serial device could not be opened, and what to do about it, in words for the operator; one
// explanation for both front ends.
struct OpenError
{
    std::string reason; // "permission denied", "in use by minicom (process 1234)", ...
    std::string remedy; // what to do; empty when there is nothing to suggest
};

// `error` is the errno of the failed open (SerialPort::LastOpenError); `device` the path tried, empty
// when the port number names nothing.
OpenError DescribeOpenError(int error, const std::string& device);

// The whole explanation, one text for both front ends: "COM3 (/dev/ttyUSB0): permission denied. The device
// belongs to the group 'dialout': join it with ...". `port` may be empty when a device path was given.
std::string ExplainOpenFailure(const std::string& port, const std::string& device, int error);

// This platform's words for an error of its own (errno on Linux) on a device that exists by name.
OpenError DescribePlatformError(int error, const std::string& device);

// The device is the terminal this program runs in (/dev/tty, or the /dev/pts/N of its own window): the
// frames would land on the screen. Never an errno value.
constexpr int kOpenErrorOwnTerminal = 0x20000;

// POSIX: whether any descriptor other than `fd` (ours) has the same device open, in any process.
bool OpenElsewhere(int fd);

// Whether the device may be opened read-write by this user: nothing when it may, else why not.
// For listing devices, without opening them.
std::string AccessProblem(const std::string& device);
