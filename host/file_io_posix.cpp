#include "host/file_io.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace file_io {

namespace {

Result Fail(int error, const char* what = nullptr)
{
    return Result{error, what != nullptr ? what : std::strerror(error)};
}

Result NotRegular(mode_t mode)
{
    return S_ISDIR(mode) ? Fail(EISDIR, "is a folder, not a file") : Fail(EINVAL, "is not a regular file");
}

bool WriteAll(int fd, std::string_view content)
{
    for (std::size_t done = 0; done < content.size();) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The file a path names once symbolic links are followed; the path itself when it names none yet.
std::string Target(const std::string& path)
{
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr)
        return resolved;
    // A dangling link: the file it points to is the one to create.
    char link[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), link, sizeof link - 1);
    if (n <= 0)
        return path;
    const std::string target(link, static_cast<std::size_t>(n));
    if (target.front() == '/')
        return target;
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? target : path.substr(0, slash + 1) + target;
}

// A new file of our own beside `target`, named in `temporary`; a plain create, so a new file gets the usual
// permissions. -1 with errno when the folder takes none.
int CreateBeside(const std::string& target, std::string& temporary)
{
    static unsigned counter = 0;
    int fd = -1;
    for (int tries = 0; fd < 0 && tries < 100; ++tries) {
        temporary = target + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(++counter);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    return fd;
}

std::string Folder(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

Result WriteInPlace(const std::string& path, std::string_view content)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return Fail(errno);
    struct stat info = {};
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    int error = ok ? 0 : EINVAL;
    ok = ok && WriteAll(fd, content) && ::ftruncate(fd, static_cast<off_t>(content.size())) == 0 && ::fsync(fd) == 0;
    if (!ok && error == 0)
        error = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    return ok ? Result{} : Fail(error);
}

} // namespace

Result ReadSmallFile(const std::string& path, std::size_t maxBytes, std::string& content)
{
    content.clear();
    // Non-blocking: opening a FIFO without a writer must not wait, and fstat below refuses it anyway.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return Fail(errno);
    struct stat info = {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        return Fail(error);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return NotRegular(info.st_mode);
    }
    content.resize(maxBytes + 1);
    std::size_t got = 0;
    while (got < content.size()) {
        const ssize_t n = ::read(fd, content.data() + got, content.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            content.clear();
            return Fail(error);
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    content.resize(std::min(got, maxBytes));
    if (got > maxBytes)
        return Fail(EFBIG, "is far larger than expected");
    return {};
}

Result WriteFileAtomically(const std::string& path, std::string_view content, bool inPlaceFallback)
{
    const std::string target = Target(path);
    struct stat info = {};
    const bool exists = ::stat(target.c_str(), &info) == 0;
    if (exists && !S_ISREG(info.st_mode))
        return NotRegular(info.st_mode);

    std::string temporary;
    int fd = CreateBeside(target, temporary);
    if (fd < 0) {
        const int error = errno;
        const bool folderRefuses = error == EACCES || error == EPERM || error == EROFS;
        if (inPlaceFallback && exists && folderRefuses)
            return WriteInPlace(target, content);
        return Fail(error);
    }
    // A replaced file keeps its permissions.
    bool ok = (!exists || ::fchmod(fd, info.st_mode & 07777) == 0) && WriteAll(fd, content) && ::fsync(fd) == 0;
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        return Fail(error);
    }
    // The rename itself is on disk only once the folder is.
    const int folder = ::open(Folder(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return {};
}

Result CheckWritable(const std::string& path)
{
    const std::string target = Target(path);
    struct stat info = {};
    if (::stat(target.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        return NotRegular(info.st_mode);
    std::string temporary;
    const int fd = CreateBeside(target, temporary);
    if (fd < 0)
        return Fail(errno);
    ::close(fd);
    ::unlink(temporary.c_str());
    return {};
}

bool SameFile(const std::string& a, const std::string& b)
{
    struct stat first = {};
    struct stat second = {};
    const bool firstExists = ::stat(a.c_str(), &first) == 0;
    const bool secondExists = ::stat(b.c_str(), &second) == 0;
    if (firstExists || secondExists)
        return firstExists && secondExists && first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    // Neither is there yet: the same place once each folder is resolved.
    const auto place = [](const std::string& path) {
        const std::string target = Target(path);
        const std::size_t slash = target.rfind('/');
        const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
        char folder[PATH_MAX];
        return ::realpath(Folder(target).c_str(), folder) != nullptr ? std::string(folder) + "/" + name : target;
    };
    return place(a) == place(b);
}

Lock::~Lock()
{
    if (handle >= 0)
        ::close(static_cast<int>(handle)); // the lock goes with the descriptor
}

Result Lock::Acquire(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0)
        return Fail(errno);
    int locked = -1;
    while ((locked = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (locked != 0) {
        const int error = errno;
        ::close(fd);
        return Fail(error);
    }
    if (handle >= 0)
        ::close(static_cast<int>(handle));
    handle = fd;
    return {};
}

std::string InFolder(const std::string& folder, const std::string& name)
{
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

Result CreateFolders(const std::string& path)
{
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return error ? Result{error.value(), error.message()} : Result{};
}

} // namespace file_io
