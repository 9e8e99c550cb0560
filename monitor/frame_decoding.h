#pragma once

#include "cards/registers.h"
#include "monitor/frame_log.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

// A frame in this instrument's terms: which slave, which register block by name, and for replies the
// values it carries (card, firmware and model texts, node address, addresses, list entries by their
// texts). Works on any bytes: a garbled or hostile frame is described, never trusted. Texts from the
// instrument come out printable (cards::PrintableText), so a log can go to a terminal or a window as is.
namespace monitor {

// The register block a request names: "probe", "identification record", "node address", "baud-rate
// code", "exchange table", "IP block", "address mode", "model block"; nothing for any other block
// (a block matches by start and length both).
std::optional<const char*> BlockName(std::uint16_t start, std::uint16_t count);

// Modbus exception names ("illegal data address"); "unknown exception" for codes without one.
const char* ExceptionName(std::uint8_t code);

// The outcome of the master's step in words: "ok", "bad CRC", "time-out", "short reply", "wrong slave",
// "not the reply to this request", "Modbus exception 2 (illegal data address)", "stopped", ...; when a device
// server closed the connection, "no reply: the device server closed the connection" or that after the words.
std::string OutcomeText(const FrameRecord& record);
// The same from the master's result code; `length` tells a silent line from a short reply.
const char* OutcomeWords(int result, int length);

// What the frame says: "slave 255: read identification record (0x3010, 12 registers)", "slave 255:
// card code 5 (Profibus), firmware "V1.00"", "no reply to read node address (0x3011, 1 register)"...
std::string Meaning(const FrameRecord& record);

// "FF 03 30 00 00 0A DB 10"; empty for no bytes.
std::string Hex(std::span<const std::uint8_t> bytes);

// "TX" or "RX".
const char* DirectionText(const FrameRecord& record);

// "#12", or "#12 retry 1" for the second attempt of transaction 12.
std::string AttemptText(const FrameRecord& record);

// How long the frame's bytes take on the instrument's 57600 baud 8E1 line (11 bits a character).
std::chrono::nanoseconds WireTime(const FrameRecord& record);

} // namespace monitor
