#include "cli/command_line.h"
#include "cli/console.h"
#include "cli/exit_code.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv)
{
    cli::CatchStopSignals();
    try {
        return cli::ExitCodeAfterStop(cli::RunCommandLine(cli::Arguments(argc, argv), std::cout, std::cerr));
    } catch (const std::exception& e) {
        std::cerr << "meshgate2-cli: internal error: " << e.what() << '\n';
        return cli::kExitInternal;
    }
}
