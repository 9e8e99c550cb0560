#include "app/port_list.h"

#include <QAbstractItemView>
#include <QLineEdit>

PortList::PortList(QWidget* parent) : QComboBox(parent)
{
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            outsidePort = 0;
    });
    // Choosing the entry already selected puts the cursor at the end of its text again.
    connect(this, &QComboBox::activated, this, &PortList::ShowStart);
}

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

void PortList::ShowStart()
{
    QLineEdit* edit = lineEdit();
    if (edit == nullptr || edit->isModified()) // text being typed stays as the operator has it
        return;
    setToolTip(edit->text());
    // An entry is longer than the field: show its start, the COM name, not its end. A selection (the
    // field taking the focus selects all) stays whole, with the cursor at its start.
    const int length = static_cast<int>(edit->text().size());
    if (edit->hasSelectedText())
        edit->setSelection(length, -length);
    else
        edit->setCursorPosition(0);
}

void PortList::focusInEvent(QFocusEvent* event)
{
    QComboBox::focusInEvent(event);
    ShowStart();
}

void PortList::ShowPortOutside(int number)
{
    const QSignalBlocker quiet(this);
    setCurrentIndex(-1);
    outsidePort = number;
    ShowEntry();
}

void PortList::ShowEntry()
{
    setEditText(ShownText()); // the cursor goes to the end, even when the text stays the same
    ShowStart();
}

QString PortList::ShownText() const
{
    return outsidePort != 0 ? EntryText(ports::ResolveComPort(outsidePort)) : itemText(currentIndex());
}

void PortList::Refresh(int count)
{
    if (QLineEdit* edit = lineEdit(); edit != nullptr && !followsStart) {
        followsStart = true;
        connect(edit, &QLineEdit::textChanged, this, &PortList::ShowStart);
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
        setItemData(i, text, Qt::ToolTipRole);
    }
    while (this->count() > count)
        removeItem(this->count() - 1);
    setCurrentIndex(selected < count && (selected >= 0 || outsidePort != 0) ? selected : 0);
    if (currentIndex() >= 0 || outsidePort != 0)
        ShowEntry();
}

void PortList::showPopup()
{
    Refresh(count());
    view()->setMinimumWidth(view()->sizeHintForColumn(0) + 2 * view()->frameWidth() + 8);
    QComboBox::showPopup();
}
