#pragma once

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

// The device behind a SerialPort, one back end per kind of line: a local serial port (POSIX termios or the
// Win32 serial API) and, beside it, a serial device server on the network. SerialPort keeps the interface
// the Modbus master knows; a back end moves the bytes under the same time-outs and never says which it is.
class LineDevice
{
public:
    using Clock = std::chrono::steady_clock;

    // Called every few tens of milliseconds while a read waits, so a single-threaded window can repaint.
    struct Idle
    {
        void (*hook)(void* context) = nullptr;
        void* context = nullptr;
        void operator()() const
        {
            if (hook != nullptr)
                hook(context);
        }
    };

    // The time-outs of one open line, in milliseconds: a read of N bytes ends at the latest after
    // readTotalConstant + N x readTotalMultiplier, and earlier when more than readInterval passes after a
    // byte without another; a write of N bytes may take writeTotalConstant + N x writeTotalMultiplier.
    struct Timeouts
    {
        std::uint32_t readInterval = 50;
        std::uint32_t readTotalMultiplier = 1;
        std::uint32_t readTotalConstant = 100;
        std::uint32_t writeTotalMultiplier = 100;
        std::uint32_t writeTotalConstant = 100;
    };

    // Why an open failed: an errno value, or one of the codes of host/open_error.h that errno has no word
    // for; `detail` may say more (what a device server answered).
    struct OpenResult
    {
        int error = 0;
        std::string detail;
        bool Ok() const { return error == 0; }
    };

    // The received bytes a Write dropped because they came before its request: they answer nothing it
    // asked, and the Modbus master judges whether they were only the copy of a reply it already has.
    // The first kKept of them are kept; `count` says how many there were.
    class Dropped
    {
    public:
        static constexpr int kKept = 256;
        // `bytes` may be null: then they are only counted.
        void Add(const std::uint8_t* bytes, int n)
        {
            const int room = std::min(n, kKept - count);
            if (room > 0 && bytes != nullptr)
                std::memcpy(kept.data() + count, bytes, static_cast<std::size_t>(room));
            count += std::max(n, 0);
        }
        // How many were dropped since the last call; the first `room` of them go to `into`.
        int Take(std::uint8_t* into, int room)
        {
            const int n = count;
            std::memcpy(into, kept.data(), static_cast<std::size_t>(std::max(0, std::min({n, room, kKept}))));
            count = 0;
            return n;
        }

    private:
        std::array<std::uint8_t, kKept> kept{};
        int count = 0;
    };

    virtual ~LineDevice() = default;

    // Opens the device exclusively and sets 57600 baud, 8 data bits, even parity, one stop bit on it.
    virtual OpenResult Open(const std::string& name, const Timeouts& timeouts) = 0;
    // Gives the device back as it was found; a closed device may be opened again.
    virtual void Close() = 0;
    // One request: drops what waits in both directions, sends `count` bytes within the write time-out and
    // waits until they have left. The one purge rule of every back end: nothing received after the request
    // began to go out is dropped, as no moment after writing is known to come before the reply on every line
    // (a virtual port or a software instrument answers at once; a drain says nothing of when the request
    // left a buffering adapter's wire); the master judges what comes. Every received byte dropped goes to
    // TakeDropped. Answers how many bytes went out; `failed` when the device refused or is gone.
    virtual int Write(const std::uint8_t* bytes, int count, bool& failed) = 0;
    // Reads until `count` bytes have arrived or a read time-out ends it; answers how many arrived. Returns the
    // moment the last byte arrives, never later. A device that is gone ends the read at once.
    virtual int Read(std::uint8_t* buffer, int count, const Idle& idle) = 0;
    // Discards what arrives until the line has been silent for `quiet`, or `limit` has passed.
    virtual void DrainUntilQuiet(std::chrono::milliseconds quiet, std::chrono::milliseconds limit,
                                 const Idle& idle) = 0;

    // Errors of the serial line the device reported since the last call, as LineError bits: a device
    // server tells of parity errors on its port, which its client would otherwise never learn of; and
    // whether the server closed the connection meanwhile.
    virtual std::uint8_t TakeLineErrors() { return 0; }

    // The received bytes the writes since the last call dropped (see Dropped::Take).
    int TakeDropped(std::uint8_t* into, int room) { return dropped.Take(into, room); }

protected:
    Dropped dropped;
};

// What a device reports of its serial line (the values the RFC 2217 line-state notification uses), and of
// the connection to a device server.
enum LineError : std::uint8_t
{
    kLineOverrun = 0x02,
    kLineParity = 0x04,
    kLineFraming = 0x08,
    // Not of the serial line: a device server closed the connection (the line connects again for the next
    // request). RFC 2217's own 0x80, a time-out error, is never taken from a server.
    kLineConnectionClosed = 0x80,
};

// This platform's local serial port (line_device_posix.cpp, line_device_win32.cpp).
std::unique_ptr<LineDevice> MakeLocalDevice();

// The back end a device name calls for.
std::unique_ptr<LineDevice> MakeLineDevice(const std::string& name);
