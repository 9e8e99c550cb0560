#include "cli/console.h"

#include "cli/command_line.h"
#include "cli/exit_code.h"

#include <csignal>
#include <unistd.h>

namespace {

void OnStopSignal(int signal)
{
    cli::StopRequest() = signal;
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
    // A dropped ssh session or a closed terminal window is a stop too, never a card left half written.
    sigaction(SIGHUP, &action, nullptr);
    // A reader that went away (`apply ... | head -1`) costs the output, not the rest of the apply: writes to
    // it fail instead of ending the program.
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, nullptr);
}

int cli::ExitCodeAfterStop(int code)
{
    return code == kExitInterrupted && StopRequest() == SIGHUP ? kExitHangUp : code;
}

bool cli::StandardErrorIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

std::vector<std::string> cli::Arguments(int argc, char** argv)
{
    return std::vector<std::string>(argv + 1, argv + argc);
}
