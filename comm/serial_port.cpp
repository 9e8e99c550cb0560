#include "comm/serial_port.h"

#include "host/port_map.h"

#include <cerrno>
#include <utility>

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
    idle = {hook, context};
}

void SerialPort::Close()
{
    if (handle != nullptr)
        handle->Close();
    handle.reset();
}

int SerialPort::Open()
{
    Close();
    lastOpenDetail.clear();
    deviceName = devicePath.empty() ? ports::ResolveComPort(portNumber).path : devicePath;
    if (deviceName.empty()) {
        lastOpenError = ENOENT;
        return 0;
    }
    // Configure: the line settings are the back end's to set; the time-outs are ours and go with them.
    LineDevice::Timeouts wanted;
    wanted.readInterval = readIntervalTimeout;
    wanted.readTotalConstant = readTotalTimeoutConstant;
    std::unique_ptr<LineDevice> device = MakeLineDevice(deviceName);
    const LineDevice::OpenResult opened = device->Open(deviceName, wanted);
    lastOpenError = opened.error;
    lastOpenDetail = opened.detail;
    if (!opened.Ok())
        return 0;
    handle = std::move(device);
    timeouts = wanted;
    return 1;
}

int SerialPort::Write(int count, const std::uint8_t* bytes)
{
    lastWriteCount = 0;
    if (handle == nullptr || bytes == nullptr)
        return ResultNotOpen;
    if (count < 0)
        return ResultIncomplete;
    bool failed = false;
    lastWriteCount = handle->Write(bytes, count, failed);
    return (lastWriteCount == count && !failed) ? ResultOk : ResultIncomplete;
}

int SerialPort::Read(int count, std::uint8_t* buffer)
{
    lastReadCount = 0;
    lastLineErrors = 0;
    if (handle == nullptr || buffer == nullptr)
        return ResultNotOpen;
    if (count < 0)
        return ResultIncomplete;
    lastReadCount = handle->Read(buffer, count, idle);
    lastLineErrors = handle->TakeLineErrors();
    return lastReadCount == count ? ResultOk : ResultIncomplete;
}

void SerialPort::DrainUntilQuiet(std::chrono::milliseconds quiet, std::chrono::milliseconds limit)
{
    if (handle != nullptr)
        handle->DrainUntilQuiet(quiet, limit, idle);
}
