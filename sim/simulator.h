#pragma once

#include "cards/encoding.h"
#include "cards/parameters.h"
#include "comm/line_settings.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The simulated instrument: a Modbus RTU slave (functions 3 and 16) on a pseudo-terminal, served by a
// thread of the calling process. Tests and benchmarks open DevicePath() with the real serial code.
namespace sim {

// Misbehaviour on demand; all off by default.
struct Faults
{
    bool silent = false;                // answer nothing at all
    bool badCrc = false;                // corrupt the CRC of every reply
    bool wrongSlave = false;            // reply from another slave address (valid CRC)
    bool shortReply = false;            // drop the reply's last bytes
    bool exceptionReply = false;        // answer with a Modbus exception (5 bytes)
    std::chrono::milliseconds delay{0}; // wait before replying
    int failFirst = 0;                  // the first N requests get no reply
    int failWriteTo = -1;          // writes whose start register equals this get an exception reply and change nothing
    int failReadOf = -1;           // reads whose start register equals this get an exception reply
    bool loseWriteReplies = false; // writes land, but their reply is lost on the line
    bool ignoreWrites = false;     // writes are acknowledged but change nothing
    // From the read of the identification record after this many (0: never), the record names
    // `laterCardCode`: the cable was moved to another instrument.
    int cardChangesAfter = 0;
    std::uint16_t laterCardCode = 2;
    // A line that repeats a frame (a converter, a device server): a copy of the Nth reply since the faults
    // were set (repeatReply N, 0: none), or of every reply, arrives `repeatDelay` after its original ends.
    int repeatReply = 0;
    bool repeatEvery = false;
    std::chrono::microseconds repeatDelay{1000};
};

struct Config
{
    std::uint8_t slaveAddress = 255;
    std::uint16_t cardCode = 5;
    std::string firmwareText = "V1.00";  // at most 19 characters on the wire
    std::string modelText = "VORN K320"; // model block text from byte 16 (at most 20 characters)
    std::uint16_t nodeAddress = 1, baudCode = 0, exchangeChoice = 0, addressMode = 0;
    std::uint32_t ip = 0xC0A8010A, mask = 0xFFFFFF00, gateway = 0xC0A80101; // first octet most significant
    bool wireTiming = false;                 // delay replies as a 57600 8E1 line (11 bits/char) would
    std::chrono::microseconds turnaround{0}; // extra instrument turnaround when wireTiming is on
    std::string linkPath;                    // when set, a symbolic link to the device is made here
    Faults faults;
};

// Modbus exception codes the simulated instrument answers with.
constexpr std::uint8_t kIllegalFunction = 0x01;
constexpr std::uint8_t kIllegalDataAddress = 0x02;
constexpr std::uint8_t kIllegalDataValue = 0x03;
constexpr std::uint8_t kSlaveDeviceFailure = 0x04;

using ::kCharTime; // line time of one character at 57600 baud, 8E1

class Simulator
{
public:
    explicit Simulator(Config config = {});
    ~Simulator(); // stops the thread, closes the pty
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    bool Start(); // false (with Error()) when the pty cannot be made
    void Stop();
    bool Running() const { return thread.joinable(); }
    const std::string& DevicePath() const; // the slave side to open, e.g. /dev/pts/7
    const std::string& Error() const;

    void SetFaults(const Faults& faults); // thread-safe, takes effect at the next request
    // The request frames received, in order: the last kRequestLogSize of them.
    static constexpr std::size_t kRequestLogSize = 4096;
    std::vector<std::vector<std::uint8_t>> Requests() const;
    void ClearRequests();

    std::uint16_t Parameter(std::uint16_t start) const; // a one-register parameter (0x3011..0x3013, 0x3015)
    void SetParameter(std::uint16_t start, std::uint16_t value);
    std::array<std::uint8_t, 12> IpBlock() const; // the 12 bytes of 0x3014
    void SetIpBlock(const std::array<std::uint8_t, 12>& bytes);

    // Raw register image of any block (probe, identification, parameters, model), exactly as it travels.
    // Empty for an unknown start; SetBlock refuses a size other than the block's own.
    std::vector<std::uint8_t> Block(std::uint16_t start) const;
    bool SetBlock(std::uint16_t start, const std::vector<std::uint8_t>& bytes);

    // Called on the simulator's thread with every frame received and every reply sent (for a trace).
    using FrameLogger = void (*)(void* context, bool received, const std::uint8_t* bytes, int length);
    void SetFrameLogger(FrameLogger logger, void* context);

    // The reply the instrument gives to one request frame (CRC included), or empty for silence.
    // Applies the faults and changes the settings as the threaded slave does; used by it and by tests.
    std::vector<std::uint8_t> Answer(const std::uint8_t* request, int length);

private:
    struct Slot
    {
        std::uint16_t start;
        std::uint16_t registers;
        bool writable;
        cards::BlockKind kind;
        std::array<std::uint8_t, cards::kModelBlockBytes> bytes; // the largest block's room
    };

    void Serve();
    // The reply's CRC and the faults that change a whole reply.
    static std::vector<std::uint8_t> Finish(std::vector<std::uint8_t> reply, const Faults& faults);
    bool SleepUntil(std::chrono::steady_clock::time_point deadline); // false when asked to stop; sends copies due
    void SendFrame(const std::vector<std::uint8_t>& frame);
    void SendCopiesDue();
    std::chrono::steady_clock::time_point NextCopyDue() const;
    void HandleFrame(const std::uint8_t* frame, int length, std::chrono::steady_clock::time_point arrival);
    Slot* FindSlot(std::uint16_t start);
    const Slot* FindSlot(std::uint16_t start) const;

    Config config;
    std::string devicePath;
    std::string error;
    std::string linkMade;
    int master = -1;
    int wakeRead = -1;
    int wakeWrite = -1;
    std::thread thread;
    mutable std::mutex mutex;
    std::deque<std::vector<std::uint8_t>> requests;
    std::vector<Slot> parameterSlots;
    int failedSoFar = 0;
    int identificationReads = 0; // since the faults were set
    int repliesSent = 0;         // since the faults were set
    // Copies of replies still to be sent, with when; only the serving thread touches them.
    std::vector<std::pair<std::chrono::steady_clock::time_point, std::vector<std::uint8_t>>> copies;
    FrameLogger frameLogger = nullptr;
    void* frameContext = nullptr;
};

} // namespace sim
