#pragma once

#include "cards/backup_file.h"

#include <string>

// The card-settings file (cards/backup_file.h) on disk, for both front ends: read whole and checked
// before anyone uses it, written whole or not at all.
namespace backup_io {

struct Result
{
    enum class Fault
    {
        None,
        BadFile,    // not a backup this program can use; the message says what is wrong with it
        CannotRead, // the file could not be read (missing, not a regular file, no permission)
        CannotWrite
    };
    Fault fault = Fault::None;
    std::string message; // "bad backup file: ...", "cannot read PATH: ...", "cannot write PATH: ..."
    bool Ok() const { return fault == Fault::None; }
};

Result LoadBackup(const std::string& path, cards::Backup& out);
// A temporary file renamed over the old one: an interrupted save never leaves a half-written file.
Result SaveBackup(const std::string& path, const nlohmann::json& document);

} // namespace backup_io
