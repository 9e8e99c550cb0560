#include "tests/support/ser2net.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

sockaddr_in Loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

bool Listening(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = Loopback(port);
    const bool up = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return up;
}

} // namespace

int Ser2net::FreePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

bool Ser2net::Start(const std::string& device, const Options& options)
{
    Stop();
    char pattern[] = "/tmp/meshgate2-ser2net-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        error = "cannot make a folder for the configuration";
        return false;
    }
    folder = pattern;
    rawPort = FreePort();
    rfc2217Port = FreePort();
    while (rfc2217Port == rawPort)
        rfc2217Port = FreePort();
    const std::string kick = options.kickOldUser ? "true" : "false";
    const std::string config = folder + "/ser2net.yaml";
    std::ofstream(config) << "connection: &raw\n"
                          << "  accepter: tcp,127.0.0.1," << rawPort << "\n"
                          << "  connector: serialdev," << device << "," << options.rawSettings << ",local\n"
                          << "  options:\n    kickolduser: " << kick << "\n"
                          << "connection: &rfc2217\n"
                          << "  accepter: telnet(rfc2217),tcp,127.0.0.1," << rfc2217Port << "\n"
                          << "  connector: serialdev," << device << "," << options.rfc2217Settings << ",local\n"
                          << "  options:\n    kickolduser: " << kick << "\n";
    const std::string log = folder + "/ser2net.log";
    pid = ::fork();
    if (pid < 0) {
        error = "cannot fork";
        return false;
    }
    if (pid == 0) {
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(out, STDERR_FILENO);
        // Debian puts it in /usr/sbin, which a plain user's PATH lacks.
        ::execl("/usr/sbin/ser2net", "ser2net", "-n", "-d", "-c", config.c_str(), static_cast<char*>(nullptr));
        ::execlp("ser2net", "ser2net", "-n", "-d", "-c", config.c_str(), static_cast<char*>(nullptr));
        std::fputs("ser2net is not installed (scripts/deps.sh installs it)\n", stderr);
        ::_exit(127);
    }
    // Generous: a busy machine may take a while to start it; a probe connection is harmless to ser2net.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < until) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            pid = -1;
            std::ifstream in(log);
            std::ostringstream said;
            said << in.rdbuf();
            error = "ser2net ended at once: " + said.str();
            return false;
        }
        if (Listening(rawPort) && Listening(rfc2217Port)) {
            // The probes opened the device for a moment; let ser2net close it before a test connects.
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    error = "ser2net did not listen within 20 s";
    Stop();
    return false;
}

void Ser2net::Stop()
{
    if (pid > 0) {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
        pid = -1;
    }
    if (!folder.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        folder.clear();
    }
}
