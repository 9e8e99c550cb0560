#pragma once

#include "host/port_map.h"

#include <QComboBox>
#include <QString>

// The main window's COM port list: COM1 to COM9, each followed by what it opens ("COM2   FTDI FT232R USB
// UART (ttyUSB0)"; just the name when nothing is behind it), refreshed each time it drops down, so an
// adapter plugged in after start-up shows up. The position of an entry is its port number - 1. The edit
// field always shows the start of its text, the COM name, whole; its tooltip carries the whole entry.
class PortList : public QComboBox
{
    Q_OBJECT
public:
    explicit PortList(QWidget* parent = nullptr);

    // Rewrites the entries from the port map, keeping the selection and emitting no selection change.
    void Refresh(int count);
    // Shows a port that has no entry (a stored COM12) with nothing selected, so that choosing any entry
    // is a change; choosing one ends it.
    void ShowPortOutside(int number);
    // What the edit field shows when nobody types: the selected entry, or the port outside the list.
    QString ShownText() const;
    // Puts that text back in the edit field (after typing), its start shown.
    void ShowEntry();
    // The port a typed text names ("com3", "COM3   anything"), or 0.
    static int PortNamed(const QString& text);
    static QString EntryText(const ports::ComPort& port);

    void showPopup() override;

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    void ShowStart();

    bool followsStart = false;
    int outsidePort = 0; // shown though it has no entry; 0: an entry is selected
};
