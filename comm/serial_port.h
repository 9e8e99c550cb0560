#pragma once

#include "comm/line_device.h"

#include <chrono>
#include <cstdint>
#include <memory>
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
// What moves the bytes is a LineDevice (line_device.h), chosen at Open from the device's name.
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

    bool IsOpen() const { return handle != nullptr; }
    // Why the last Open failed (0 after a successful one): an errno value or a code of host/open_error.h.
    int LastOpenError() const { return lastOpenError; }
    // What the device said beyond the code, when it said anything (a device server's answer).
    const std::string& LastOpenDetail() const { return lastOpenDetail; }
    // The device the last Open used: what "COMn" resolved to (port_map.h), or the path given.
    const std::string& DeviceName() const { return deviceName; }
    // How many bytes the last Read received, complete or not.
    int LastReadCount() const { return lastReadCount; }
    // The line errors (LineError bits) the device reported during the last Read.
    std::uint8_t LastLineErrors() const { return lastLineErrors; }
    // How many bytes the last Write handed to the driver.
    int LastWriteCount() const { return lastWriteCount; }
    // The received bytes the writes since the last call dropped because they came before their request left
    // (how many; the first `room` go to `into`).
    int TakeDropped(std::uint8_t* into, int room) { return handle ? handle->TakeDropped(into, room) : 0; }

    // Called every few tens of milliseconds while a read waits, so a single-threaded GUI can repaint.
    // A plain function pointer: costs nothing when unset and never allocates.
    using IdleHook = void (*)(void* context);
    void SetIdleHook(IdleHook hook, void* context);

protected:
    std::unique_ptr<LineDevice> handle; // the open device; null while closed
    LineDevice::Timeouts timeouts;      // as applied at the last Open
    std::uint16_t portNumber = 1;
    std::uint32_t readTotalTimeoutConstant = 100;
    std::uint32_t readIntervalTimeout = 50;

private:
    void Close();

    std::string devicePath;
    std::string deviceName;
    int lastOpenError = 0;
    std::string lastOpenDetail;
    int lastReadCount = 0;
    std::uint8_t lastLineErrors = 0;
    int lastWriteCount = 0;
    LineDevice::Idle idle;
};
