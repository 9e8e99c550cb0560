#include "cli/exit_code.h"
#include "cli/instrument_session.h"
#include "cli_fixture.h"

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace cli;

TEST_F(CliTest, SearchIdentifiesEveryCardWithItsVariantPrefix)
{
    struct Case
    {
        std::uint16_t code;
        const char* card;
        const char* tab;
        const char* shown;
    };
    for (const Case& c :
         {Case{1, "Profibus", "PROFIBUS", "COM-DPS / V1.00"},
          Case{5, "Profibus", "PROFIBUS", "COMX 100XX-DPS    / V1.00"},
          Case{2, "DeviceNet", "DEVICENET", "COM-DNS / V1.00"},
          Case{6, "DeviceNet", "DEVICENET", "COMX 100XX-DNS    / V1.00"}, Case{4, "Profinet", "PROFINET", "V1.00"},
          Case{7, "EtherNet/IP", "ETHERNET/IP", "V1.00"}, Case{8, "Modbus-TCP", "MODBUS-TCP", "V1.00"}}) {
        SCOPED_TRACE(c.code);
        StartSimulator(Card(c.code));
        const Run run = Cli({"--json", "search"});
        ASSERT_EQ(run.code, kExitSuccess) << run.err;
        const auto result = run.Json();
        EXPECT_EQ(result["cardCode"], c.code);
        EXPECT_EQ(result["card"], c.card);
        EXPECT_EQ(result["tab"], c.tab);
        EXPECT_EQ(result["firmwareShown"], c.shown);
        EXPECT_EQ(result["model"], "K320");
        EXPECT_EQ(result["slaveAddress"], 255);
    }
}

TEST_F(CliTest, UnsupportedCardIsReportedWithItsOwnExitCode)
{
    StartSimulator(Card(3));
    const Run search = Cli({"search"});
    EXPECT_EQ(search.code, kExitUnsupportedCard);
    EXPECT_NE(search.out.find("Card code:"), std::string::npos);
    EXPECT_NE(search.err.find("Device does not support Meshgate2 feature."), std::string::npos);
    EXPECT_EQ(Cli({"read"}).code, kExitUnsupportedCard);
    EXPECT_EQ(Cli({"apply", "--address", "3"}).code, kExitUnsupportedCard);
    EXPECT_EQ(Cli({"backup", "/tmp/never-written.json"}).code, kExitUnsupportedCard);
    const std::string backup = ::testing::TempDir() + "meshgate2-unsupported.json";
    std::ofstream(backup) << R"({"format": "meshgate2-backup", "version": 1, "cardCode": 8, "range": "current",
        "parameters": {"addressMode": 0, "ip": "10.0.0.1", "mask": "255.0.0.0", "gateway": "10.0.0.254"}})";
    EXPECT_EQ(Cli({"restore", backup}).code, kExitUnsupportedCard);
    std::remove(backup.c_str());
    EXPECT_TRUE(Writes().empty());
}

TEST_F(CliTest, SearchFindsAnInstrumentAtALaterCandidateAddress)
{
    sim::Config config = Card(8);
    config.slaveAddress = 127;
    config.modelText = "VORN G320 K4";
    StartSimulator(config);
    const Run run = Cli({"--json", "search"});
    ASSERT_EQ(run.code, kExitSuccess) << run.err;
    EXPECT_EQ(run.Json()["slaveAddress"], 127);
    EXPECT_EQ(run.Json()["model"], "G320");
}

TEST_F(CliTest, SilentLineIsNoDevice)
{
    sim::Config config = Card(5);
    config.faults.silent = true;
    StartSimulator(config);
    const Run run = Cli({"--json", "search"}, true, "10");
    EXPECT_EQ(run.code, kExitNoDevice);
    EXPECT_EQ(run.Json()["ok"], false);
    EXPECT_NE(run.err.find("No device found"), std::string::npos);
}

TEST_F(CliTest, PortProblemsAreNamed)
{
    StartSimulator(Card(5));
    const Run missing = Cli({"--device", "/dev/no-such-tty", "search"}, false);
    EXPECT_EQ(missing.code, kExitPortUnavailable);
    EXPECT_NE(missing.err.find("no such device"), std::string::npos);

    const Run neither = Cli({"search"}, false);
    EXPECT_EQ(neither.code, kExitInvalidInput);
    EXPECT_NE(neither.err.find("--port COMn or --device PATH"), std::string::npos);

    for (const char* bad : {"COM0", "COM", "ttyS0", "COM99999"}) {
        const Run run = Cli({"--port", bad, "search"}, false);
        EXPECT_EQ(run.code, kExitInvalidInput) << bad;
    }

    // COMn resolves as the configurator does, through MESHGATE2_COMn.
    ::setenv("MESHGATE2_COM3", simulator->DevicePath().c_str(), 1);
    const Run byName = Cli({"--port", "com3", "--timeout", "100", "search"}, false);
    ::unsetenv("MESHGATE2_COM3");
    EXPECT_EQ(byName.code, kExitSuccess) << byName.err;
}

TEST_F(CliTest, DeviceHeldByAnotherProcessIsInUse)
{
    StartSimulator(Card(5));
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        // The other program: holds the port as the configurator would, until told to go.
        const int fd = ::open(simulator->DevicePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        const char ok = (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) ? '1' : '0';
        (void)!::write(ready[1], &ok, 1);
        ::pause();
        ::_exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, '1');
    const Run run = Cli({"search"});
    ::kill(holder, SIGTERM);
    ::waitpid(holder, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_EQ(run.code, kExitPortUnavailable);
    EXPECT_NE(run.err.find("in use by cli_tests (process " + std::to_string(holder) + ")"), std::string::npos)
        << run.err;
}

TEST_F(CliTest, ReadShowsRawValuesAndMeaningsForEachCard)
{
    sim::Config profibus = Card(5);
    profibus.nodeAddress = 127; // valid when read, though this card accepts only 1-125 when written
    profibus.exchangeChoice = 2;
    StartSimulator(profibus);
    auto result = Cli({"--json", "read"}).Json();
    ASSERT_EQ(result["parameters"].size(), 2u);
    EXPECT_EQ(result["parameters"][0]["raw"], 127);
    EXPECT_EQ(result["parameters"][0]["valid"], true);
    EXPECT_TRUE(result["parameters"][0].contains("note"));
    EXPECT_EQ(result["parameters"][1]["text"], "<3> Results fifo (32 bytes+16 words)");
    EXPECT_NE(result["parameters"][1]["modules"].get<std::string>().find("16 Words Output CON"), std::string::npos);
    // The same code means another entry in the legacy list.
    result = Cli({"--json", "--range", "legacy", "read"}).Json();
    EXPECT_EQ(result["parameters"][1]["text"], "<3> Results and Parameters standard (32 bytes+64 words)");

    sim::Config profinet = Card(4);
    profinet.nodeAddress = 7;
    profinet.exchangeChoice = 4;
    profinet.modelText = "VORN P320";
    StartSimulator(profinet);
    result = Cli({"--json", "read"}).Json();
    EXPECT_EQ(result["parameters"][0]["text"], "007");
    EXPECT_EQ(result["parameters"][0]["stationName"], "vornp3007");
    EXPECT_EQ(result["parameters"][1]["ip"], "192.168.1.10");
    EXPECT_EQ(result["parameters"][1]["raw"], nlohmann::json({10, 1, 168, 192, 0, 255, 255, 255, 1, 1, 168, 192}));
    EXPECT_EQ(result["parameters"][2]["text"], "<5> Upload/download Parameters (256 bytes)");

    sim::Config modbus = Card(8);
    modbus.addressMode = 1;
    modbus.ip = 0x0A000001;
    StartSimulator(modbus);
    result = Cli({"--json", "read"}).Json();
    ASSERT_EQ(result["parameters"].size(), 2u); // no exchange table on this card
    EXPECT_EQ(result["parameters"][0]["text"], "DHCP");
    EXPECT_EQ(result["parameters"][1]["ip"], "10.0.0.1");
}

TEST_F(CliTest, ReadNeverHidesAValueOutsideItsList)
{
    sim::Config devicenet = Card(6);
    devicenet.nodeAddress = 64;
    devicenet.baudCode = 3; // "Auto" exists only on the other DeviceNet card
    devicenet.exchangeChoice = 4;
    StartSimulator(devicenet);
    Run run = Cli({"--json", "--range", "legacy", "read"});
    EXPECT_EQ(run.code, kExitSuccess);
    const auto outside = run.Json()["parameters"];
    for (const auto& item : outside) {
        EXPECT_EQ(item["valid"], false) << item.dump();
        EXPECT_EQ(item["text"].get<std::string>().rfind("outside ", 0), 0u) << item.dump();
    }
    run = Cli({"--range", "legacy", "read"});
    EXPECT_NE(run.out.find("64  outside 0 to 63  [INVALID]"), std::string::npos) << run.out;

    sim::Config com = Card(2);
    com.baudCode = 3;
    StartSimulator(com);
    EXPECT_EQ(Cli({"--json", "read"}).Json()["parameters"][1]["text"], "Auto");

    sim::Config ethernet = Card(7);
    ethernet.addressMode = 2;
    ethernet.exchangeChoice = 5;
    StartSimulator(ethernet);
    const auto parameters = Cli({"--json", "read"}).Json()["parameters"];
    EXPECT_EQ(parameters[0]["raw"], 2);
    EXPECT_EQ(parameters[0]["valid"], false);
    EXPECT_EQ(parameters[2]["raw"], 5);
    EXPECT_EQ(parameters[2]["valid"], false);
}

TEST_F(CliTest, AParameterThatCannotBeReadIsNamedAndTheOthersAreStillRead)
{
    sim::Config config = Card(7);
    config.addressMode = 1;
    config.exchangeChoice = 3;
    StartSimulator(config);
    InstrumentSession session;
    LinkOptions options;
    options.device = simulator->DevicePath();
    options.readTimeoutMs = 50;
    ASSERT_TRUE(session.Open(options).Ok());
    Identification id;
    ASSERT_TRUE(session.Identify(id).Ok());
    ASSERT_NE(id.card, nullptr);

    // Every attempt at the first parameter (the address mode) goes unanswered.
    sim::Faults faults;
    faults.failFirst = 3;
    simulator->SetFaults(faults);
    cards::CardSettings settings;
    std::vector<cards::Parameter> failed;
    const Outcome outcome = session.ReadSettings(*id.card, id.cardCode, settings, failed);
    EXPECT_EQ(outcome.exitCode, kExitCommunication);
    EXPECT_EQ(outcome.message, "could not read address mode");
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].start, 0x3015);
    EXPECT_EQ(settings.addressMode, 0); // untouched
    EXPECT_EQ(settings.exchangeChoice, 3);
    EXPECT_EQ(settings.ip.ip, config.ip);
}

// Texts from the instrument are bytes: a degree sign (not UTF-8 on its own) and a terminal escape
// sequence in the model text neither break JSON or a backup nor reach a terminal raw.
TEST_F(CliTest, InstrumentTextsAreShownSafely)
{
    sim::Config config = Card(7);
    config.firmwareText = "V1.0\xB0";
    config.modelText = "VO\x1B]0;owned\x07K320";
    StartSimulator(config);
    const Run json = Cli({"--json", "search"});
    ASSERT_EQ(json.code, kExitSuccess) << json.err;
    EXPECT_EQ(json.Json()["firmware"], "V1.0\u00B0");
    EXPECT_EQ(json.Json()["modelText"], "VO\x1B]0;owned\x07K320");
    EXPECT_EQ(json.out.find('\x1B'), std::string::npos) << "escape sequence passed to the terminal";

    const Run text = Cli({"search"});
    EXPECT_EQ(text.out.find('\x1B'), std::string::npos);
    EXPECT_NE(text.out.find("VO\\x1B]0;owned\\x07K320"), std::string::npos) << text.out;

    const std::string backup = ::testing::TempDir() + "meshgate2-texts.json";
    EXPECT_EQ(Cli({"backup", backup}).code, kExitSuccess);
    EXPECT_EQ(Cli({"restore", backup}).code, kExitSuccess);
    std::remove(backup.c_str());
}

TEST_F(CliTest, BadCommandLinesAreExplainedAndGiveJsonWhenAskedFor)
{
    StartSimulator(Card(5));
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--json", "apply", "--bogus", "1"}, "--bogus"},
        {{"--json", "--timeout", "0", "read"}, "--timeout"},
        {{"--json", "--timeout", "", "read"}, "--timeout: the value is empty: give a number of milliseconds"},
        {{"--json", "--slave", "", "read"}, "--slave: the value is empty: give an address from 1 to 255"},
        {{"--json", "--slave", "256", "read"}, "--slave"},
        {{"--json", "frobnicate"}, "subcommand"},
    };
    for (const auto& [arguments, says] : cases) {
        const Run run = Cli(arguments, false);
        EXPECT_EQ(run.code, kExitInvalidInput);
        EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
        const auto result = nlohmann::json::parse(run.out);
        EXPECT_EQ(result["exitCode"], kExitInvalidInput);
        EXPECT_EQ(result["ok"], false);
        EXPECT_FALSE(result["error"].get<std::string>().empty());
        EXPECT_EQ(run.err.rfind("meshgate2-cli: ", 0), 0u) << run.err;
    }
}
