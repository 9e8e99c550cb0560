#pragma once

#include <string>
#include <vector>

// The serial devices of this machine, for the "ports" command.
namespace cli {

struct SerialDevice
{
    std::string path;   // /dev/ttyS0, /dev/ttyUSB0, /dev/ttyACM0, /dev/serial/by-id/...
    std::string target; // for a /dev/serial/by-id name: the device it points to
    std::string kind;   // "UART 16550A", "USB serial", "USB CDC-ACM", "stable name"
    bool accessible = false;
    std::string hint; // why the user may not open it, and what to do
};

struct ComPort
{
    int number = 0;
    std::string path; // what "COMn" opens
    bool exists = false;
    bool accessible = false;
    std::string hint;
};

// Where to look; tests point these at a directory tree of their own.
struct PortScanRoots
{
    std::string dev = "/dev";
    std::string sysTty = "/sys/class/tty";
};

// /dev/ttyS* with a UART behind them (a PORT_UNKNOWN type means no hardware), /dev/ttyUSB*,
// /dev/ttyACM*, and the stable /dev/serial/by-id/* names with the device each points to.
std::vector<SerialDevice> ScanSerialDevices(const PortScanRoots& roots = {});

// What COM1 to COM9 open on this machine.
std::vector<ComPort> ResolveComPorts();

// Whether the user may open `path` read-write; when not, sets `hint` to the reason and the remedy.
bool CheckAccess(const std::string& path, std::string& hint);

} // namespace cli
