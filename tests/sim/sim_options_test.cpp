#include "comm/serial_port.h"
#include "sim/sim_options.h"
#include "tests/support/pty_peer.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

sim::Options Parse(std::vector<std::string> args)
{
    return sim::ParseOptions(args);
}

sim::Options Split(const std::string& line)
{
    std::vector<std::string> args;
    std::istringstream words(line);
    for (std::string word; words >> word;)
        args.push_back(word);
    return sim::ParseOptions(args);
}

TEST(SimOptions, EveryFieldCanBeSet)
{
    const auto o = Split("--slave 127 --card=7 --firmware V2.10 --model P320-X --node 0x3E --baud-code 2 "
                         "--exchange 5 --address-mode 1 --ip 10.0.0.5 --mask 255.255.0.0 --gateway 10.0.0.1 "
                         "--wire-timing --turnaround 250 --link /tmp/x --silent --bad-crc --wrong-slave "
                         "--short-reply --exception-reply --delay 15 --fail-first 2 --fail-write-to 0x3013 "
                         "--fail-read-of 0xA500 --trace");
    ASSERT_EQ(o.error, "");
    const sim::Config& c = o.config;
    EXPECT_EQ(c.slaveAddress, 127);
    EXPECT_EQ(c.cardCode, 7);
    EXPECT_EQ(c.firmwareText, "V2.10");
    EXPECT_EQ(c.modelText, "P320-X");
    EXPECT_EQ(c.nodeAddress, 0x3E);
    EXPECT_EQ(c.baudCode, 2);
    EXPECT_EQ(c.exchangeChoice, 4);
    EXPECT_EQ(c.addressMode, 1);
    EXPECT_EQ(c.ip, 0x0A000005u);
    EXPECT_EQ(c.mask, 0xFFFF0000u);
    EXPECT_EQ(c.gateway, 0x0A000001u);
    EXPECT_TRUE(c.wireTiming);
    EXPECT_EQ(c.turnaround.count(), 250);
    EXPECT_EQ(c.linkPath, "/tmp/x");
    EXPECT_TRUE(c.faults.silent && c.faults.badCrc && c.faults.wrongSlave && c.faults.shortReply &&
                c.faults.exceptionReply);
    EXPECT_EQ(c.faults.delay.count(), 15);
    EXPECT_EQ(c.faults.failFirst, 2);
    EXPECT_EQ(c.faults.failWriteTo, 0x3013);
    EXPECT_EQ(c.faults.failReadOf, 0xA500);
    EXPECT_TRUE(o.trace);
    EXPECT_FALSE(o.help);
    EXPECT_TRUE(Parse({"--help"}).help);
    EXPECT_TRUE(Parse({"-h"}).help);
}

// The settings under the command line's names and values, and under the earlier names as raw register
// values: each pair must land on the same registers. Without options, the parameter table's initial values.
TEST(SimOptions, SettingsTakeApplysValuesAndTheEarlierNamesRawValues)
{
    const auto settings = [](const sim::Config& c) {
        return std::vector<std::uint32_t>{c.nodeAddress, c.baudCode, c.exchangeChoice, c.addressMode,
                                          c.ip,          c.mask,     c.gateway};
    };
    const std::vector<std::pair<std::string, std::string>> same = {
        {"", "--node 1 --baud-code 0 --exchange-code 0 --address-mode 0 --ip 192.168.1.10"},
        {"--address 126", "--node 126"},
        {"--address 65535", "--node 0xFFFF"}, // beyond every card's range: the simulator holds it
        {"--baud auto", "--baud-code 3"},
        {"--baud 125", "--baud-code 2"},
        {"--exchange 4", "--exchange-code 3"},
        {"--exchange <1>", "--exchange-code 0"},
        {"--mode DHCP", "--address-mode 1"},
        {"--mode static", "--address-mode 0"},
        {"--ip 10.0.0.5 --mask 255.0.0.0 --gateway 10.0.0.1", "--ip 10.0.0.5 --mask 255.0.0.0 --gateway 10.0.0.1"},
    };
    for (const auto& [named, raw] : same) {
        const sim::Options a = Split(named);
        const sim::Options b = Split(raw);
        ASSERT_EQ(a.error + b.error, "") << named << " / " << raw;
        EXPECT_EQ(settings(a.config), settings(b.config)) << named << " / " << raw;
    }
    EXPECT_EQ(settings(Parse({}).config), settings(sim::Config{})); // the table's initial values
    const std::string zero = Parse({"--exchange", "0"}).error;
    EXPECT_NE(zero.find("count from 1"), std::string::npos) << zero;
    EXPECT_NE(zero.find("--exchange-code"), std::string::npos) << zero;
}

TEST(SimOptions, BadCommandLinesAreRefusedWithTheReason)
{
    const std::vector<std::vector<std::string>> bad = {
        {"--bogus"},
        {"stray"},
        {"--slave"},
        {"--slave", "256"},
        {"--slave", "0"},
        {"--slave", "-1"},
        {"--card", "12x"},
        {"--card", "65536"},
        {"--node", ""},
        {"--node", "0x"},
        {"--delay", "99999999999999999999"},
        {"--ip", "192.168.1"},
        {"--ip", "192.168.1.256"},
        {"--ip", "192.168.1.1.1"},
        {"--ip", "192.168..1"},
        {"--ip", "a.b.c.d"},
        {"--firmware", "ABCDEFGHIJKLMNOPQRST"},
        {"--model", "ABCDEFGHIJKLMNOPQRSTU"},
        {"--silent=yes"},
        {"--link", ""},
        {"--address", "65536"},
        {"--address", "0x10"}, // apply's syntax: decimal
        {"--baud", "300"},
        {"--exchange", "0"},
        {"--exchange", "<2"},
        {"--mode", "bootp"},
        {"--exchange-code", "65536"},
        {"--repeat-reply", "0"},
        {"--card-changes-after", "2"},
    };
    for (const auto& args : bad)
        EXPECT_NE(Parse(args).error, "") << args[0] << (args.size() > 1 ? " " + args[1] : "");
    EXPECT_NE(Parse({"--card", "x"}).error.find("--card"), std::string::npos);
}

// The executable end to end: prints the device, answers on it and through the link, stops on SIGTERM.
TEST(SimExecutable, ServesUntilTerminatedAndRemovesItsLink)
{
    const auto link = std::filesystem::temp_directory_path() / ("meshgate2-sim-" + std::to_string(getpid()));
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        execl(MESHGATE2_SIM_PATH, MESHGATE2_SIM_PATH, "--card", "4", "--link", link.c_str(), nullptr);
        _exit(127);
    }
    close(out[1]);
    FILE* stream = fdopen(out[0], "r");
    char line[256] = {};
    ASSERT_NE(fgets(line, sizeof line, stream), nullptr);
    std::string device(line);
    device.erase(device.find_last_not_of('\n') + 1);
    EXPECT_EQ(device.rfind("/dev/pts/", 0), 0u);
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), device);

    SerialPort port;
    port.SetDevicePath(link.string());
    port.SetReadTimeout(300);
    ASSERT_EQ(port.Open(), 1);
    const Bytes request = Hex("FF 03 30 10 00 0C 5E D4");
    ASSERT_EQ(port.Write(8, request.data()), ResultOk);
    std::uint8_t reply[29] = {};
    EXPECT_EQ(port.Read(29, reply), ResultOk);
    EXPECT_EQ(reply[5], 4); // the card code given on the command line

    kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
    fclose(stream);
}

} // namespace
