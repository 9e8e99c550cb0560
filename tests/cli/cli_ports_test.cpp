#include "cli/exit_code.h"
#include "cli_fixture.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

using namespace cli;
namespace fs = std::filesystem;

// A per-user configuration folder of the test's own, so assignments never touch the real one.
class CliPortsTest : public CliTest
{
protected:
    void SetUp() override
    {
        config = fs::temp_directory_path() / ("meshgate2-config-" + std::to_string(::getpid()));
        ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    }
    void TearDown() override
    {
        ::unsetenv("XDG_CONFIG_HOME");
        fs::remove_all(config);
    }
    fs::path config;
};

TEST_F(CliPortsTest, AnAssignedPortIsFoundWithoutAnyVariableAndPortsSaysWhy)
{
    StartSimulator(Card(5));
    const Run assign = Cli({"assign", "COM4", simulator->DevicePath()}, false);
    ASSERT_EQ(assign.code, kExitSuccess) << assign.err;
    EXPECT_TRUE(fs::exists(config / "meshgate2" / "ports"));

    const Run search = Cli({"--port", "COM4", "search"}, false);
    EXPECT_EQ(search.code, kExitSuccess) << search.err;

    ::setenv("MESHGATE2_COM2", simulator->DevicePath().c_str(), 1);
    const Run run = Cli({"--json", "ports"}, false);
    // An assignment the variable overrules is kept, and said to be overruled.
    const Run overruled = Cli({"assign", "COM2", "/dev/ttyUSB7"}, false);
    ::unsetenv("MESHGATE2_COM2");
    EXPECT_EQ(overruled.code, kExitSuccess);
    EXPECT_NE(overruled.out.find("but MESHGATE2_COM2 is set, so COM2 opens " + simulator->DevicePath()),
              std::string::npos)
        << overruled.out;
    ASSERT_EQ(run.code, kExitSuccess);
    const auto comPorts = run.Json()["comPorts"];
    ASSERT_EQ(comPorts.size(), 9u);
    EXPECT_EQ(comPorts[1]["source"], "environment");
    EXPECT_EQ(comPorts[3]["source"], "assignment");
    EXPECT_EQ(comPorts[3]["path"], simulator->DevicePath());
    EXPECT_EQ(comPorts[3]["exists"], true);
    EXPECT_TRUE(run.Json()["devices"].is_array());

    EXPECT_EQ(Cli({"assign", "COM4", "--clear"}, false).code, kExitSuccess);
    EXPECT_NE(Cli({"--json", "ports"}, false).Json()["comPorts"][3]["source"], "assignment");
    EXPECT_EQ(Cli({"assign", "COM4"}, false).code, kExitInvalidInput);
    EXPECT_EQ(Cli({"assign", "COM300", "/dev/ttyUSB0"}, false).code, kExitInvalidInput);
    EXPECT_NE(Cli({"ports"}, false).out.find("COM ports:"), std::string::npos);
}

// An assignment that would make the file too large to read is refused, and a file that is not read is named
// wherever a port found nothing because of it.
TEST_F(CliPortsTest, APortsFileThatIsNotReadIsNamed)
{
    StartSimulator(Card(5));
    ASSERT_EQ(Cli({"assign", "COM9", simulator->DevicePath()}, false).code, kExitSuccess);
    const fs::path file = config / "meshgate2" / "ports";
    std::ofstream(file, std::ios::app) << std::string(65535 - fs::file_size(file) - 1, '#') << "\n";
    const Run grows = Cli({"assign", "COM8", "/dev/ttyS0"}, false);
    EXPECT_EQ(grows.code, kExitFileError);
    EXPECT_NE(grows.err.find(file.string() + " would grow to"), std::string::npos) << grows.err;
    EXPECT_EQ(fs::file_size(file), 65535u);
    EXPECT_EQ(Cli({"--port", "COM9", "search"}, false).code, kExitSuccess);

    std::ofstream(file, std::ios::app) << std::string(1024, '#');
    const Run search = Cli({"--port", "COM9", "search"}, false);
    EXPECT_EQ(search.code, kExitPortUnavailable);
    EXPECT_NE(search.err.find("no device stands behind this port number (" + file.string() + " is larger than 64 KiB"),
              std::string::npos)
        << search.err;
    // A port that opens something all the same (here through the environment) says which, and why.
    ::setenv("MESHGATE2_COM9", simulator->DevicePath().c_str(), 1);
    const Run opened = Cli({"--port", "COM9", "search"}, false);
    ::unsetenv("MESHGATE2_COM9");
    EXPECT_EQ(opened.code, kExitSuccess);
    EXPECT_NE(opened.err.find(file.string() + " is larger than 64 KiB"), std::string::npos) << opened.err;
    EXPECT_NE(opened.err.find("COM9 opened " + simulator->DevicePath() + " ("), std::string::npos) << opened.err;
}

// Each way a search can fail gets a diagnosis of its own, in text and JSON; the same when the slave address
// is given and no search is made.
struct SearchFault
{
    const char* fault;
    const char* words;
    const char* slaveWords = nullptr; // with --slave 255, when they differ
    friend void PrintTo(const SearchFault& f, std::ostream* out) { *out << f.fault; }
};

class FailedSearch : public CliTest, public ::testing::WithParamInterface<SearchFault>
{};

TEST_P(FailedSearch, SaysWhatTheLineDid)
{
    const std::string fault = GetParam().fault;
    sim::Config config = Card(5);
    config.faults.silent = fault == "silent";
    config.faults.badCrc = fault == "bad-crc";
    config.faults.shortReply = fault == "short";
    config.faults.wrongSlave = fault == "wrong-slave";
    config.faults.exceptionReply = fault == "exception";
    StartSimulator(config);
    // Replies that come are awaited in full; only the silent line gets a short wait.
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--json", "search"}, {"--json", "--slave", "255", "search"}}) {
        const Run run = Cli(arguments, true, fault == "silent" ? "10" : "400");
        EXPECT_EQ(run.code, kExitNoDevice) << arguments[1];
        ASSERT_TRUE(run.Json().contains("diagnosis")) << run.out;
        const char* words =
            arguments[1] == "--slave" && GetParam().slaveWords ? GetParam().slaveWords : GetParam().words;
        EXPECT_NE(run.Json()["diagnosis"].get<std::string>().find(words), std::string::npos) << run.out;
        EXPECT_NE(run.err.find(words), std::string::npos) << run.err;
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryFault, FailedSearch,
    ::testing::Values(SearchFault{"silent", "Nothing answered on any address", "Nothing answered at slave address 255"},
                      SearchFault{"bad-crc", "not at 57600 baud 8E1"}, SearchFault{"short", "not at 57600 baud 8E1"},
                      SearchFault{"wrong-slave", "slave address 254"},
                      SearchFault{"exception", "refuses the identification read"}),
    [](const ::testing::TestParamInfo<SearchFault>& test) {
        std::string name = test.param.fault;
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

TEST_F(CliTest, AKnownSlaveAddressNeedsNoSearchAndProgressCanBeQuiet)
{
    sim::Config config = Card(5);
    config.slaveAddress = 42;
    StartSimulator(config);
    const Run direct = Cli({"--slave", "42", "read"});
    EXPECT_EQ(direct.code, kExitSuccess) << direct.err;
    for (const auto& frame : simulator->Requests()) {
        EXPECT_EQ(frame[0], 42) << "no candidate address was probed";
    }
    EXPECT_EQ(direct.err.find("Searching"), std::string::npos);

    config.slaveAddress = 63; // the second address the search tries
    StartSimulator(config);
    const Run searched = Cli({"search"}, true, "100");
    EXPECT_EQ(searched.code, kExitSuccess);
    EXPECT_NE(searched.err.find(": slave address 255 (1 of 7)...\n"), std::string::npos) << searched.err;
    EXPECT_NE(searched.err.find(": slave address 63 (2 of 7)...\n"), std::string::npos) << searched.err;
    EXPECT_TRUE(Cli({"--quiet", "search"}, true, "100").err.empty());
}

TEST_F(CliTest, EveryCommandHasHelp)
{
    for (const char* command : {"ports", "search", "read", "apply", "backup", "restore"}) {
        const Run run = Cli({command, "--help"}, false);
        EXPECT_EQ(run.code, kExitSuccess) << command;
        EXPECT_NE(run.out.find(command), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("Exit codes:"), std::string::npos);
    }
    const Run apply = Cli({"apply", "--help"}, false);
    for (const char* option : {"--address", "--baud", "--exchange", "--mode", "--ip", "--mask", "--gateway"}) {
        EXPECT_NE(apply.out.find(option), std::string::npos) << option;
    }
    EXPECT_EQ(Cli({"frobnicate"}, false).code, kExitInvalidInput);
    EXPECT_EQ(Cli({"--range", "newest", "read"}, false).code, kExitInvalidInput);
}
