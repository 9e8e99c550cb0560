#pragma once

#include "comm/serial_port.h"

#include <cstddef>
#include <cstdint>

// The facts of a Modbus RTU frame that the master, the simulator and the line monitor share: the two
// functions this program speaks, the exception bit, the lengths of headers and replies, and what each
// result code means in words.
namespace modbus {

constexpr std::uint8_t kReadHoldingRegisters = 0x03;
constexpr std::uint8_t kWriteMultipleRegisters = 0x10;
constexpr std::uint8_t kExceptionFlag = 0x80;

constexpr std::size_t kCrcBytes = 2;
constexpr std::size_t kReadRequestLength = 8;    // address, function, start, count, CRC
constexpr std::size_t kReadReplyOverhead = 5;    // address, function, byte count, CRC
constexpr std::size_t kWriteHeaderLength = 7;    // address, function, start, count, byte count
constexpr std::size_t kWriteRequestOverhead = 9; // the header and the CRC
constexpr std::size_t kWriteReplyLength = 8;     // address, function, start, count, CRC
constexpr std::size_t kExceptionLength = 5;      // address, function | 0x80, exception code, CRC

constexpr std::size_t ReadReplyLength(std::size_t registers)
{
    return kReadReplyOverhead + 2 * registers;
}

// The length of the whole reply a well-formed request asks for (function 3 or 16); the request's second
// byte is its function and bytes 4 and 5 its register count.
constexpr std::size_t ReplyLength(const std::uint8_t* request)
{
    return request[1] == kReadHoldingRegisters ? ReadReplyLength(static_cast<std::size_t>(request[4] << 8 | request[5]))
                                               : kWriteReplyLength;
}

// A result code in words, as the line monitor and the traces show it; `length` is how many bytes came
// back ("time-out" when none, "short reply" when some).
constexpr const char* ResultWords(int result, std::size_t length)
{
    switch (result) {
    case ResultOk:
        return "ok";
    case ResultBadCrc:
        return "bad CRC";
    case ResultIncomplete:
        return length == 0 ? "time-out" : "short reply";
    case ResultWrongSlave:
        return "wrong slave";
    case ResultNotOpen:
        return "port not open";
    case ResultTooLong:
        return "frame too long";
    case ResultWrongReply:
        return "not the reply to this request";
    case ResultException:
        return "Modbus exception";
    case ResultStopped:
        return "stopped";
    default:
        return "failed";
    }
}

} // namespace modbus
