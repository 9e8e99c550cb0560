#include "app/port_list.h"

#include <QAbstractItemView>
#include <QLineEdit>

PortList::PortList(QWidget* parent) : QComboBox(parent) {}

QString PortList::EntryText(const ports::ComPort& port)
{
    const QString name = QStringLiteral("COM%1").arg(port.number);
    if (port.path.empty() || !ports::DevicePresent(port.path))
        return name;
    return name + QStringLiteral("   ") +
           QString::fromStdString(port.description.empty() ? port.path : port.description);
}

int PortList::PortNamed(const QString& text)
{
    // An entry's text, or what was typed: the COM name, then nothing or a space and anything.
    const std::string name = text.trimmed().toStdString();
    std::size_t length = 0;
    const auto number = ports::ParseComName(name, &length);
    return number && (length == name.size() || name[length] == ' ' || name[length] == '\t') ? *number : 0;
}

void PortList::Refresh(int count)
{
    // The entry's text is longer than the edit: show its start, the COM name, not its end.
    if (QLineEdit* edit = lineEdit(); edit != nullptr && !followsStart) {
        followsStart = true;
        connect(edit, &QLineEdit::textChanged, this, [this, edit](const QString& text) {
            if (text == itemText(currentIndex())) // an entry chosen, not text being typed
                edit->setCursorPosition(0);
        });
    }
    const QSignalBlocker quiet(this); // what the list shows changes, not the operator's choice
    const int selected = currentIndex();
    const auto comPorts = ports::ResolveComPorts(count);
    for (int i = 0; i < count; ++i) {
        const QString text = EntryText(comPorts[static_cast<std::size_t>(i)]);
        if (i < this->count())
            setItemText(i, text);
        else
            addItem(text);
    }
    while (this->count() > count)
        removeItem(this->count() - 1);
    setCurrentIndex(selected < count ? selected : 0);
    if (selected >= 0 && selected < count)
        setEditText(itemText(selected));
}

void PortList::showPopup()
{
    Refresh(count());
    view()->setMinimumWidth(view()->sizeHintForColumn(0) + 2 * view()->frameWidth() + 8);
    QComboBox::showPopup();
}
