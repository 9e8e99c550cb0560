#include "host/settings_file.h"
#include "tests/support/full_disk.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Drops the file-system privileges of root for the calling thread while it lives.
class UnprivilegedFiles
{
public:
    UnprivilegedFiles() : wasRoot(geteuid() == 0)
    {
        if (wasRoot)
            setfsuid(kNobody);
    }
    ~UnprivilegedFiles()
    {
        if (wasRoot)
            setfsuid(0);
    }
    UnprivilegedFiles(const UnprivilegedFiles&) = delete;
    UnprivilegedFiles& operator=(const UnprivilegedFiles&) = delete;

private:
    static constexpr uid_t kNobody = 65534;
    bool wasRoot;
};

namespace fs = std::filesystem;
using Bytes = std::string;

class SettingsFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("meshgate2-settings-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override
    {
        fs::permissions(folder, fs::perms::owner_all);
        fs::remove_all(folder);
    }
    std::string Path() const { return (folder / "Meshgate2.dat").string(); }
    void Write(const Bytes& bytes) { std::ofstream(Path(), std::ios::binary | std::ios::trunc) << bytes; }
    Bytes Read() const
    {
        std::ifstream file(Path(), std::ios::binary);
        std::ostringstream bytes;
        bytes << file.rdbuf();
        return bytes.str();
    }
    fs::path folder;
};

} // namespace

TEST_F(SettingsFileTest, ReadsLittleEndianAndIgnoresTrailingBytes)
{
    EXPECT_FALSE(settings_file::Load(Path()).has_value());
    Write(Bytes("\x04\x00\x00\x00\x07\x00\x00\x00", 8));
    EXPECT_EQ(settings_file::Load(Path()), 4);
    Write(Bytes("\x02\x01\x00\x00", 4));
    EXPECT_EQ(settings_file::Load(Path()), 0x0102);
    Write(Bytes("\xFE\xFF\xFF\xFF", 4));
    EXPECT_EQ(settings_file::Load(Path()), -2);
    for (std::size_t size : {0u, 1u, 2u, 3u}) {
        Write(Bytes("\x05\x00\x00\x00", size));
        EXPECT_FALSE(settings_file::Load(Path()).has_value()) << size << " bytes";
    }
}

TEST_F(SettingsFileTest, WritesExactlyFourBytesWithoutLeavingTemporaries)
{
    Write(Bytes("\x04\x00\x00\x00\x07\x00\x00\x00", 8));
    ASSERT_TRUE(settings_file::Save(-1, Path()));
    EXPECT_EQ(Read(), Bytes("\xFF\xFF\xFF\xFF", 4));
    ASSERT_TRUE(settings_file::Save(0x01020309, Path()));
    EXPECT_EQ(Read(), Bytes("\x09\x03\x02\x01", 4));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST_F(SettingsFileTest, UnwritablePlaceFailsAndLeavesWhatIsThere)
{
    EXPECT_FALSE(settings_file::Save(7, (folder / "missing" / "Meshgate2.dat").string()));
    // A folder where the file should be cannot be replaced by a file.
    ASSERT_TRUE(fs::create_directory(Path()));
    EXPECT_FALSE(settings_file::Save(7, Path()));
    EXPECT_TRUE(fs::is_directory(Path()));
    EXPECT_FALSE(settings_file::Load(Path()).has_value());
}

TEST_F(SettingsFileTest, UnwritableFolderFailsAndKeepsTheOldFile)
{
    Write(Bytes("\x03\x00\x00\x00", 4));
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    {
        // Root writes anywhere: save as an unprivileged file-system user (this thread only), as an
        // operator without rights to the working folder would.
        const UnprivilegedFiles asNobody;
        EXPECT_FALSE(settings_file::Save(7, Path()));
    }
    EXPECT_EQ(settings_file::Load(Path()), 3);

    // The same folder, but the file itself may be written: the port number is kept, written in place.
    ASSERT_EQ(chmod(Path().c_str(), 0666), 0);
    {
        const UnprivilegedFiles asNobody;
        EXPECT_TRUE(settings_file::Save(8, Path()));
    }
    chmod(folder.c_str(), 0700);
    EXPECT_EQ(Read(), Bytes("\x08\x00\x00\x00", 4));
}

TEST_F(SettingsFileTest, FullDiskKeepsTheOldFileAndSaysSo)
{
    const int status = RunOnFullDisk(
        folder.string(), [this] { Write(Bytes("\x03\x00\x00\x00", 4)); },
        [this] {
            if (settings_file::Save(7, Path()))
                return 1; // a save that did not happen reported as done
            return settings_file::Load(Path()) == 3 ? 0 : 2;
        });
    if (status == kNoFullDisk)
        GTEST_SKIP() << "this machine cannot mount a small file system (neither root nor user namespaces)";
    EXPECT_EQ(status, 0) << "1: reported success, 2: the old file was lost";
}

TEST_F(SettingsFileTest, NeverWaitsOnAFifoAndFollowsALink)
{
    ASSERT_EQ(mkfifo(Path().c_str(), 0600), 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(settings_file::Load(Path()).has_value());
    EXPECT_FALSE(settings_file::Save(7, Path()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    ASSERT_EQ(unlink(Path().c_str()), 0);

    const std::string real = (folder / "real.dat").string();
    ASSERT_EQ(symlink(real.c_str(), Path().c_str()), 0);
    EXPECT_TRUE(settings_file::Save(6, Path()));
    EXPECT_EQ(settings_file::Load(real), 6);
    EXPECT_TRUE(fs::is_symlink(Path()));
}
