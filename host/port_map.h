#pragma once

#include "host/file_io.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What "COMn" opens on this machine, for both front ends. In this order:
//   1. $MESHGATE2_COMn, when set (tests, scripts, experts);
//   2. the device the user assigned to COMn (a small file under $XDG_CONFIG_HOME/meshgate2/);
//   3. the automatic map. Linux: the serial devices with hardware behind them, built-in UARTs first by
//      number, then USB and ACM adapters by their /dev/serial/by-id name (opened through it, so an adapter
//      keeps its number when replugged), numbered COM1, COM2, ... Windows: the system's own COMn, named by
//      the system (SERIALCOMM) and described by its friendly name.
namespace ports {

// Where to look; tests point these at trees of their own.
struct Roots
{
    std::string dev = "/dev";
    std::string sysTty = "/sys/class/tty";
    std::string config; // the per-user folder; empty: $XDG_CONFIG_HOME/meshgate2, else ~/.config/meshgate2
                        // (Windows: %APPDATA%\meshgate2)
};

struct SerialDevice
{
    std::string path;       // what to open: /dev/ttyS0, or an adapter's /dev/serial/by-id link
    std::string kernelName; // ttyS0, ttyUSB0, ttyACM0
    std::string kind;       // "UART 16550A", "USB serial", "USB CDC-ACM"
    std::string product;    // manufacturer and product as the adapter tells sysfs; empty when it does not

    // "FTDI FT232R USB UART (ttyUSB0)", "UART 16550A (ttyS0)".
    std::string Description() const;
};

// The serial devices with hardware behind them, in the order of the automatic COM numbers. A ttyS port
// whose UART type is unknown has no hardware and is left out; adapters without a by-id name come last.
std::vector<SerialDevice> ScanSerialDevices(const Roots& roots = {});

enum class Source
{
    Environment,
    Assignment,
    Automatic,
    None, // nothing behind this number
};
const char* SourceName(Source source); // "environment", "assignment", "automatic", "none"

struct ComPort
{
    int number = 0;
    std::string path; // empty when nothing is behind it
    Source source = Source::None;
    std::string description; // of the device, when it is one of the detected ones
};

// What the automatic map gives COMn from the devices found (empty: nothing): by position on Linux, where
// devices have other names; the system's own COMn on Windows.
std::string AutomaticDevice(int number, const std::vector<SerialDevice>& devices);
// An environment variable's value in UTF-8, empty when unset. Windows: from the wide environment, not its
// copy in the ANSI code page, so a name with any letter comes through whole.
std::string EnvironmentValue(const std::string& name);
// A device to show as an example of what a port may be assigned: an adapter's stable name here.
const char* DeviceExample();
// Whether something stands behind a local device's name now (an adapter may have been unplugged).
bool LocalDevicePresent(const std::string& device);
// Whether the name is one the system itself gives a port ("COM14", "\\.\COM14" on Windows), which no
// folder changes; nothing is on Linux, where devices are paths.
bool IsSystemPortName(const std::string& device);

// What COMn opens; COM1 to COM65535 name ports, any other number none.
ComPort ResolveComPort(int number, const Roots& roots = {});
// COM1 to COM`count`, scanning the devices once.
std::vector<ComPort> ResolveComPorts(int count, const Roots& roots = {});

// A serial device server on the network instead of a local port: "tcp://HOST:PORT" carries the line's
// bytes unchanged, "rfc2217://HOST:PORT" speaks Telnet with the COM port control option. HOST is a name,
// an IPv4 address or an IPv6 address in brackets ("rfc2217://[fd00::7]:4001").
struct NetworkLine
{
    enum class Protocol
    {
        Raw,
        Rfc2217,
    };
    Protocol protocol = Protocol::Raw;
    std::string host; // without the brackets
    std::uint16_t port = 0;
};
// Whether the name asks for a network line (by its scheme), well formed or not.
bool IsNetworkName(std::string_view name);
// The parts of a network name; nothing when it is none or is malformed.
std::optional<NetworkLine> ParseNetworkName(std::string_view name);
// What carries the line: "serial port", "raw TCP to a serial device server", "RFC 2217 to a serial device
// server".
std::string LineKind(std::string_view device);
// Whether there is a device to open behind the path: a network name always counts, as only connecting
// could tell.
bool DevicePresent(const std::string& path);

// The assignment file: one "COMn DEVICE" a line; blank lines and lines starting with # are skipped, and
// so is anything else that is not an assignment of COM1 to COM255.
constexpr int kMaxAssignedPort = 255;
// "COMn" at the start of `text` (COM in any case, n from 1 to 255, leading zeros allowed): n, and in
// `length` how many characters it took; nothing for anything else. What may follow is the caller's rule.
std::optional<int> ParseComName(std::string_view text, std::size_t* length = nullptr);
std::map<int, std::string> ParseAssignments(std::string_view text);
std::string FormatAssignments(const std::map<int, std::string>& assignments);
// The file's text with COMn's assignment changed (an empty device removes it): every other line stays as
// it was, whatever it holds; the new assignment takes the place of the first old one, or comes last.
std::string EditAssignments(std::string_view text, int number, const std::string& device);

// The per-user folder: roots.config when set, else this platform's place for settings.
std::string ConfigFolder(const Roots& roots = {});
std::string AssignmentFile(const Roots& roots = {});
std::map<int, std::string> LoadAssignments(const Roots& roots = {});
// Why the assignment file is not used (far too large, unreadable); empty when it is, or when there is none.
std::string AssignmentProblem(const Roots& roots = {});
// A device as an assignment keeps it: a path made absolute (a relative one would depend on the folder a
// program runs in), a device server's address as it is.
std::string StoredDevicePath(const std::string& device);
// Assigns a device to COMn (an empty device removes the assignment), stored as StoredDevicePath, written
// whole or not at all under a lock, so programs assigning at once lose nothing; every line of the file
// that is not COMn's stays as it was. A file that cannot be read (far too large, say), or that the change
// would make too large to be read, is refused and left.
file_io::Result Assign(int number, const std::string& device, const Roots& roots = {});

} // namespace ports
