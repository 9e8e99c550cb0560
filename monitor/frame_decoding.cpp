#include "monitor/frame_decoding.h"

#include "cards/card_lists.h"
#include "cards/card_settings.h"
#include "cards/encoding.h"
#include "cards/parameters.h"
#include "cards/settings_check.h"
#include "comm/line_device.h"
#include "comm/line_settings.h"
#include "comm/modbus_frame.h"

#include <array>
#include <cstdio>

namespace monitor {

namespace {

constexpr std::uint8_t kRead = modbus::kReadHoldingRegisters;
constexpr std::uint8_t kWrite = modbus::kWriteMultipleRegisters;
using modbus::kCrcBytes;
using modbus::kExceptionFlag;

std::uint16_t Be16(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(bytes[at] << 8 | bytes[at + 1]);
}

std::string Slave(std::uint8_t address)
{
    return "slave " + std::to_string(address) + ": ";
}

// "identification record (0x3010, 12 registers)", or "registers (0x1234, 3 registers)" for others.
std::string BlockText(std::uint16_t start, std::uint16_t count)
{
    char where[48];
    std::snprintf(where, sizeof where, " (0x%04X, %u register%s)", start, static_cast<unsigned>(count),
                  count == 1 ? "" : "s");
    const auto name = BlockName(start, count);
    return (name ? *name : "registers") + std::string(where);
}

// A zero-terminated text of at most `size` bytes, as the instrument sent it, made printable.
std::string Quoted(const std::string& bytes)
{
    return "\"" + cards::PrintableText(bytes) + "\"";
}

// What a request asks for, without the slave: "read node address (0x3011, 1 register)".
std::string RequestText(std::span<const std::uint8_t> request)
{
    const std::uint8_t function = request[1];
    if (function != kRead && function != kWrite) {
        return "function " + std::to_string(function);
    }
    return (function == kRead ? "read " : "write ") + BlockText(Be16(request, 2), Be16(request, 4));
}

bool KnowsRequest(const FrameRecord& record)
{
    return record.request[1] != 0;
}

// The list entry a one-register value names, when the card and its list are known.
std::string ListEntry(const FrameRecord& record, const cards::Parameter& parameter, std::uint16_t value)
{
    auto list = cards::ParameterList(record.cardCode, record.firmwareRange, parameter);
    if (list.empty()) {
        list = cards::SharedList(record.firmwareRange, parameter); // before the card is known
    }
    if (list.empty()) {
        return "";
    }
    if (value >= list.size()) {
        return ", not in the card's list";
    }
    return std::string(" = ") + list[value];
}

// The settings value in register data: "9", "code 2 = <3> ...", "IP 10.0.0.5, mask 255.0.0.0, gateway
// 10.0.0.1"; empty when the block is no setting or the data is short.
std::string ValueText(const FrameRecord& record, const cards::ParameterInfo& block, std::span<const std::uint8_t> data)
{
    cards::CardSettings settings;
    if (!cards::DecodeParameter(settings, block.parameter, data)) {
        return "";
    }
    if (block.ipBlock) {
        return cards::IpBlockText(settings.ip);
    }
    const std::uint16_t value = *cards::ParameterValue(settings, block.parameter);
    // "exchange table 2" would read as entry <2>; the code is one less than the entry's number.
    const char* unit = block.syntax == cards::ValueSyntax::ListEntry ? "code " : "";
    return unit + std::to_string(value) + ListEntry(record, block.parameter, value);
}

// A setting as a reply carries it: "node address 7", "IP block: IP 10.0.0.5, ...".
std::string SettingText(const FrameRecord& record, const cards::ParameterInfo& block,
                        std::span<const std::uint8_t> data)
{
    const std::string value = ValueText(record, block, data);
    if (value.empty()) {
        return std::string(block.blockName) + ", too short";
    }
    return block.blockName + std::string(block.ipBlock ? ": " : " ") + value;
}

std::string IdentificationText(std::span<const std::uint8_t> data)
{
    const auto record = cards::DecodeIdentification(data);
    if (!record) {
        return "identification record, too short";
    }
    if (!record->EchoValid()) {
        char text[80];
        std::snprintf(text, sizeof text, "identification record with echo 0x%04X instead of 0x%04X", record->echo,
                      cards::kIdentificationEcho);
        return text;
    }
    const cards::CardInfo* card = cards::FindCard(record->cardCode);
    return "card code " + std::to_string(record->cardCode) + " (" + (card ? card->title : "no settings known here") +
           "), firmware " + Quoted(record->firmware);
}

std::string ModelText(std::span<const std::uint8_t> data)
{
    const auto text = cards::DecodeModelText(data);
    if (!text) {
        return "model block, too short";
    }
    const int model = cards::FindModelIndex(*text);
    return "model " + Quoted(*text) + " (" +
           (model == cards::kModelNone ? std::string("no known model") : cards::ModelName(model)) + ")";
}

// A reply to the request it answers, taken whole (right CRC, slave and shape: the master checked).
std::string AnswerText(const FrameRecord& record)
{
    const auto bytes = std::span<const std::uint8_t>(record.bytes);
    const auto& request = record.request;
    const std::uint16_t start = Be16(request, 2);
    const std::uint16_t count = Be16(request, 4);
    if (bytes[1] == kWrite) {
        return "wrote " + BlockText(start, count);
    }
    if (bytes[1] != kRead || bytes.size() < 3 + kCrcBytes) {
        return "function " + std::to_string(bytes[1]);
    }
    const auto data = bytes.subspan(3, bytes.size() - 3 - kCrcBytes);
    const cards::ParameterInfo* block = cards::FindParameter({start, count});
    if (block == nullptr) {
        return std::to_string(data.size()) + " bytes of " + BlockText(start, count);
    }
    switch (block->kind) {
    case cards::BlockKind::Probe:
        return "probe answered (its content means nothing)";
    case cards::BlockKind::Identification:
        return IdentificationText(data);
    case cards::BlockKind::Model:
        return ModelText(data);
    case cards::BlockKind::Setting:
        break;
    }
    return SettingText(record, *block, data);
}

// An intact frame taken on its own, when it answers nothing we asked: "read reply with 24 data bytes".
std::string FrameText(std::span<const std::uint8_t> bytes)
{
    const std::uint8_t function = bytes[1];
    if (function & kExceptionFlag && bytes.size() >= 3) {
        return "exception " + std::to_string(bytes[2]) + " (" + ExceptionName(bytes[2]) + ") to function " +
               std::to_string(function & ~kExceptionFlag);
    }
    if (function == kRead && bytes.size() >= 3) {
        return "read reply with " + std::to_string(bytes[2]) + " data bytes";
    }
    if (function == kWrite && bytes.size() >= 6 + kCrcBytes) {
        return "write reply for " + BlockText(Be16(bytes, 2), Be16(bytes, 4));
    }
    return "function " + std::to_string(function);
}

// The length a whole reply to the request would have.
std::size_t ExpectedLength(std::span<const std::uint8_t> request)
{
    return modbus::ReplyLength(request.data());
}

std::string ReplyMeaning(const FrameRecord& record)
{
    const auto bytes = std::span<const std::uint8_t>(record.bytes);
    const std::string to = KnowsRequest(record) ? " to " + RequestText(record.request) : std::string();
    if (bytes.empty()) {
        return "no reply" + to;
    }
    if (bytes.size() < 2) {
        return "1 byte, no frame" + (to.empty() ? std::string() : "; expected a reply" + to);
    }
    const std::string slave = Slave(bytes[0]);
    switch (record.result) {
    case ResultOk:
        return KnowsRequest(record) ? slave + AnswerText(record) : slave + FrameText(bytes);
    case ResultException:
        if (bytes.size() < 3) {
            break;
        }
        return slave + "exception " + std::to_string(bytes[2]) + " (" + ExceptionName(bytes[2]) + ")" + to;
    case ResultWrongSlave:
        return "slave " + std::to_string(bytes[0]) + " (not the one asked): " + FrameText(bytes);
    case ResultWrongReply:
        return slave + FrameText(bytes) + ", which answers another request";
    case ResultIncomplete:
        if (KnowsRequest(record)) {
            return std::to_string(bytes.size()) + " of the " + std::to_string(ExpectedLength(record.request)) +
                   " bytes of the reply" + to;
        }
        return std::to_string(bytes.size()) + " bytes, cut short";
    default:
        break;
    }
    return "a reply" + to + ", not decoded (garbled)";
}

std::string RequestMeaning(const FrameRecord& record)
{
    const auto bytes = std::span<const std::uint8_t>(record.bytes);
    if (bytes.size() < 6) {
        return std::to_string(bytes.size()) + " bytes of a request";
    }
    const std::string slave = Slave(bytes[0]);
    if (bytes[1] != kWrite) {
        return slave + RequestText(bytes);
    }
    std::string text = slave + RequestText(bytes);
    const std::uint16_t count = Be16(bytes, 4);
    const cards::ParameterInfo* block = cards::FindParameter({Be16(bytes, 2), count});
    const std::size_t dataBytes = 2u * count;
    if (block != nullptr && bytes.size() >= 7 + dataBytes) {
        const std::string value = ValueText(record, *block, bytes.subspan(7, dataBytes));
        if (!value.empty()) {
            text += ": " + value;
        }
    }
    return text;
}

} // namespace

std::optional<const char*> BlockName(std::uint16_t start, std::uint16_t count)
{
    const cards::ParameterInfo* row = cards::FindParameter({start, count});
    return row ? std::optional<const char*>(row->blockName) : std::nullopt;
}

const char* ExceptionName(std::uint8_t code)
{
    switch (code) {
    case 0x01:
        return "illegal function";
    case 0x02:
        return "illegal data address";
    case 0x03:
        return "illegal data value";
    case 0x04:
        return "slave device failure";
    case 0x05:
        return "acknowledge";
    case 0x06:
        return "slave device busy";
    case 0x08:
        return "memory parity error";
    case 0x0A:
        return "gateway path unavailable";
    case 0x0B:
        return "gateway target device failed to respond";
    default:
        return "unknown exception";
    }
}

const char* OutcomeWords(int result, int length)
{
    return modbus::ResultWords(result, static_cast<std::size_t>(length));
}

std::string OutcomeText(const FrameRecord& record)
{
    std::string text = OutcomeWords(record.result, static_cast<int>(record.bytes.size()));
    if (record.result == ResultException && record.bytes.size() >= 3) {
        const std::uint8_t code = record.bytes[2];
        text += " " + std::to_string(code) + " (" + ExceptionName(code) + ")";
    }
    if ((record.lineErrors & kLineConnectionClosed) != 0) {
        // The wait ended because the connection did, not because the time was up.
        if (record.result == ResultIncomplete && record.bytes.empty()) {
            return "no reply: the device server closed the connection";
        }
        text += ", then the device server closed the connection";
    }
    return text;
}

std::string Meaning(const FrameRecord& record)
{
    return record.Sent() ? RequestMeaning(record) : ReplyMeaning(record);
}

std::string Hex(std::span<const std::uint8_t> bytes)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 3);
    for (const std::uint8_t b : bytes) {
        if (!text.empty()) {
            text += ' ';
        }
        text += kDigits[b >> 4];
        text += kDigits[b & 0x0F];
    }
    return text;
}

const char* DirectionText(const FrameRecord& record)
{
    return record.Sent() ? "TX" : "RX";
}

std::string AttemptText(const FrameRecord& record)
{
    std::string text = "#" + std::to_string(record.transaction);
    if (record.attempt > 1) {
        text += " retry " + std::to_string(record.attempt - 1);
    }
    return text;
}

std::chrono::nanoseconds WireTime(const FrameRecord& record)
{
    return kCharTime * static_cast<std::int64_t>(record.bytes.size());
}

} // namespace monitor
