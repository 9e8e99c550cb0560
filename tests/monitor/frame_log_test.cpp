// The frame log on a real line to the simulated instrument: attempts grouped under their transaction,
// counters after faults, and the exports' bytes.
#include "comm/instrument_link.h"
#include "monitor/frame_decoding.h"
#include "monitor/frame_export.h"
#include "monitor/frame_log.h"
#include "sim/simulator.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

using monitor::FrameLog;
using monitor::FrameRecord;

// Replies that come get the program's own 400 ms; only silence is awaited briefly.
constexpr std::uint32_t kReplyTimeoutMs = 400;
constexpr std::uint32_t kSilenceTimeoutMs = 60;

struct LineTest : ::testing::Test
{
    sim::Simulator instrument;
    InstrumentLink link;
    FrameLog log;

    void SetUp() override { ASSERT_TRUE(instrument.Start()) << instrument.Error(); }

    // Opens the instrument's line with this read time-out and records it.
    void Open(InstrumentLink& to, std::uint32_t timeoutMs)
    {
        to.Master().SetReadTimeout(timeoutMs);
        ASSERT_EQ(to.OpenDevice(instrument.DevicePath()), 1);
        log.Attach(to.Master());
    }
};

TEST_F(LineTest, AttemptsGroupUnderTheirTransactionAndFaultsAreCounted)
{
    struct Case
    {
        const char* what;
        sim::Faults faults;
        std::uint32_t timeoutMs;
        monitor::Counters expected; // of one read of the node address
    };
    const auto faults = [](auto set) {
        sim::Faults f;
        set(f);
        return f;
    };
    const Case cases[] = {
        {"answered", {}, kReplyTimeoutMs, {1, 1, 0, 0, 0, 0, 0, 0, 0, 8, 7}},
        {"two silent attempts, then the answer",
         faults([](sim::Faults& f) { f.failFirst = 2; }),
         kSilenceTimeoutMs,
         {1, 3, 2, 2, 0, 0, 0, 0, 0, 24, 7}},
        {"bad CRC",
         faults([](sim::Faults& f) { f.badCrc = true; }),
         kReplyTimeoutMs,
         {1, 3, 2, 0, 3, 0, 0, 0, 0, 24, 21}},
        {"refused",
         faults([](sim::Faults& f) { f.exceptionReply = true; }),
         kReplyTimeoutMs,
         {1, 3, 2, 0, 0, 3, 0, 0, 0, 24, 15}},
        {"another slave",
         faults([](sim::Faults& f) { f.wrongSlave = true; }),
         kReplyTimeoutMs,
         {1, 3, 2, 0, 0, 0, 3, 0, 0, 24, 21}},
        {"cut short",
         faults([](sim::Faults& f) { f.shortReply = true; }),
         kReplyTimeoutMs,
         {1, 3, 2, 0, 0, 0, 0, 3, 0, 24, 3 * 2}}, // 2 of the 7 bytes come
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // A master of its own each time: after a failure the next one would first make sure no late reply
        // is on its way (a probe read), which is not what this counts.
        InstrumentLink fresh;
        Open(fresh, c.timeoutMs);
        instrument.SetFaults(c.faults);
        log.Clear();
        std::uint16_t value = 0;
        fresh.ReadRegister(0x3011, &value);
        const monitor::Counters& n = log.Count();
        EXPECT_EQ(n.transactions, c.expected.transactions);
        EXPECT_EQ(n.attempts, c.expected.attempts);
        EXPECT_EQ(n.retries, c.expected.retries);
        EXPECT_EQ(n.timeouts, c.expected.timeouts);
        EXPECT_EQ(n.badCrcs, c.expected.badCrcs);
        EXPECT_EQ(n.exceptions, c.expected.exceptions);
        EXPECT_EQ(n.wrongSlaves, c.expected.wrongSlaves);
        EXPECT_EQ(n.shortReplies, c.expected.shortReplies);
        EXPECT_EQ(n.bytesSent, c.expected.bytesSent);
        EXPECT_EQ(n.bytesReceived, c.expected.bytesReceived);
        // Every attempt's request and its reply (or silence), under one transaction, retries marked.
        ASSERT_EQ(log.Size(), 2 * n.attempts);
        for (std::size_t i = 0; i < log.Size(); ++i) {
            const FrameRecord& r = log.At(i);
            EXPECT_EQ(r.Sent(), i % 2 == 0);
            EXPECT_EQ(r.attempt, static_cast<int>(i / 2 + 1));
            EXPECT_EQ(r.transaction, log.At(0).transaction);
            EXPECT_EQ(monitor::AttemptText(r), "#" + std::to_string(r.transaction) +
                                                   (r.attempt > 1 ? " retry " + std::to_string(r.attempt - 1) : ""));
            if (i > 0) {
                EXPECT_GE(r.time, log.At(i - 1).time);
                EXPECT_EQ(r.gap, r.time - log.At(i - 1).time);
            }
        }
    }
}

TEST_F(LineTest, KeepsTheLastFramesAndCountsThemAll)
{
    Open(link, kReplyTimeoutMs);
    FrameLog small(3);
    small.Attach(link.Master());
    std::uint16_t value = 0;
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(link.ReadRegister(0x3011, &value), 1);
    }
    EXPECT_EQ(small.Size(), 3u);
    EXPECT_EQ(small.Dropped(), 3u);
    EXPECT_EQ(small.FirstNumber(), 4u);
    EXPECT_EQ(small.At(2).number, 6u);
    EXPECT_EQ(small.Count().transactions, 3u);
    // Detached, it records nothing more.
    FrameLog::Detach(link.Master());
    ASSERT_EQ(link.ReadRegister(0x3011, &value), 1);
    EXPECT_EQ(small.At(2).number, 6u);
}

std::uint32_t Le32(const std::string& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = value << 8 | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

TEST_F(LineTest, ExportsHoldEveryFrame)
{
    Open(link, kSilenceTimeoutMs);
    instrument.SetFaults([] {
        sim::Faults f;
        f.failFirst = 1; // one time-out: in the text and CSV, not in the capture
        return f;
    }());
    ASSERT_EQ(link.Discover(), 1);
    ASSERT_EQ(link.ReadCardCode(), 5);
    ASSERT_EQ(log.Size(), 6u);

    const std::string pcap = monitor::ToPcap(log);
    ASSERT_GE(pcap.size(), monitor::kPcapHeaderBytes);
    EXPECT_EQ(pcap.substr(0, 8), std::string("\xD4\xC3\xB2\xA1\x02\x00\x04\x00", 8));
    EXPECT_EQ(Le32(pcap, 20), 147u); // USER0
    std::size_t at = monitor::kPcapHeaderBytes;
    std::uint64_t previousMicros = 0;
    for (std::size_t i = 0; i < log.Size(); ++i) {
        const FrameRecord& r = log.At(i);
        if (r.bytes.empty()) {
            continue;
        }
        ASSERT_LE(at + monitor::kPcapRecordHeaderBytes + r.bytes.size(), pcap.size());
        const std::uint64_t micros = std::uint64_t{Le32(pcap, at)} * 1'000'000 + Le32(pcap, at + 4);
        const auto expected = std::chrono::duration_cast<std::chrono::microseconds>(
            (log.WallStart() + std::chrono::duration_cast<std::chrono::system_clock::duration>(r.time - log.Start()))
                .time_since_epoch());
        EXPECT_EQ(micros, static_cast<std::uint64_t>(expected.count()));
        EXPECT_LT(Le32(pcap, at + 4), 1'000'000u);
        EXPECT_GE(micros, previousMicros);
        previousMicros = micros;
        EXPECT_EQ(Le32(pcap, at + 8), r.bytes.size());
        EXPECT_EQ(Le32(pcap, at + 12), r.bytes.size());
        EXPECT_EQ(pcap.substr(at + 16, r.bytes.size()), std::string(r.bytes.begin(), r.bytes.end()));
        at += monitor::kPcapRecordHeaderBytes + r.bytes.size();
    }
    EXPECT_EQ(at, pcap.size()) << "five frames on the line, and nothing else";

    // One CSV row a frame, whatever the meaning holds (commas, quotes); one text line a frame.
    const std::string csv = monitor::ToCsv(log);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 6);
    EXPECT_NE(csv.find(",RX,0,,time-out,\"no reply to read probe (0x3000, 10 registers)\"\r\n"), std::string::npos)
        << csv;
    EXPECT_NE(csv.find(",\"slave 255: card code 5 (Profibus), firmware \"\"V1.00\"\"\"\r\n"), std::string::npos) << csv;
    const std::string text = monitor::ToText(log);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1 + 6 + 1);
    EXPECT_NE(text.find("#1 retry 1"), std::string::npos) << text;
    EXPECT_NE(text.find("2 transactions, 3 attempts, 1 retries, 1 time-outs"), std::string::npos) << text;
}

// tshark reads a capture back as Modbus RTU with the option the README gives.
TEST_F(LineTest, TsharkDecodesTheCapture)
{
    if (std::system("command -v tshark >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "tshark is not installed (scripts/deps.sh installs it): the capture is not read back";
    }
    Open(link, kReplyTimeoutMs);
    ASSERT_EQ(link.Discover(), 1);
    ASSERT_EQ(link.WriteRegister(0x3011, 9), 1);
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("meshgate2-monitor-" + std::to_string(::getpid()) + ".pcap");
    ASSERT_TRUE(monitor::SaveExport(log, monitor::ExportFormat::Pcap, file.string()).Ok());

    const std::string command = "tshark -r '" + file.string() +
                                "' -o 'uat:user_dlts:\"User 0 (DLT=147)\",\"mbrtu\",\"0\",\"\",\"0\",\"\"' -T fields "
                                "-e frame.protocols -e mbrtu.unit_id -e modbus.func_code -e modbus.reference_num "
                                "2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        output += buffer;
    }
    const int status = ::pclose(pipe);
    std::filesystem::remove(file);
    ASSERT_EQ(status, 0) << output;
    // The probe's request and reply, then the write of register 0x3011 (12305) and its reply.
    std::istringstream lines(output);
    std::vector<std::string> rows;
    for (std::string line; std::getline(lines, line);) {
        rows.push_back(line);
    }
    ASSERT_EQ(rows.size(), 4u) << output;
    EXPECT_EQ(rows[0], "user_dlt:mbrtu:modbus\t255\t3\t12288") << output;
    EXPECT_EQ(rows[2], "user_dlt:mbrtu:modbus\t255\t16\t12305") << output;
}

} // namespace
