#include "app/assign_port_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

AssignPortDialog::AssignPortDialog(const ports::ComPort& port, const std::vector<ports::SerialDevice>& devices,
                                   QWidget* parent)
    : QDialog(parent)
{
    const QString name = QStringLiteral("COM%1").arg(port.number);
    setWindowTitle(QStringLiteral("Assign Port"));
    auto* layout = new QVBoxLayout(this);
    const QString now = port.path.empty()
                            ? QStringLiteral("nothing")
                            : QString::fromStdString(port.path) + (port.source == ports::Source::Assignment
                                                                       ? QStringLiteral(" (assigned)")
                                                                       : QStringLiteral(" (automatic)"));
    layout->addWidget(new QLabel(QStringLiteral("%1 opens %2 now.\nThe serial devices found:").arg(name, now), this));

    list = new QListWidget(this);
    list->setObjectName(QStringLiteral("devices"));
    for (const ports::SerialDevice& device : devices) {
        auto* item = new QListWidgetItem(QString::fromStdString(device.Description() + "   " + device.path), list);
        item->setData(Qt::UserRole, QString::fromStdString(device.path));
    }
    if (devices.empty())
        list->addItem(QStringLiteral("(none found: type the device's path below)"));
    layout->addWidget(list);

    layout->addWidget(new QLabel(
        QStringLiteral("Device for %1 (a path; a serial device server as\nrfc2217://HOST:PORT or tcp://HOST:PORT):")
            .arg(name),
        this));
    path = new QLineEdit(this);
    path->setObjectName(QStringLiteral("path"));
    path->setPlaceholderText(QString::fromLatin1(ports::DeviceExample()) + QStringLiteral(" or rfc2217://HOST:PORT"));
    if (port.source == ports::Source::Assignment)
        path->setText(QString::fromStdString(port.path));
    layout->addWidget(path);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* automaticButton = buttons->addButton(QStringLiteral("Automatic"), QDialogButtonBox::ResetRole);
    automaticButton->setObjectName(QStringLiteral("automatic"));
    layout->addWidget(buttons);

    // The assigned device shows as chosen when it is one of those found; the keyboard starts on the path.
    for (int row = 0; port.source == ports::Source::Assignment && row < list->count(); ++row)
        if (list->item(row)->data(Qt::UserRole).toString().toStdString() == port.path)
            list->setCurrentRow(row);
    path->setFocus();

    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setEnabled(!path->text().trimmed().isEmpty());
    connect(path, &QLineEdit::textChanged, this,
            [ok](const QString& text) { ok->setEnabled(!text.trimmed().isEmpty()); });
    // A device the user selects, not merely the current item: the list makes its first item current when
    // it takes the focus, which would replace the device shown without anyone choosing it.
    connect(list, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem*> chosen = list->selectedItems();
        if (!chosen.isEmpty() && chosen.front()->data(Qt::UserRole).isValid())
            path->setText(chosen.front()->data(Qt::UserRole).toString());
    });
    connect(list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        if (item->data(Qt::UserRole).isValid())
            accept();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(automaticButton, &QPushButton::clicked, this, [this] {
        automatic = true;
        accept();
    });
}

AssignPortDialog::~AssignPortDialog() = default;

std::string AssignPortDialog::Device() const
{
    return automatic ? std::string() : path->text().trimmed().toStdString();
}
