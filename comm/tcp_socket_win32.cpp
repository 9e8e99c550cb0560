// TCP on Windows: not built yet (winsock goes here). Until then a network line refuses to open, saying
// so, and nothing else of the program changes.
#include "comm/tcp_socket.h"

#include <cerrno>

int TcpSocket::Connect(const std::string&, std::uint16_t, std::chrono::milliseconds, std::string& detail)
{
    detail.clear();
    return ENOSYS;
}

void TcpSocket::Close()
{
    handle = kNone;
}

int TcpSocket::ReadSome(std::uint8_t*, int)
{
    return -1;
}

bool TcpSocket::SendAll(const std::uint8_t*, int, Clock::time_point)
{
    return false;
}

timed_read::Wait TcpSocket::Await(Clock::time_point)
{
    return timed_read::Wait::Gone;
}
