// A backup file as anyone may hand it to restore: loaded, and when it is good, saved and loaded again;
// the second load must give exactly the settings of the first.
#include "backup_file.h"
#include "card_info.h"

#include <cstdlib>
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

    cli::Backup first;
    if (!cli::LoadBackup(Path(input), first).Ok())
        return 0;
    cli::Identification id;
    id.cardCode = first.cardCode;
    id.card = cards::FindCard(first.cardCode);
    if (id.card == nullptr)
        std::abort(); // the loader lets only known cards through
    if (!cli::SaveBackup(saved, cli::BackupToJson(id, first.firmwareRange, first.settings)).Ok())
        std::abort();
    cli::Backup second;
    if (!cli::LoadBackup(saved, second).Ok() || second.cardCode != first.cardCode ||
        second.firmwareRange != first.firmwareRange || !(second.settings == first.settings))
        std::abort();
    return 0;
}
