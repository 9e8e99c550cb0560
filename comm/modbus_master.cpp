#include "comm/modbus_master.h"

#include "comm/modbus_frame.h"

#include <array>
#include <cstring>

namespace {

using modbus::kExceptionFlag;
using modbus::kReadHoldingRegisters;
using modbus::kWriteMultipleRegisters;
// The master counts in int, as its buffers and the port do.
constexpr int kExceptionLength = static_cast<int>(modbus::kExceptionLength);
constexpr int kReadRequestLength = static_cast<int>(modbus::kReadRequestLength);
constexpr int kReadReplyOverhead = static_cast<int>(modbus::kReadReplyOverhead);
constexpr int kWriteRequestOverhead = static_cast<int>(modbus::kWriteRequestOverhead);
constexpr int kWriteReplyLength = static_cast<int>(modbus::kWriteReplyLength);
constexpr int kWriteHeaderLength = static_cast<int>(modbus::kWriteHeaderLength);
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

// Draining noise never takes longer than a reply could last.
constexpr auto kNoiseLimit = std::chrono::milliseconds(500);

bool Unanswered(int result)
{
    return result != ResultOk && result != ResultNotOpen && result != ResultTooLong && result != ResultStopped;
}

} // namespace

ModbusMaster::ModbusMaster()
    : requestBuffer(new std::uint8_t[kBufferSize]()), replyBuffer(new std::uint8_t[kBufferSize]()),
      lastReply(new std::uint8_t[kBufferSize]()), droppedBytes(new std::uint8_t[kBufferSize]())
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

void ModbusMaster::SetSyncRead(std::uint16_t start, std::uint16_t count)
{
    syncStart = start;
    syncCount = count;
}

int ModbusMaster::SendRequest(int length)
{
    const int result = Write(length, requestBuffer.get());
    JudgeDropped();
    if (frameObserver != nullptr)
        frameObserver(frameContext, FrameEvent{FrameEvent::Direction::Sent, requestBuffer.get(), LastWriteCount(),
                                               result, attempt, transaction});
    return result;
}

int ModbusMaster::ReceiveReply(int length)
{
    int result = Read(length, replyBuffer.get());
    if (result == ResultOk)
        result = CheckReply(length);
    else if (result == ResultIncomplete && LastReadCount() == kExceptionLength &&
             CheckReply(kExceptionLength) == ResultOk)
        result = ResultException;
    if (frameObserver != nullptr)
        frameObserver(frameContext, FrameEvent{FrameEvent::Direction::Received, replyBuffer.get(), LastReadCount(),
                                               result, attempt, transaction, LastLineErrors()});
    return result;
}

int ModbusMaster::CheckReply(int length)
{
    const std::uint8_t* reply = replyBuffer.get();
    const std::uint8_t* request = requestBuffer.get();
    const std::uint16_t crc = Crc16(static_cast<std::uint16_t>(length - 2), reply);
    if (reply[length - 2] != (crc & 0xFF) || reply[length - 1] != (crc >> 8))
        return ResultBadCrc;
    if (reply[0] != request[0])
        return ResultWrongSlave;
    // An exception frame answers this request only in its length; ReceiveReply tells it apart.
    if (length == kExceptionLength)
        return reply[1] == (request[1] | kExceptionFlag) ? ResultOk : ResultWrongReply;
    if (reply[1] != request[1])
        return ResultWrongReply;
    if (request[1] == kReadHoldingRegisters)
        return reply[2] == length - kReadReplyOverhead ? ResultOk : ResultWrongReply;
    return std::memcmp(reply + 2, request + 2, 4) == 0 ? ResultOk : ResultWrongReply;
}

bool ModbusMaster::Shape::SameReplyAs(const Shape& other) const
{
    if (slave != other.slave || function != other.function || count != other.count)
        return false;
    return function == kReadHoldingRegisters || start == other.start;
}

bool ModbusMaster::MayBeConfused(const Shape& shape) const
{
    for (std::size_t i = 0; i < unansweredCount; ++i)
        if (unanswered[i].slave == shape.slave && (unansweredOverflow || unanswered[i].SameReplyAs(shape)))
            return true;
    return false;
}

void ModbusMaster::Remember(const Shape& shape)
{
    for (std::size_t i = 0; i < unansweredCount; ++i)
        if (unanswered[i].SameReplyAs(shape))
            return;
    if (unansweredCount == kMaxUnanswered)
        unansweredOverflow = true;
    else
        unanswered[unansweredCount++] = shape;
}

void ModbusMaster::Forget(std::uint8_t slave)
{
    std::size_t kept = 0;
    for (std::size_t i = 0; i < unansweredCount; ++i)
        if (unanswered[i].slave != slave)
            unanswered[kept++] = unanswered[i];
    unansweredCount = kept;
    if (kept == 0)
        unansweredOverflow = false;
}

void ModbusMaster::BuildRequest(const Shape& shape, const std::uint8_t* data)
{
    std::uint8_t* request = requestBuffer.get();
    request[0] = shape.slave;
    request[1] = shape.function;
    request[2] = static_cast<std::uint8_t>(shape.start >> 8);
    request[3] = static_cast<std::uint8_t>(shape.start & 0xFF);
    request[4] = static_cast<std::uint8_t>(shape.count >> 8);
    request[5] = static_cast<std::uint8_t>(shape.count & 0xFF);
    if (shape.function == kReadHoldingRegisters) {
        PutCrc(request, 6);
        return;
    }
    const int dataLength = 2 * shape.count;
    request[6] = static_cast<std::uint8_t>(dataLength & 0xFF);
    std::memcpy(request + kWriteHeaderLength, data, static_cast<std::size_t>(dataLength));
    PutCrc(request, kWriteHeaderLength + dataLength);
}

AttemptSummary& AttemptSummary::operator+=(const AttemptSummary& more)
{
    silent += more.silent;
    unsent += more.unsent;
    garbled += more.garbled;
    otherSlave += more.otherSlave;
    exceptions += more.exceptions;
    closed += more.closed;
    lineErrors |= more.lineErrors;
    if (more.otherSlave > 0)
        otherAddress = more.otherAddress;
    if (more.exceptions > 0)
        exceptionCode = more.exceptionCode;
    return *this;
}

void ModbusMaster::JudgeDropped()
{
    const int dropped = TakeDropped(droppedBytes.get(), kBufferSize);
    const bool forgiven = forgiveDropped;
    forgiveDropped = false;
    if (dropped == 0 || forgiven)
        return;
    // A line that repeats a reply delivers the copy after the original: it answers nothing, and what it
    // would have said was taken from the original. Anything else may be the real reply to a request whose
    // answer was taken from something else.
    const bool copyOfLast = dropped <= lastReplyLength &&
                            std::memcmp(droppedBytes.get(), lastReply.get(), static_cast<std::size_t>(dropped)) == 0;
    if (!copyOfLast)
        ++outOfTurn;
}

void ModbusMaster::Note(int result)
{
    switch (result) {
    case ResultOk:
    case ResultNotOpen:
    case ResultTooLong:
    case ResultStopped:
        break;
    case ResultWrongSlave:
        ++outOfTurn;
        ++lastAttempts.otherSlave;
        lastAttempts.otherAddress = replyBuffer[0];
        break;
    case ResultException:
        ++lastAttempts.exceptions;
        lastAttempts.exceptionCode = replyBuffer[2];
        break;
    default:
        if (LastReadCount() > 0)
            ++outOfTurn;
        // A reply the device server saw damaged on its line is a garbled one, even if none of it came on.
        lastAttempts.lineErrors |= LastLineErrors();
        if ((LastLineErrors() & kLineConnectionClosed) != 0)
            ++lastAttempts.closed;
        else if (LastReadCount() == 0 && LastLineErrors() == 0)
            ++lastAttempts.silent;
        else
            ++lastAttempts.garbled;
        break;
    }
}

int ModbusMaster::Attempts(const Shape& shape, int requestLength, int replyLength, std::uint8_t* destination)
{
    ++transaction;
    lastAttempts = {};
    bool unansweredAttempt = false;
    int result = ResultNotOpen;
    for (attempt = 1; result != ResultOk && attempt <= tryCount; ++attempt) {
        result = SendRequest(requestLength);
        const bool sent = result == ResultOk;
        if (sent)
            result = ReceiveReply(replyLength);
        if (result == ResultOk) {
            if (destination != nullptr)
                std::memcpy(destination, replyBuffer.get() + 3, static_cast<std::size_t>(replyLength - 5));
            std::memcpy(lastReply.get(), replyBuffer.get(), static_cast<std::size_t>(replyLength));
            lastReplyLength = replyLength;
            break;
        }
        if (result == ResultException) {
            std::memcpy(lastReply.get(), replyBuffer.get(), static_cast<std::size_t>(kExceptionLength));
            lastReplyLength = kExceptionLength;
        }
        unansweredAttempt = unansweredAttempt || Unanswered(result);
        if (sent)
            Note(result);
        else if (result == ResultIncomplete)
            ++lastAttempts.unsent;
        if (sent && LastReadCount() > 0 && quietAfterNoise.count() > 0)
            DrainUntilQuiet(quietAfterNoise, kNoiseLimit);
    }
    attempt = 0;
    // A reply that answers this request means every older one of this slave has been answered (the
    // instrument answers in order); the attempts that went unanswered here may still be.
    if (result == ResultOk)
        Forget(shape.slave);
    if (unansweredAttempt)
        Remember(shape);
    return result;
}

int ModbusMaster::Sync(std::uint8_t slave)
{
    const Shape sync{slave, kReadHoldingRegisters, syncStart, syncCount};
    BuildRequest(sync, nullptr);
    return Attempts(sync, kReadRequestLength, kReadReplyOverhead + 2 * syncCount, nullptr);
}

int ModbusMaster::Transaction(const Shape& shape, const std::uint8_t* data, int requestLength, int replyLength,
                              std::uint8_t* destination)
{
    lastAttempts = {};
    if (stopFlag != nullptr && *stopFlag != 0)
        return lastResult = ResultStopped;
    const Shape sync{shape.slave, kReadHoldingRegisters, syncStart, syncCount};
    if (syncCount != 0 && tryCount != 0 && MayBeConfused(shape) && !shape.SameReplyAs(sync)) {
        const int synced = Sync(shape.slave);
        if (synced != ResultOk)
            return lastResult = synced; // nothing of this transaction was sent
    }
    BuildRequest(shape, data);
    return lastResult = Attempts(shape, requestLength, replyLength, destination);
}

int ModbusMaster::ReadHoldingRegisters(std::uint8_t slave, std::uint16_t count, std::uint16_t start,
                                       std::uint8_t* destination)
{
    if (count > kMaxReadRegisters)
        return lastResult = ResultTooLong;
    if (destination == nullptr)
        return lastResult = ResultNotOpen;
    return Transaction({slave, kReadHoldingRegisters, start, count}, nullptr, kReadRequestLength,
                       kReadReplyOverhead + 2 * count, destination);
}

int ModbusMaster::WriteMultipleRegisters(std::uint8_t slave, std::uint16_t count, std::uint16_t start,
                                         const std::uint8_t* source)
{
    if (count > kMaxWriteRegisters)
        return lastResult = ResultTooLong;
    if (source == nullptr)
        return lastResult = ResultNotOpen;
    return Transaction({slave, kWriteMultipleRegisters, start, count}, source, kWriteRequestOverhead + 2 * count,
                       kWriteReplyLength, nullptr);
}
