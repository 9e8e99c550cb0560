#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// The far end of a pseudo-terminal pair, driven by the test: what a scripted instrument would see and
// send. The near end (DevicePath) is opened by the code under test.
class PtyPeer
{
public:
    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    bool Ok() const { return master >= 0; }
    const std::string& DevicePath() const { return path; }
    int MasterFd() const { return master; }

    void Send(const std::vector<std::uint8_t>& bytes);
    // Collects until count bytes came or the time ran out.
    std::vector<std::uint8_t> Receive(std::size_t count, std::chrono::milliseconds within);
    void CloseMaster(); // as if the adapter were unplugged

private:
    int master = -1;
    std::string path;
};

using Bytes = std::vector<std::uint8_t>;
// "FF 03 30 00" to bytes.
Bytes Hex(const char* text);
