#include "modbus_master.h"

#include <array>
#include <cstring>

namespace {

constexpr std::uint8_t kReadHoldingRegisters = 0x03;
constexpr std::uint8_t kWriteMultipleRegisters = 0x10;
constexpr int kReadRequestLength = 8;
constexpr int kReadReplyOverhead = 5;    // address, function, byte count, CRC
constexpr int kWriteRequestOverhead = 9; // address, function, start, count, byte count, CRC
constexpr int kWriteReplyLength = 8;
constexpr int kWriteHeaderLength = 7;
constexpr int kMaxReadRegisters = (ModbusMaster::kBufferSize - kReadReplyOverhead) / 2;     // 125
constexpr int kMaxWriteRegisters = (ModbusMaster::kBufferSize - kWriteRequestOverhead) / 2; // 123

// The two tables of the Modbus serial line CRC, derived at compile time from the reflected polynomial
// 0xA001: kCrcHi holds the low byte of each table entry and kCrcLo its high byte, which is how the
// published tables name them.
struct CrcTables
{
    std::array<std::uint8_t, 256> hi{};
    std::array<std::uint8_t, 256> lo{};
};

constexpr CrcTables MakeCrcTables()
{
    CrcTables t;
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1u) ? (crc >> 1) ^ 0xA001u : crc >> 1;
        t.hi[i] = static_cast<std::uint8_t>(crc & 0xFFu);
        t.lo[i] = static_cast<std::uint8_t>(crc >> 8);
    }
    return t;
}

constexpr CrcTables kCrc = MakeCrcTables();
// First and last entries as published, so a slip in the generator cannot go unnoticed.
static_assert(kCrc.hi[0] == 0x00 && kCrc.hi[1] == 0xC1 && kCrc.hi[2] == 0x81 && kCrc.hi[3] == 0x40);
static_assert(kCrc.lo[0] == 0x00 && kCrc.lo[1] == 0xC0 && kCrc.lo[2] == 0xC1 && kCrc.lo[3] == 0x01);
static_assert(kCrc.hi[255] == 0x40 && kCrc.lo[255] == 0x40);

void PutCrc(std::uint8_t* frame, int length)
{
    const std::uint16_t crc = ModbusMaster::Crc16(static_cast<std::uint16_t>(length), frame);
    frame[length] = static_cast<std::uint8_t>(crc & 0xFF);
    frame[length + 1] = static_cast<std::uint8_t>(crc >> 8);
}

} // namespace

ModbusMaster::ModbusMaster()
    : requestBuffer(new std::uint8_t[kBufferSize]()), replyBuffer(new std::uint8_t[kBufferSize]())
{}

ModbusMaster::~ModbusMaster() = default;

std::uint16_t ModbusMaster::Crc16(std::uint16_t count, const std::uint8_t* bytes)
{
    std::uint8_t hi = 0xFF;
    std::uint8_t lo = 0xFF;
    for (std::uint16_t i = 0; i < count; ++i) {
        const std::uint8_t index = lo ^ bytes[i];
        lo = hi ^ kCrc.hi[index];
        hi = kCrc.lo[index];
    }
    return static_cast<std::uint16_t>(hi << 8 | lo);
}

void ModbusMaster::SetFrameObserver(FrameObserver observer, void* context)
{
    frameObserver = observer;
    frameContext = context;
}

int ModbusMaster::SendRequest(int length)
{
    const int result = Write(length, requestBuffer.get());
    if (frameObserver != nullptr)
        frameObserver(frameContext,
                      FrameEvent{FrameEvent::Direction::Sent, requestBuffer.get(), LastWriteCount(), result});
    return result;
}

int ModbusMaster::ReceiveReply(int length)
{
    int result = Read(length, replyBuffer.get());
    if (result == ResultOk)
        result = CheckReply(length);
    if (frameObserver != nullptr)
        frameObserver(frameContext,
                      FrameEvent{FrameEvent::Direction::Received, replyBuffer.get(), LastReadCount(), result});
    return result;
}

int ModbusMaster::CheckReply(int length)
{
    const std::uint16_t crc = Crc16(static_cast<std::uint16_t>(length - 2), replyBuffer.get());
    if (replyBuffer[length - 2] != (crc & 0xFF) || replyBuffer[length - 1] != (crc >> 8))
        return ResultBadCrc;
    if (replyBuffer[0] != requestBuffer[0])
        return ResultWrongSlave;
    return ResultOk;
}

int ModbusMaster::ReadHoldingRegisters(std::uint8_t slave, std::uint16_t count, std::uint16_t start,
                                       std::uint8_t* destination)
{
    if (count > kMaxReadRegisters)
        return ResultTooLong;
    if (destination == nullptr)
        return ResultNotOpen;

    std::uint8_t* request = requestBuffer.get();
    request[0] = slave;
    request[1] = kReadHoldingRegisters;
    request[2] = static_cast<std::uint8_t>(start >> 8);
    request[3] = static_cast<std::uint8_t>(start & 0xFF);
    request[4] = static_cast<std::uint8_t>(count >> 8);
    request[5] = static_cast<std::uint8_t>(count & 0xFF);
    PutCrc(request, 6);

    const int replyLength = kReadReplyOverhead + 2 * count;
    int result = ResultNotOpen;
    for (int attempt = 0; result != ResultOk && attempt < tryCount; ++attempt) {
        result = SendRequest(kReadRequestLength);
        if (result == ResultOk)
            result = ReceiveReply(replyLength);
        if (result == ResultOk)
            std::memcpy(destination, replyBuffer.get() + 3, static_cast<std::size_t>(2 * count));
    }
    return result;
}

int ModbusMaster::WriteMultipleRegisters(std::uint8_t slave, std::uint16_t count, std::uint16_t start,
                                         const std::uint8_t* source)
{
    if (count > kMaxWriteRegisters)
        return ResultTooLong;
    if (source == nullptr)
        return ResultNotOpen;

    std::uint8_t* request = requestBuffer.get();
    const int dataLength = 2 * count;
    request[0] = slave;
    request[1] = kWriteMultipleRegisters;
    request[2] = static_cast<std::uint8_t>(start >> 8);
    request[3] = static_cast<std::uint8_t>(start & 0xFF);
    request[4] = static_cast<std::uint8_t>(count >> 8);
    request[5] = static_cast<std::uint8_t>(count & 0xFF);
    request[6] = static_cast<std::uint8_t>(dataLength & 0xFF);
    std::memcpy(request + kWriteHeaderLength, source, static_cast<std::size_t>(dataLength));
    PutCrc(request, kWriteHeaderLength + dataLength);

    int result = ResultNotOpen;
    for (int attempt = 0; result != ResultOk && attempt < tryCount; ++attempt) {
        result = SendRequest(kWriteRequestOverhead + dataLength);
        if (result == ResultOk)
            result = ReceiveReply(kWriteReplyLength);
    }
    return result;
}
