// What serial ports this Windows machine has (the system's COM names, described by SetupAPI's friendly
// names) and where a user's settings live.
#include "host/port_map.h"
#include "host/utf16_win32.h"

#include <algorithm>
#include <cstdlib>
#include <windows.h>
// After windows.h:
#include <devguid.h>
#include <setupapi.h>

namespace ports {

namespace {

// The number of "COM14"; 0 for any other name.
int ComNumber(const std::string& name)
{
    if (name.size() < 4 || name.size() > 8 || name.compare(0, 3, "COM") != 0 ||
        name.find_first_not_of("0123456789", 3) != std::string::npos)
        return 0;
    return std::atoi(name.c_str() + 3);
}

// The ports the system names: HKLM\HARDWARE\DEVICEMAP\SERIALCOMM, one value per port whose data is "COMn".
std::vector<std::string> SystemPortNames()
{
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    for (DWORD index = 0;; ++index) {
        wchar_t value[256];
        DWORD valueSize = 256;
        wchar_t data[64];
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        const LONG r =
            ::RegEnumValueW(key, index, value, &valueSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize);
        if (r == ERROR_NO_MORE_ITEMS)
            break;
        if (r != ERROR_SUCCESS || type != REG_SZ)
            continue;
        const std::size_t length = std::min<std::size_t>(dataSize / sizeof(wchar_t), 63);
        std::wstring name(data, length);
        while (!name.empty() && name.back() == L'\0')
            name.pop_back();
        names.push_back(utf16::Narrow(name));
    }
    ::RegCloseKey(key);
    return names;
}

// The friendly name of each port of the Ports class, by COM name: "USB Serial Port" for COM4 (the
// system's "USB Serial Port (COM4)" without the name it already shows).
std::vector<std::pair<std::string, std::string>> FriendlyNames()
{
    std::vector<std::pair<std::string, std::string>> found;
    const HDEVINFO set = ::SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE)
        return found;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD index = 0; ::SetupDiEnumDeviceInfo(set, index, &device); ++index) {
        std::string port;
        if (const HKEY key = ::SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
            key != INVALID_HANDLE_VALUE) {
            wchar_t name[64] = L"";
            DWORD size = sizeof name - sizeof(wchar_t);
            DWORD type = 0;
            if (::RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(name), &size) ==
                    ERROR_SUCCESS &&
                type == REG_SZ)
                port = utf16::Narrow(name);
            ::RegCloseKey(key);
        }
        wchar_t friendly[256] = L"";
        if (port.empty() || !::SetupDiGetDeviceRegistryPropertyW(set, &device, SPDRP_FRIENDLYNAME, nullptr,
                                                                 reinterpret_cast<BYTE*>(friendly),
                                                                 sizeof friendly - sizeof(wchar_t), nullptr))
            continue;
        std::string text = utf16::Narrow(friendly);
        const std::string suffix = " (" + port + ")";
        if (text.size() > suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0)
            text.erase(text.size() - suffix.size());
        found.emplace_back(port, text);
    }
    ::SetupDiDestroyDeviceInfoList(set);
    return found;
}

} // namespace

std::string EnvironmentValue(const std::string& name)
{
    const wchar_t* value = ::_wgetenv(utf16::Widen(name).c_str());
    return value != nullptr ? utf16::Narrow(value) : "";
}

const char* DeviceExample()
{
    return "COM14";
}

std::string ConfigFolder(const Roots& roots)
{
    if (!roots.config.empty())
        return roots.config;
    wchar_t appData[MAX_PATH * 2];
    const DWORD n = ::GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH * 2);
    if (n > 0 && n < MAX_PATH * 2)
        return utf16::Narrow(appData) + "\\meshgate2";
    wchar_t profile[MAX_PATH * 2];
    const DWORD p = ::GetEnvironmentVariableW(L"USERPROFILE", profile, MAX_PATH * 2);
    return (p > 0 && p < MAX_PATH * 2 ? utf16::Narrow(profile) : std::string("C:")) + "\\AppData\\Roaming\\meshgate2";
}

std::vector<SerialDevice> ScanSerialDevices(const Roots&)
{
    std::vector<std::string> names = SystemPortNames();
    names.erase(std::remove_if(names.begin(), names.end(), [](const std::string& n) { return ComNumber(n) == 0; }),
                names.end());
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return ComNumber(a) < ComNumber(b); });
    names.erase(std::unique(names.begin(), names.end()), names.end());
    const auto friendly = FriendlyNames();
    std::vector<SerialDevice> devices;
    for (const std::string& name : names) {
        const auto it = std::find_if(friendly.begin(), friendly.end(), [&](const auto& f) { return f.first == name; });
        devices.push_back({name, name, "serial port", it != friendly.end() ? it->second : std::string()});
    }
    return devices;
}

std::string AutomaticDevice(int number, const std::vector<SerialDevice>& devices)
{
    const std::string name = "COM" + std::to_string(number);
    const bool present =
        std::any_of(devices.begin(), devices.end(), [&](const SerialDevice& d) { return d.kernelName == name; });
    return present ? name : std::string();
}

bool IsSystemPortName(const std::string& device)
{
    return ComNumber(device.rfind("\\\\.\\", 0) == 0 ? device.substr(4) : device) != 0;
}

bool LocalDevicePresent(const std::string& device)
{
    std::string name = device;
    if (name.rfind("\\\\.\\", 0) == 0)
        name.erase(0, 4);
    if (ComNumber(name) != 0) {
        wchar_t target[512];
        return ::QueryDosDeviceW(utf16::Widen(name).c_str(), target, 512) != 0;
    }
    return ::GetFileAttributesW(utf16::Widen(device).c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace ports
