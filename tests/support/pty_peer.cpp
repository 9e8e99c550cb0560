#include "tests/support/pty_peer.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

PtyPeer::PtyPeer()
{
    master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128] = {};
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0) {
        CloseMaster();
        return;
    }
    path = name;
}

PtyPeer::~PtyPeer()
{
    CloseMaster();
}

void PtyPeer::CloseMaster()
{
    if (master >= 0)
        ::close(master);
    master = -1;
}

void PtyPeer::Send(const Bytes& bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::write(master, bytes.data() + sent, bytes.size() - sent);
        if (n > 0)
            sent += static_cast<std::size_t>(n);
        else if (errno != EINTR)
            return;
    }
}

Bytes PtyPeer::Receive(std::size_t count, std::chrono::milliseconds within)
{
    Bytes got;
    const auto deadline = std::chrono::steady_clock::now() + within;
    std::uint8_t chunk[256];
    while (got.size() < count) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd pfd{master, POLLIN, 0};
        if (poll(&pfd, 1, static_cast<int>(left.count())) <= 0 || (pfd.revents & POLLIN) == 0) {
            if (pfd.revents & POLLHUP)
                usleep(1000); // nobody holds the device open yet
            continue;
        }
        const ssize_t n = ::read(master, chunk, std::min(sizeof chunk, count - got.size()));
        if (n > 0)
            got.insert(got.end(), chunk, chunk + n);
    }
    return got;
}

Bytes Hex(const char* text)
{
    Bytes bytes;
    char* end = nullptr;
    for (const char* p = text; *p != '\0'; p = end) {
        const unsigned long value = std::strtoul(p, &end, 16);
        if (end == p)
            break;
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return bytes;
}
