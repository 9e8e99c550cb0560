#include "cli_fixture.h"
#include "exit_code.h"
#include "port_scan.h"

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

using namespace cli;
namespace fs = std::filesystem;

TEST(PortScan, ListsOnlyPortsWithHardwareAndFollowsStableNames)
{
    const fs::path root = fs::temp_directory_path() / ("meshgate2-ports-" + std::to_string(::getpid()));
    fs::create_directories(root / "dev" / "serial" / "by-id");
    const auto touch = [&](const fs::path& p) { std::ofstream{p}; };
    for (const char* name : {"ttyS0", "ttyS1", "ttyS10", "ttyS2", "ttyUSB0", "ttyACM0", "ttySX", "tty0"}) {
        touch(root / "dev" / name);
    }
    // ttyS1 is a port number without a UART behind it.
    for (auto [name, type] :
         {std::pair<const char*, const char*>{"ttyS0", "4"}, {"ttyS1", "0"}, {"ttyS2", "4"}, {"ttyS10", "99"}}) {
        fs::create_directories(root / "sys" / name);
        std::ofstream(root / "sys" / name / "type") << type << '\n';
    }
    fs::create_symlink("../../ttyUSB0", root / "dev" / "serial" / "by-id" / "usb-FTDI_FT232R-if00-port0");
    ::chmod((root / "dev" / "ttyACM0").c_str(), 0);

    const auto devices = ScanSerialDevices({(root / "dev").string(), (root / "sys").string()});
    std::vector<std::string> names;
    for (const SerialDevice& d : devices) {
        names.push_back(fs::path(d.path).filename().string());
    }
    const std::vector<std::string> expected{"ttyS0",   "ttyS2",   "ttyS10",
                                            "ttyUSB0", "ttyACM0", "usb-FTDI_FT232R-if00-port0"};
    EXPECT_EQ(names, expected);
    EXPECT_EQ(devices[0].kind, "UART 16550A");
    EXPECT_EQ(devices[2].kind, "UART type 99");
    EXPECT_TRUE(devices[0].accessible);
    EXPECT_EQ(devices[5].target, fs::canonical(root / "dev" / "ttyUSB0").string());
    if (::geteuid() != 0) // root may open anything
    {
        EXPECT_FALSE(devices[4].accessible);
        EXPECT_NE(devices[4].hint.find("add yourself to group"), std::string::npos) << devices[4].hint;
    }
    fs::remove_all(root);
}

TEST_F(CliTest, PortsShowsWhatComPortsOpen)
{
    StartSimulator(Card(5));
    ::setenv("MESHGATE2_COM2", simulator->DevicePath().c_str(), 1);
    const Run run = Cli({"--json", "ports"}, false);
    ::unsetenv("MESHGATE2_COM2");
    ASSERT_EQ(run.code, kExitSuccess);
    const auto comPorts = run.Json()["comPorts"];
    ASSERT_EQ(comPorts.size(), 9u);
    EXPECT_EQ(comPorts[0]["name"], "COM1");
    EXPECT_EQ(comPorts[1]["path"], simulator->DevicePath());
    EXPECT_EQ(comPorts[1]["exists"], true);
    EXPECT_EQ(comPorts[8]["path"], "/dev/ttyS8");
    EXPECT_TRUE(run.Json()["devices"].is_array());

    const Run text = Cli({"ports"}, false);
    EXPECT_NE(text.out.find("COM ports:"), std::string::npos);
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
