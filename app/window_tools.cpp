#include "app/window_tools.h"

#include "app/line_monitor_window.h"
#include "app/settings_file_actions.h"
#include "pages/bus_page.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

WindowTools::WindowTools(QWidget* owner, ModbusMaster& line, std::function<BusPage*()> shownPage,
                         std::function<int()> range)
    : QObject(owner), window(owner), master(line), shownCardPage(std::move(shownPage)), firmwareRange(std::move(range))
{
    // Actions of the window itself, so that Ctrl+L works without the menu and tests find them by name.
    lineMonitorAction = new QAction(QStringLiteral("Line &Monitor..."), window);
    lineMonitorAction->setObjectName(QStringLiteral("lineMonitorAction"));
    lineMonitorAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    lineMonitorAction->setShortcutContext(Qt::WindowShortcut);
    window->addAction(lineMonitorAction);
    saveSettingsAction = new QAction(QStringLiteral("&Save Settings to File..."), window);
    saveSettingsAction->setObjectName(QStringLiteral("saveSettingsAction"));
    loadSettingsAction = new QAction(QStringLiteral("&Load Settings from File..."), window);
    loadSettingsAction->setObjectName(QStringLiteral("loadSettingsAction"));
    connect(lineMonitorAction, &QAction::triggered, this, &WindowTools::OnLineMonitor);
    connect(saveSettingsAction, &QAction::triggered, this, &WindowTools::OnSaveSettings);
    connect(loadSettingsAction, &QAction::triggered, this, &WindowTools::OnLoadSettings);
}

WindowTools::~WindowTools()
{
    delete lineMonitor.data();
}

void WindowTools::AddTo(QMenu& menu)
{
    const bool cardPage = shownCardPage() != nullptr;
    saveSettingsAction->setEnabled(cardPage);
    loadSettingsAction->setEnabled(cardPage);
    menu.addSeparator();
    menu.addAction(lineMonitorAction);
    menu.addSeparator();
    menu.addAction(saveSettingsAction);
    menu.addAction(loadSettingsAction);
}

void WindowTools::OnLineMonitor()
{
    if (!lineMonitor)
        lineMonitor = new LineMonitorWindow(master, window);
    lineMonitor->Open(firmwareRange());
}

void WindowTools::OnSaveSettings()
{
    if (BusPage* page = shownCardPage())
        settings_file_actions::SaveToFile(window, *page);
}

void WindowTools::OnLoadSettings()
{
    if (BusPage* page = shownCardPage())
        settings_file_actions::LoadFromFile(window, *page);
}
