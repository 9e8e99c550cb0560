#pragma once

#include "cli/command_result.h"

#include <ostream>

namespace cli {

// Shows what a command found and did: as one JSON object on `out` (with "ok", "exitCode" and "error"),
// or as text for a person; a failure's message always goes to `err` as well. Answers the exit code.
int Render(const CommandResult& result, bool json, std::ostream& out, std::ostream& err);

} // namespace cli
