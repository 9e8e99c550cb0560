#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Small files both front ends keep (settings, backups, port assignments): read without ever blocking on
// something that is not a file, and written whole or not at all.
namespace file_io {

// 0 on success, else an errno value; `what` says it in words ("not a regular file", strerror).
struct Result
{
    int error = 0;
    std::string what;
    bool Ok() const { return error == 0; }
};

// Reads a regular file of at most `maxBytes`. A FIFO, device or directory is refused at once (EINVAL,
// EISDIR) instead of being waited on or swallowed; a bigger file is EFBIG, with its first `maxBytes` read.
Result ReadSmallFile(const std::string& path, std::size_t maxBytes, std::string& content);

// Replaces the file's content with `content`: written beside it, flushed, then renamed over it, so a
// failure (a full disk, a crash) leaves the old file as it was. A symbolic link is followed: its target
// is written and the link stays. A FIFO, device or directory is refused and left untouched. With
// `inPlaceFallback`, a file in a folder that cannot take a new file (read-only folder, writable file)
// is overwritten in place, as opening it for writing would.
Result WriteFileAtomically(const std::string& path, std::string_view content, bool inPlaceFallback = false);

// `name` inside `folder`, joined with this system's separator (a path the user is shown reads natively).
std::string InFolder(const std::string& folder, const std::string& name);

// Makes the folder and any folder above it that is missing; a folder that exists is no error.
Result CreateFolders(const std::string& path);

// Whether WriteFileAtomically(path, ...) could write the file now: a file beside it is made and removed
// again, so a missing folder, a read-only one or a path that is no regular file shows before the work
// whose result the file is meant to keep.
Result CheckWritable(const std::string& path);

// Whether two paths name one file once links are followed (hard links too); for files yet to be made,
// whether they would be made at one place.
bool SameFile(const std::string& a, const std::string& b);

// Held while it lives: an exclusive lock on `path` (made when missing), so that programs which take it
// around a read-change-write of a file never interleave. Blocks until the lock is free.
class Lock
{
public:
    Lock() = default;
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    Result Acquire(const std::string& path);

private:
    std::intptr_t handle = -1; // the platform's handle of the lock file: a descriptor, a HANDLE
};

} // namespace file_io
