// What serial devices this Linux machine has (sysfs, /dev/serial/by-id) and where a user's settings live.
#include "host/port_map.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <linux/serial.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ports {

namespace fs = std::filesystem;

namespace {

constexpr int kPortUnknown = 0; // PORT_UNKNOWN of <linux/serial_core.h>: no UART at this port number

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

std::string FirstLine(const fs::path& file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r'))
        line.pop_back();
    return line;
}

// The UART type of a ttyS port: from sysfs, which anyone may read, else by asking the driver. -1 when
// neither tells.
int UartType(const Roots& roots, const std::string& name, const std::string& path)
{
    const std::string fromSys = FirstLine(fs::path(roots.sysTty) / name / "type");
    if (!fromSys.empty() && fromSys.find_first_not_of("0123456789") == std::string::npos)
        return std::atoi(fromSys.c_str());
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    serial_struct info{};
    const int type = ::ioctl(fd, TIOCGSERIAL, &info) == 0 ? info.type : -1;
    ::close(fd);
    return type;
}

// Manufacturer and product of the USB device a tty hangs off, as sysfs tells them.
std::string UsbProduct(const Roots& roots, const std::string& name)
{
    std::error_code error;
    fs::path device = fs::canonical(fs::path(roots.sysTty) / name / "device", error);
    for (int up = 0; !error && up < 4 && !device.empty(); ++up, device = device.parent_path()) {
        if (!fs::exists(device / "idVendor", error))
            continue;
        const std::string maker = FirstLine(device / "manufacturer");
        const std::string product = FirstLine(device / "product");
        if (maker.empty() || product.rfind(maker, 0) == 0)
            return product;
        return product.empty() ? maker : maker + " " + product;
    }
    return {};
}

// ttyS2 before ttyS10.
bool NaturalLess(const std::string& a, const std::string& b)
{
    const auto digits = [](const std::string& s) { return s.size() - s.find_last_not_of("0123456789") - 1; };
    const std::string stemA = a.substr(0, a.size() - digits(a));
    const std::string stemB = b.substr(0, b.size() - digits(b));
    if (stemA != stemB)
        return stemA < stemB;
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

std::vector<std::string> NamesWithPrefix(const std::string& directory, const std::string& prefix)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(directory, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0 && name.size() > prefix.size() &&
            name.find_first_not_of("0123456789", prefix.size()) == std::string::npos)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end(), NaturalLess);
    return names;
}

} // namespace

std::string EnvironmentValue(const std::string& name)
{
    const char* value = std::getenv(name.c_str());
    return value != nullptr ? value : "";
}

const char* DeviceExample()
{
    return "/dev/serial/by-id/...";
}

std::string ConfigFolder(const Roots& roots)
{
    if (!roots.config.empty())
        return roots.config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/')
        return std::string(xdg) + "/meshgate2";
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        const passwd* user = ::getpwuid(::getuid());
        home = user != nullptr ? user->pw_dir : "/";
    }
    return std::string(home) + "/.config/meshgate2";
}

std::vector<SerialDevice> ScanSerialDevices(const Roots& roots)
{
    std::vector<SerialDevice> devices;
    for (const std::string& name : NamesWithPrefix(roots.dev, "ttyS")) {
        const std::string path = roots.dev + "/" + name;
        const int type = UartType(roots, name, path);
        if (type == kPortUnknown)
            continue; // a port number without hardware behind it
        const char* uart = UartName(type);
        devices.push_back({path,
                           name,
                           type < 0 ? "UART (type unknown)"
                           : uart   ? std::string("UART ") + uart
                                    : "UART type " + std::to_string(type),
                           {}});
    }

    // Adapters are numbered by their stable names, so one keeps its COM number when it is plugged in
    // again and comes back as another ttyUSB.
    std::vector<SerialDevice> adapters;
    for (const auto& [prefix, kind] : {std::pair{"ttyUSB", "USB serial"}, std::pair{"ttyACM", "USB CDC-ACM"}})
        for (const std::string& name : NamesWithPrefix(roots.dev, prefix))
            adapters.push_back({roots.dev + "/" + name, name, kind, UsbProduct(roots, name)});
    std::vector<std::string> stable;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(roots.dev + "/serial/by-id", error))
        stable.push_back(entry.path().string());
    std::sort(stable.begin(), stable.end());
    for (const std::string& link : stable) {
        std::error_code resolveError;
        const std::string target = fs::canonical(link, resolveError).string();
        const auto adapter = std::find_if(adapters.begin(), adapters.end(), [&](const SerialDevice& d) {
            std::error_code again;
            return !resolveError && fs::canonical(d.path, again).string() == target;
        });
        if (adapter == adapters.end())
            continue; // a dangling link: the adapter is not plugged in
        SerialDevice byId = *adapter;
        byId.path = link;
        devices.push_back(byId);
        adapters.erase(adapter);
    }
    devices.insert(devices.end(), adapters.begin(), adapters.end());
    return devices;
}

std::string AutomaticDevice(int number, const std::vector<SerialDevice>& devices)
{
    if (number < 1 || static_cast<std::size_t>(number) > devices.size())
        return {};
    return devices[static_cast<std::size_t>(number) - 1].path;
}

bool LocalDevicePresent(const std::string& device)
{
    std::error_code error;
    return fs::exists(device, error);
}

bool IsSystemPortName(const std::string&)
{
    return false;
}

} // namespace ports
