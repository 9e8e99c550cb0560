#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

class BusPage;
class LineMonitorWindow;
class ModbusMaster;
class QAction;
class QMenu;
class QWidget;

// What the main window's context menu offers beside the about box: "Line Monitor..." (also Ctrl+L) and
// the card-settings files. Kept apart from the main window, which only adds them to its menu.
class WindowTools : public QObject
{
    Q_OBJECT
public:
    // `shownCardPage` answers the card page on show, nullptr for none; `firmwareRange` the run's range.
    WindowTools(QWidget* window, ModbusMaster& master, std::function<BusPage*()> shownCardPage,
                std::function<int()> firmwareRange);
    // Closes the line monitor: the master must not outlive its observer unnoticed.
    ~WindowTools() override;

    // Appends the items, the settings files enabled only while a card page is shown.
    void AddTo(QMenu& menu);

    void OnLineMonitor();
    void OnSaveSettings();
    void OnLoadSettings();

private:
    QWidget* window;
    ModbusMaster& master;
    std::function<BusPage*()> shownCardPage;
    std::function<int()> firmwareRange;
    QAction* lineMonitorAction;
    QAction* saveSettingsAction;
    QAction* loadSettingsAction;
    QPointer<LineMonitorWindow> lineMonitor;
};
