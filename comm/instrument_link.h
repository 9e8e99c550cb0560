#pragma once

#include "comm/modbus_master.h"

#include <array>
#include <cstdint>
#include <string>

// One sentence on why a search found nothing, from what its probes got: silence everywhere, garbled
// replies, a reply from another slave address, or a refusal; what to check follows it.
std::string DiagnoseSearch(const AttemptSummary& probes, bool portOpen);
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
    ModbusMaster master;
    std::uint8_t probeReply[20] = {};
    std::uint8_t slaveAddress = 0xFF;
    AttemptSummary lastSearch;
    ProbeObserver probeObserver = nullptr;
    void* probeContext = nullptr;
};
