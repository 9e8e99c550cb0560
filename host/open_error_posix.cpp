// Why a device did not open on Linux: errno in words, with the group to join and the process that holds it.
#include "host/open_error.h"
#include "host/port_map.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <grp.h>
#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Whether this user belongs to the group now, and whether the login session knows it yet.
struct Membership
{
    bool listed = false; // in the group database
    bool active = false; // in this process's groups
};

Membership MembershipOf(gid_t group)
{
    Membership m;
    m.active = ::getegid() == group;
    std::vector<gid_t> groups(static_cast<std::size_t>(NGROUPS_MAX));
    const int count = ::getgroups(static_cast<int>(groups.size()), groups.data());
    for (int i = 0; i < count; ++i)
        m.active = m.active || groups[static_cast<std::size_t>(i)] == group;
    if (const passwd* user = ::getpwuid(::getuid())) {
        int listed = static_cast<int>(groups.size());
        if (::getgrouplist(user->pw_name, user->pw_gid, groups.data(), &listed) >= 0)
            for (int i = 0; i < listed; ++i)
                m.listed = m.listed || groups[static_cast<std::size_t>(i)] == group;
    }
    return m;
}

OpenError PermissionDenied(const std::string& device)
{
    OpenError e{"permission denied", {}};
    struct stat info = {};
    if (::stat(device.c_str(), &info) != 0)
        return e;
    const group* owners = ::getgrgid(info.st_gid);
    const passwd* owner = ::getpwuid(info.st_uid);
    const std::string user = owner != nullptr ? owner->pw_name : std::to_string(info.st_uid);
    const bool groupMayUse = (info.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    // Joining root's group would be no remedy but a risk; such a device is its owner's alone.
    if (!groupMayUse || owners == nullptr || info.st_gid == 0) {
        e.remedy = "only its owner (" + user +
                   ") may open it; joining a group would not help: ask the administrator for a udev rule that "
                   "gives the device to the dialout group";
        return e;
    }
    const std::string name = owners->gr_name;
    const Membership member = MembershipOf(info.st_gid);
    if (member.listed && !member.active)
        e.remedy = "you are in the group '" + name +
                   "' that may use it, but this session started before: log out "
                   "and in again";
    else
        e.remedy = "the device belongs to the group '" + name + "': join it with 'sudo usermod -aG " + name +
                   " $USER', then log out and in again";
    return e;
}

// Calls `found` with each process id and descriptor number that has the device `rdev` open, as /proc
// tells (only our own processes unless we are root); stops when it answers false.
template <class Found> void ForEachHolder(dev_t rdev, Found found)
{
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr)
        return;
    bool more = true;
    while (const dirent* entry = more ? ::readdir(proc) : nullptr) {
        const std::string pid = entry->d_name;
        if (pid.empty() || pid.size() > 9 || pid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const std::string fdFolder = "/proc/" + pid + "/fd";
        DIR* fds = ::opendir(fdFolder.c_str());
        if (fds == nullptr)
            continue;
        while (const dirent* fd = more ? ::readdir(fds) : nullptr) {
            struct stat info = {};
            if (fd->d_name[0] != '.' && ::stat((fdFolder + "/" + fd->d_name).c_str(), &info) == 0 &&
                S_ISCHR(info.st_mode) && info.st_rdev == rdev)
                more = found(std::stoi(pid), std::atoi(fd->d_name));
        }
        ::closedir(fds);
    }
    ::closedir(proc);
}

// The programs that hold the device open, other than this one: "minicom (process 1234)".
std::string Holders(const std::string& device)
{
    struct stat wanted = {};
    if (::stat(device.c_str(), &wanted) != 0)
        return {};
    std::string found;
    int last = -1;
    ForEachHolder(wanted.st_rdev, [&](int pid, int) {
        if (pid == ::getpid() || pid == last)
            return true;
        last = pid;
        std::string command;
        std::getline(std::ifstream("/proc/" + std::to_string(pid) + "/comm"), command);
        found += (found.empty() ? "" : ", ") + (command.empty() ? "process" : command) + " (process " +
                 std::to_string(pid) + ")";
        return true;
    });
    return found;
}

bool IsDanglingLink(const std::string& path)
{
    struct stat link = {};
    struct stat target = {};
    return ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode) && ::stat(path.c_str(), &target) != 0;
}

} // namespace

bool OpenElsewhere(int fd)
{
    struct stat own = {};
    if (::fstat(fd, &own) != 0 || !S_ISCHR(own.st_mode))
        return false;
    bool elsewhere = false;
    ForEachHolder(own.st_rdev, [&](int pid, int number) {
        elsewhere = pid != ::getpid() || number != fd;
        return !elsewhere;
    });
    return elsewhere;
}

OpenError DescribePlatformError(int error, const std::string& device)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return PermissionDenied(device);
    case EBUSY:
    case EWOULDBLOCK: {
        const std::string holders = Holders(device);
        return {holders.empty() ? "in use by another program" : "in use by " + holders,
                "close that program, or choose another port"};
    }
    case ENOENT:
        if (device.find("/serial/by-id/") != std::string::npos || IsDanglingLink(device))
            return {"the USB adapter is not plugged in (or was unplugged)",
                    "plug it in again; it keeps its COM number"};
        return {"there is no such device", "choose another port, or assign the right device to this one"};
    case ENOTTY:
    case EINVAL:
        return {"this is not a serial device", "choose the serial port the instrument is wired to"};
    case ENXIO:
    case ENODEV:
    case EIO:
        return {"no hardware answers behind this device (an unplugged adapter, or a port number without a UART)",
                "check that the adapter is plugged in, or choose another port"};
    case kOpenErrorOwnTerminal:
        return {"this is the terminal the program runs in, not a serial port",
                "choose the serial port the instrument is wired to"};
    default:
        return {error != 0 ? std::strerror(error) : "unknown reason", {}};
    }
}

std::string AccessProblem(const std::string& device)
{
    // A device server's port tells only by connecting; the list must not stall on the network.
    if (ports::IsNetworkName(device))
        return {};
    if (::access(device.c_str(), R_OK | W_OK) == 0)
        return {};
    const OpenError e = DescribeOpenError(errno, device);
    return e.remedy.empty() ? e.reason : e.reason + "; " + e.remedy;
}
