#pragma once

#include <string>

// Why a serial device could not be opened, and what to do about it, in words for the operator; one
// explanation for both front ends.
struct OpenError
{
    std::string reason; // "permission denied", "in use by minicom (process 1234)", ...
    std::string remedy; // what to do; empty when there is nothing to suggest
};

// Why a line to a serial device server did not open, where errno has no word for it (these never clash
// with an errno value); LineDevice::OpenResult carries them.
enum : int
{
    kOpenErrorBadNetworkName = 0x10000, // "tcp://" or "rfc2217://" without a usable HOST:PORT
    kOpenErrorHostUnknown,              // the host name does not resolve
    kOpenErrorRefused,                  // nothing listens on that port
    kOpenErrorNoAnswer,                 // the connection timed out
    kOpenErrorUnreachable,              // no route to the host
    kOpenErrorPortHeld,                 // the server serves another client and closed our connection
    kOpenErrorClosed,                   // the server closed the connection while it was being set up; the
                                        // detail quotes what it sent, if anything
    kOpenErrorNoRfc2217,                // no answer to the COM port control option
    kOpenErrorSettingsRefused,          // the server would not set 57600 8E1; the detail says what it set
    kOpenErrorRfc2217Refused,           // the server answered DONT to the COM port control option
};

// `error` is the errno of the failed open (SerialPort::LastOpenError); `device` the path tried, empty
// when the port number names nothing.
OpenError DescribeOpenError(int error, const std::string& device, const std::string& detail = {});

// The whole explanation, one text for both front ends: "COM3 (/dev/ttyUSB0): permission denied. The device
// belongs to the group 'dialout': join it with ...". `port` may be empty when a device path was given;
// `detail` is what the device said (SerialPort::LastOpenDetail), empty when it said nothing.
std::string ExplainOpenFailure(const std::string& port, const std::string& device, int error,
                               const std::string& detail = {});

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
