#pragma once

#include <string>
#include <windows.h>

// The program keeps every path and name in UTF-8; the Win32 API takes UTF-16 (the "W" functions), so a
// folder named "Jürgen" works wherever a path goes.
namespace utf16 {

inline std::wstring Widen(const std::string& text)
{
    if (text.empty())
        return {};
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0)
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

inline std::string Narrow(const std::wstring& wide)
{
    if (wide.empty())
        return {};
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size, nullptr,
                              nullptr);
    return text;
}

// The system's own words for a Win32 error code (its message table, in the user's language), without the
// closing full stop and line end: "The system cannot find the path specified". "system error N" when the
// system has none.
inline std::string SystemMessage(DWORD error)
{
    wchar_t* text = nullptr;
    const DWORD n =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::string message = n > 0 ? Narrow(std::wstring(text, n)) : "system error " + std::to_string(error);
    if (text != nullptr)
        ::LocalFree(text);
    while (!message.empty() &&
           (message.back() == '\n' || message.back() == '\r' || message.back() == '.' || message.back() == ' '))
        message.pop_back();
    return message;
}

} // namespace utf16
