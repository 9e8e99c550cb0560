// TCP on Windows: non-blocking winsock sockets, connect and every wait bounded by select. Errors come out as
// the POSIX side gives them (the network codes of host/open_error.h), so both explain a failure alike.
#include "comm/tcp_socket.h"
#include "host/open_error.h"

// winsock2.h before anything that brings windows.h.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <mstcpip.h>

#include <algorithm>
#include <mutex>

namespace {

// As on POSIX: a vanished server is noticed after 5 s of silence and probes 2 s apart (Windows sends ten,
// or three where it lets us choose), or when data we sent stays unacknowledged for 10 s.
constexpr ULONG kKeepIdleMs = 5'000;
constexpr ULONG kKeepIntervalMs = 2'000;
constexpr DWORD kKeepCount = 3;
constexpr DWORD kMaxRetransmitSeconds = 10;
// Not in every MinGW's headers; Windows 10 1703 and later know them.
constexpr int kTcpMaxRt = 5;
constexpr int kTcpKeepCnt = 16;

// Winsock must be started once per process before any call; it stays up until the process ends.
int StartWinsock()
{
    static int result = -1;
    static std::once_flag once;
    std::call_once(once, [] {
        WSADATA data;
        result = ::WSAStartup(MAKEWORD(2, 2), &data);
    });
    return result;
}

timeval ToTimeval(TcpSocket::Clock::duration wait)
{
    const auto us = std::max<std::int64_t>(0, std::chrono::duration_cast<std::chrono::microseconds>(wait).count());
    return timeval{static_cast<long>(us / 1'000'000), static_cast<long>(us % 1'000'000)};
}

// One socket's readiness: `write` asks whether it can send (or a connect has ended), else whether input
// came. 1 ready, 0 time out, SOCKET_ERROR failed; `failed` tells a refused connect (Windows reports it in
// the exception set, never as writable).
int Select(SOCKET s, bool write, TcpSocket::Clock::time_point until, bool& failed)
{
    fd_set ready;
    fd_set broken;
    FD_ZERO(&ready);
    FD_ZERO(&broken);
    FD_SET(s, &ready);
    FD_SET(s, &broken);
    timeval wait = ToTimeval(until - TcpSocket::Clock::now());
    // The first argument is ignored on Windows.
    const int n = ::select(0, write ? nullptr : &ready, write ? &ready : nullptr, &broken, &wait);
    failed = n > 0 && FD_ISSET(s, &broken);
    return n;
}

void SetOption(SOCKET s, int level, int name, DWORD value)
{
    // A missing option costs only the early warning.
    ::setsockopt(s, level, name, reinterpret_cast<const char*>(&value), sizeof value);
}

// The code that says most, as the POSIX side gives it: a refusal or a missing route outweighs a time-out.
int ConnectError(int error)
{
    switch (error) {
    case WSAECONNREFUSED:
        return kOpenErrorRefused;
    case WSAETIMEDOUT:
        return kOpenErrorNoAnswer;
    case WSAENETUNREACH:
    case WSAEHOSTUNREACH:
        return kOpenErrorUnreachable;
    default:
        return error;
    }
}

// One address: 0 when connected, else the winsock error.
int ConnectOne(SOCKET s, const addrinfo& address, TcpSocket::Clock::time_point deadline)
{
    if (::connect(s, address.ai_addr, static_cast<int>(address.ai_addrlen)) == 0)
        return 0;
    if (const int error = ::WSAGetLastError(); error != WSAEWOULDBLOCK)
        return error;
    bool failed = false;
    const int ready = Select(s, true, deadline, failed);
    if (ready == SOCKET_ERROR)
        return ::WSAGetLastError();
    if (ready == 0)
        return WSAETIMEDOUT;
    int error = 0;
    int length = sizeof error;
    if (::getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0)
        return ::WSAGetLastError();
    return error == 0 && failed ? WSAECONNREFUSED : error;
}

void KeepAlive(SOCKET s)
{
    SetOption(s, IPPROTO_TCP, TCP_NODELAY, 1);
    tcp_keepalive keep{1, kKeepIdleMs, kKeepIntervalMs};
    DWORD returned = 0;
    ::WSAIoctl(s, SIO_KEEPALIVE_VALS, &keep, sizeof keep, nullptr, 0, &returned, nullptr, nullptr);
    SetOption(s, IPPROTO_TCP, kTcpKeepCnt, kKeepCount);
    SetOption(s, IPPROTO_TCP, kTcpMaxRt, kMaxRetransmitSeconds);
}

} // namespace

int TcpSocket::Connect(const std::string& host, std::uint16_t port, std::chrono::milliseconds timeout,
                       std::string& detail)
{
    Close();
    detail.clear();
    const auto deadline = Clock::now() + timeout;
    if (const int started = StartWinsock(); started != 0)
        return started;
    // No AI_ADDRCONFIG: Windows does not count the loopback address as configured, so on a laptop without
    // a network it would refuse "localhost" and 127.0.0.1, which a local device server uses. An address of a
    // family without a route just fails its connect and the next is tried.
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (const int resolved = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found); resolved != 0) {
        detail = DescribePlatformError(resolved, host).reason; // the system's words, as gai_strerror's on POSIX
        return kOpenErrorHostUnknown;
    }
    int best = kOpenErrorNoAnswer;
    for (const addrinfo* a = found; a != nullptr && handle == kNone; a = a->ai_next) {
        const SOCKET s = ::WSASocketW(a->ai_family, a->ai_socktype, a->ai_protocol, nullptr, 0,
                                      WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
        u_long nonBlocking = 1;
        // FIONBIO is an unsigned bit pattern that ioctlsocket takes as a long.
        if (s == INVALID_SOCKET || ::ioctlsocket(s, static_cast<long>(FIONBIO), &nonBlocking) != 0) {
            best = ::WSAGetLastError();
            if (s != INVALID_SOCKET)
                ::closesocket(s);
            continue;
        }
        const int error = Clock::now() < deadline ? ConnectOne(s, *a, deadline) : WSAETIMEDOUT;
        if (error != 0) {
            ::closesocket(s);
            if (best == kOpenErrorNoAnswer || ConnectError(error) == kOpenErrorRefused)
                best = ConnectError(error);
            continue;
        }
        KeepAlive(s);
        handle = static_cast<std::intptr_t>(s);
    }
    ::freeaddrinfo(found);
    return handle != kNone ? 0 : best;
}

void TcpSocket::Close()
{
    if (handle != kNone)
        ::closesocket(static_cast<SOCKET>(handle));
    handle = kNone;
}

int TcpSocket::ReadSome(std::uint8_t* buffer, int room)
{
    const int n = ::recv(static_cast<SOCKET>(handle), reinterpret_cast<char*>(buffer), room, 0);
    if (n > 0)
        return n;
    if (n == 0)
        return -1; // the server closed the connection
    return ::WSAGetLastError() == WSAEWOULDBLOCK ? 0 : -1;
}

bool TcpSocket::SendAll(const std::uint8_t* bytes, int count, Clock::time_point deadline)
{
    const auto s = static_cast<SOCKET>(handle);
    int sent = 0;
    while (sent < count) {
        const int n = ::send(s, reinterpret_cast<const char*>(bytes + sent), count - sent, 0);
        if (n > 0) {
            sent += n;
            continue;
        }
        if (n == SOCKET_ERROR && ::WSAGetLastError() != WSAEWOULDBLOCK)
            return false;
        bool failed = false;
        if (Select(s, true, deadline, failed) <= 0 || failed)
            return false;
    }
    return true;
}

timed_read::Wait TcpSocket::Await(Clock::time_point until)
{
    bool failed = false;
    const int ready = Select(static_cast<SOCKET>(handle), false, until, failed);
    if (ready == SOCKET_ERROR || failed)
        return timed_read::Wait::Gone;
    // A closed or reset connection shows as readable: ReadSome tells it.
    return ready == 0 ? timed_read::Wait::Timeout : timed_read::Wait::Input;
}
