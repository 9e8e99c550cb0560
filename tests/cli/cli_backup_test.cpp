#include "cli/exit_code.h"
#include "cli_fixture.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

using namespace cli;
namespace fs = std::filesystem;

class CliBackupTest : public CliTest
{
protected:
    void SetUp() override
    {
        directory = fs::temp_directory_path() / ("meshgate2-cli-test-" + std::to_string(::getpid()));
        fs::create_directories(directory);
        file = (directory / "card.json").string();
    }
    void TearDown() override { fs::remove_all(directory); }

    nlohmann::json ReadFile() const
    {
        std::ifstream in(file);
        return nlohmann::json::parse(in);
    }
    void WriteFile(const std::string& text) const { std::ofstream(file) << text; }

    fs::path directory;
    std::string file;
};

TEST_F(CliBackupTest, BackupAndRestoreRoundTripEveryCard)
{
    for (std::uint16_t code : std::initializer_list<std::uint16_t>{1, 2, 4, 5, 6, 7, 8}) {
        SCOPED_TRACE(code);
        sim::Config config = Card(code);
        config.nodeAddress = code == 2 || code == 6 ? 0 : 100;
        config.baudCode = 2;
        config.exchangeChoice = 1;
        config.addressMode = 1;
        config.ip = 0x0A000005;
        StartSimulator(config);
        ASSERT_EQ(Cli({"backup", file}).code, kExitSuccess);
        const auto saved = ReadFile();
        EXPECT_EQ(saved["cardCode"], code);
        EXPECT_EQ(saved["range"], "current");

        // The settings change on the instrument; the restore puts them back.
        simulator->SetParameter(0x3011, 1);
        simulator->SetParameter(0x3012, 0);
        simulator->SetParameter(0x3013, 0);
        simulator->SetParameter(0x3015, 0);
        simulator->SetIpBlock({});
        const Run run = Cli({"restore", file});
        ASSERT_EQ(run.code, kExitSuccess) << run.err;
        // Only Profinet's file held what the card cannot write: the operator hears so.
        EXPECT_EQ(run.err.find("IP block differs from the instrument's and was not written") != std::string::npos,
                  code == 4)
            << run.err;
        const bool ethernet = code == 7 || code == 8;
        EXPECT_EQ(simulator->Parameter(0x3011), ethernet ? 1 : config.nodeAddress);
        EXPECT_EQ(simulator->Parameter(0x3012), code == 2 || code == 6 ? 2 : 0);
        EXPECT_EQ(simulator->Parameter(0x3013), code == 8 ? 0 : 1);
        EXPECT_EQ(simulator->Parameter(0x3015), ethernet ? 1 : 0);
        // Profinet's IP block is recorded but never written back.
        EXPECT_EQ(simulator->IpBlock()[0], ethernet ? 5 : 0);
    }
}

TEST_F(CliBackupTest, BackupFileHoldsCardRangeAndEveryParameter)
{
    sim::Config config = Card(7);
    config.exchangeChoice = 2;
    StartSimulator(config);
    ASSERT_EQ(Cli({"--range", "legacy", "backup", file}).code, kExitSuccess);
    const auto saved = ReadFile();
    EXPECT_EQ(saved["format"], "meshgate2-backup");
    EXPECT_EQ(saved["range"], "legacy");
    EXPECT_EQ(saved["card"], "EtherNet/IP");
    EXPECT_EQ(saved["parameters"], nlohmann::json::parse(R"({"addressMode": 0, "ip": "192.168.1.10",
        "mask": "255.255.255.0", "gateway": "192.168.1.1", "exchangeChoice": 2})"));
    EXPECT_FALSE(fs::exists(file + ".tmp." + std::to_string(::getpid())));
}

// A value the card holds but cannot take back makes a file worth keeping that restore refuses: say so.
TEST_F(CliBackupTest, BackupSaysWhenRestoreWouldRefuseTheFile)
{
    sim::Config config = Card(5);
    config.nodeAddress = 127; // valid on the COMX card, but above what it accepts when written
    StartSimulator(config);
    const Run backup = Cli({"backup", file});
    EXPECT_EQ(backup.code, kExitSuccess) << backup.err;
    EXPECT_NE(backup.err.find("note: the instrument's nodeAddress 127"), std::string::npos) << backup.err;
    EXPECT_NE(backup.err.find("restore and the window refuse this file"), std::string::npos) << backup.err;
    EXPECT_EQ(Cli({"restore", file}).code, kExitInvalidInput);
}

TEST_F(CliBackupTest, RestoreRefusesAMismatchedCard)
{
    StartSimulator(Card(5));
    ASSERT_EQ(Cli({"backup", file}).code, kExitSuccess);
    StartSimulator(Card(1)); // another Profibus variant: its address range differs
    const Run run = Cli({"restore", file});
    EXPECT_EQ(run.code, kExitInvalidInput);
    EXPECT_NE(
        run.err.find("the backup is of the Profibus card (code 5), the instrument has the Profibus card (code 1)"),
        std::string::npos)
        << run.err;
    EXPECT_TRUE(Writes().empty());

    StartSimulator(Card(5));
    EXPECT_EQ(Cli({"--range", "legacy", "restore", file}).code, kExitInvalidInput);
    EXPECT_TRUE(Writes().empty());
}

TEST_F(CliBackupTest, CorruptFilesAreRefusedWithNothingWritten)
{
    StartSimulator(Card(7));
    const std::string good = R"({"format": "meshgate2-backup", "version": 1, "cardCode": 7, "range": "current",
        "parameters": {"addressMode": 1, "ip": "10.0.0.1", "mask": "255.0.0.0", "gateway": "10.0.0.254",
        "exchangeChoice": 4}})";
    WriteFile(good);
    ASSERT_EQ(Cli({"restore", file}).code, kExitSuccess);
    simulator->ClearRequests();

    const auto replace = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    const std::string corrupt[] = {
        "",
        good.substr(0, good.size() / 2),
        "[1, 2, 3]",
        replace("\"meshgate2-backup\"", "\"something-else\""),
        replace("\"version\": 1", "\"version\": 2"),
        replace("\"cardCode\": 7", "\"cardCode\": \"7\""),
        replace("\"cardCode\": 7", "\"cardCode\": 3"),
        replace("\"current\"", "\"newest\""),
        replace("\"addressMode\": 1", "\"addressMode\": 65536"),
        replace("\"addressMode\": 1", "\"addressMode\": -1"),
        replace("\"addressMode\": 1", "\"addressMode\": 1.5"),
        replace("\"addressMode\": 1, ", ""),
        replace("\"10.0.0.1\"", "\"10.0.0\""),
        replace("\"exchangeChoice\": 4", "\"exchangeChoice\": 4, \"nodeAddress\": 3"),
    };
    for (const std::string& text : corrupt) {
        WriteFile(text);
        const Run run = Cli({"restore", file});
        EXPECT_EQ(run.code, kExitInvalidInput) << text;
        EXPECT_NE(run.err.find("bad backup file"), std::string::npos) << run.err;
    }
    // What a JSON parser passes silently: a key twice (it keeps the last), a NUL byte (it stops reading there).
    const std::pair<std::string, const char*> hidden[] = {
        {replace("\"exchangeChoice\": 4", "\"exchangeChoice\": 4, \"exchangeChoice\": 3"),
         "has \"exchangeChoice\" twice in \"parameters\""},
        {replace("\"cardCode\": 7", "\"cardCode\": 7, \"cardCode\": 5"), "has \"cardCode\" twice;"},
        {good + std::string(1, '\0'), "holds a NUL byte"},
        {good + std::string(1, '\0') + "{", "holds a NUL byte"},
    };
    for (const auto& [text, message] : hidden) {
        WriteFile(text);
        const Run run = Cli({"restore", file});
        EXPECT_EQ(run.code, kExitInvalidInput) << text;
        EXPECT_NE(run.err.find("bad backup file: " + file + " " + message), std::string::npos) << run.err;
    }
    WriteFile(std::string(100000, ' '));
    const Run huge = Cli({"restore", file});
    EXPECT_EQ(huge.code, kExitInvalidInput);
    EXPECT_NE(huge.err.find("far larger than a backup"), std::string::npos) << huge.err;
    EXPECT_TRUE(simulator->Requests().empty()); // refused before the port was even used

    // Well-formed, but a value this card cannot take: found once the card is known.
    WriteFile(replace("\"exchangeChoice\": 4", "\"exchangeChoice\": 5"));
    const Run run = Cli({"restore", file});
    EXPECT_EQ(run.code, kExitInvalidInput);
    EXPECT_NE(run.err.find("the backup's exchangeChoice 5"), std::string::npos) << run.err;
    // Static addresses whose gateway the card could never reach.
    WriteFile(replace("\"addressMode\": 1", "\"addressMode\": 0").replace(good.find("10.0.0.254"), 10, "192.168.1.1"));
    const Run gateway = Cli({"restore", file});
    EXPECT_EQ(gateway.code, kExitInvalidInput);
    EXPECT_NE(gateway.err.find("the gateway 192.168.1.1 is outside the subnet"), std::string::npos) << gateway.err;
    EXPECT_TRUE(Writes().empty());
}

TEST_F(CliBackupTest, FileErrorsLoseNothing)
{
    StartSimulator(Card(5));
    const Run missing = Cli({"restore", (directory / "absent.json").string()});
    EXPECT_EQ(missing.code, kExitFileError);

    const std::string nowhere = (directory / "no-such-dir" / "card.json").string();
    const Run unwritable = Cli({"backup", nowhere});
    EXPECT_EQ(unwritable.code, kExitFileError);
    EXPECT_EQ(unwritable.out.find("Saved"), std::string::npos) << "success told for a failed backup";
    EXPECT_TRUE(fs::is_empty(directory));

    // What is not a regular file is neither replaced by a backup nor waited on by a restore.
    const fs::path fifo = directory / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directory(directory / "folder");
    fs::create_symlink("/dev/null", directory / "device");
    for (const char* name : {"fifo", "folder", "device"}) {
        const std::string path = (directory / name).string();
        EXPECT_EQ(Cli({"backup", path}).code, kExitFileError) << name;
        EXPECT_EQ(Cli({"restore", path}).code, kExitFileError) << name;
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_TRUE(fs::is_symlink(directory / "device"));
    fs::remove(fifo);
    fs::remove(directory / "device");
    fs::remove(directory / "folder");

    // A link is followed: the file it leads to gets the backup, and the link stays a link.
    fs::create_symlink("real.json", file);
    EXPECT_EQ(Cli({"backup", file}).code, kExitSuccess);
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_TRUE(fs::is_regular_file(directory / "real.json"));
    fs::remove(file);

    // A failed read leaves an earlier backup as it was.
    WriteFile("earlier");
    sim::Config config = Card(5);
    config.faults.failFirst = 1000;
    config.faults.silent = false;
    StartSimulator(config);
    EXPECT_NE(Cli({"backup", file}, true, "10").code, kExitSuccess);
    std::ifstream in(file);
    std::ostringstream kept;
    kept << in.rdbuf();
    EXPECT_EQ(kept.str(), "earlier");
}

// A capture or log that names the backup, or the other output, would replace it: refused before the
// instrument is touched, with every file as it was. Links and hard links count as the file they lead to.
TEST_F(CliBackupTest, OutputsThatWouldReplaceAFileAreRefusedBeforeAnythingIsSent)
{
    StartSimulator(Card(5));
    WriteFile("the only backup");
    const std::string link = (directory / "link.json").string();
    const std::string hard = (directory / "hard.json").string();
    const std::string frames = (directory / "frames").string();
    fs::create_symlink("card.json", link);
    fs::create_hard_link(file, hard);
    const std::vector<std::vector<std::string>> refused = {
        {"--log", file, "backup", file},
        {"--capture", file, "restore", file},
        {"--capture", link, "backup", file},
        {"--log", hard, "restore", file},
        {"--capture", frames, "--log", frames, "search"},
        {"--capture", (directory / "." / "frames").string(), "--log", frames, "read"},
    };
    for (const auto& arguments : refused) {
        const Run run = Cli(arguments);
        EXPECT_EQ(run.code, kExitInvalidInput) << arguments[0] << " " << arguments[1] << " " << arguments[2];
        EXPECT_NE(run.err.find("nothing sent"), std::string::npos) << run.err;
    }
    EXPECT_TRUE(simulator->Requests().empty());
    std::ifstream in(file);
    std::ostringstream kept;
    kept << in.rdbuf();
    EXPECT_EQ(kept.str(), "the only backup");
    EXPECT_FALSE(fs::exists(frames));
}
