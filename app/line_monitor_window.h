#pragma once

#include "monitor/frame_log.h"

#include <QWidget>

class ModbusMaster;
class QCheckBox;
class QLabel;
class QPushButton;
class QTableView;
class FrameTableModel;
class ErrorsOnlyFilter;

// "Line Monitor": every frame the main window's master sends and receives, live and decoded, with the
// counters, a filter for errors only, Clear and Save (text, CSV or pcap by the file's extension). A
// window of its own that leaves the main window usable; it records from Open until it is closed and
// keeps the last 10,000 frames. While a transaction blocks the program the main window's idle hook keeps
// it painted, so it fills as a search, Read or Apply goes on.
class LineMonitorWindow : public QWidget
{
    Q_OBJECT
public:
    enum Column
    {
        ColumnTime,
        ColumnGap,
        ColumnWire,
        ColumnTransaction,
        ColumnDirection,
        ColumnOutcome,
        ColumnMeaning,
        ColumnFrame,
        ColumnCount
    };

    // The master must outlive the window, or the window be closed first.
    LineMonitorWindow(ModbusMaster& master, QWidget* parent);
    ~LineMonitorWindow() override;

    // Shows the window (raised if it is already open) and records; list entries are named for `range`.
    void Open(int firmwareRange);

    void OnClear();
    void OnSave();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    static void OnRecord(void* context, const monitor::FrameRecord& record);
    void ShowCounters();

    ModbusMaster& master;
    monitor::FrameLog log;
    bool recording = false;
    FrameTableModel* model = nullptr;
    ErrorsOnlyFilter* filter = nullptr;
    QTableView* table = nullptr;
    QLabel* counters = nullptr;
    QCheckBox* errorsOnly = nullptr;
    QPushButton* clearButton = nullptr;
    QPushButton* saveButton = nullptr;
};
