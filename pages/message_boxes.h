#pragma once

#include <QString>
#include <functional>
#include <vector>

class QWidget;

// Every message box of the program goes through here, so tests can see and answer them.
// In the program a QMessageBox is shown (title: the application's name); in tests, Record() makes
// Show() note the call and return at once.
class MessageBoxes
{
public:
    enum class Icon
    {
        None, // plain, MB_OK
        Stop  // MB_ICONHAND
    };
    struct Shown
    {
        QString text;
        Icon icon;
        QString detail;
    };

    static void Show(QWidget* parent, const QString& text, Icon icon, const QString& detail = {});

    // Tests: record instead of showing; Take() hands back and clears what was recorded.
    static void Record(bool on);
    static std::vector<Shown> Take();
    static const std::vector<Shown>& Recorded();
};
