#include "host/file_io.h"
#include "host/open_error.h"
#include "host/port_map.h"
#include "host/utf16_win32.h"

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

TEST(WindowsFiles, ErrorsAreTheSystemsOwnWords)
{
    // What Explorer would say, not Linux's words nor a bare number.
    const std::string folder = ScratchFolder();
    ASSERT_TRUE(file_io::CreateFolders(folder).Ok());
    const struct
    {
        file_io::Result result;
        int error;
        DWORD system;
    } cases[] = {
        {file_io::WriteFileAtomically(folder + "\\missing\\card.json", "x"), ENOENT, ERROR_PATH_NOT_FOUND},
        {file_io::CheckWritable(folder + "\\missing\\line.pcap"), ENOENT, ERROR_PATH_NOT_FOUND},
        {file_io::WriteFileAtomically(folder + "\\plant<3>.json", "x"), EINVAL, ERROR_INVALID_NAME},
        {file_io::CreateFolders(folder + "\\a|b"), EINVAL, ERROR_INVALID_NAME},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.result.error, c.error) << c.result.what;
        EXPECT_EQ(c.result.what, utf16::SystemMessage(c.system));
    }
    EXPECT_EQ(utf16::SystemMessage(ERROR_PATH_NOT_FOUND).find("system error"), std::string::npos);
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
    EXPECT_EQ(ports::AssignmentFile().find('/'), std::string::npos) << "a native path: " << ports::AssignmentFile();
    // A variable's value whole, whatever the ANSI code page holds.
    ASSERT_EQ(::_wputenv_s(L"MESHGATE2_COM9", L"C:\\J\u00fcrgen\\port"), 0);
    EXPECT_EQ(ports::ResolveComPort(9).path, "C:\\J\xC3\xBCrgen\\port");
    EXPECT_EQ(ports::ResolveComPort(9).source, ports::Source::Environment);
    ::_wputenv_s(L"MESHGATE2_COM9", L"");

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
