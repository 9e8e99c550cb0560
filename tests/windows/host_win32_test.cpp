#include "host/file_io.h"
#include "host/open_error.h"
#include "host/port_map.h"

#include <cerrno>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace {

// A folder of its own under the system's temporary folder, with a name no ANSI code page holds whole.
std::string ScratchFolder()
{
    const char* temp = std::getenv("TEMP");
    return std::string(temp != nullptr ? temp : "C:\\windows\\temp") + "\\meshgate2-J\xC3\xBCrgen-\xCE\xA9";
}

TEST(WindowsFiles, NonAsciiPathsAreWrittenWholeReadAndReplaced)
{
    const std::string folder = ScratchFolder() + "\\Einstellungen";
    ASSERT_TRUE(file_io::CreateFolders(folder).Ok());
    EXPECT_TRUE(file_io::CreateFolders(folder).Ok()); // there already
    const std::string file = folder + "\\Meshgate2.dat";
    ASSERT_TRUE(file_io::WriteFileAtomically(file, "first\r\n").Ok());
    ASSERT_TRUE(file_io::WriteFileAtomically(file, "second").Ok());
    std::string content;
    ASSERT_TRUE(file_io::ReadSmallFile(file, 100, content).Ok());
    EXPECT_EQ(content, "second");
    EXPECT_EQ(file_io::ReadSmallFile(file, 3, content).error, EFBIG);
    EXPECT_EQ(file_io::ReadSmallFile(folder, 100, content).error, EISDIR);
    EXPECT_EQ(file_io::ReadSmallFile(folder + "\\missing", 100, content).error, ENOENT);
    EXPECT_EQ(file_io::WriteFileAtomically(folder, "x").error, EISDIR);
}

TEST(WindowsPorts, ComNumbersAreTheSystemsOwnAndAssignmentsLiveInAppData)
{
    const auto devices = ports::ScanSerialDevices();
    ASSERT_FALSE(devices.empty());
    EXPECT_EQ(devices.front().path, "COM1");
    EXPECT_EQ(ports::ResolveComPort(1).path, "COM1");
    EXPECT_EQ(ports::ResolveComPort(1).source, ports::Source::Automatic);
    EXPECT_EQ(ports::ResolveComPort(9).source, ports::Source::None); // not mapped here
    EXPECT_TRUE(ports::DevicePresent("COM12"));
    EXPECT_TRUE(ports::DevicePresent("\\\\.\\COM12"));
    EXPECT_FALSE(ports::DevicePresent("COM77"));
    EXPECT_NE(ports::ConfigFolder().find("\\meshgate2"), std::string::npos);

    ports::Roots roots;
    roots.config = ScratchFolder() + "\\config";
    ASSERT_TRUE(ports::Assign(9, "COM12", roots).Ok());
    EXPECT_EQ(ports::ResolveComPort(9, roots).path, "COM12");
    EXPECT_EQ(ports::ResolveComPort(9, roots).source, ports::Source::Assignment);
}

TEST(WindowsPorts, OpenErrorsSayWhyInWords)
{
    EXPECT_NE(ExplainOpenFailure("COM7", "COM7", 2).find("no such port"), std::string::npos);
    EXPECT_NE(ExplainOpenFailure("COM4", "COM4", 5).find("in use by another program"), std::string::npos);
    EXPECT_NE(ExplainOpenFailure("COM4", "COM4", 50).find("not a serial port"), std::string::npos);
}

} // namespace
