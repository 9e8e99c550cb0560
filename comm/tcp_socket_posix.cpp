// TCP on POSIX: non-blocking sockets, connect and every wait bounded by poll.
#include "comm/tcp_socket.h"
#include "comm/termios_line_posix.h"
#include "host/open_error.h"

#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A server that vanished (power cut, cable pulled) is noticed after 5 s of silence plus three
// unanswered probes 2 s apart, or when data we sent stays unacknowledged for 10 s.
constexpr int kKeepIdleSeconds = 5;
constexpr int kKeepIntervalSeconds = 2;
constexpr int kKeepCount = 3;
constexpr unsigned kUserTimeoutMs = 10'000;

void SetOption(int fd, int level, int name, int value)
{
    ::setsockopt(fd, level, name, &value, sizeof value); // a missing option costs only the early warning
}

// The code that says most: a refusal or a missing route outweighs a time-out of another address.
int ConnectError(int error)
{
    switch (error) {
    case ECONNREFUSED:
        return kOpenErrorRefused;
    case ETIMEDOUT:
        return kOpenErrorNoAnswer;
    case ENETUNREACH:
    case EHOSTUNREACH:
        return kOpenErrorUnreachable;
    default:
        return error;
    }
}

// One address: 0 when connected, else the error.
int ConnectOne(int fd, const addrinfo& address, TcpSocket::Clock::time_point deadline)
{
    if (::connect(fd, address.ai_addr, address.ai_addrlen) == 0)
        return 0;
    if (errno != EINPROGRESS && errno != EINTR)
        return errno;
    for (;;) {
        pollfd pfd{fd, POLLOUT, 0};
        const timespec wait = ToTimespec(deadline - TcpSocket::Clock::now());
        const int ready = ::ppoll(&pfd, 1, &wait, nullptr);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return errno;
        if (ready == 0)
            return ETIMEDOUT;
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
            return errno;
        return error;
    }
}

} // namespace

int TcpSocket::Connect(const std::string& host, std::uint16_t port, std::chrono::milliseconds timeout,
                       std::string& detail)
{
    Close();
    const auto deadline = Clock::now() + timeout;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_ADDRCONFIG | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (const int resolved = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found); resolved != 0) {
        detail = resolved == EAI_SYSTEM ? std::string() : ::gai_strerror(resolved);
        return kOpenErrorHostUnknown;
    }
    int best = kOpenErrorNoAnswer;
    for (const addrinfo* a = found; a != nullptr && handle == kNone; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) {
            best = errno;
            continue;
        }
        const int error = Clock::now() < deadline ? ConnectOne(fd, *a, deadline) : ETIMEDOUT;
        if (error != 0) {
            ::close(fd);
            // A refusal says most: something is there but not listening; a time-out least.
            if (best == kOpenErrorNoAnswer || ConnectError(error) == kOpenErrorRefused)
                best = ConnectError(error);
            continue;
        }
        SetOption(fd, IPPROTO_TCP, TCP_NODELAY, 1);
        SetOption(fd, SOL_SOCKET, SO_KEEPALIVE, 1);
        SetOption(fd, IPPROTO_TCP, TCP_KEEPIDLE, kKeepIdleSeconds);
        SetOption(fd, IPPROTO_TCP, TCP_KEEPINTVL, kKeepIntervalSeconds);
        SetOption(fd, IPPROTO_TCP, TCP_KEEPCNT, kKeepCount);
        SetOption(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, static_cast<int>(kUserTimeoutMs));
        handle = fd;
    }
    ::freeaddrinfo(found);
    return handle != kNone ? 0 : best;
}

void TcpSocket::Close()
{
    if (handle != kNone)
        ::close(static_cast<int>(handle));
    handle = kNone;
}

int TcpSocket::ReadSome(std::uint8_t* buffer, int room)
{
    for (;;) {
        const ssize_t n = ::recv(static_cast<int>(handle), buffer, static_cast<std::size_t>(room), 0);
        if (n > 0)
            return static_cast<int>(n);
        if (n == 0)
            return -1; // the server closed the connection
        if (errno == EINTR)
            continue;
        return errno == EAGAIN ? 0 : -1; // EWOULDBLOCK is EAGAIN on Linux
    }
}

bool TcpSocket::SendAll(const std::uint8_t* bytes, int count, Clock::time_point deadline)
{
    const int fd = static_cast<int>(handle);
    int sent = 0;
    while (sent < count) {
        const ssize_t n = ::send(fd, bytes + sent, static_cast<std::size_t>(count - sent), MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return false;
        pollfd pfd{fd, POLLOUT, 0};
        const timespec wait = ToTimespec(deadline - Clock::now());
        const int ready = ::ppoll(&pfd, 1, &wait, nullptr);
        if (ready == 0 || (ready < 0 && errno != EINTR) || (ready > 0 && (pfd.revents & (POLLERR | POLLHUP)) != 0))
            return false;
    }
    return true;
}

timed_read::Wait TcpSocket::Await(Clock::time_point until)
{
    pollfd pfd{static_cast<int>(handle), POLLIN, 0};
    const timespec wait = ToTimespec(until - Clock::now());
    const int ready = ::ppoll(&pfd, 1, &wait, nullptr);
    if (ready < 0)
        return errno == EINTR ? timed_read::Wait::Input : timed_read::Wait::Gone;
    if (ready == 0)
        return timed_read::Wait::Timeout;
    // A closed connection shows as readable with nothing to read: ReadSome tells it.
    return (pfd.revents & (POLLERR | POLLNVAL)) != 0 ? timed_read::Wait::Gone : timed_read::Wait::Input;
}
