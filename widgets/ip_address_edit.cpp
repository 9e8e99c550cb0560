#include "ip_address_edit.h"

#include <QLineEdit>

// Compiling placeholder.
IpAddressEdit::IpAddressEdit(QWidget* parent) : QWidget(parent) {}
void IpAddressEdit::SetAddress(std::uint32_t) {}
std::uint32_t IpAddressEdit::GetAddress() const
{
    return 0;
}
bool IpAddressEdit::IsBlank() const
{
    return true;
}
void IpAddressEdit::ClearAddress() {}
QLineEdit* IpAddressEdit::Field(int) const
{
    return nullptr;
}
QSize IpAddressEdit::sizeHint() const
{
    return QWidget::sizeHint();
}
bool IpAddressEdit::eventFilter(QObject* w, QEvent* e)
{
    return QWidget::eventFilter(w, e);
}
void IpAddressEdit::paintEvent(QPaintEvent*) {}
void IpAddressEdit::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
}
