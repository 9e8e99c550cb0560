// A backup file as anyone may hand it to restore: loaded, and when it is good, saved and loaded again;
// the second load must give exactly the settings of the first, and nothing of the file may have been skipped.
#include "cards/card_info.h"
#include "host/backup_io.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// A real file for the loader: an anonymous one, reached through /proc like any path.
std::string Path(int fd)
{
    return "/proc/self/fd/" + std::to_string(fd);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const int input = ::memfd_create("backup", MFD_CLOEXEC);
    static const std::string saved = "/dev/shm/meshgate2-fuzz-backup-" + std::to_string(::getpid()) + ".json";
    if (input < 0 || ::ftruncate(input, 0) != 0 || ::pwrite(input, data, size, 0) != static_cast<ssize_t>(size))
        std::abort();

    cards::Backup first;
    if (!backup_io::LoadBackup(Path(input), first).Ok())
        return 0;
    if (cards::FindCard(first.cardCode) == nullptr)
        std::abort(); // the loader lets only known cards through
    if (std::memchr(data, 0, size) != nullptr)
        std::abort(); // a NUL would have ended the parse early, hiding what follows it
    if (!backup_io::SaveBackup(saved, cards::BackupToJson(first.cardCode, first.firmwareRange, first.settings)).Ok())
        std::abort();
    cards::Backup second;
    if (!backup_io::LoadBackup(saved, second).Ok() || second.cardCode != first.cardCode ||
        second.firmwareRange != first.firmwareRange || !(second.settings == first.settings))
        std::abort();
    return 0;
}
