#pragma once

#include "cards/encoding.h"
#include "comm/modbus_master.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// What a search went over: the device (behind a serial device server other things are to be checked)
// and, when no search was made, the one slave address tried (0: every candidate address was).
struct SearchLine
{
    std::string device;
    std::uint8_t onlyAddress = 0;
};

// One sentence on why a search found nothing, from what its probes got: silence everywhere, garbled
// replies, a reply from another slave address, a refusal, or a device server that closed the connection;
// what to check follows it.
std::string DiagnoseSearch(const AttemptSummary& probes, bool portOpen, const SearchLine& line = {});
// Whether the attempts show the line itself gone (no request could be sent, none went unanswered): an
// unplugged adapter, a device server that went away. Opening the line again is the only way back.
bool LineGone(const AttemptSummary& attempts);

// Where a search stands, as both front ends name it: "slave address 63 (2 of 7)".
std::string SearchStep(std::uint8_t address);

// What the identification record and the model block say, from one read of each.
struct CardIdentity
{
    enum class Failure
    {
        None,
        RecordUnread,  // the identification record could not be read; the model block was not asked for
        RecordInvalid, // it came, but without the echo of its own address; the model block was not asked for
        ModelUnread,   // the record came, the model block did not
    };
    Failure failure = Failure::None;
    std::uint16_t cardCode = 0; // 0 unless the record came and is valid
    std::string firmwareText;   // at most 19 characters, without the card's prefix
    std::string modelText;
    int modelIndex = 0; // as IdentifyModel: 0 also when the model block could not be read
};

// What a checked sequence of reads (InstrumentLink::ReadInTurn) found.
struct TurnCheck
{
    bool inTurn = false;        // every reply taken answered its own request: the values can be trusted
    bool outOfTurn = false;     // bytes came that answered nothing asked, in every round: the line repeats
                                // or delays replies
    std::uint16_t cardCode = 0; // the card the closing identification read names; 0 when it did not come
    int rounds = 0;             // how often the reads were done
};

// The connection to one leak-test instrument: finds its slave address, identifies card and model,
// and reads or writes parameter registers. Every operation answers 1 for success and 0 for failure.
// Register contents travel as byte images; the instrument keeps 16-bit numbers low byte first.
class InstrumentLink
{
public:
    static constexpr std::array<std::uint8_t, 7> kCandidateAddresses{0xFF, 0x3F, 0x5F, 0x7F, 0x9F, 0xBF, 0xDF};
    static constexpr std::uint32_t kReadTimeoutMs = 400;
    static constexpr int kFirmwareTextSize = 20; // 19 characters and a terminator

    InstrumentLink();
    virtual ~InstrumentLink();

    int OpenPort(int portNumber);
    int OpenDevice(const std::string& path); // a device path instead of "COMn" (command line, tests)
    int Discover();

    int ReadRegister(std::uint16_t start, std::uint16_t* value);
    int ReadBlock(std::uint16_t start, std::uint16_t byteCount, std::uint8_t* destination);
    int WriteBlock(std::uint16_t start, std::uint16_t byteCount, const std::uint8_t* source);
    int WriteRegister(std::uint16_t start, std::uint16_t value);

    std::uint16_t ReadCardCode();            // 0 on any failure
    int ReadFirmwareText(char* destination); // room for kFirmwareTextSize bytes; untouched on failure
    int IdentifyModel();                     // 0..4 the first model token found, 5 none (0 also on failure)
    // The card code, firmware text, model text and model index from one read of the identification record
    // and one of the model block, in that order; what both front ends identify an instrument by.
    CardIdentity Identify();

    // Runs `reads` (a callable answering 1 or 0, doing its reads through this link) so that every reply it
    // takes is known to answer its own request. A line that repeats or delays a reply can hand one read the
    // reply of another of the same shape; the real reply then comes as bytes that answer nothing (the
    // master's OutOfTurn). The reads end with one whose reply no other of them resembles: the identification
    // record, or, when `reads` read that record itself (a copy of its reply would pass for the closing one),
    // the probe block. The instrument answers in order, so once that reply is in, every older one has come. When
    // anything came out of turn, the line is drained and the reads are done again, up to kTurnRounds times.
    // Answers what the last round of `reads` answered; `check` says whether it can be trusted, and which card
    // the closing read found (a caller compares it with the card it expects). A sequence that fails with
    // nothing out of turn is not done again, nor closed.
    template <class Reads> int ReadInTurn(Reads&& reads, TurnCheck& check);
    static constexpr int kTurnRounds = 3;

    std::uint8_t SlaveAddress() const { return slaveAddress; }
    // Talk to this address without a search (an instrument whose address is known).
    void SetSlaveAddress(std::uint8_t address) { slaveAddress = address; }
    // What the probes of the last Discover got, all candidates together.
    const AttemptSummary& LastSearch() const { return lastSearch; }
    ModbusMaster& Master() { return master; }
    const ModbusMaster& Master() const { return master; }

    // Told before each candidate address is probed, so a window can say what it is doing.
    using ProbeObserver = void (*)(void* context, std::uint8_t address);
    void SetProbeObserver(ProbeObserver observer, void* context);

private:
    // Between rounds of a sequence that came out of turn: every late copy is let in and dropped.
    void DrainForNextRound();
    // The closing read of a round (see ReadInTurn); the card code it, or the round's own read of the
    // identification record, names; 0 when the closing read failed.
    std::uint16_t CloseTurn(std::uint32_t recordReadsBefore);
    // One read of the identification record: nothing when no reply came (`answered` false) or its echo is
    // wrong.
    std::optional<cards::IdentificationRecord> ReadRecord(bool* answered = nullptr);

    std::uint32_t recordReads = 0;    // successful reads of the identification record
    std::uint16_t recordCardCode = 0; // what the last of them named (0: an invalid record)

    ModbusMaster master;
    std::uint8_t probeReply[20] = {};
    std::uint8_t slaveAddress = 0xFF;
    AttemptSummary lastSearch;
    ProbeObserver probeObserver = nullptr;
    void* probeContext = nullptr;
};

template <class Reads> int InstrumentLink::ReadInTurn(Reads&& reads, TurnCheck& check)
{
    check = {};
    for (;;) {
        ++check.rounds;
        master.ForgiveDropped();
        const std::uint32_t before = master.OutOfTurn();
        const std::uint32_t records = recordReads;
        const int result = reads();
        if (master.LastResult() == ResultStopped)
            return result;
        if (result == 1)
            check.cardCode = CloseTurn(records);
        check.outOfTurn = master.OutOfTurn() != before;
        check.inTurn = result == 1 && !check.outOfTurn && check.cardCode != 0;
        if (check.inTurn || !check.outOfTurn || check.rounds == kTurnRounds || master.LastResult() == ResultStopped)
            return result;
        check.cardCode = 0;
        DrainForNextRound();
    }
}
