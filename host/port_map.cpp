#include "host/port_map.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <utility>

namespace ports {

namespace fs = std::filesystem;

namespace {

constexpr const char* kAssignmentFileName = "ports";
constexpr std::string_view kRawScheme = "tcp://";
constexpr std::string_view kRfc2217Scheme = "rfc2217://";

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}
constexpr std::size_t kMaxAssignmentFile = 64 * 1024;

const SerialDevice* FindDevice(const std::vector<SerialDevice>& devices, const std::string& path)
{
    std::error_code error;
    const fs::path wanted = fs::weakly_canonical(path, error);
    for (const SerialDevice& device : devices) {
        std::error_code again;
        if (device.path == path || (!error && fs::weakly_canonical(device.path, again) == wanted && !again))
            return &device;
    }
    return nullptr;
}

ComPort Resolve(int number, const std::vector<SerialDevice>& devices, const std::map<int, std::string>& assigned)
{
    ComPort port;
    port.number = number;
    if (number < 1 || number > 0xFFFF)
        return port;
    const std::string variable = "MESHGATE2_COM" + std::to_string(number);
    if (std::string value = EnvironmentValue(variable); !value.empty()) {
        port.path = std::move(value);
        port.source = Source::Environment;
    } else if (const auto it = assigned.find(number); it != assigned.end()) {
        port.path = it->second;
        port.source = Source::Assignment;
    } else if (std::string device = AutomaticDevice(number, devices); !device.empty()) {
        port.path = std::move(device);
        port.source = Source::Automatic;
    }
    if (const SerialDevice* device = port.path.empty() ? nullptr : FindDevice(devices, port.path))
        port.description = device->Description();
    return port;
}

// Calls `visit` with each line of `text`, without its line break.
template <class Visit> void ForEachLine(std::string_view text, Visit visit)
{
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        visit(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
}

// "COMn DEVICE": the port and its device; nothing for a line that is no assignment of COM1 to COM255.
std::optional<std::pair<int, std::string>> ParseAssignment(std::string_view line)
{
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    std::size_t at = 0;
    // The file is ours: it names ports as the program writes them, in capitals.
    const auto number = line.substr(0, 3) == "COM" ? ParseComName(line, &at) : std::nullopt;
    if (!number || at >= line.size() || (line[at] != ' ' && line[at] != '\t'))
        return std::nullopt;
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
        ++at;
    if (at == line.size() || line.find('\0', at) != std::string_view::npos)
        return std::nullopt;
    return std::pair{*number, std::string(line.substr(at))};
}

} // namespace

std::string EditAssignments(std::string_view text, int number, const std::string& device)
{
    std::string edited = text.empty() ? FormatAssignments({}) : std::string();
    bool placed = false;
    const std::string line = device.empty() ? std::string() : "COM" + std::to_string(number) + " " + device + "\n";
    ForEachLine(text, [&](std::string_view old) {
        const auto assignment = ParseAssignment(old);
        if (!assignment || assignment->first != number) {
            edited.append(old).push_back('\n');
        } else if (!placed) {
            edited += line;
            placed = true;
        }
    });
    if (!placed)
        edited += line;
    return edited;
}

std::string StoredDevicePath(const std::string& device)
{
    if (device.empty() || IsNetworkName(device) || IsSystemPortName(device))
        return device; // a device server's address, a port the system names, or no device
    std::error_code error;
    const fs::path absolute = fs::absolute(device, error);
    return error ? device : absolute.lexically_normal().string();
}

std::string SerialDevice::Description() const
{
    return (product.empty() ? kind : product) + " (" + kernelName + ")";
}

const char* SourceName(Source source)
{
    switch (source) {
    case Source::Environment:
        return "environment";
    case Source::Assignment:
        return "assignment";
    case Source::Automatic:
        return "automatic";
    case Source::None:
        break;
    }
    return "none";
}

ComPort ResolveComPort(int number, const Roots& roots)
{
    if (number < 1 || number > 0xFFFF)
        return Resolve(number, {}, {});
    return Resolve(number, ScanSerialDevices(roots), LoadAssignments(roots));
}

std::vector<ComPort> ResolveComPorts(int count, const Roots& roots)
{
    const std::vector<SerialDevice> devices = ScanSerialDevices(roots);
    const std::map<int, std::string> assigned = LoadAssignments(roots);
    std::vector<ComPort> ports;
    for (int n = 1; n <= count; ++n)
        ports.push_back(Resolve(n, devices, assigned));
    return ports;
}

bool IsNetworkName(std::string_view name)
{
    return StartsWithNoCase(name, kRawScheme) || StartsWithNoCase(name, kRfc2217Scheme);
}

std::optional<NetworkLine> ParseNetworkName(std::string_view name)
{
    NetworkLine line;
    if (StartsWithNoCase(name, kRawScheme)) {
        name.remove_prefix(kRawScheme.size());
    } else if (StartsWithNoCase(name, kRfc2217Scheme)) {
        line.protocol = NetworkLine::Protocol::Rfc2217;
        name.remove_prefix(kRfc2217Scheme.size());
    } else {
        return std::nullopt;
    }
    const std::size_t colon = name.rfind(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    std::string_view host = name.substr(0, colon);
    const std::string_view port = name.substr(colon + 1);
    if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    const int number = std::stoi(std::string(port));
    if (number < 1 || number > 0xFFFF)
        return std::nullopt;
    // An IPv6 address holds colons of its own and so comes in brackets; nothing else may hold one.
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
        if (host.find(':') == std::string_view::npos)
            return std::nullopt;
    } else if (host.find(':') != std::string_view::npos) {
        return std::nullopt;
    }
    const bool stray = std::any_of(host.begin(), host.end(), [](char c) {
        return std::isspace(static_cast<unsigned char>(c)) || c == '/' || c == '[' || c == ']' || c == '\0';
    });
    if (host.empty() || stray)
        return std::nullopt;
    line.host = std::string(host);
    line.port = static_cast<std::uint16_t>(number);
    return line;
}

std::string LineKind(std::string_view device)
{
    if (!IsNetworkName(device))
        return "serial port";
    return StartsWithNoCase(device, kRawScheme) ? "raw TCP to a serial device server"
                                                : "RFC 2217 to a serial device server";
}

bool DevicePresent(const std::string& path)
{
    return !path.empty() && (IsNetworkName(path) || LocalDevicePresent(path));
}

std::optional<int> ParseComName(std::string_view text, std::size_t* length)
{
    const auto upper = [&](std::size_t i) { return static_cast<char>(text[i] & ~0x20); };
    if (text.size() < 4 || upper(0) != 'C' || upper(1) != 'O' || upper(2) != 'M')
        return std::nullopt;
    std::size_t at = 3;
    int number = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && number <= kMaxAssignedPort)
        number = number * 10 + (text[at++] - '0');
    if (at == 3 || number < 1 || number > kMaxAssignedPort || (at < text.size() && text[at] >= '0' && text[at] <= '9'))
        return std::nullopt;
    if (length != nullptr)
        *length = at;
    return number;
}

std::map<int, std::string> ParseAssignments(std::string_view text)
{
    std::map<int, std::string> assignments;
    ForEachLine(text, [&](std::string_view line) {
        if (auto assignment = ParseAssignment(line))
            assignments[assignment->first] = std::move(assignment->second);
    });
    return assignments;
}

std::string FormatAssignments(const std::map<int, std::string>& assignments)
{
    std::string text = "# What COMn opens for meshgate2 and meshgate2-cli: COMn, then the device.\n";
    for (const auto& [number, device] : assignments)
        text += "COM" + std::to_string(number) + " " + device + "\n";
    return text;
}

std::string AssignmentFile(const Roots& roots)
{
    return file_io::InFolder(ConfigFolder(roots), kAssignmentFileName);
}

std::map<int, std::string> LoadAssignments(const Roots& roots)
{
    std::string text;
    if (!file_io::ReadSmallFile(AssignmentFile(roots), kMaxAssignmentFile, text).Ok())
        return {};
    return ParseAssignments(text);
}

std::string AssignmentProblem(const Roots& roots)
{
    std::string text;
    const file_io::Result read = file_io::ReadSmallFile(AssignmentFile(roots), kMaxAssignmentFile, text);
    if (read.Ok() || read.error == ENOENT)
        return {};
    if (read.error == EFBIG)
        return AssignmentFile(roots) + " is larger than " + std::to_string(kMaxAssignmentFile / 1024) +
               " KiB, far more than port assignments take: it is not read, and not changed";
    return AssignmentFile(roots) + " cannot be read (" + read.what + "): it is not used, and not changed";
}

file_io::Result Assign(int number, const std::string& device, const Roots& roots)
{
    if (number < 1 || number > kMaxAssignedPort)
        return {EINVAL, "COM" + std::to_string(number) + " cannot be assigned: COM1 to COM" +
                            std::to_string(kMaxAssignedPort) + " can"};
    if (device.find_first_of("\n\r") != std::string::npos || device.find('\0') != std::string::npos ||
        (!device.empty() && (std::isspace(static_cast<unsigned char>(device.front())) ||
                             std::isspace(static_cast<unsigned char>(device.back())))))
        return {EINVAL, "a device path cannot hold a line break, nor start or end with a blank"};
    if (const file_io::Result made = file_io::CreateFolders(ConfigFolder(roots)); !made.Ok())
        return {made.error, "cannot make " + ConfigFolder(roots) + ": " + made.what};

    // Read, change and write under one lock, so two programs assigning at once both keep their change.
    const std::string file = AssignmentFile(roots);
    file_io::Lock lock;
    if (const file_io::Result locked = lock.Acquire(file + ".lock"); !locked.Ok())
        return {locked.error, "cannot lock " + file + ".lock: " + locked.what};
    std::string text;
    const file_io::Result read = file_io::ReadSmallFile(file, kMaxAssignmentFile, text);
    if (!read.Ok() && read.error != ENOENT)
        return {read.error, AssignmentProblem(roots)};
    // A file past the size that is read would be ignored whole from then on, every assignment in it lost.
    const std::string edited = EditAssignments(text, number, StoredDevicePath(device));
    if (edited.size() > kMaxAssignmentFile)
        return {EFBIG, file + " would grow to " + std::to_string(edited.size()) + " bytes, past the " +
                           std::to_string(kMaxAssignmentFile) + " the program reads, and would then be ignored; " +
                           "it is not changed. Remove lines it does not need (comments, old assignments) first"};
    return file_io::WriteFileAtomically(file, edited);
}

} // namespace ports
