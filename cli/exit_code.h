#pragma once

#include <string>

// The command line's exit codes; scripts rely on them, so they never change meaning.
namespace cli {

enum ExitCode : int
{
    kExitSuccess = 0,
    kExitInternal = 1,        // an unexpected fault of this program
    kExitInvalidInput = 2,    // bad option or value, value outside the card's range, bad or mismatched backup file
    kExitNoDevice = 3,        // the port opened, but no instrument answered the search
    kExitCommunication = 4,   // the instrument stopped answering, a read or write failed, or a value did not verify
    kExitUnsupportedCard = 5, // the instrument carries a card without settings known here
    kExitPortUnavailable = 6, // the port could not be opened: missing, no permission, or in use
    kExitFileError = 7,       // the backup file could not be read or written
    kExitHangUp = 129,        // stopped by SIGHUP, the terminal or session gone (after the transaction under way)
    kExitInterrupted = 130,   // stopped by SIGINT or SIGTERM (after the transaction under way)
};

// The outcome of one step; a failure carries its exit code and a message for the operator.
struct Outcome
{
    int exitCode = kExitSuccess;
    std::string message;
    bool Ok() const { return exitCode == kExitSuccess; }
    static Outcome Fail(int code, std::string text) { return Outcome{code, std::move(text)}; }
};

} // namespace cli
