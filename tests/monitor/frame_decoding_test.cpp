// Frames as they go over the line, decoded in the instrument's terms. The rows run through one log in
// order, as on a line: a reply is decoded against the request before it, and list entries are named for
// the card the last identification record named.
#include "monitor/frame_decoding.h"
#include "monitor/frame_log.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

using monitor::FrameLog;
using monitor::FrameRecord;
constexpr auto TX = FrameEvent::Direction::Sent;
constexpr auto RX = FrameEvent::Direction::Received;

// "FF 03 30 00 00 0A" with its CRC appended (low byte first); "" is no frame at all.
std::vector<std::uint8_t> Frame(const std::string& hex, bool withCrc = true)
{
    std::vector<std::uint8_t> bytes;
    std::istringstream in(hex);
    for (std::string octet; in >> octet;) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(octet, nullptr, 16)));
    }
    if (withCrc && !bytes.empty()) {
        const std::uint16_t crc = ModbusMaster::Crc16(static_cast<std::uint16_t>(bytes.size()), bytes.data());
        bytes.push_back(static_cast<std::uint8_t>(crc & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
    }
    return bytes;
}

const FrameRecord& Add(FrameLog& log, FrameEvent::Direction direction, int result,
                       const std::vector<std::uint8_t>& bytes)
{
    log.Record(FrameEvent{direction, bytes.data(), static_cast<int>(bytes.size()), result, 1, 1});
    return log.At(log.Size() - 1);
}

struct Row
{
    FrameEvent::Direction direction;
    int result;
    const char* hex; // without CRC
    const char* meaning;
    const char* outcome = "ok";
};

TEST(FrameDecoding, NamesEveryBlockAndValueInTheInstrumentsTerms)
{
    const Row rows[] = {
        // The search's probe; its reply means nothing.
        {TX, ResultOk, "FF 03 30 00 00 0A", "slave 255: read probe (0x3000, 10 registers)"},
        {RX, ResultOk, "FF 03 14 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13",
         "slave 255: probe answered (its content means nothing)"},
        // Identification: a DeviceNet card; the firmware text stops at its terminator.
        {TX, ResultOk, "FF 03 30 10 00 0C", "slave 255: read identification record (0x3010, 12 registers)"},
        {RX, ResultOk, "FF 03 18 10 30 02 00 56 32 2E 31 00 41 41 00 00 00 00 00 00 00 00 00 00 00 00 00",
         "slave 255: card code 2 (DeviceNet), firmware \"V2.1\""},
        {TX, ResultOk, "FF 03 30 12 00 01", "slave 255: read baud-rate code (0x3012, 1 register)"},
        {RX, ResultOk, "FF 03 02 01 00", "slave 255: baud-rate code 1 = 250 Kbds"},
        {TX, ResultOk, "FF 03 30 13 00 01", "slave 255: read exchange table (0x3013, 1 register)"},
        {RX, ResultOk, "FF 03 02 03 00",
         "slave 255: exchange table code 3 = <4> Upload/download Parameters (96 bytes)"},
        {RX, ResultOk, "FF 03 02 09 00", "slave 255: exchange table code 9, not in the card's list"},
        {TX, ResultOk, "FF 03 30 11 00 01", "slave 255: read node address (0x3011, 1 register)"},
        {RX, ResultOk, "FF 03 02 3F 00", "slave 255: node address 63"},
        {TX, ResultOk, "FF 10 30 12 00 01 02 03 00", "slave 255: write baud-rate code (0x3012, 1 register): 3 = Auto"},
        {RX, ResultOk, "FF 10 30 12 00 01", "slave 255: wrote baud-rate code (0x3012, 1 register)"},
        // The model block's text from byte 16.
        {TX, ResultOk, "FF 03 A5 00 00 12", "slave 255: read model block (0xA500, 18 registers)"},
        {RX, ResultOk,
         "FF 03 24 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 56 4F 52 4E 20 47 33 32 30 00 00 00 00 00 00 00 "
         "00 00 00 00",
         "slave 255: model \"VORN G320\" (G320)"},
        // An EtherNet/IP card now: its addresses, its mode, its own exchange list; a text with a control
        // character in it is shown escaped, never raw.
        {TX, ResultOk, "FF 03 30 10 00 0C", "slave 255: read identification record (0x3010, 12 registers)"},
        {RX, ResultOk, "FF 03 18 10 30 07 00 41 1B 42 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00",
         "slave 255: card code 7 (EtherNet/IP), firmware \"A\\x1BB\""},
        {TX, ResultOk, "FF 03 30 14 00 06", "slave 255: read IP block (0x3014, 6 registers)"},
        {RX, ResultOk, "FF 03 0C 0A 01 A8 C0 00 FF FF FF 01 01 A8 C0",
         "slave 255: IP block: IP 192.168.1.10, mask 255.255.255.0, gateway 192.168.1.1"},
        {TX, ResultOk, "FF 10 30 15 00 01 02 01 00", "slave 255: write address mode (0x3015, 1 register): 1 = DHCP"},
        {TX, ResultOk, "FF 10 30 14 00 06 0C 05 00 00 0A 00 00 00 FF FE 00 00 0A",
         "slave 255: write IP block (0x3014, 6 registers): IP 10.0.0.5, mask 255.0.0.0, gateway 10.0.0.254"},
        {TX, ResultOk, "FF 03 30 13 00 01", "slave 255: read exchange table (0x3013, 1 register)"},
        {RX, ResultOk, "FF 03 02 04 00",
         "slave 255: exchange table code 4 = <5> Upload/download Parameters (255 bytes)"},
        // Refusals, by their names.
        {TX, ResultOk, "FF 10 30 11 00 01 02 07 00", "slave 255: write node address (0x3011, 1 register): 7"},
        {RX, ResultException, "FF 90 02",
         "slave 255: exception 2 (illegal data address) to write node address (0x3011, 1 register)",
         "Modbus exception 2 (illegal data address)"},
        {RX, ResultException, "FF 90 04",
         "slave 255: exception 4 (slave device failure) to write node address (0x3011, 1 register)",
         "Modbus exception 4 (slave device failure)"},
        {RX, ResultException, "FF 90 63",
         "slave 255: exception 99 (unknown exception) to write node address (0x3011, 1 register)",
         "Modbus exception 99 (unknown exception)"},
        // What goes wrong on a line.
        {TX, ResultOk, "3F 03 30 00 00 0A", "slave 63: read probe (0x3000, 10 registers)"},
        {RX, ResultIncomplete, "", "no reply to read probe (0x3000, 10 registers)", "time-out"},
        {RX, ResultIncomplete, "3F 03 14 00 01", "7 of the 25 bytes of the reply to read probe (0x3000, 10 registers)",
         "short reply"},
        {RX, ResultBadCrc, "3F 03 14 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13",
         "a reply to read probe (0x3000, 10 registers), not decoded (garbled)", "bad CRC"},
        {RX, ResultWrongSlave, "05 03 14 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13",
         "slave 5 (not the one asked): read reply with 20 data bytes", "wrong slave"},
        // A late reply of the identification record while the probe's is awaited.
        {RX, ResultWrongReply, "3F 03 18 10 30 07 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00",
         "slave 63: read reply with 24 data bytes, which answers another request", "not the reply to this request"},
        // Registers outside the map are named by address.
        {TX, ResultOk, "FF 03 77 77 00 02", "slave 255: read registers (0x7777, 2 registers)"},
        {RX, ResultOk, "FF 03 04 01 02 03 04", "slave 255: 4 bytes of registers (0x7777, 2 registers)"},
    };
    FrameLog log;
    for (const Row& row : rows) {
        const FrameRecord& record = Add(log, row.direction, row.result, Frame(row.hex));
        SCOPED_TRACE(row.hex);
        EXPECT_EQ(monitor::Meaning(record), row.meaning);
        EXPECT_EQ(monitor::OutcomeText(record), row.outcome);
    }
}

TEST(FrameDecoding, ListEntriesFollowTheRangeTheLogIsTold)
{
    // The same code names another Profibus entry in the legacy range: a log must name the one the
    // instrument means.
    for (const auto& [range, entry] : {std::pair{cards::kCurrent, "<3> Results fifo (32 bytes+16 words)"},
                                       std::pair{cards::kLegacy, "<3> Results and Parameters standard (32 bytes+64 "
                                                                 "words)"}}) {
        FrameLog log;
        log.SetFirmwareRange(range);
        Add(log, TX, ResultOk, Frame("FF 03 30 10 00 0C"));
        Add(log, RX, ResultOk,
            Frame("FF 03 18 10 30 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"));
        const FrameRecord& write = Add(log, TX, ResultOk, Frame("FF 10 30 13 00 01 02 02 00"));
        EXPECT_EQ(monitor::Meaning(write),
                  std::string("slave 255: write exchange table (0x3013, 1 register): code 2 = ") + entry);
    }
}

TEST(FrameDecoding, AnyBytesAreDescribedNeverTrusted)
{
    // Frames too short to hold what their header claims, a reply with no request seen, a request cut off.
    FrameLog log;
    EXPECT_EQ(monitor::Meaning(Add(log, RX, ResultOk, Frame("FF 03 02 01 00"))),
              "slave 255: read reply with 2 data bytes");
    EXPECT_EQ(monitor::Meaning(Add(log, TX, ResultIncomplete, Frame("FF 03 30", false))), "3 bytes of a request");
    EXPECT_EQ(monitor::Meaning(Add(log, TX, ResultOk, Frame("FF 10 30 14 00 06 0C 01 02"))),
              "slave 255: write IP block (0x3014, 6 registers)");
    EXPECT_EQ(monitor::Meaning(Add(log, TX, ResultOk, Frame("FF 03 30 10 00 0C"))),
              "slave 255: read identification record (0x3010, 12 registers)");
    EXPECT_EQ(monitor::Meaning(Add(log, RX, ResultOk, Frame("FF 03 02 10 30"))),
              "slave 255: identification record, too short");
    EXPECT_EQ(monitor::Meaning(Add(log, RX, ResultOk, Frame("FF 03 04 11 30 05 00"))),
              "slave 255: identification record with echo 0x3011 instead of 0x3010");
    EXPECT_EQ(monitor::Meaning(Add(log, RX, ResultException, Frame("FF 83", false))),
              "a reply to read identification record (0x3010, 12 registers), not decoded (garbled)");
    EXPECT_EQ(monitor::Meaning(Add(log, RX, ResultBadCrc, Frame("FF", false))),
              "1 byte, no frame; expected a reply to read identification record (0x3010, 12 registers)");
}

} // namespace
