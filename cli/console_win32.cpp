#include "cli/console.h"

#include "cli/command_line.h"

#include "host/utf16_win32.h"

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

} // namespace

void cli::CatchStopSignals()
{
    ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

std::vector<std::string> cli::Arguments(int argc, char** argv)
{
    ::SetConsoleOutputCP(CP_UTF8);
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
