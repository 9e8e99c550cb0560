#include "cli/console.h"

#include "cli/command_line.h"

#include <csignal>
#include <unistd.h>

namespace {

void OnStopSignal(int)
{
    cli::StopRequest() = 1;
}

} // namespace

void cli::CatchStopSignals()
{
    // No SA_RESTART: the serial code resumes its waits itself and sees the request between transactions.
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool cli::StandardErrorIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

std::vector<std::string> cli::Arguments(int argc, char** argv)
{
    return std::vector<std::string>(argv + 1, argv + argc);
}
