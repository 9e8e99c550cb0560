#pragma once

#include <string>
#include <vector>

// What differs between a Linux terminal and the Windows console for the command line.
namespace cli {

// Lets Ctrl-C (and SIGTERM, a hang-up, or closing the console window on Windows) ask for a stop between transactions:
// the one under way finishes, and the report says what was written.
void CatchStopSignals();
// The exit code of a command, as a stop signal that ended it makes it: 129 after a hang-up (SIGHUP).
int ExitCodeAfterStop(int code);

// Whether standard error is a terminal or console window, where the progress line is rewritten in place
// (never a file or pipe, which get a line per step).
bool StandardErrorIsTerminal();

// The arguments in UTF-8, as every path and name is kept inside (Windows hands main its ANSI code page,
// which cannot hold every folder name), and output set to show UTF-8 text.
std::vector<std::string> Arguments(int argc, char** argv);

} // namespace cli
