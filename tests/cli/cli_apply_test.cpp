#include "cards/registers.h"
#include "cli/exit_code.h"
#include "cli/instrument_session.h"
#include "cli_fixture.h"
#include "tests/support/full_disk.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace cli;

namespace {
const std::vector<std::uint16_t> kNone;
}

TEST_F(CliTest, ApplyWritesEveryParameterInTheCardsOrderAndVerifies)
{
    struct Case
    {
        std::uint16_t code;
        std::initializer_list<std::string> args;
        std::vector<std::uint16_t> order;
    };
    const Case cases[] = {
        {5, {"apply", "--address", "9", "--exchange", "3"}, {0x3011, 0x3013}},
        {2, {"apply", "--baud", "auto"}, {0x3011, 0x3012, 0x3013}},
        {4, {"apply", "--address", "255"}, {0x3011, 0x3013}},
        {7, {"apply", "--mode", "dhcp", "--ip", "10.0.0.5"}, {0x3015, 0x3014, 0x3013}},
        {8, {"apply", "--gateway", "192.168.1.254"}, {0x3015, 0x3014}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        StartSimulator(Card(c.code));
        const Run run = Cli(c.args);
        ASSERT_EQ(run.code, kExitSuccess) << run.err;
        EXPECT_EQ(Writes(), c.order);
        EXPECT_NE(run.out.find("Download Complete"), std::string::npos);
    }
    // The last simulator (Modbus-TCP) kept the IP address and mask and took the gateway.
    const std::array<std::uint8_t, 12> expected{10, 1, 168, 192, 0, 255, 255, 255, 254, 1, 168, 192};
    EXPECT_EQ(simulator->IpBlock(), expected);
}

TEST_F(CliTest, ApplyChangesOnlyWhatIsGiven)
{
    sim::Config config = Card(7);
    config.exchangeChoice = 3;
    StartSimulator(config);
    const Run run = Cli({"--json", "apply", "--mode", "dhcp", "--ip", "10.0.0.5", "--exchange", "<5>"});
    ASSERT_EQ(run.code, kExitSuccess) << run.err;
    EXPECT_EQ(simulator->Parameter(0x3015), 1);
    EXPECT_EQ(simulator->Parameter(0x3013), 4);
    const std::array<std::uint8_t, 12> expected{5, 0, 0, 10, 0, 255, 255, 255, 1, 1, 168, 192};
    EXPECT_EQ(simulator->IpBlock(), expected);
    const auto result = run.Json();
    EXPECT_EQ(result["verified"], true);
    EXPECT_EQ(result["written"], nlohmann::json({"address mode", "IP block", "exchange table"}));
    EXPECT_EQ(result["changes"][0]["before"]["text"], "STATIC IP");
    EXPECT_EQ(result["changes"][0]["after"]["text"], "DHCP");
}

TEST_F(CliTest, BadValuesAreRefusedBeforeAnythingIsWritten)
{
    struct Case
    {
        std::uint16_t code;
        std::initializer_list<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {5,
         {"apply", "--address", "126"},
         "invalid --address 126: the station address of this Profibus card (code 5) must be 1 to 125"},
        {1, {"apply", "--address", "0"}, "must be 1 to 128"},
        {6, {"apply", "--address", "64"}, "must be 0 to 63"},
        {4, {"apply", "--address", "256"}, "must be 1 to 255"},
        {4, {"apply", "--address", "0"}, "must be 1 to 255"},
        {6, {"apply", "--baud", "auto"}, "invalid --baud auto"},
        {5, {"--range", "legacy", "apply", "--exchange", "4"}, "entries <1> to <3>"},
        {5, {"apply", "--baud", "500"}, "--baud does not apply: this Profibus card has no baud rate"},
        {4, {"apply", "--ip", "10.0.0.1"}, "--ip does not apply: the IP block of a Profinet card is shown only"},
        {8, {"apply", "--exchange", "1"}, "this Modbus-TCP card has no exchange table"},
        {7, {"apply", "--mode", "static", "--mask", "255.0.255.0"}, "the subnet mask 255.0.255.0 is not a subnet mask"},
        {8, {"apply", "--mode", "static", "--ip", "127.0.0.1"}, "the IP address 127.0.0.1 is no host address"},
        {7, {"apply", "--mode", "static", "--gateway", "10.0.0.1"}, "the gateway 10.0.0.1 is outside the subnet"},
        // The instrument's gateway (192.168.1.1) is left outside the new address's subnet.
        {8, {"apply", "--ip", "10.0.0.5"}, "the gateway 192.168.1.1 is outside the subnet of the IP address 10.0.0.5"},
        {7, {"apply", "--gateway", "192.168.1.10"}, "the gateway 192.168.1.10 is the card's own IP address"},
        {7, {"apply", "--mask", "255.255.255.255"}, "the subnet mask 255.255.255.255 cannot be used"},
        {8, {"apply", "--mask", "0.0.0.0"}, "the subnet mask 0.0.0.0 cannot be used"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        StartSimulator(Card(c.code));
        const Run run = Cli(c.args);
        EXPECT_EQ(run.code, kExitInvalidInput);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("nothing written"), std::string::npos) << run.err;
        EXPECT_EQ(Writes(), kNone);
    }
}

TEST_F(CliTest, MalformedValuesAreRefusedWithoutTouchingTheLine)
{
    StartSimulator(Card(7));
    for (std::initializer_list<std::string> args : {std::initializer_list<std::string>{"apply", "--ip", "192.168.1"},
                                                    {"apply", "--mask", "255.255.255.256"},
                                                    {"apply", "--gateway", "gateway"},
                                                    {"apply", "--baud", "300"},
                                                    {"apply", "--mode", "auto"},
                                                    {"apply", "--exchange", "0"},
                                                    {"apply", "--exchange", "two"},
                                                    {"apply", "--address", "-1"},
                                                    {"apply", "--address", "70000"},
                                                    {"apply", "--mode", "dhcp", "--ip", ""},
                                                    {"--log", "", "apply", "--mode", "dhcp"},
                                                    {"apply"}}) {
        const Run run = Cli(args);
        EXPECT_EQ(run.code, kExitInvalidInput) << run.err;
        EXPECT_FALSE(run.err.empty());
    }
    EXPECT_TRUE(simulator->Requests().empty());
}

TEST_F(CliTest, AnInvalidValueLeftOnTheInstrumentMustBeGivenExplicitly)
{
    sim::Config config = Card(7);
    config.exchangeChoice = 7;
    StartSimulator(config);
    Run run = Cli({"apply", "--mode", "dhcp"});
    EXPECT_EQ(run.code, kExitInvalidInput);
    EXPECT_NE(run.err.find("the instrument holds exchange table 7 (give --exchange to change it)"), std::string::npos)
        << run.err;
    EXPECT_EQ(Writes(), kNone);

    run = Cli({"apply", "--mode", "dhcp", "--exchange", "1"});
    EXPECT_EQ(run.code, kExitSuccess) << run.err;
    EXPECT_EQ(simulator->Parameter(0x3013), 0);

    // A Profinet station number of 0 is shown as "000" but is never written back as it is.
    sim::Config profinet = Card(4);
    profinet.nodeAddress = 0;
    StartSimulator(profinet);
    run = Cli({"apply", "--exchange", "2"});
    EXPECT_EQ(run.code, kExitInvalidInput);
    EXPECT_NE(run.err.find("the instrument holds station number 0 (give --address to change it)"), std::string::npos)
        << run.err;
    EXPECT_EQ(Writes(), kNone);
}

TEST_F(CliTest, AWriteFailingHalfWaySaysWhatWasAndWasNotWritten)
{
    sim::Config config = Card(7);
    config.faults.failWriteTo = 0x3014;
    StartSimulator(config);
    const Run run = Cli({"--json", "--trace", "apply", "--mode", "dhcp", "--ip", "10.0.0.5", "--exchange", "2"});
    EXPECT_EQ(run.code, kExitCommunication);
    EXPECT_NE(run.err.find("  Modbus exception 4 (slave device failure)  slave 255: exception 4 (slave device failure) "
                           "to write IP block (0x3014, 6 registers)"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("writing IP block (0x3014) failed; already written: address mode; not written: IP "
                           "block, exchange table"),
              std::string::npos)
        << run.err;
    const auto result = run.Json();
    EXPECT_EQ(result["failed"], "IP block");
    EXPECT_EQ(result["written"], nlohmann::json({"address mode"}));
    // The mode stays written, the exchange table was never sent.
    EXPECT_EQ(simulator->Parameter(0x3015), 1);
    EXPECT_EQ(simulator->Parameter(0x3013), 0);
    const std::vector<std::uint16_t> sent{0x3015, 0x3014, 0x3014, 0x3014}; // three attempts at the failing write
    EXPECT_EQ(Writes(), sent);
}

TEST_F(CliTest, TraceShowsTheExactFramesAndTheirOutcome)
{
    sim::Config config = Card(1);
    config.nodeAddress = 1;
    StartSimulator(config);
    const Run run = Cli({"--trace", "apply", "--address", "5"});
    ASSERT_EQ(run.code, kExitSuccess) << run.err;
    // The meaning beside the hex.
    EXPECT_NE(run.err.find("TX  FF 03 30 10 00 0C 5E D4  ok  slave 255: read identification record (0x3010, 12 "
                           "registers)"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("TX  FF 10 30 11 00 01 02 05 00 DE 26  ok  slave 255: write node address (0x3011, 1 "
                           "register): 5"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("RX  FF 10 30 11 00 01"), std::string::npos);
    EXPECT_NE(run.err.find("probing slave address 255"), std::string::npos);
    EXPECT_EQ(run.err.find("TX  FF 10 30 14"), std::string::npos); // Profibus has no IP block
    EXPECT_EQ(run.err.find("line " + simulator->DevicePath() + " (serial port)\n"), 13u) << run.err;
    // Every trace line carries a time stamp.
    std::istringstream lines(run.err);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_EQ(line.rfind("+", 0), 0u) << line;
    }
}

TEST_F(CliTest, TraceNamesFailedReplies)
{
    sim::Config config = Card(5);
    config.faults.wrongSlave = true;
    StartSimulator(config);
    // The other candidate addresses stay silent: a short time-out keeps their turn short.
    Run run = Cli({"--trace", "search"}, true, "50");
    EXPECT_EQ(run.code, kExitNoDevice);
    EXPECT_NE(run.err.find("wrong slave"), std::string::npos);

    config.faults = {};
    config.faults.badCrc = true;
    StartSimulator(config);
    run = Cli({"--trace", "search"}, true, "50");
    EXPECT_NE(run.err.find("bad CRC"), std::string::npos);

    config.faults = {};
    config.faults.silent = true;
    StartSimulator(config);
    // A failed search still leaves its capture and log: three requests to each of the seven addresses and
    // nothing back (a time-out puts nothing on the line, so the capture has no record of it).
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("meshgate2-capture-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string capture = (folder / "x.pcap").string();
    const std::string log = (folder / "x.csv").string();
    run = Cli({"--trace", "--capture", capture, "--log", log, "search"}, true, "10");
    EXPECT_EQ(run.code, kExitNoDevice);
    EXPECT_NE(run.err.find("RX  (nothing)  time-out  no reply to read probe (0x3000, 10 registers)"), std::string::npos)
        << run.err;
    EXPECT_EQ(std::filesystem::file_size(capture), 24u + 21u * (16u + 8u));
    std::ifstream csv(log);
    int rows = 0;
    for (std::string line; std::getline(csv, line);) {
        ++rows;
    }
    EXPECT_EQ(rows, 1 + 42);
    // A capture that cannot be written is found before the instrument is touched.
    StartSimulator(Card(5));
    run = Cli({"--json", "--capture", (folder / "missing" / "x.pcap").string(), "apply", "--address", "9"});
    EXPECT_EQ(run.code, kExitFileError);
    EXPECT_NE(run.Json()["error"].get<std::string>().find("nothing sent"), std::string::npos) << run.out;
    EXPECT_TRUE(simulator->Requests().empty());
    std::filesystem::remove_all(folder);
}

// A capture that can be made at the start but not written at the end (the disk filled meanwhile) is
// told beside the apply, which went well and says so.
TEST_F(CliTest, ACaptureLostAtTheEndLeavesTheApplysOwnOutcome)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("meshgate2-full-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const int status = RunOnFullDisk(
        folder.string(), [] {},
        [&] {
            StartSimulator(Card(5));
            const Run run = Cli({"--json", "--capture", (folder / "x.pcap").string(), "apply", "--address", "9"});
            const auto result = run.Json();
            return (run.code == kExitFileError ? 0 : 1) | (result["verified"] == true ? 0 : 2) |
                   (simulator->Parameter(0x3011) == 9 ? 0 : 4) | (result.contains("outputErrors") ? 0 : 8) |
                   (run.err.find("(the apply itself succeeded)") != std::string::npos ? 0 : 16);
        });
    std::filesystem::remove_all(folder);
    if (status == kNoFullDisk) {
        GTEST_SKIP() << "no small file system can be made here";
    }
    EXPECT_EQ(status, 0) << "1 exit code, 2 verified, 4 written, 8 outputErrors, 16 message";
}

// An instrument that answers around the read time-out (400 ms + 1 ms a byte): a late reply must never be
// taken for the answer to a later request. Each delay reads and applies; whatever fails, no value is
// shown that the instrument does not hold, and nothing the operator did not change is written otherwise.
class LateReplies : public CliTest, public ::testing::WithParamInterface<int>
{};

TEST_P(LateReplies, NeverGiveAWrongValueNorWriteOne)
{
    sim::Config config = Card(5);
    config.nodeAddress = 3;
    config.exchangeChoice = 1;
    config.faults.delay = std::chrono::milliseconds(GetParam());
    StartSimulator(config);
    const Run run = Cli({"--json", "apply", "--address", "9"});
    const auto result = run.Json();
    if (result.contains("changes")) {
        EXPECT_EQ(result["changes"][0]["before"]["raw"], 3) << run.out;
        EXPECT_EQ(result["changes"][1]["before"]["raw"], 1) << run.out;
    } else {
        EXPECT_NE(run.code, kExitSuccess);
        EXPECT_EQ(Writes(), kNone) << "written without a trusted read";
    }
    EXPECT_EQ(simulator->Parameter(0x3013), 1) << run.out;
    if (run.code == kExitSuccess) {
        EXPECT_EQ(simulator->Parameter(0x3011), 9);
    }
    // Every exchange-table write the instrument ever saw carried the value it holds.
    for (const auto& frame : simulator->Requests()) {
        if (frame.size() == 11 && frame[1] == 0x10 && frame[3] == 0x13) {
            EXPECT_EQ(frame[7], 1);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AroundTheTimeOut, LateReplies, ::testing::Values(380, 405, 408, 416, 425, 440, 450, 460));

// A line that repeats a reply (a converter or device server), at each position of an apply and a read and
// from under a millisecond to past the read time-out: the copy must never pass for the answer to the next
// read, which names no register. A DeviceNet card's three settings have replies of one shape. Position 0
// repeats every reply.
class RepeatedReplies : public CliTest, public ::testing::WithParamInterface<std::tuple<int, int>>
{};

TEST_P(RepeatedReplies, NeverShowNorWriteAValueTheInstrumentDoesNotHold)
{
    const auto [position, delayUs] = GetParam();
    const std::string backup =
        ::testing::TempDir() + "repeated-" + std::to_string(position) + "-" + std::to_string(delayUs) + ".json";
    sim::Config config = Card(2);
    config.nodeAddress = 3;
    config.baudCode = 2;
    config.exchangeChoice = 1;
    config.wireTiming = true;
    config.faults.repeatReply = position;
    config.faults.repeatEvery = position == 0;
    config.faults.repeatDelay = std::chrono::microseconds(delayUs);
    StartSimulator(config);
    simulator->SetFaults({});
    ASSERT_EQ(Cli({"backup", backup}).code, kExitSuccess);
    simulator->SetFaults(config.faults);
    const Run search = Cli({"--json", "search"});
    if (search.code == kExitSuccess) {
        EXPECT_EQ(search.Json()["cardCode"], 2) << search.out;
        EXPECT_EQ(search.Json()["modelText"], "VORN K320") << search.out;
    }
    simulator->SetFaults(config.faults);
    const Run read = Cli({"--json", "read"});
    if (read.code == kExitSuccess) {
        const auto settings = read.Json()["parameters"];
        std::vector<int> raw;
        for (const auto& s : settings) {
            raw.push_back(s["raw"]);
        }
        EXPECT_EQ(raw, (std::vector<int>{3, 2, 1})) << read.out;
    }
    simulator->SetFaults(config.faults); // the positions count again
    const Run apply = Cli({"--json", "apply", "--address", "9"});
    EXPECT_EQ(simulator->Parameter(0x3012), 2) << apply.out;
    EXPECT_EQ(simulator->Parameter(0x3013), 1) << apply.out;
    if (apply.code == kExitSuccess) {
        EXPECT_EQ(simulator->Parameter(0x3011), 9);
    }
    // The backup holds node 3: restoring it puts back every value it holds, and nothing else.
    simulator->SetFaults(config.faults);
    const Run restore = Cli({"restore", backup});
    EXPECT_EQ(simulator->Parameter(0x3012), 2) << restore.out << restore.err;
    EXPECT_EQ(simulator->Parameter(0x3013), 1) << restore.out << restore.err;
    if (restore.code == kExitSuccess) {
        EXPECT_EQ(simulator->Parameter(0x3011), 3);
    }
    for (const auto& frame : simulator->Requests()) {
        if (frame.size() == 11 && frame[1] == 0x10 && frame[3] != 0x11) {
            EXPECT_EQ(frame[7], frame[3] == 0x12 ? 2 : 1) << "a setting nobody gave, written with another value";
        }
    }
    std::filesystem::remove(backup);
}

INSTANTIATE_TEST_SUITE_P(EveryPositionAndDelay, RepeatedReplies,
                         ::testing::Combine(::testing::Range(0, 14), ::testing::Values(300, 1000, 50'000, 600'000)));

TEST_F(CliTest, AWriteWhoseReplyIsLostIsReadBack)
{
    sim::Config config = Card(5);
    config.faults.loseWriteReplies = true;
    StartSimulator(config);
    Run run = Cli({"--json", "apply", "--address", "9"}, true, "100");
    EXPECT_EQ(run.code, kExitSuccess) << run.err;
    EXPECT_EQ(run.Json()["replyLost"], nlohmann::json({"station address", "exchange table"}));
    EXPECT_EQ(simulator->Parameter(0x3011), 9);

    // Landed, but neither answered nor readable: unknown, and said so rather than "not written".
    config.nodeAddress = 3;
    StartSimulator(config);
    InstrumentSession session;
    LinkOptions options;
    options.device = simulator->DevicePath();
    options.readTimeoutMs = 100;
    ASSERT_TRUE(session.Open(options).Ok());
    Identification id;
    ASSERT_TRUE(session.Identify(id).Ok());
    sim::Faults faults = config.faults;
    faults.failReadOf = 0x3011;
    simulator->SetFaults(faults);
    cards::CardSettings settings;
    settings.nodeAddress = 9;
    VerifiedWrite report;
    const Outcome outcome = session.WriteSettings(*id.card, id.cardCode, settings, report);
    EXPECT_EQ(outcome.exitCode, kExitCommunication);
    EXPECT_NE(outcome.message.find("whether it was written is unknown"), std::string::npos) << outcome.message;
    EXPECT_EQ(report.write.failure, WriteReport::Failure::Unknown);
    EXPECT_EQ(report.write.notWritten, std::vector<cards::Parameter>{cards::kExchangeChoice});
    EXPECT_EQ(simulator->Parameter(0x3011), 9);
}

// The cable moved to another instrument in the middle of one command: the card is identified again at the
// end of the read, right before the first write and at the end of the read-back, and another card there
// ends the command with nothing (more) written. EtherNet/IP values must never land on a Profibus card.
TEST_F(CliTest, ACardThatChangesMidCommandIsNeverWrittenNorVerified)
{
    sim::Config config = Card(7);
    StartSimulator(config);
    const std::string backup = ::testing::TempDir() + "card-change.json";
    ASSERT_EQ(Cli({"backup", backup}).code, kExitSuccess);
    // Identification reads of an apply: the search's, the read's closing one, the one before the first
    // write, the read-back's closing one.
    for (const int after : {1, 2, 3}) {
        for (const bool restore : {false, true}) {
            config.faults.cardChangesAfter = after;
            config.faults.laterCardCode = 5;
            simulator->SetFaults(config.faults);
            simulator->ClearRequests();
            const Run run = restore ? Cli({"restore", backup}) : Cli({"apply", "--exchange", "3"});
            const std::string what = (restore ? "restore, change after " : "apply, change after ") +
                                     std::to_string(after) + ": " + run.out + run.err;
            EXPECT_EQ(run.code, kExitCommunication) << what;
            EXPECT_NE(run.err.find("now has the Profibus card (code 5)"), std::string::npos) << what;
            EXPECT_EQ(Writes().empty(), after < 3) << what;
        }
    }
    std::filesystem::remove(backup);
}

// A stop signal during a write: the transaction under way ends, nothing more is sent, and the report says
// what was and was not written, wherever output still goes. A hang-up (a dropped ssh session) is such a
// stop; a reader of standard output that went away stops nothing.
struct StopCase
{
    int signal; // 0: none, standard output closed instead
    int exitCode;
};

class StopSignals : public CliTest, public ::testing::WithParamInterface<StopCase>
{};

TEST_P(StopSignals, EndBetweenTransactions)
{
    const StopCase stop = GetParam();
    sim::Config config = Card(7);
    config.faults.delay = std::chrono::milliseconds(150);
    StartSimulator(config);
    int output[2];
    ASSERT_EQ(::pipe(output), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(output[1], 1);
        ::execl(MESHGATE2_CLI_PATH, "meshgate2-cli", "--device", simulator->DevicePath().c_str(), "--json", "apply",
                "--mode", "dhcp", "--ip", "10.0.0.5", "--exchange", "2", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(output[1]);
    // Wait for the first write to reach the instrument, then stop the program.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (Writes().empty() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_FALSE(Writes().empty());
    if (stop.signal == 0) {
        ::close(output[0]);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), stop.exitCode);
        EXPECT_EQ(Writes(), (std::vector<std::uint16_t>{0x3015, 0x3014, 0x3013}));
        return;
    }
    ::kill(child, stop.signal);
    std::string out;
    char chunk[4096];
    for (ssize_t n; (n = ::read(output[0], chunk, sizeof chunk)) > 0;) {
        out.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(output[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), stop.exitCode);
    const auto result = nlohmann::json::parse(out);
    EXPECT_EQ(result["stopped"], true);
    EXPECT_EQ(result["written"], nlohmann::json({"address mode"}));
    EXPECT_EQ(result["notWritten"], nlohmann::json({"IP block", "exchange table"}));
    EXPECT_EQ(Writes(), std::vector<std::uint16_t>{0x3015});
    EXPECT_EQ(simulator->Parameter(0x3015), 1);
}

INSTANTIATE_TEST_SUITE_P(InterruptAndHangUp, StopSignals,
                         ::testing::Values(StopCase{SIGINT, kExitInterrupted}, StopCase{SIGHUP, kExitHangUp},
                                           StopCase{0, kExitSuccess}),
                         [](const auto& test) {
                             return test.param.signal == 0 ? std::string("OutputClosed")
                                                           : "Signal" + std::to_string(test.param.signal);
                         });
