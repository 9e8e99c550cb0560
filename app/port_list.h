#pragma once

#include "host/port_map.h"

#include <QComboBox>
#include <QString>

// The main window's COM port list: COM1 to COM9, each followed by what it opens ("COM2   FTDI FT232R USB
// UART (ttyUSB0)"; just the name when nothing is behind it), refreshed each time it drops down, so an
// adapter plugged in after start-up shows up. The position of an entry is its port number - 1.
class PortList : public QComboBox
{
    Q_OBJECT
public:
    explicit PortList(QWidget* parent = nullptr);

    // Rewrites the entries from the port map, keeping the selection and emitting no selection change.
    void Refresh(int count);
    // The port a typed text names ("com3", "COM3   anything"), or 0.
    static int PortNamed(const QString& text);
    static QString EntryText(const ports::ComPort& port);

    void showPopup() override;

private:
    bool followsStart = false;
};
