// The local serial port on Linux: termios, exclusive through flock and TIOCEXCL, RTS raised only while
// sending (by the driver where it can, else by hand), time-outs as ppoll deadlines.
#include "comm/line_device.h"
#include "comm/termios_line_posix.h"
#include "comm/timed_read.h"
#include "host/open_error.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

using Clock = LineDevice::Clock;
using timed_read::Wait;

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

// Whether the device is the controlling terminal of this process's session.
bool IsOwnTerminal(int fd)
{
    pid_t session = 0;
    return ioctl(fd, TIOCGSID, &session) == 0 && session == getsid(0);
}

// Sets the line up; `found` gets the settings it had, for Close to put back.
bool ConfigureLine(int fd, bool pseudoTerminal, termios& found)
{
    if (tcgetattr(fd, &found) != 0)
        return false;
    termios tio = found;
    if (!MakeLineSettings(tio))
        return false;
    // A pseudo-terminal has no line and hence no parity: the kernel drops PARENB, and the C library
    // then reports the whole setting as failed. Ask it only for what it can do.
    if (pseudoTerminal)
        tio.c_cflag &= ~static_cast<tcflag_t>(PARENB);
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

class TtyDevice final : public timed_read::PolledDevice<TtyDevice>
{
public:
    ~TtyDevice() override { Close(); }

    OpenResult Open(const std::string& name, const Timeouts& given) override;
    void Close() override;
    int Write(const std::uint8_t* bytes, int count, bool& failed) override;

    // For timed_read.
    int ReadSome(std::uint8_t* buffer, int room);
    Wait Await(Clock::time_point until);

private:
    void Configure();
    void DropInput();

    int fd = -1;
    bool rtsByHand = false;            // no driver toggling: raise and lower RTS around each write
    bool exclusiveSet = false;         // we set TIOCEXCL: clear it at close, and nothing else
    bool rs485Changed = false;         // we switched the driver to RTS-on-send: restore it at close
    std::uint32_t savedRs485Flags = 0; // the driver's RS-485 flags before that
    termios found{};                   // the line's settings before ours: put back at close
};

LineDevice::OpenResult TtyDevice::Open(const std::string& name, const Timeouts& given)
{
    Close();
    int opened = -1;
    do
        opened = ::open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    while (opened < 0 && errno == EINTR);
    if (opened < 0)
        return {errno, {}};
    if (IsOwnTerminal(opened)) {
        ::close(opened);
        return {kOpenErrorOwnTerminal, {}};
    }

    // Exclusive: flock keeps out every cooperating program, even one running as root; TIOCEXCL then
    // refuses further open() calls of the tty itself.
    if (::flock(opened, LOCK_EX | LOCK_NB) != 0) {
        const int error = (errno == EWOULDBLOCK) ? EBUSY : errno;
        ::close(opened);
        return {error, {}};
    }
    // Root may open a tty that another program holds with TIOCEXCL; the port is in use all the same.
    // A flag that a crashed program left behind, with nobody holding the device, is no such hold.
    int heldExclusively = 0;
    if (ioctl(opened, TIOCGEXCL, &heldExclusively) == 0 && heldExclusively != 0 && OpenElsewhere(opened)) {
        ::close(opened);
        return {EBUSY, {}};
    }
    if (ioctl(opened, TIOCEXCL) == 0) {
        exclusiveSet = true;
    } else if (!ToleratedIoctlError(errno)) {
        const int error = errno;
        ::close(opened);
        return {error, {}};
    }

    // A device that is no terminal (a plain file, /dev/null) would take the frames and never answer;
    // saying so at open is kinder than nine seconds of failed searching.
    const bool pseudoTerminal = IsPseudoTerminal(opened);
    if (!ConfigureLine(opened, pseudoTerminal, found)) {
        const int error = errno;
        exclusiveSet = false;
        ::close(opened);
        return {error, {}};
    }

    fd = opened;
    timeouts = given;
    Configure();
    return {};
}

void TtyDevice::Configure()
{
    // The tty layer raises RTS (and DTR) on open; the instrument expects RTS only while we send.
    int rts = TIOCM_RTS;
    ioctl(fd, TIOCMBIC, &rts);

    // Prefer the driver toggling RTS around each transmission, as RS-485 capable UARTs do exactly.
    serial_rs485 rs485{};
    if (ioctl(fd, TIOCGRS485, &rs485) == 0) {
        savedRs485Flags = rs485.flags;
        rs485.flags |= SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
        rs485.flags &= ~static_cast<std::uint32_t>(SER_RS485_RTS_AFTER_SEND);
        rs485.delay_rts_before_send = 0;
        rs485.delay_rts_after_send = 0;
        rtsByHand = ioctl(fd, TIOCSRS485, &rs485) != 0;
        rs485Changed = !rtsByHand;
    } else {
        rtsByHand = true;
    }
    // Toggling by hand only makes sense where modem lines exist; a pseudo-terminal has none.
    int lines = 0;
    if (rtsByHand && ioctl(fd, TIOCMGET, &lines) != 0)
        rtsByHand = false;

    // USB adapters (FTDI) otherwise hold a short reply back for up to 16 ms.
    serial_struct serial{};
    if (ioctl(fd, TIOCGSERIAL, &serial) == 0) {
        serial.flags |= static_cast<int>(ASYNC_LOW_LATENCY); // bit 13 of an int field
        ioctl(fd, TIOCSSERIAL, &serial);
    }
}

void TtyDevice::Close()
{
    if (fd >= 0) {
        // The RS-485 mode outlives the descriptor in the driver; leave it as we found it.
        serial_rs485 rs485{};
        if (rs485Changed && ioctl(fd, TIOCGRS485, &rs485) == 0) {
            rs485.flags = savedRs485Flags;
            ioctl(fd, TIOCSRS485, &rs485);
        }
        // Leave RTS low for whatever opens the port next; the lock goes with the descriptor.
        int rts = TIOCM_RTS;
        ioctl(fd, TIOCMBIC, &rts);
        // The line's own settings outlive the descriptor too: put back what was there, as terminal
        // programs do, or a terminal is left raw at 57600 baud.
        tcsetattr(fd, TCSANOW, &found);
        // Give up exclusivity explicitly (a pseudo-terminal keeps the flag while its other side lives),
        // but only ours.
        if (exclusiveSet)
            ioctl(fd, TIOCNXCL);
        ::close(fd);
        fd = -1;
    }
    rtsByHand = false;
    rs485Changed = false;
    exclusiveSet = false;
}

int TtyDevice::Write(const std::uint8_t* bytes, int count, bool& failed)
{
    failed = false;
    tcflush(fd, TCOFLUSH);
    DropInput();
    if (rtsByHand) {
        int rts = TIOCM_RTS;
        ioctl(fd, TIOCMBIS, &rts);
    }

    const auto start = Clock::now();
    const auto deadline =
        start + std::chrono::milliseconds(timeouts.writeTotalConstant +
                                          timeouts.writeTotalMultiplier * static_cast<std::uint32_t>(count));
    int written = 0;
    while (written < count && !failed) {
        const ssize_t n = ::write(fd, bytes + written, static_cast<std::size_t>(count - written));
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
        pollfd pfd{fd, POLLOUT, 0};
        const timespec wait = ToTimespec(deadline - now);
        const int ready = ppoll(&pfd, 1, &wait, nullptr);
        if (ready < 0 && errno != EINTR)
            failed = true;
        else if (ready > 0 && (pfd.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0)
            failed = true;
    }

    // write() returns when the bytes are queued, not sent: wait for the line before lowering RTS, or the
    // end of the request would be cut.
    while (tcdrain(fd) != 0 && errno == EINTR) {
    }
    if (rtsByHand) {
        int rts = TIOCM_RTS;
        ioctl(fd, TIOCMBIC, &rts);
    }
    return written;
}

// A purge that keeps what it drops, for the master to judge: read out what waits. A line that never stops
// talking is cut off after a few reads, and the rest flushed.
void TtyDevice::DropInput()
{
    constexpr int kMaxReads = 16;
    std::uint8_t scratch[Dropped::kKept];
    for (int i = 0; i < kMaxReads; ++i) {
        const int n = ReadSome(scratch, sizeof scratch);
        if (n <= 0)
            return;
        dropped.Add(scratch, n);
    }
    tcflush(fd, TCIFLUSH);
}

int TtyDevice::ReadSome(std::uint8_t* buffer, int room)
{
    for (;;) {
        // With VMIN = VTIME = 0 a terminal answers 0 for "nothing yet", so 0 is not end of file here;
        // a vanished device shows itself through poll instead.
        const ssize_t n = ::read(fd, buffer, static_cast<std::size_t>(room));
        if (n >= 0)
            return static_cast<int>(n);
        if (errno == EINTR)
            continue;
        return errno == EAGAIN ? 0 : -1; // EIO and friends: an unplugged adapter
    }
}

Wait TtyDevice::Await(Clock::time_point until)
{
    pollfd pfd{fd, POLLIN, 0};
    const timespec ts = ToTimespec(until - Clock::now());
    const int ready = ppoll(&pfd, 1, &ts, nullptr);
    if (ready < 0)
        return errno == EINTR ? Wait::Input : Wait::Gone;
    if (ready > 0 && (pfd.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0)
        return Wait::Gone;
    return ready == 0 ? Wait::Timeout : Wait::Input;
}

} // namespace

bool MakeLineSettings(termios& tio)
{
    cfmakeraw(&tio);
    tio.c_cflag &= ~tcflag_t{CSIZE | PARODD | CSTOPB | CRTSCTS | HUPCL};
    tio.c_cflag |= CS8 | PARENB | CLOCAL | CREAD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IGNPAR | PARMRK | IXON | IXOFF | IXANY | ISTRIP);
    tio.c_iflag |= INPCK;
    // Time-outs are ours (ppoll deadlines); VMIN/VTIME cannot express a 50 ms gap after the first byte.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    return cfsetispeed(&tio, B57600) == 0 && cfsetospeed(&tio, B57600) == 0;
}

std::unique_ptr<LineDevice> MakeLocalDevice()
{
    return std::make_unique<TtyDevice>();
}
