#pragma once

#include <QByteArray>

class QWidget;

// The window's system menu, where the program owns one (Windows; on Linux the window manager does, and the
// about item lives in the context menu and on F1).
namespace system_menu {

// Appends a separator and the item `text` with the command `command` to the window's system menu.
void AddItem(QWidget& window, unsigned command, const char* text);

// The system command a native event of the window carries, when it is `command`; 0 for any other event.
unsigned Command(const QByteArray& eventType, void* message, unsigned command);

} // namespace system_menu
