#pragma once

#include <cstdint>
#include <string>

// A real serial device server for the tests: Debian's ser2net in the foreground on 127.0.0.1, with a
// configuration file of the test's own, bridging one device (the simulator's pseudo-terminal) in raw TCP
// and in RFC 2217 mode on two free ports. Stopped by its process id, never by name.
class Ser2net
{
public:
    struct Options
    {
        // The device's settings in ser2net's words: raw TCP needs the instrument's own; at 9600 the RFC 2217
        // port shows that its client set 57600 itself.
        std::string rawSettings = "57600e81";
        std::string rfc2217Settings = "9600n81";
        bool kickOldUser = false; // a second client takes the port instead of being refused
    };

    Ser2net() = default;
    ~Ser2net() { Stop(); }
    Ser2net(const Ser2net&) = delete;
    Ser2net& operator=(const Ser2net&) = delete;

    // Starts ser2net and waits until both ports accept; false with Error() when it does not.
    bool Start(const std::string& device, const Options& options);
    bool Start(const std::string& device) { return Start(device, Options{}); }
    void Stop();
    bool Running() const { return pid > 0; }
    const std::string& Error() const { return error; }

    std::uint16_t RawPort() const { return static_cast<std::uint16_t>(rawPort); }
    std::uint16_t Rfc2217Port() const { return static_cast<std::uint16_t>(rfc2217Port); }
    std::string RawName() const { return "tcp://127.0.0.1:" + std::to_string(rawPort); }
    std::string Rfc2217Name() const { return "rfc2217://127.0.0.1:" + std::to_string(rfc2217Port); }

    // A port on 127.0.0.1 that nothing listens on at the moment of asking.
    static int FreePort();

private:
    int pid = -1;
    int rawPort = 0;
    int rfc2217Port = 0;
    std::string folder;
    std::string error;
};
