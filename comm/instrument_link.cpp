#include "comm/instrument_link.h"

#include "cards/card_lists.h"
#include "cards/encoding.h"
#include "cards/registers.h"
#include "host/port_map.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>

namespace {

using Record = std::array<std::uint8_t, cards::kIdentificationBytes>;
using ModelBlock = std::array<std::uint8_t, cards::kModelBlockBytes>;

// The record when it is one (its echo right); nothing for any other reply.
std::optional<cards::IdentificationRecord> Valid(const Record& record)
{
    auto decoded = cards::DecodeIdentification(record);
    return decoded && decoded->EchoValid() ? decoded : std::nullopt;
}

std::string ModelText(const ModelBlock& block)
{
    return cards::DecodeModelText(block).value_or("");
}

} // namespace

InstrumentLink::InstrumentLink()
{
    master.SetReadTimeout(kReadTimeoutMs);
    // The probe block's reply has a length no other read or write of the instrument has.
    master.SetSyncRead(cards::kProbe.start, cards::kProbe.registers);
}

InstrumentLink::~InstrumentLink() = default;

int InstrumentLink::OpenPort(int portNumber)
{
    master.SetDevicePath({});
    // "COMn" exists for 1 to 65535 only; any other number names no port, never the one its low 16 bits name.
    master.SetPortNumber(portNumber >= 1 && portNumber <= 0xFFFF ? static_cast<std::uint16_t>(portNumber) : 0);
    return master.Open();
}

int InstrumentLink::OpenDevice(const std::string& path)
{
    master.SetDevicePath(path);
    return master.Open();
}

void InstrumentLink::SetProbeObserver(ProbeObserver observer, void* context)
{
    probeObserver = observer;
    probeContext = context;
}

int InstrumentLink::Discover()
{
    lastSearch = {};
    for (const std::uint8_t address : kCandidateAddresses) {
        if (probeObserver != nullptr)
            probeObserver(probeContext, address);
        const int result =
            master.ReadHoldingRegisters(address, cards::kProbe.registers, cards::kProbe.start, probeReply);
        lastSearch += master.LastAttempts();
        if (result == ResultOk) {
            slaveAddress = address;
            return 1;
        }
        // A closed port fails every candidate the same way, and a stop means no further request.
        if (!master.IsOpen() || master.LastResult() == ResultStopped)
            return 0;
    }
    return 0;
}

int InstrumentLink::ReadRegister(std::uint16_t start, std::uint16_t* value)
{
    if (value == nullptr)
        return 0;
    std::uint8_t bytes[2] = {};
    if (master.ReadHoldingRegisters(slaveAddress, 1, start, bytes) != ResultOk)
        return 0;
    *value = static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
    return 1;
}

int InstrumentLink::ReadBlock(std::uint16_t start, std::uint16_t byteCount, std::uint8_t* destination)
{
    const auto registers = static_cast<std::uint16_t>(byteCount >> 1);
    // Zero registers is no Modbus request; a 5-byte exception reply would even pass as its answer.
    if (registers == 0)
        return 0;
    return master.ReadHoldingRegisters(slaveAddress, registers, start, destination) == ResultOk ? 1 : 0;
}

int InstrumentLink::WriteBlock(std::uint16_t start, std::uint16_t byteCount, const std::uint8_t* source)
{
    const auto registers = static_cast<std::uint16_t>(byteCount >> 1);
    if (registers == 0)
        return 0;
    return master.WriteMultipleRegisters(slaveAddress, registers, start, source) == ResultOk ? 1 : 0;
}

int InstrumentLink::WriteRegister(std::uint16_t start, std::uint16_t value)
{
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>(value >> 8)};
    return master.WriteMultipleRegisters(slaveAddress, 1, start, bytes) == ResultOk ? 1 : 0;
}

std::optional<cards::IdentificationRecord> InstrumentLink::ReadRecord(bool* answered)
{
    Record record{};
    const bool read = ReadBlock(cards::kIdentification.start, cards::kIdentification.Bytes(), record.data()) != 0;
    if (answered)
        *answered = read;
    if (!read)
        return std::nullopt;
    ++recordReads;
    const auto valid = Valid(record);
    recordCardCode = valid ? valid->cardCode : 0;
    return valid;
}

std::uint16_t InstrumentLink::ReadCardCode()
{
    const auto record = ReadRecord();
    return record ? record->cardCode : 0;
}

int InstrumentLink::ReadFirmwareText(char* destination)
{
    const auto record = destination ? ReadRecord() : std::nullopt;
    if (!record)
        return 0;
    const std::string& text = record->firmware;
    std::memcpy(destination, text.c_str(), text.size() + 1);
    return 1;
}

int InstrumentLink::IdentifyModel()
{
    ModelBlock block{};
    if (ReadBlock(cards::kModelBlock.start, cards::kModelBlock.Bytes(), block.data()) == 0)
        return 0;
    return cards::FindModelIndex(ModelText(block));
}

CardIdentity InstrumentLink::Identify()
{
    CardIdentity out;
    bool answered = false;
    const auto record = ReadRecord(&answered);
    if (!record) {
        out.failure = answered ? CardIdentity::Failure::RecordInvalid : CardIdentity::Failure::RecordUnread;
        return out;
    }
    out.cardCode = record->cardCode;
    out.firmwareText = record->firmware;
    ModelBlock block{};
    if (ReadBlock(cards::kModelBlock.start, cards::kModelBlock.Bytes(), block.data()) == 0) {
        out.failure = CardIdentity::Failure::ModelUnread;
        return out;
    }
    out.modelText = ModelText(block);
    out.modelIndex = cards::FindModelIndex(out.modelText);
    return out;
}

std::uint16_t InstrumentLink::CloseTurn(std::uint32_t recordReadsBefore)
{
    if (recordReads == recordReadsBefore)
        return ReadCardCode();
    // The round read the record itself, and a late copy of that reply would pass for this one: close with
    // the probe block, whose reply nothing of a round resembles, and take the card from the round's record.
    const std::uint16_t card = recordCardCode;
    return master.ReadHoldingRegisters(slaveAddress, cards::kProbe.registers, cards::kProbe.start, probeReply) ==
                   ResultOk
               ? card
               : 0;
}

void InstrumentLink::DrainForNextRound()
{
    // Longer than any reply takes to come, so that a copy a slow device server sends late is in before the
    // next round; bounded, as a line that never falls silent would hold the window forever.
    constexpr auto kQuiet = std::chrono::milliseconds(kReadTimeoutMs / 2);
    constexpr auto kLimit = std::chrono::milliseconds(4 * kReadTimeoutMs);
    master.DrainUntilQuiet(kQuiet, kLimit);
}

std::string SearchStep(std::uint8_t address)
{
    const auto& candidates = InstrumentLink::kCandidateAddresses;
    const auto position = std::find(candidates.begin(), candidates.end(), address) - candidates.begin() + 1;
    return "slave address " + std::to_string(address) + " (" + std::to_string(position) + " of " +
           std::to_string(candidates.size()) + ")";
}

bool LineGone(const AttemptSummary& attempts)
{
    return attempts.unsent > 0 && attempts.silent == 0;
}

std::string DiagnoseSearch(const AttemptSummary& probes, bool portOpen, const SearchLine& line)
{
    if (!portOpen)
        return "The port is not open: choose a port that opens, then search again.";
    if (probes.exceptions > 0)
        return "Something answers, but refuses the identification read (Modbus exception " +
               std::to_string(probes.exceptionCode) + "): probably not a supported instrument or firmware.";
    if (probes.otherSlave > 0)
        return "An instrument answered as slave address " + std::to_string(probes.otherAddress) +
               ", not as the address asked: set its Modbus address to " +
               (line.onlyAddress != 0 ? std::to_string(line.onlyAddress)
                                      : std::string("255 (or 63, 95, 127, 159, 191 or 223)")) +
               ".";
    if ((probes.lineErrors & (kLineParity | kLineFraming)) != 0)
        return std::string("The device server reports ") +
               ((probes.lineErrors & kLineParity) != 0 ? "parity errors" : "framing errors") +
               " on its serial line: set the instrument to 57600 baud 8E1 and check the cable between them.";
    const std::optional<ports::NetworkLine> network = ports::ParseNetworkName(line.device);
    const bool raw = network && network->protocol == ports::NetworkLine::Protocol::Raw;
    if (probes.closed > 0) {
        const int attempts =
            probes.silent + probes.unsent + probes.garbled + probes.otherSlave + probes.exceptions + probes.closed;
        return "The device server closed the connection " + std::to_string(probes.closed) + " time" +
               (probes.closed == 1 ? "" : "s") + " (of " + std::to_string(attempts) +
               " attempts) before a reply came: another client may hold its port, or it drops connections; "
               "check its configuration for this port and that no other program uses it.";
    }
    // Through a device server, the line's settings are the server's, and replies cross the network.
    if (probes.garbled > 0 && network)
        return std::string("Replies come broken or too late through the device server: ") +
               (raw ? "set the server's serial port to 57600 baud 8E1 (raw mode passes bytes as they come), check"
                    : "check") +
               " the network between here and the server (a slow or lossy link splits and delays replies) and the "
               "cable from the server to the instrument.";
    if (probes.garbled > 0)
        return "Something answers, but not at 57600 baud 8E1, or the wiring is noisy: check the instrument's "
               "serial settings and the cable.";
    if (LineGone(probes))
        return "The requests could not be sent: the line is gone (an unplugged adapter, or a device server that "
               "went away or refuses the connection). Check it, then search again.";
    const std::string where =
        line.onlyAddress != 0 ? "at slave address " + std::to_string(line.onlyAddress) : std::string("on any address");
    const std::string address =
        line.onlyAddress != 0 ? ", and that its Modbus address is " + std::to_string(line.onlyAddress) : "";
    if (network)
        return "Nothing answered " + where + ": check the cable from the device server to the instrument" +
               (raw ? ", the server's serial port settings (57600 baud 8E1)" : "") + ", that the instrument is on" +
               address + ".";
    return "Nothing answered " + where + ": check the cable, the port and that the instrument is on" + address + ".";
}
