#include "port_scan.h"

#include "serial_port.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cli {

namespace fs = std::filesystem;

namespace {

constexpr int kPortUnknown = 0; // PORT_UNKNOWN of <linux/serial_core.h>: no UART at this port

const char* UartName(int type)
{
    switch (type) {
    case 1:
        return "8250";
    case 2:
        return "16450";
    case 3:
        return "16550";
    case 4:
        return "16550A";
    case 8:
        return "16750";
    default:
        return nullptr;
    }
}

// The UART type of a ttyS port: from sysfs, which anyone may read, else by asking the driver.
// -1 when neither tells.
int UartType(const PortScanRoots& roots, const std::string& name, const std::string& path)
{
    std::ifstream sys(roots.sysTty + "/" + name + "/type");
    int type = -1;
    if (sys >> type) {
        return type;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    struct serial_struct info
    {};
    if (::ioctl(fd, TIOCGSERIAL, &info) == 0) {
        type = info.type;
    }
    ::close(fd);
    return type;
}

// ttyS2 before ttyS10.
bool NaturalLess(const std::string& a, const std::string& b)
{
    const auto digits = [](const std::string& s) { return s.size() - s.find_last_not_of("0123456789") - 1; };
    const std::string stemA = a.substr(0, a.size() - digits(a));
    const std::string stemB = b.substr(0, b.size() - digits(b));
    if (stemA != stemB) {
        return stemA < stemB;
    }
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

std::vector<std::string> NamesWithPrefix(const std::string& directory, const std::string& prefix)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(directory, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0 && name.size() > prefix.size() &&
            name.find_first_not_of("0123456789", prefix.size()) == std::string::npos) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end(), NaturalLess);
    return names;
}

} // namespace

bool CheckAccess(const std::string& path, std::string& hint)
{
    if (::access(path.c_str(), R_OK | W_OK) == 0) {
        hint.clear();
        return true;
    }
    const int error = errno;
    hint = std::strerror(error);
    struct stat info
    {};
    if ((error == EACCES || error == EPERM) && ::stat(path.c_str(), &info) == 0) {
        const struct group* owner = ::getgrgid(info.st_gid);
        if (owner != nullptr) {
            hint = std::string("no permission: add yourself to group '") + owner->gr_name + "' (sudo usermod -aG " +
                   owner->gr_name + " $USER, then log in again)";
        }
    }
    return false;
}

std::vector<SerialDevice> ScanSerialDevices(const PortScanRoots& roots)
{
    std::vector<SerialDevice> devices;
    const auto add = [&](std::string path, std::string kind, std::string target = {}) {
        SerialDevice device{std::move(path), std::move(target), std::move(kind), false, {}};
        device.accessible = CheckAccess(device.path, device.hint);
        devices.push_back(std::move(device));
    };

    for (const std::string& name : NamesWithPrefix(roots.dev, "ttyS")) {
        const std::string path = roots.dev + "/" + name;
        const int type = UartType(roots, name, path);
        if (type == kPortUnknown) {
            continue; // a port number without hardware behind it
        }
        const char* uart = UartName(type);
        add(path, type < 0 ? "UART (type unknown)"
                  : uart   ? std::string("UART ") + uart
                           : "UART type " + std::to_string(type));
    }
    for (const std::string& name : NamesWithPrefix(roots.dev, "ttyUSB")) {
        add(roots.dev + "/" + name, "USB serial");
    }
    for (const std::string& name : NamesWithPrefix(roots.dev, "ttyACM")) {
        add(roots.dev + "/" + name, "USB CDC-ACM");
    }

    std::vector<std::string> stable;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(roots.dev + "/serial/by-id", error)) {
        stable.push_back(entry.path().string());
    }
    std::sort(stable.begin(), stable.end());
    for (const std::string& path : stable) {
        std::error_code resolveError;
        const fs::path target = fs::canonical(path, resolveError);
        add(path, "stable name", resolveError ? "(dangling link)" : target.string());
    }
    return devices;
}

std::vector<ComPort> ResolveComPorts()
{
    std::vector<ComPort> ports;
    for (int n = 1; n <= 9; ++n) {
        ComPort port;
        port.number = n;
        port.path = SerialPort::ResolvePortName(static_cast<std::uint16_t>(n));
        std::error_code error;
        port.exists = !port.path.empty() && fs::exists(port.path, error);
        port.accessible = port.exists && CheckAccess(port.path, port.hint);
        if (!port.exists) {
            port.hint = "no such device";
        }
        ports.push_back(std::move(port));
    }
    return ports;
}

} // namespace cli
