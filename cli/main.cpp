#include "cli/command_line.h"
#include "cli/exit_code.h"

#include <csignal>
#include <exception>
#include <iostream>

namespace {

void OnStopSignal(int)
{
    cli::StopRequest() = 1;
}

} // namespace

int main(int argc, char** argv)
{
    // No SA_RESTART: the serial code resumes its waits itself and sees the request between transactions.
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    try {
        return cli::RunCommandLine(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "meshgate2-cli: internal error: " << e.what() << '\n';
        return cli::kExitInternal;
    }
}
