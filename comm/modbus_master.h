#pragma once

#include "serial_port.h"

#include <cstdint>
#include <memory>

// What the master saw on the wire, for tracing. The bytes are only valid during the call.
struct FrameEvent
{
    enum class Direction
    {
        Sent,
        Received
    };
    Direction direction;
    const std::uint8_t* bytes;
    int length; // bytes actually sent or received (a short reply shows what did arrive)
    int result; // the result code of this step: ResultOk, ResultBadCrc, ResultIncomplete, ResultWrongSlave...
};

// Modbus RTU master, functions 3 and 16, three attempts per transaction.
class ModbusMaster : public SerialPort
{
public:
    static constexpr int kBufferSize = 255;

    ModbusMaster();
    ~ModbusMaster() override;

    // Result codes; ResultTooLong when 2 x count does not fit the frame buffers (nothing is sent).
    int ReadHoldingRegisters(std::uint8_t slave, std::uint16_t count, std::uint16_t start, std::uint8_t* destination);
    int WriteMultipleRegisters(std::uint8_t slave, std::uint16_t count, std::uint16_t start,
                               const std::uint8_t* source);

    // CRC-16/MODBUS; the low byte goes on the wire first.
    static std::uint16_t Crc16(std::uint16_t count, const std::uint8_t* bytes);

    void SetTryCount(std::uint8_t n) { tryCount = n; }
    std::uint8_t TryCount() const { return tryCount; }

    // Observer of every frame sent and received; a plain function pointer so it costs nothing unset.
    using FrameObserver = void (*)(void* context, const FrameEvent& event);
    void SetFrameObserver(FrameObserver observer, void* context);

protected:
    int SendRequest(int length);
    int ReceiveReply(int length);
    int CheckReply(int length);

    std::unique_ptr<std::uint8_t[]> requestBuffer;
    std::unique_ptr<std::uint8_t[]> replyBuffer;
    std::uint8_t tryCount = 3;

private:
    FrameObserver frameObserver = nullptr;
    void* frameContext = nullptr;
};
