#pragma once

#include "comm/serial_port.h"

#include <array>
#include <chrono>
#include <csignal>
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
    int length;  // bytes actually sent or received (a short reply shows what did arrive)
    int result;  // the result code of this step: ResultOk, ResultBadCrc, ResultIncomplete, ResultWrongSlave...
    int attempt; // 1 for the first try of a transaction, 2 and 3 for its retries
    std::uint32_t transaction;   // counts the master's transactions, so a log can group attempts
    std::uint8_t lineErrors = 0; // received: what the device reported during the read (LineError bits)
};

// What the attempts of a transaction got back, for telling an operator why an instrument was not found.
struct AttemptSummary
{
    int silent = 0;                // nothing at all came
    int unsent = 0;                // the request could not be sent: the line is gone
    int garbled = 0;               // bytes came, but no intact reply (bad CRC, too short, not an answer to the request)
    int otherSlave = 0;            // an intact reply from another slave address
    int exceptions = 0;            // the slave refused with a Modbus exception
    int closed = 0;                // a device server closed the connection before a reply came
    std::uint8_t lineErrors = 0;   // what a device server reported of its serial line (LineError bits)
    std::uint8_t otherAddress = 0; // the address the last such reply came from
    std::uint8_t exceptionCode = 0;
    AttemptSummary& operator+=(const AttemptSummary& more);
};

// Modbus RTU master, functions 3 and 16, three attempts per transaction.
//
// A reply is taken only when it answers the request: right CRC, slave address, function code, and the
// byte count (function 3) or the echoed register and count (function 16). A reply that comes after its
// attempt gave up (a slow instrument) can still arrive while a later request waits; when the later
// request's reply could not be told from it (same slave, function and shape), the master first reads the
// sync block, whose reply nothing else shares: instruments answer in order, so once that reply is in,
// nothing older is on its way.
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

    // The block read to make sure no late reply is still on its way (see above); count 0: none.
    void SetSyncRead(std::uint16_t start, std::uint16_t count);

    // While *flag is non-zero no transaction starts (ResultStopped); one under way is finished first.
    // For a signal handler's flag: a stop never cuts a transaction in half.
    void SetStopFlag(const volatile std::sig_atomic_t* flag) { stopFlag = flag; }

    // The result code of the last transaction, and what its failed attempts got.
    int LastResult() const { return lastResult; }
    const AttemptSummary& LastAttempts() const { return lastAttempts; }

    // How often bytes came that answered no request of ours: dropped before a request left (unless they
    // were only a copy of the reply just taken), or a frame that was no answer to the request it came to.
    // A line that repeats or delays a reply can make one read's reply pass for the answer to the next (a
    // function 3 reply does not name its register); the real reply then comes as such bytes. A caller that
    // counts none across a sequence of reads ended by a read whose reply none of them shares knows that
    // every reply of the sequence answered its own request. Never goes down.
    std::uint32_t OutOfTurn() const { return outOfTurn; }
    // What the next request drops is not counted: what waited before a new sequence belongs to no request.
    void ForgiveDropped() { forgiveDropped = true; }

    // After bytes that were no reply, the line must fall silent this long before the next attempt (the rest
    // of a garbled or late frame may still come). A harness whose peer speaks only when asked sets 0.
    void SetQuietAfterNoise(std::chrono::milliseconds quiet) { quietAfterNoise = quiet; }

    // Observer of every frame sent and received; a plain function pointer so it costs nothing unset.
    using FrameObserver = void (*)(void* context, const FrameEvent& event);
    void SetFrameObserver(FrameObserver observer, void* context);

protected:
    int SendRequest(int length);
    int ReceiveReply(int length);
    int CheckReply(int length);

    std::unique_ptr<std::uint8_t[]> requestBuffer;
    std::unique_ptr<std::uint8_t[]> replyBuffer;
    std::unique_ptr<std::uint8_t[]> lastReply;    // the last reply taken, to know a copy of it
    std::unique_ptr<std::uint8_t[]> droppedBytes; // what a request dropped, for comparing with lastReply
    std::uint8_t tryCount = 3;

private:
    // What tells one reply from another of the same slave: function 3 replies differ only by their byte
    // count, function 16 replies by the echoed register and count.
    struct Shape
    {
        std::uint8_t slave;
        std::uint8_t function;
        std::uint16_t start;
        std::uint16_t count;
        bool SameReplyAs(const Shape& other) const;
    };

    int Transaction(const Shape& shape, const std::uint8_t* data, int requestLength, int replyLength,
                    std::uint8_t* destination);
    int Attempts(const Shape& shape, int requestLength, int replyLength, std::uint8_t* destination);
    bool MayBeConfused(const Shape& shape) const;
    void Note(int result); // counts a failed attempt in lastAttempts
    void JudgeDropped();   // counts what the request dropped as out of turn, unless a copy of lastReply
    void Remember(const Shape& shape);
    void Forget(std::uint8_t slave);
    int Sync(std::uint8_t slave);
    void BuildRequest(const Shape& shape, const std::uint8_t* data);

    static constexpr std::size_t kMaxUnanswered = 8;
    std::array<Shape, kMaxUnanswered> unanswered{}; // requests whose reply may still come
    std::size_t unansweredCount = 0;
    bool unansweredOverflow = false; // more than the list holds: everything counts as confusable
    std::uint16_t syncStart = 0;
    std::uint16_t syncCount = 0;
    const volatile std::sig_atomic_t* stopFlag = nullptr;
    std::chrono::milliseconds quietAfterNoise{20};
    std::uint32_t outOfTurn = 0;
    bool forgiveDropped = false;
    int lastReplyLength = 0;
    int lastResult = ResultOk;
    AttemptSummary lastAttempts;
    int attempt = 0;
    std::uint32_t transaction = 0;
    FrameObserver frameObserver = nullptr;
    void* frameContext = nullptr;
};
