#include "host/backup_io.h"

#include "host/file_io.h"

#include <cerrno>

namespace backup_io {

namespace {

constexpr std::size_t kMaxBackupBytes = 64 * 1024;

Result Fail(Result::Fault fault, std::string message)
{
    return Result{fault, std::move(message)};
}

} // namespace

Result LoadBackup(const std::string& path, cards::Backup& out)
{
    std::string content;
    const file_io::Result read = file_io::ReadSmallFile(path, kMaxBackupBytes, content);
    if (read.error == EFBIG) {
        // A backup is a few hundred bytes; a bigger file is not one.
        return Fail(Result::Fault::BadFile, cards::BadBackupFile(path + " is far larger than a backup"));
    }
    if (!read.Ok()) {
        return Fail(Result::Fault::CannotRead, "cannot read " + path + ": " + read.what);
    }
    nlohmann::json document;
    if (auto fault = cards::ParseBackupText(content, document)) {
        return Fail(Result::Fault::BadFile, cards::BadBackupFile(path + " " + *fault));
    }
    if (auto fault = cards::BackupFromJson(document, out)) {
        return Fail(Result::Fault::BadFile, std::move(*fault));
    }
    return {};
}

Result SaveBackup(const std::string& path, const nlohmann::json& document)
{
    const file_io::Result written = file_io::WriteFileAtomically(path, document.dump(2, ' ', true) + "\n");
    if (!written.Ok()) {
        return Fail(Result::Fault::CannotWrite, "cannot write " + path + ": " + written.what);
    }
    return {};
}

} // namespace backup_io
