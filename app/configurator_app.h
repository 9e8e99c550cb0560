#pragma once

class QWidget;

// The program's run: the firmware-range choice, then the main window; Cancel ends it at once.
class ConfiguratorApp
{
public:
    // Always false: the program ends when the main window closes, with no event loop of its own.
    bool InitInstance();

    QWidget* mainWindow = nullptr; // the main window while it runs
};
