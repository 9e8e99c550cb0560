#include "cli/console.h"

#include "cli/command_line.h"

#include "host/utf16_win32.h"

#include <iostream>
#include <shellapi.h>
#include <streambuf>
#include <string>
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

// Text for a console window, written as UTF-16 (WriteConsoleW): the program's UTF-8 shows the same
// whatever code page the window is in, where bytes would be read in that code page ("JÃ¼rgen"; Wine's
// console does so even in code page 65001). Files and pipes keep the UTF-8 bytes, as on Linux.
class ConsoleBuffer final : public std::streambuf
{
public:
    explicit ConsoleBuffer(HANDLE handle) : console(handle) {}

protected:
    int_type overflow(int_type c) override
    {
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            const char one = traits_type::to_char_type(c);
            xsputn(&one, 1);
        }
        return traits_type::not_eof(c);
    }
    // Line by line, as a terminal takes standard output, so it keeps its order with standard error.
    std::streamsize xsputn(const char* text, std::streamsize count) override
    {
        pending.append(text, static_cast<std::size_t>(count));
        if (pending.find('\n') != std::string::npos)
            sync();
        return count;
    }
    int sync() override
    {
        // A character split between two writes waits for its last bytes.
        std::size_t whole = pending.size();
        for (std::size_t back = 1; back <= 3 && back <= pending.size(); ++back) {
            const auto byte = static_cast<unsigned char>(pending[pending.size() - back]);
            if ((byte & 0xC0) == 0x80)
                continue; // a continuation byte: look further back for the lead
            const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
            if (length > back)
                whole = pending.size() - back;
            break;
        }
        const std::wstring wide = utf16::Widen(pending.substr(0, whole));
        pending.erase(0, whole);
        DWORD written = 0;
        return wide.empty() ||
                       ::WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) != 0
                   ? 0
                   : -1;
    }

private:
    HANDLE console;
    std::string pending;
};

// Where `handle` is a console window, `stream` writes to it through a ConsoleBuffer.
void ToConsole(std::ostream& stream, DWORD handle)
{
    const HANDLE console = ::GetStdHandle(handle);
    DWORD mode = 0;
    if (::GetConsoleMode(console, &mode) == 0)
        return;
    stream.flush();
    // Never deleted: the standard streams are flushed once more after every static object is gone.
    stream.rdbuf(new ConsoleBuffer(console));
}

} // namespace

void cli::CatchStopSignals()
{
    ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

int cli::ExitCodeAfterStop(int code)
{
    return code;
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
    ToConsole(std::cout, STD_OUTPUT_HANDLE);
    ToConsole(std::cerr, STD_ERROR_HANDLE);
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
