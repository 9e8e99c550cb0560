#pragma once

#include <cstddef>
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

// Makes the folder and any folder above it that is missing; a folder that exists is no error.
Result CreateFolders(const std::string& path);

} // namespace file_io
