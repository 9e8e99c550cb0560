#pragma once

#include <csignal>
#include <ostream>
#include <string>
#include <vector>

// meshgate2-cli as a function, so tests run its commands in-process exactly as the executable does.
namespace cli {

// `arguments` without the program name. Results go to `out`, messages and traces to `err`.
// Answers the process exit code (exit_code.h).
int RunCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

// Set from a SIGINT or SIGTERM handler (main installs them): the command finishes the transaction under
// way, sends nothing more, reports what it did and did not do, and ends with kExitInterrupted.
volatile std::sig_atomic_t& StopRequest();

} // namespace cli
