#include "host/open_error.h"
#include "host/port_map.h"
#include "tests/support/pty_peer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// A /dev and /sys of our own: built-in UARTs (one without hardware), two USB adapters and a modem, as a
// machine shows them.
class PortMapTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() / ("meshgate2-ports-" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "dev" / "serial" / "by-id");
        roots = {(root / "dev").string(), (root / "sys").string(), (root / "config").string()};
        for (const auto& [name, type] : {std::pair{"ttyS0", "4"}, {"ttyS1", "0"}, {"ttyS2", "4"}, {"ttyS10", "99"}}) {
            Touch(root / "dev" / name);
            fs::create_directories(root / "sys" / name);
            std::ofstream(root / "sys" / name / "type") << type << '\n';
        }
        Touch(root / "dev" / "ttySX");
        Adapter("ttyUSB0", "usb-FTDI_FT232R_USB_UART_A1-if00-port0", "FTDI", "FT232R USB UART");
        Adapter("ttyUSB1", "", "", "");
        Adapter("ttyACM0", "usb-Arduino_Uno_75-if00", "Arduino (www.arduino.cc)", "Uno");
        for (int n = 1; n <= 12; ++n)
            unsetenv(("MESHGATE2_COM" + std::to_string(n)).c_str());
    }
    void TearDown() override { fs::remove_all(root); }

    static void Touch(const fs::path& path) { std::ofstream{path}; }

    // A tty behind a USB device that tells its maker and product, with a stable name when one is given.
    void Adapter(const std::string& tty, const std::string& byId, const char* maker, const char* product)
    {
        Touch(root / "dev" / tty);
        const fs::path usb = root / "sys" / "devices" / ("usb-" + tty);
        fs::create_directories(usb / "1-1:1.0" / tty);
        if (maker[0] != '\0') {
            Touch(usb / "idVendor");
            std::ofstream(usb / "manufacturer") << maker << '\n';
            std::ofstream(usb / "product") << product << '\n';
        }
        fs::create_directories(root / "sys" / tty);
        fs::create_symlink(usb / "1-1:1.0" / tty, root / "sys" / tty / "device");
        if (!byId.empty())
            fs::create_symlink("../../" + tty, root / "dev" / "serial" / "by-id" / byId);
    }

    std::vector<std::string> Paths() const
    {
        std::vector<std::string> names;
        for (const ports::SerialDevice& d : ports::ScanSerialDevices(roots))
            names.push_back(fs::path(d.path).filename().string());
        return names;
    }

    fs::path root;
    ports::Roots roots;
};

TEST_F(PortMapTest, UartsFirstThenAdaptersByStableNameWhichTheyKeepWhenReplugged)
{
    const std::vector<std::string> expected{
        "ttyS0", "ttyS2", "ttyS10", "usb-Arduino_Uno_75-if00", "usb-FTDI_FT232R_USB_UART_A1-if00-port0", "ttyUSB1"};
    EXPECT_EQ(Paths(), expected);
    const auto devices = ports::ScanSerialDevices(roots);
    EXPECT_EQ(devices[0].Description(), "UART 16550A (ttyS0)");
    EXPECT_EQ(devices[2].Description(), "UART type 99 (ttyS10)");
    EXPECT_EQ(devices[3].Description(), "Arduino (www.arduino.cc) Uno (ttyACM0)");
    EXPECT_EQ(devices[4].Description(), "FTDI FT232R USB UART (ttyUSB0)");
    EXPECT_EQ(devices[5].Description(), "USB serial (ttyUSB1)");
    const ports::ComPort com5 = ports::ResolveComPort(5, roots);
    EXPECT_EQ(com5.path, (root / "dev" / "serial" / "by-id" / expected[4]).string());
    EXPECT_EQ(com5.source, ports::Source::Automatic);

    // Unplugged, then back as ttyUSB3: the same COM number, through the same stable name.
    fs::remove(root / "dev" / "ttyUSB0");
    fs::remove(root / "dev" / "serial" / "by-id" / expected[4]);
    EXPECT_EQ(ports::ResolveComPort(5, roots).path, (root / "dev" / "ttyUSB1").string());
    Adapter("ttyUSB3", expected[4], "FTDI", "FT232R USB UART");
    EXPECT_EQ(ports::ResolveComPort(5, roots).path, com5.path);
    EXPECT_EQ(ports::ResolveComPort(5, roots).description, "FTDI FT232R USB UART (ttyUSB3)");
    EXPECT_EQ(ports::ResolveComPort(9, roots).source, ports::Source::None);
}

TEST_F(PortMapTest, EnvironmentThenAssignmentThenAutomatic)
{
    const std::string adapter = (root / "dev" / "ttyUSB1").string();
    ASSERT_TRUE(ports::Assign(1, adapter, roots).Ok());
    // A later program run (a fresh lookup) finds the assignment.
    EXPECT_EQ(ports::ResolveComPort(1, roots).path, adapter);
    EXPECT_EQ(ports::ResolveComPort(1, roots).source, ports::Source::Assignment);
    EXPECT_EQ(ports::ResolveComPort(1, roots).description, "USB serial (ttyUSB1)");
    setenv("MESHGATE2_COM1", "/dev/pts/77", 1);
    EXPECT_EQ(ports::ResolveComPort(1, roots).path, "/dev/pts/77");
    EXPECT_EQ(ports::ResolveComPort(1, roots).source, ports::Source::Environment);
    unsetenv("MESHGATE2_COM1");
    ASSERT_TRUE(ports::Assign(1, "", roots).Ok());
    EXPECT_EQ(ports::ResolveComPort(1, roots).path, (root / "dev" / "ttyS0").string());
    EXPECT_EQ(ports::ResolveComPort(65537, roots).source, ports::Source::None);
    EXPECT_FALSE(ports::Assign(256, adapter, roots).Ok());
    EXPECT_FALSE(ports::Assign(2, "/dev/tty\nCOM1 /dev/evil", roots).Ok());
}

TEST(PortAssignments, FileLinesThatAreNoAssignmentAreSkipped)
{
    const auto parsed = ports::ParseAssignments("# comment\nCOM4 /dev/ttyUSB0\r\n\nCOM0 /dev/a\nCOM256 /dev/b\nCOM7\n"
                                                "COM3x /dev/c\ncom2 /dev/d\nCOM9 \t/dev/serial/by-id/my adapter \n");
    const std::map<int, std::string> expected{{4, "/dev/ttyUSB0"}, {9, "/dev/serial/by-id/my adapter"}};
    EXPECT_EQ(parsed, expected);
    EXPECT_EQ(ports::ParseAssignments(ports::FormatAssignments(expected)), expected);
}

// The user's file is edited, never rebuilt: lines this version does not understand stay, a relative path
// is kept as the absolute one it meant, and a file far too large to be the user's assignments is left.
TEST_F(PortMapTest, AssignChangesOnlyItsOwnLineAndKeepsPathsAbsolute)
{
    const fs::path file = ports::AssignmentFile(roots);
    fs::create_directories(file.parent_path());
    const std::string kept = "# mine\nCOM4 /dev/ttyUSB0\nBAUD 57600\nCOM300 /dev/later\n";
    std::ofstream(file) << kept << "COM2 /dev/old";
    ASSERT_TRUE(ports::Assign(2, "relative/adapter", roots).Ok());
    const auto text = [&] {
        std::ifstream in(file);
        std::ostringstream read;
        read << in.rdbuf();
        return read.str();
    };
    const std::string absolute = (fs::current_path() / "relative/adapter").string();
    EXPECT_EQ(text(), kept + "COM2 " + absolute + "\n");
    ASSERT_TRUE(ports::Assign(4, "", roots).Ok());
    EXPECT_EQ(text(), "# mine\nBAUD 57600\nCOM300 /dev/later\nCOM2 " + absolute + "\n");

    // An assignment that would take the file past what is read is refused; one that shrinks it is not.
    std::ofstream(file, std::ios::app) << std::string(65535 - text().size() - 1, '#') << "\n";
    const std::string full = text();
    ASSERT_EQ(full.size(), 65535u);
    const file_io::Result grows = ports::Assign(5, "/dev/ttyS0", roots);
    EXPECT_EQ(grows.error, EFBIG);
    EXPECT_NE(grows.what.find(file.string() + " would grow to 65551 bytes, past the 65536 the program reads"),
              std::string::npos)
        << grows.what;
    EXPECT_EQ(text(), full);
    EXPECT_EQ(ports::LoadAssignments(roots).at(2), absolute);
    ASSERT_TRUE(ports::Assign(2, "", roots).Ok());

    std::ofstream(file, std::ios::app) << std::string(70 * 1024, '#');
    const std::string large = text();
    const file_io::Result refused = ports::Assign(5, "/dev/ttyS0", roots);
    EXPECT_FALSE(refused.Ok());
    EXPECT_NE(refused.what.find("larger than 64 KiB"), std::string::npos) << refused.what;
    EXPECT_EQ(text(), large);
    EXPECT_EQ(ports::AssignmentProblem(roots), refused.what);
}

// Two programs assigning at once, each a port of its own: every assignment survives.
TEST_F(PortMapTest, AssignmentsMadeAtOnceAreAllKept)
{
    constexpr int kEach = 30;
    std::vector<pid_t> children;
    for (int first : {1, 1 + kEach}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            bool ok = true;
            for (int n = first; n < first + kEach; ++n)
                ok = ports::Assign(n, "/dev/ttyUSB" + std::to_string(n), roots).Ok() && ok;
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(ports::LoadAssignments(roots).size(), 2u * kEach);
}

TEST(NetworkNames, HostAndPortOfEveryFormAreTakenAndMalformedOnesRefused)
{
    using Protocol = ports::NetworkLine::Protocol;
    struct Case
    {
        const char* name;
        bool valid;
        Protocol protocol = Protocol::Raw;
        const char* host = "";
        int port = 0;
    };
    for (const Case& c : {
             Case{"tcp://10.0.0.7:4001", true, Protocol::Raw, "10.0.0.7", 4001},
             Case{"RFC2217://nport-3.plant:950", true, Protocol::Rfc2217, "nport-3.plant", 950},
             Case{"rfc2217://[fd00::7]:65535", true, Protocol::Rfc2217, "fd00::7", 65535},
             Case{"tcp://fd00::7:4001", false}, // an IPv6 address needs its brackets
             Case{"tcp://[10.0.0.7]:4001", false},
             Case{"tcp://10.0.0.7", false},
             Case{"tcp://10.0.0.7:0", false},
             Case{"tcp://10.0.0.7:65536", false},
             Case{"tcp://10.0.0.7:40a1", false},
             Case{"tcp://:4001", false},
             Case{"tcp://my host:4001", false},
             Case{"/dev/ttyUSB0", false},
         }) {
        SCOPED_TRACE(c.name);
        const auto parsed = ports::ParseNetworkName(c.name);
        ASSERT_EQ(parsed.has_value(), c.valid);
        EXPECT_EQ(ports::IsNetworkName(c.name), std::string_view(c.name).find("://") != std::string_view::npos);
        if (parsed) {
            EXPECT_EQ(parsed->protocol, c.protocol);
            EXPECT_EQ(parsed->host, c.host);
            EXPECT_EQ(parsed->port, c.port);
        }
    }
}

// The advice a denied open gets: the group to join when that helps, never root's, and who holds a busy port.
TEST(OpenErrors, EachFailureHasItsOwnReasonAndRemedy)
{
    const fs::path folder = fs::temp_directory_path() / ("meshgate2-open-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const group* dialout = ::getgrnam("dialout");
    ASSERT_NE(dialout, nullptr) << "Debian has a dialout group";
    struct Case
    {
        gid_t group;
        mode_t mode;
        const char* expected;
        const char* never;
    };
    for (const Case& c :
         {Case{dialout->gr_gid, 0660, "usermod -aG dialout", "only its owner"},
          Case{dialout->gr_gid, 0600, "only its owner", "usermod"}, Case{0, 0660, "only its owner", "usermod"}}) {
        const fs::path device = folder / "ttyUSB0";
        std::ofstream{device};
        ASSERT_EQ(::chmod(device.c_str(), c.mode), 0);
        if (::chown(device.c_str(), ::getuid(), c.group) != 0)
            GTEST_SKIP() << "cannot give a file to group " << c.group << " here";
        const OpenError e = DescribeOpenError(EACCES, device.string());
        EXPECT_EQ(e.reason, "permission denied");
        EXPECT_NE(e.remedy.find(c.expected), std::string::npos) << e.remedy;
        EXPECT_EQ(e.remedy.find(c.never), std::string::npos) << e.remedy;
        fs::remove(device);
    }

    fs::create_symlink("../ttyUSB9", folder / "usb-gone");
    EXPECT_NE(DescribeOpenError(ENOENT, (folder / "usb-gone").string()).reason.find("not plugged in"),
              std::string::npos);
    EXPECT_EQ(DescribeOpenError(ENOENT, "/dev/ttyS77").reason, "there is no such device");
    EXPECT_EQ(DescribeOpenError(ENOTTY, "/etc/hostname").reason, "this is not a serial device");
    EXPECT_NE(DescribeOpenError(0, "").reason.find("no device"), std::string::npos);

    // Another process holds the device: named with its process id.
    PtyPeer peer;
    const fs::path held = peer.DevicePath();
    ::mkfifo((folder / "go").c_str(), 0600);
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        const int fd = ::open(held.c_str(), O_RDONLY);
        const int go = ::open((folder / "go").c_str(), O_WRONLY); // tells the parent the file is open
        char wait = 0;
        (void)!::read(go, &wait, 0);
        ::pause();
        ::_exit(fd >= 0 ? 0 : 1);
    }
    const int go = ::open((folder / "go").c_str(), O_RDONLY);
    const std::string busy = ExplainOpenFailure("COM3", held.string(), EBUSY);
    ::kill(holder, SIGTERM);
    ::waitpid(holder, nullptr, 0);
    ::close(go);
    EXPECT_EQ(busy.find("COM3 (" + held.string() + "): in use by "), 0u) << busy;
    EXPECT_NE(busy.find("(process " + std::to_string(holder) + ")"), std::string::npos) << busy;
    fs::remove_all(folder);
}

} // namespace
