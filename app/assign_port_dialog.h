#pragma once

#include "host/port_map.h"

#include <QDialog>
#include <string>
#include <vector>

class QLineEdit;
class QListWidget;

// "Assign Port...": which device COMn opens, picked from the serial devices found or typed in, or given
// back to the automatic choice. It hands back the choice and does no I/O of its own.
class AssignPortDialog : public QDialog
{
    Q_OBJECT
public:
    AssignPortDialog(const ports::ComPort& port, const std::vector<ports::SerialDevice>& devices,
                     QWidget* parent = nullptr);
    ~AssignPortDialog() override;

    // After an accepted run: the device to open, or nothing when the port goes back to automatic.
    std::string Device() const;
    bool Automatic() const { return automatic; }

private:
    QListWidget* list = nullptr;
    QLineEdit* path = nullptr;
    bool automatic = false;
};
