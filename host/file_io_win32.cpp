// Small files on Windows: the wide-character API (any folder name works), and replacing a file whole
// with MoveFileExW after the new content has reached the disk.
#include "host/file_io.h"
#include "host/utf16_win32.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <windows.h>

namespace file_io {

namespace {

// The system's error in its own words, with the errno value that means the same for the callers' checks.
Result Fail(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return {ENOENT, utf16::SystemMessage(error)};
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return {EACCES, utf16::SystemMessage(error)};
    case ERROR_WRITE_PROTECT:
        return {EROFS, utf16::SystemMessage(error)};
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return {ENOSPC, utf16::SystemMessage(error)};
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
        return {EINVAL, utf16::SystemMessage(error)};
    default:
        return {EIO, utf16::SystemMessage(error)};
    }
}

Result NotRegular(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? Result{EISDIR, "is a folder, not a file"}
                                                        : Result{EINVAL, "is not a regular file"};
}

struct Handle
{
    HANDLE h = INVALID_HANDLE_VALUE;
    ~Handle()
    {
        if (h != INVALID_HANDLE_VALUE)
            ::CloseHandle(h);
    }
};

bool WriteAll(HANDLE h, std::string_view content)
{
    for (std::size_t done = 0; done < content.size();) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1u << 20));
        DWORD n = 0;
        if (!::WriteFile(h, content.data() + done, chunk, &n, nullptr) || n == 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

Result ReadSmallFile(const std::string& path, std::size_t maxBytes, std::string& content)
{
    content.clear();
    Handle file;
    file.h = ::CreateFileW(utf16::Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file.h == INVALID_HANDLE_VALUE)
        return Fail(::GetLastError());
    // A device or pipe (COM1, a named pipe) is refused at once instead of being waited on.
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(file.h) != FILE_TYPE_DISK || !::GetFileInformationByHandle(file.h, &info))
        return {EINVAL, "is not a regular file"};
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return NotRegular(info.dwFileAttributes);
    content.resize(maxBytes + 1);
    std::size_t got = 0;
    while (got < content.size()) {
        DWORD n = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(content.size() - got, 1u << 20));
        if (!::ReadFile(file.h, content.data() + got, want, &n, nullptr)) {
            content.clear();
            return Fail(::GetLastError());
        }
        if (n == 0)
            break;
        got += n;
    }
    content.resize(std::min(got, maxBytes));
    if (got > maxBytes)
        return {EFBIG, "is far larger than expected"};
    return {};
}

Result WriteFileAtomically(const std::string& path, std::string_view content, bool inPlaceFallback)
{
    const std::wstring target = utf16::Widen(path);
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0)
        return NotRegular(attributes);

    // A name of our own beside the target.
    static unsigned counter = 0;
    std::wstring temporary;
    Handle file;
    DWORD error = ERROR_SUCCESS;
    for (int tries = 0; file.h == INVALID_HANDLE_VALUE && tries < 100; ++tries) {
        temporary = target + L".tmp." + std::to_wstring(::GetCurrentProcessId()) + L"." + std::to_wstring(++counter);
        file.h =
            ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        error = file.h == INVALID_HANDLE_VALUE ? ::GetLastError() : ERROR_SUCCESS;
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            break;
    }
    if (file.h == INVALID_HANDLE_VALUE) {
        // A folder that cannot take a new file, with a file in it that may be written.
        if (inPlaceFallback && exists && error == ERROR_ACCESS_DENIED) {
            Handle in;
            in.h = ::CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            if (in.h == INVALID_HANDLE_VALUE)
                return Fail(::GetLastError());
            if (!WriteAll(in.h, content) || !::SetEndOfFile(in.h) || !::FlushFileBuffers(in.h))
                return Fail(::GetLastError());
            return {};
        }
        return Fail(error);
    }
    bool ok = WriteAll(file.h, content) && ::FlushFileBuffers(file.h);
    error = ok ? ERROR_SUCCESS : ::GetLastError();
    ::CloseHandle(file.h);
    file.h = INVALID_HANDLE_VALUE;
    if (ok && !::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = false;
        error = ::GetLastError();
    }
    if (!ok) {
        ::DeleteFileW(temporary.c_str());
        return Fail(error);
    }
    return {};
}

std::string InFolder(const std::string& folder, const std::string& name)
{
    return folder.empty() || folder.back() == '\\' || folder.back() == '/' ? folder + name : folder + "\\" + name;
}

Result CreateFolders(const std::string& path)
{
    // Folder by folder from the root, so a failure is the system's own error for the folder it stopped at.
    const std::filesystem::path whole(utf16::Widen(path));
    std::filesystem::path made;
    for (const std::filesystem::path& part : whole) {
        made /= part;
        if (::CreateDirectoryW(made.c_str(), nullptr))
            continue;
        const DWORD error = ::GetLastError();
        const DWORD attributes = ::GetFileAttributesW(made.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            continue; // there already, or a drive or share
        if (attributes != INVALID_FILE_ATTRIBUTES)
            return {ENOTDIR, utf16::Narrow(made.wstring()) + " is a file, not a folder"};
        return Fail(error);
    }
    return {};
}

Result CheckWritable(const std::string& path)
{
    const std::wstring target = utf16::Widen(path);
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0)
        return NotRegular(attributes);
    // The same kind of new file beside it as WriteFileAtomically makes, made and removed again.
    const std::wstring temporary = target + L".tmp." + std::to_wstring(::GetCurrentProcessId()) + L".check";
    Handle file;
    file.h = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file.h == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS)
        return Fail(::GetLastError());
    return {};
}

bool SameFile(const std::string& a, const std::string& b)
{
    const auto identity = [](const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
        Handle file;
        file.h = ::CreateFileW(utf16::Widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        return file.h != INVALID_HANDLE_VALUE && ::GetFileInformationByHandle(file.h, &info);
    };
    BY_HANDLE_FILE_INFORMATION first{};
    BY_HANDLE_FILE_INFORMATION second{};
    const bool firstExists = identity(a, first);
    const bool secondExists = identity(b, second);
    if (firstExists || secondExists)
        return firstExists && secondExists && first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
               first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
    // Neither is there yet: the same place once each is made absolute; Windows names ignore case.
    std::error_code error;
    const std::wstring x = std::filesystem::weakly_canonical(std::filesystem::path(utf16::Widen(a)), error).wstring();
    const std::wstring y = std::filesystem::weakly_canonical(std::filesystem::path(utf16::Widen(b)), error).wstring();
    return ::CompareStringOrdinal(x.c_str(), static_cast<int>(x.size()), y.c_str(), static_cast<int>(y.size()), TRUE) ==
           CSTR_EQUAL;
}

Lock::~Lock()
{
    if (handle != -1)
        ::CloseHandle(reinterpret_cast<HANDLE>(handle)); // the lock goes with the handle
}

Result Lock::Acquire(const std::string& path)
{
    HANDLE file = ::CreateFileW(utf16::Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return Fail(::GetLastError());
    OVERLAPPED whole{};
    if (!::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
        const DWORD error = ::GetLastError();
        ::CloseHandle(file);
        return Fail(error);
    }
    if (handle != -1)
        ::CloseHandle(reinterpret_cast<HANDLE>(handle));
    handle = reinterpret_cast<std::intptr_t>(file);
    return {};
}

} // namespace file_io
