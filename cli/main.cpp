#include "command_line.h"
#include "exit_code.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv)
{
    try {
        return cli::RunCommandLine(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "meshgate2-cli: internal error: " << e.what() << '\n';
        return cli::kExitInternal;
    }
}
