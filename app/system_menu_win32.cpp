#include "app/system_menu.h"

#include <QString>
#include <QWidget>
#include <windows.h>

void system_menu::AddItem(QWidget& window, unsigned command, const char* text)
{
    const HMENU menu = ::GetSystemMenu(reinterpret_cast<HWND>(window.winId()), FALSE);
    if (menu == nullptr || text == nullptr || text[0] == '\0')
        return;
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, command, reinterpret_cast<LPCWSTR>(QString::fromUtf8(text).utf16()));
}

unsigned system_menu::Command(const QByteArray& eventType, void* message, unsigned command)
{
    if (eventType != "windows_generic_MSG" || message == nullptr)
        return 0;
    const MSG* msg = static_cast<const MSG*>(message);
    // The system keeps the low four bits of a command for itself.
    if (msg->message != WM_SYSCOMMAND || ((msg->wParam & 0xFFFF) & ~0xFu) != command)
        return 0;
    return command;
}
