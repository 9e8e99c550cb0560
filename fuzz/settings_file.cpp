// Whatever "Meshgate2.dat" holds: loaded, and what loads is saved and loads the same again.
#include "host/settings_file.h"

#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const int input = ::memfd_create("settings", MFD_CLOEXEC);
    static const std::string saved = "/dev/shm/meshgate2-fuzz-settings-" + std::to_string(::getpid()) + ".dat";
    if (input < 0 || ::ftruncate(input, 0) != 0 || ::pwrite(input, data, size, 0) != static_cast<ssize_t>(size))
        std::abort();

    const auto port = settings_file::Load("/proc/self/fd/" + std::to_string(input));
    if (port.has_value() != (size >= settings_file::kSize))
        std::abort();
    if (!port)
        return 0;
    if (!settings_file::Save(*port, saved) || settings_file::Load(saved) != port)
        std::abort();
    return 0;
}
