#include "cli/console.h"

#include "cli/command_line.h"

#include "host/utf16_win32.h"

#include <cstdlib>
#include <shellapi.h>
#include <windows.h>

namespace {

// Runs on a thread of its own that the console starts.
BOOL WINAPI OnConsoleEvent(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        cli::StopRequest() = 1;
        return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        // The process ends as soon as this returns: hold it while the transaction under way finishes and
        // main returns (which ends the process, this thread with it). Windows allows about five seconds.
        cli::StopRequest() = 1;
        ::Sleep(INFINITE);
        return TRUE;
    default:
        return FALSE;
    }
}

// The console's code page belongs to the window the user typed in (cmd.exe keeps it after we end): give
// back the one it had.
UINT consoleCodePage = 0;

void RestoreCodePage()
{
    ::SetConsoleOutputCP(consoleCodePage);
}

} // namespace

void cli::CatchStopSignals()
{
    ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

bool cli::StandardErrorIsTerminal()
{
    // A console window (cmd.exe, PowerShell), not a file, a pipe or NUL, which the C runtime's isatty takes
    // for a terminal too.
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

std::vector<std::string> cli::Arguments(int argc, char** argv)
{
    // Output is UTF-8 (a folder named "Jürgen" in a message); without a console there is nothing to set.
    if (const UINT codePage = ::GetConsoleOutputCP(); codePage != 0 && codePage != CP_UTF8) {
        consoleCodePage = codePage;
        ::SetConsoleOutputCP(CP_UTF8);
        std::atexit(RestoreCodePage);
    }
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr)
        return std::vector<std::string>(argv + 1, argv + argc);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(utf16::Narrow(wide[i]));
    ::LocalFree(wide);
    return arguments;
}
