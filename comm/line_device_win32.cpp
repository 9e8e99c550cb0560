// The local serial port on Windows: the Win32 serial API, opened exclusively (share mode 0) through the
// device namespace, RTS raised only while sending (by the driver where it can, else by hand), time-outs
// kept by the driver (COMMTIMEOUTS) and waited on in slices so the window repaints meanwhile.
#include "comm/line_device.h"
#include "host/utf16_win32.h"

#include <algorithm>
#include <windows.h>

namespace {

using Clock = LineDevice::Clock;

// How long one wait lasts at most while an idle hook is set, so a window repaints often enough.
constexpr DWORD kIdleSliceMs = 25;

// "COM14" as the system knows it: "\\.\COM14". Without the device-namespace prefix only COM1 to COM9 open,
// and USB adapters usually get higher numbers. Other names (already prefixed, or a path) stay as given.
std::string SystemName(const std::string& name)
{
    const bool com = name.size() > 3 && (name[0] == 'C' || name[0] == 'c') && (name[1] == 'O' || name[1] == 'o') &&
                     (name[2] == 'M' || name[2] == 'm') && name.find_first_not_of("0123456789", 3) == std::string::npos;
    return com ? "\\\\.\\" + name : name;
}

// One overlapped transfer on the port, waited on to its end; the driver's time-outs end it.
class Transfer
{
public:
    Transfer() { overlapped.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr); }
    ~Transfer()
    {
        if (overlapped.hEvent != nullptr)
            ::CloseHandle(overlapped.hEvent);
    }
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    OVERLAPPED* Overlapped() { return &overlapped; }

    // After ReadFile or WriteFile returned `started`: how many bytes moved, or -1 when the device failed.
    int Finish(HANDLE port, BOOL started, const LineDevice::Idle& idle)
    {
        if (!started && ::GetLastError() != ERROR_IO_PENDING)
            return -1;
        if (idle.hook != nullptr)
            while (::WaitForSingleObject(overlapped.hEvent, kIdleSliceMs) == WAIT_TIMEOUT)
                idle();
        DWORD moved = 0;
        if (!::GetOverlappedResult(port, &overlapped, &moved, TRUE))
            return -1;
        return static_cast<int>(moved);
    }

private:
    OVERLAPPED overlapped{};
};

class ComDevice final : public LineDevice
{
public:
    ~ComDevice() override { Close(); }

    OpenResult Open(const std::string& name, const Timeouts& given) override;
    void Close() override;
    int Write(const std::uint8_t* bytes, int count, bool& failed) override;
    int Read(std::uint8_t* buffer, int count, const Idle& idle) override;
    void DrainUntilQuiet(std::chrono::milliseconds quiet, std::chrono::milliseconds limit, const Idle& idle) override;

private:
    bool SetTimeouts(DWORD interval, DWORD multiplier, DWORD constant);
    void SetRts(bool raised);
    void DropInput();

    HANDLE port = INVALID_HANDLE_VALUE;
    Timeouts timeouts;
    COMMTIMEOUTS found{}; // the driver's time-outs before ours, given back at close
    bool rtsByHand = false;
};

LineDevice::OpenResult ComDevice::Open(const std::string& name, const Timeouts& given)
{
    Close();
    // Share mode 0 is the exclusive open: ERROR_ACCESS_DENIED when another program holds the port.
    const HANDLE opened = ::CreateFileW(utf16::Widen(SystemName(name)).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (opened == INVALID_HANDLE_VALUE)
        return {static_cast<int>(::GetLastError()), {}};

    // A file or another device would take the frames and never answer: say so at open.
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(opened, &dcb)) {
        ::CloseHandle(opened);
        return {ERROR_NOT_SUPPORTED, {}};
    }
    dcb.BaudRate = CBR_57600;
    dcb.ByteSize = 8;
    dcb.Parity = EVENPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = TRUE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE; // a byte with a parity error is kept as it came, so the frame's CRC fails
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    dcb.fRtsControl = RTS_CONTROL_TOGGLE;
    rtsByHand = false;
    if (!::SetCommState(opened, &dcb)) {
        // Some drivers (and Wine) cannot toggle RTS: keep the rest and raise RTS around each write ourselves.
        dcb.fRtsControl = RTS_CONTROL_DISABLE;
        // A port without a line (a pseudo-terminal under Wine, some virtual ports) has no parity either and
        // refuses it, as on Linux; frames cross it unchanged. A UART accepts even parity above.
        const bool accepted =
            ::SetCommState(opened, &dcb) || (dcb.Parity = NOPARITY, dcb.fParity = FALSE, ::SetCommState(opened, &dcb));
        if (!accepted) {
            const DWORD error = ::GetLastError();
            ::CloseHandle(opened);
            return {static_cast<int>(error), {}};
        }
        rtsByHand = true;
    }
    port = opened;
    timeouts = given;
    ::GetCommTimeouts(port, &found);
    if (!SetTimeouts(timeouts.readInterval, timeouts.readTotalMultiplier, timeouts.readTotalConstant)) {
        const DWORD error = ::GetLastError();
        Close();
        return {static_cast<int>(error), {}};
    }
    if (rtsByHand)
        SetRts(false);
    return {};
}

bool ComDevice::SetTimeouts(DWORD interval, DWORD multiplier, DWORD constant)
{
    COMMTIMEOUTS t{};
    t.ReadIntervalTimeout = interval;
    t.ReadTotalTimeoutMultiplier = multiplier;
    t.ReadTotalTimeoutConstant = constant;
    t.WriteTotalTimeoutMultiplier = timeouts.writeTotalMultiplier;
    t.WriteTotalTimeoutConstant = timeouts.writeTotalConstant;
    return ::SetCommTimeouts(port, &t) != 0;
}

void ComDevice::SetRts(bool raised)
{
    // A port without modem lines refuses; stop asking, the line works without.
    if (rtsByHand && !::EscapeCommFunction(port, raised ? SETRTS : CLRRTS))
        rtsByHand = false;
}

void ComDevice::Close()
{
    if (port != INVALID_HANDLE_VALUE) {
        SetRts(false);
        ::SetCommTimeouts(port, &found);
        ::CloseHandle(port);
        port = INVALID_HANDLE_VALUE;
    }
    rtsByHand = false;
}

int ComDevice::Write(const std::uint8_t* bytes, int count, bool& failed)
{
    failed = false;
    ::PurgeComm(port, PURGE_TXCLEAR | PURGE_TXABORT | PURGE_RXABORT);
    DropInput();
    SetRts(true);
    Transfer transfer;
    const int written =
        transfer.Finish(port, ::WriteFile(port, bytes, static_cast<DWORD>(count), nullptr, transfer.Overlapped()), {});
    failed = written < 0;
    // WriteFile may end with the bytes still in the driver's buffer: wait until they have left before
    // lowering RTS, or the end of the request would be cut. (A purge of the transmit side here would cut it.)
    ::FlushFileBuffers(port);
    SetRts(false);
    return failed ? 0 : written;
}

// A purge that keeps what it drops, for the master to judge: what waits in the driver is read out (a read of
// no more than is there returns at once), anything beyond the first bytes purged.
void ComDevice::DropInput()
{
    DWORD errors = 0;
    COMSTAT status{};
    if (::ClearCommError(port, &errors, &status) && status.cbInQue > 0) {
        std::uint8_t scratch[Dropped::kKept];
        Transfer transfer;
        const DWORD want = std::min<DWORD>(status.cbInQue, sizeof scratch);
        const int got = transfer.Finish(port, ::ReadFile(port, scratch, want, nullptr, transfer.Overlapped()), {});
        if (got > 0)
            dropped.Add(scratch, got);
        if (status.cbInQue > want)
            dropped.Add(nullptr, static_cast<int>(status.cbInQue - want)); // counted, not kept
    }
    ::PurgeComm(port, PURGE_RXCLEAR);
}

int ComDevice::Read(std::uint8_t* buffer, int count, const Idle& idle)
{
    // The driver ends the read after readTotalConstant + N x readTotalMultiplier, or on the interval gap
    // after a byte: a read that times out succeeds with fewer bytes. A failed read is a device that is gone.
    Transfer transfer;
    const int got = transfer.Finish(
        port, ::ReadFile(port, buffer, static_cast<DWORD>(count), nullptr, transfer.Overlapped()), idle);
    return got < 0 ? 0 : got;
}

void ComDevice::DrainUntilQuiet(std::chrono::milliseconds quiet, std::chrono::milliseconds limit, const Idle& idle)
{
    // Reads that end after `quiet` without a byte (the interval is not needed: the total time-out is the
    // silence), until one comes back empty or the limit has passed.
    const auto end = Clock::now() + limit;
    std::uint8_t scratch[64];
    while (Clock::now() < end) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        const auto wait = std::max<std::chrono::milliseconds::rep>(1, std::min(quiet, left).count());
        if (!SetTimeouts(0, 0, static_cast<DWORD>(wait)))
            break;
        Transfer transfer;
        const int got = transfer.Finish(
            port, ::ReadFile(port, scratch, static_cast<DWORD>(sizeof scratch), nullptr, transfer.Overlapped()), idle);
        if (got <= 0)
            break;
    }
    SetTimeouts(timeouts.readInterval, timeouts.readTotalMultiplier, timeouts.readTotalConstant);
}

} // namespace

std::unique_ptr<LineDevice> MakeLocalDevice()
{
    return std::make_unique<ComDevice>();
}
