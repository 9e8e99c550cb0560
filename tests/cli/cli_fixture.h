#pragma once

#include "cli/command_line.h"
#include "sim/simulator.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

// One simulated instrument on a thread of the test, and meshgate2-cli run in-process against it.
class CliTest : public ::testing::Test
{
protected:
    struct Run
    {
        int code;
        std::string out;
        std::string err;
        nlohmann::json Json() const { return nlohmann::json::parse(out); }
    };

    void StartSimulator(const sim::Config& config)
    {
        simulator = std::make_unique<sim::Simulator>(config);
        ASSERT_TRUE(simulator->Start()) << simulator->Error();
    }

    sim::Config Card(std::uint16_t cardCode)
    {
        sim::Config config;
        config.cardCode = cardCode;
        return config;
    }

    // Runs a command against the simulator (--device and a time-out put first). The time-out is the
    // configurator's own unless a test waits for silence: replies that arrive are never cut short.
    Run Cli(std::initializer_list<std::string> arguments, bool withDevice = true, const char* timeoutMs = "400")
    {
        return Cli(std::vector<std::string>(arguments), withDevice, timeoutMs);
    }
    Run Cli(const std::vector<std::string>& arguments, bool withDevice = true, const char* timeoutMs = "400")
    {
        std::vector<std::string> all;
        if (withDevice) {
            all = {"--device", simulator->DevicePath(), "--timeout", timeoutMs};
        }
        all.insert(all.end(), arguments.begin(), arguments.end());
        std::ostringstream out;
        std::ostringstream err;
        const int code = cli::RunCommandLine(all, out, err);
        return Run{code, out.str(), err.str()};
    }

    // The function-16 requests the instrument received, by start register.
    std::vector<std::uint16_t> Writes() const
    {
        std::vector<std::uint16_t> starts;
        for (const auto& frame : simulator->Requests()) {
            if (frame.size() > 4 && frame[1] == 0x10) {
                starts.push_back(static_cast<std::uint16_t>(frame[2] << 8 | frame[3]));
            }
        }
        return starts;
    }

    std::unique_ptr<sim::Simulator> simulator;
};
