#pragma once

#include <chrono>
#include <cstdint>
#include <string>

// Outcome of a serial or Modbus transfer. Above the Modbus master every operation answers 1/0 instead.
enum : int
{
    ResultOk = 0,
    ResultNotOpen = -1,    // no port open, no buffer given, or tryCount 0
    ResultBadCrc = -2,     // a whole reply arrived but its CRC does not match
    ResultIncomplete = -3, // the system call failed or moved fewer bytes than asked
    ResultWrongSlave = -4, // right CRC, but not from the slave that was asked
    ResultTooLong = -5,    // a frame would not fit the 255-byte buffers; nothing was sent
    ResultWrongReply = -6, // right CRC and slave, but no answer to this request (function, count, register)
    ResultException = -7,  // the slave answered with a Modbus exception
    ResultStopped = -8,    // a stop was asked for; nothing was sent
};

// One RS-232 port, opened exclusively at 57600 8E1 raw, RTS raised only while sending.
// Reads end on a total time-out (constant + 1 ms per byte) or on a 50 ms gap after the first byte.
class SerialPort
{
public:
    SerialPort();
    virtual ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Takes effect at the next Open.
    void SetPortNumber(std::uint16_t n);
    void SetReadTimeout(std::uint32_t milliseconds);
    // Opens this device path instead of resolving "COMn" (empty: back to the port number).
    void SetDevicePath(std::string path);

    // Closes any open port first. 1 = open and configured, 0 = could not be opened (see LastOpenError).
    int Open();
    // Result codes. Write purges both directions before and (safely) after sending.
    int Write(int count, const std::uint8_t* bytes);
    // One read, never continued; a short read is ResultIncomplete with the bytes that came left in buffer.
    int Read(int count, std::uint8_t* buffer);
    // Discards what arrives until the line has been silent for `quiet`, or `limit` has passed.
    void DrainUntilQuiet(std::chrono::milliseconds quiet, std::chrono::milliseconds limit);

    bool IsOpen() const { return handle >= 0; }
    // errno of the last failed Open (0 after a successful one), so callers can say why.
    int LastOpenError() const { return lastOpenError; }
    // The device the last Open used: what "COMn" resolved to (port_map.h), or the path given.
    const std::string& DeviceName() const { return deviceName; }
    // How many bytes the last Read received, complete or not.
    int LastReadCount() const { return lastReadCount; }
    // How many bytes the last Write handed to the driver.
    int LastWriteCount() const { return lastWriteCount; }

    // Called every few tens of milliseconds while a read waits, so a single-threaded GUI can repaint.
    // A plain function pointer: costs nothing when unset and never allocates.
    using IdleHook = void (*)(void* context);
    void SetIdleHook(IdleHook hook, void* context);

protected:
    int handle = -1; // file descriptor; -1 while closed
    std::uint16_t portNumber = 1;
    std::uint32_t baudRate = 57600;
    std::uint8_t parity = 2;   // even
    std::uint8_t stopBits = 0; // one
    std::uint8_t dataBits = 8;
    std::uint32_t readTotalTimeoutConstant = 100;
    std::uint32_t readIntervalTimeout = 50;

private:
    void Close();
    void Configure();
    // Waits for input until `deadline` (one idle slice at most while an idle hook is set, which it then
    // calls). False when the device is gone or waiting failed.
    bool AwaitInput(std::chrono::steady_clock::time_point deadline);

    std::string devicePath;
    std::string deviceName;
    int lastOpenError = 0;
    int lastReadCount = 0;
    int lastWriteCount = 0;
    std::uint32_t appliedReadTotalTimeout = 100; // readTotalTimeoutConstant as of the last Open
    bool rtsByHand = false;                      // no driver toggling: raise and lower RTS around each write
    bool exclusiveSet = false;                   // we set TIOCEXCL: clear it at close, and nothing else
    bool rs485Changed = false;                   // we switched the driver to RTS-on-send: restore it at close
    std::uint32_t savedRs485Flags = 0;           // the driver's RS-485 flags before that
    bool purgeAfterWriteIsTimed = true;          // false on a pseudo-terminal, where no purge after writing is safe
    IdleHook idleHook = nullptr;
    void* idleContext = nullptr;
};
