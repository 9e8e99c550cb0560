#include "comm/serial_port.h"

#include "comm/line_settings.h"
#include "host/open_error.h"
#include "host/port_map.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

// How long one wait lasts at most while an idle hook is set, so a window repaints often enough.
constexpr auto kIdleSlice = std::chrono::milliseconds(25);
// Write time-outs: constant plus a multiplier per byte.
constexpr std::uint32_t kWriteTotalTimeoutConstantMs = 100;
constexpr std::uint32_t kWriteTotalTimeoutMultiplierMs = 100;
constexpr std::uint32_t kReadTotalTimeoutMultiplierMs = 1;

// UNIX98 pseudo-terminal slaves (/dev/pts/N) use these majors.
constexpr unsigned kPtySlaveMajorFirst = 136;
constexpr unsigned kPtySlaveMajorLast = 143;

bool ToleratedIoctlError(int error)
{
    // Pseudo-terminals and plain UARTs lack some of the optional controls; the port still works.
    return error == ENOTTY || error == EINVAL;
}

bool IsPseudoTerminal(int fd)
{
    struct stat info = {};
    if (fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode))
        return false;
    const unsigned deviceMajor = major(info.st_rdev);
    return deviceMajor >= kPtySlaveMajorFirst && deviceMajor <= kPtySlaveMajorLast;
}

bool ConfigureLine(int fd, bool pseudoTerminal)
{
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return false;
    if (!MakeLineSettings(tio))
        return false;
    // A pseudo-terminal has no line and hence no parity: the kernel drops PARENB, and the C library
    // then reports the whole setting as failed. Ask it only for what it can do.
    if (pseudoTerminal)
        tio.c_cflag &= ~static_cast<tcflag_t>(PARENB);
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

} // namespace

bool MakeLineSettings(termios& tio)
{
    cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARODD | CSTOPB | CRTSCTS | HUPCL);
    tio.c_cflag |= CS8 | PARENB | CLOCAL | CREAD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IGNPAR | PARMRK | IXON | IXOFF | IXANY | ISTRIP);
    tio.c_iflag |= INPCK;
    // Time-outs are ours (ppoll deadlines); VMIN/VTIME cannot express a 50 ms gap after the first byte.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    return cfsetispeed(&tio, B57600) == 0 && cfsetospeed(&tio, B57600) == 0;
}

SerialPort::SerialPort() = default;

SerialPort::~SerialPort()
{
    Close();
}

void SerialPort::SetPortNumber(std::uint16_t n)
{
    portNumber = n;
}

void SerialPort::SetReadTimeout(std::uint32_t milliseconds)
{
    readTotalTimeoutConstant = milliseconds;
}

void SerialPort::SetDevicePath(std::string path)
{
    devicePath = std::move(path);
}

void SerialPort::SetIdleHook(IdleHook hook, void* context)
{
    idleHook = hook;
    idleContext = context;
}

void SerialPort::Close()
{
    if (handle >= 0) {
        // The RS-485 mode outlives the descriptor in the driver; leave it as we found it.
        serial_rs485 rs485{};
        if (rs485Changed && ioctl(handle, TIOCGRS485, &rs485) == 0) {
            rs485.flags = savedRs485Flags;
            ioctl(handle, TIOCSRS485, &rs485);
        }
        // Leave RTS low for whatever opens the port next; the lock goes with the descriptor.
        int rts = TIOCM_RTS;
        ioctl(handle, TIOCMBIC, &rts);
        // Give up exclusivity explicitly (a pseudo-terminal keeps the flag while its other side lives),
        // but only ours.
        if (exclusiveSet)
            ioctl(handle, TIOCNXCL);
        ::close(handle);
        handle = -1;
    }
    rtsByHand = false;
    rs485Changed = false;
    exclusiveSet = false;
    purgeAfterWriteIsTimed = true;
}

int SerialPort::Open()
{
    Close();
    deviceName = devicePath.empty() ? ports::ResolveComPort(portNumber).path : devicePath;
    if (deviceName.empty()) {
        lastOpenError = ENOENT;
        return 0;
    }

    int fd = -1;
    do
        fd = ::open(deviceName.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        lastOpenError = errno;
        return 0;
    }

    // Exclusive: flock keeps out every cooperating program, even one running as root; TIOCEXCL then
    // refuses further open() calls of the tty itself.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        lastOpenError = (errno == EWOULDBLOCK) ? EBUSY : errno;
        ::close(fd);
        return 0;
    }
    // Root may open a tty that another program holds with TIOCEXCL; the port is in use all the same.
    // A flag that a crashed program left behind, with nobody holding the device, is no such hold.
    int heldExclusively = 0;
    if (ioctl(fd, TIOCGEXCL, &heldExclusively) == 0 && heldExclusively != 0 && OpenElsewhere(fd)) {
        lastOpenError = EBUSY;
        ::close(fd);
        return 0;
    }
    if (ioctl(fd, TIOCEXCL) == 0) {
        exclusiveSet = true;
    } else if (!ToleratedIoctlError(errno)) {
        lastOpenError = errno;
        ::close(fd);
        return 0;
    }

    // A device that is no terminal (a plain file, /dev/null) would take the frames and never answer;
    // saying so at open is kinder than nine seconds of failed searching.
    const bool pseudoTerminal = IsPseudoTerminal(fd);
    if (!ConfigureLine(fd, pseudoTerminal)) {
        lastOpenError = errno;
        ::close(fd);
        return 0;
    }

    handle = fd;
    lastOpenError = 0;
    // On a pseudo-terminal the request reaches the peer the moment write() returns, so a reply may be
    // queued before any purge after the write could run: no moment after writing is known to be safe.
    purgeAfterWriteIsTimed = !pseudoTerminal;
    Configure();
    return 1;
}

void SerialPort::Configure()
{
    appliedReadTotalTimeout = readTotalTimeoutConstant;

    // The tty layer raises RTS (and DTR) on open; the instrument expects RTS only while we send.
    int rts = TIOCM_RTS;
    ioctl(handle, TIOCMBIC, &rts);

    // Prefer the driver toggling RTS around each transmission, as RS-485 capable UARTs do exactly.
    serial_rs485 rs485{};
    if (ioctl(handle, TIOCGRS485, &rs485) == 0) {
        savedRs485Flags = rs485.flags;
        rs485.flags |= SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
        rs485.flags &= ~static_cast<std::uint32_t>(SER_RS485_RTS_AFTER_SEND);
        rs485.delay_rts_before_send = 0;
        rs485.delay_rts_after_send = 0;
        rtsByHand = ioctl(handle, TIOCSRS485, &rs485) != 0;
        rs485Changed = !rtsByHand;
    } else {
        rtsByHand = true;
    }
    // Toggling by hand only makes sense where modem lines exist; a pseudo-terminal has none.
    int lines = 0;
    if (rtsByHand && ioctl(handle, TIOCMGET, &lines) != 0)
        rtsByHand = false;

    // USB adapters (FTDI) otherwise hold a short reply back for up to 16 ms.
    serial_struct serial{};
    if (ioctl(handle, TIOCGSERIAL, &serial) == 0) {
        serial.flags |= ASYNC_LOW_LATENCY;
        ioctl(handle, TIOCSSERIAL, &serial);
    }
}

int SerialPort::Write(int count, const std::uint8_t* bytes)
{
    lastWriteCount = 0;
    if (handle < 0 || bytes == nullptr)
        return ResultNotOpen;
    if (count < 0)
        return ResultIncomplete;

    tcflush(handle, TCIOFLUSH);
    if (rtsByHand) {
        int rts = TIOCM_RTS;
        ioctl(handle, TIOCMBIS, &rts);
    }

    const auto start = Clock::now();
    const auto deadline =
        start + std::chrono::milliseconds(kWriteTotalTimeoutConstantMs +
                                          kWriteTotalTimeoutMultiplierMs * static_cast<std::uint32_t>(count));
    int written = 0;
    bool failed = false;
    while (written < count && !failed) {
        const ssize_t n = ::write(handle, bytes + written, static_cast<std::size_t>(count - written));
        if (n > 0) {
            written += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            failed = true;
            break;
        }
        // The output queue is full: wait for room, within the write time-out.
        const auto now = Clock::now();
        if (now >= deadline)
            break;
        pollfd pfd{handle, POLLOUT, 0};
        const timespec wait = ToTimespec(deadline - now);
        const int ready = ppoll(&pfd, 1, &wait, nullptr);
        if (ready < 0 && errno != EINTR)
            failed = true;
        else if (ready > 0 && (pfd.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0)
            failed = true;
    }

    // write() returns when the bytes are queued, not sent: wait for the line before lowering RTS or
    // purging, or the end of the request would be cut.
    while (tcdrain(handle) != 0 && errno == EINTR) {
    }
    if (rtsByHand) {
        int rts = TIOCM_RTS;
        ioctl(handle, TIOCMBIC, &rts);
    }

    // Drop what arrived while we sent (a late answer to an earlier attempt), but only while no reply
    // to this request can have begun: the request's own line time plus the 3.5-character silence.
    // A drain that returns late (some USB adapters) must not throw away the start of the reply.
    if (purgeAfterWriteIsTimed) {
        if (InputPurgeIsSafe(Clock::now() - start, count))
            tcflush(handle, TCIFLUSH);
    }

    lastWriteCount = written;
    return (written == count && !failed) ? ResultOk : ResultIncomplete;
}

int SerialPort::Read(int count, std::uint8_t* buffer)
{
    lastReadCount = 0;
    if (handle < 0)
        return ResultNotOpen;
    if (buffer == nullptr)
        return ResultNotOpen;
    if (count < 0)
        return ResultIncomplete;

    const auto start = Clock::now();
    const auto totalDeadline =
        start + std::chrono::milliseconds(appliedReadTotalTimeout +
                                          kReadTotalTimeoutMultiplierMs * static_cast<std::uint32_t>(count));
    const auto interval = std::chrono::milliseconds(readIntervalTimeout);
    Clock::time_point lastByte{};
    int got = 0;
    bool hangup = false;

    while (got < count) {
        // With VMIN = VTIME = 0 a terminal answers 0 for "nothing yet", so 0 is not end of file here;
        // a vanished device shows itself through poll instead.
        const ssize_t n = ::read(handle, buffer + got, static_cast<std::size_t>(count - got));
        if (n > 0) {
            got += static_cast<int>(n);
            lastByte = Clock::now();
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            break; // EIO and friends: an unplugged adapter
        if (hangup)
            break; // what was left has been read; no more will come

        const auto now = Clock::now();
        auto deadline = totalDeadline;
        if (got > 0 && lastByte + interval < deadline)
            deadline = lastByte + interval;
        if (now >= deadline)
            break;
        if (!AwaitInput(deadline))
            hangup = true; // read once more for bytes still queued, then give up instead of spinning
    }

    lastReadCount = got;
    return got == count ? ResultOk : ResultIncomplete;
}

void SerialPort::DrainUntilQuiet(std::chrono::milliseconds quiet, std::chrono::milliseconds limit)
{
    if (handle < 0)
        return;
    const auto end = Clock::now() + limit;
    auto silentUntil = Clock::now() + quiet;
    std::uint8_t scratch[64];
    for (;;) {
        const ssize_t n = ::read(handle, scratch, sizeof scratch);
        if (n > 0) {
            silentUntil = Clock::now() + quiet;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return;
        const auto deadline = std::min(silentUntil, end);
        if (Clock::now() >= deadline || !AwaitInput(deadline))
            return;
    }
}

bool SerialPort::AwaitInput(std::chrono::steady_clock::time_point deadline)
{
    auto wait = deadline - Clock::now();
    if (idleHook != nullptr && wait > kIdleSlice)
        wait = kIdleSlice;
    pollfd pfd{handle, POLLIN, 0};
    const timespec ts = ToTimespec(wait);
    const int ready = ppoll(&pfd, 1, &ts, nullptr);
    if (ready < 0 && errno != EINTR)
        return false;
    if (ready > 0 && (pfd.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0)
        return false;
    if (ready == 0 && idleHook != nullptr)
        idleHook(idleContext);
    return true;
}
