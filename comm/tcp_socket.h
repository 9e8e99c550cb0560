#pragma once

#include "comm/timed_read.h"

#include <chrono>
#include <cstdint>
#include <string>

// A TCP connection to a serial device server: the little of sockets the network line needs, with one file
// per platform beside this header (tcp_socket_posix.cpp, tcp_socket_win32.cpp). Never blocks: every wait
// has a deadline.
class TcpSocket
{
public:
    using Clock = LineDevice::Clock;

    TcpSocket() = default;
    ~TcpSocket() { Close(); }
    TcpSocket(const TcpSocket&) = delete;
    TcpSocket& operator=(const TcpSocket&) = delete;

    // Connects to the first address of `host` that accepts within `timeout` in all, with Nagle's delay off
    // (requests are small) and keepalive probes that notice a dead server within seconds. Answers 0, or
    // a code of host/open_error.h (errno where none fits); `detail` says why a name did not resolve.
    int Connect(const std::string& host, std::uint16_t port, std::chrono::milliseconds timeout, std::string& detail);
    void Close();
    bool IsOpen() const { return handle != kNone; }

    // > 0 bytes read, 0 none waiting, < 0 the connection is closed or broken.
    int ReadSome(std::uint8_t* buffer, int room);
    // Sends every byte before `deadline`; false when the connection broke or the time ran out.
    bool SendAll(const std::uint8_t* bytes, int count, Clock::time_point deadline);
    // Whether input came before `until`, or the connection went.
    timed_read::Wait Await(Clock::time_point until);

private:
    static constexpr std::intptr_t kNone = -1;
    std::intptr_t handle = kNone; // a descriptor, or a Windows SOCKET
};
