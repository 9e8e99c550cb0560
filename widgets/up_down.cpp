#include "up_down.h"

#include <QLineEdit>

// Compiling placeholder.
UpDown::UpDown(QWidget* parent) : QWidget(parent) {}
void UpDown::SetRange(int l, int u)
{
    lower = l;
    upper = u;
}
void UpDown::SetPos(int p)
{
    pos = p;
}
int UpDown::GetPos(bool* error) const
{
    if (error)
        *error = false;
    return pos;
}
void UpDown::SetBuddy(QLineEdit* b, bool i)
{
    buddy = b;
    buddyInt = i;
}
QSize UpDown::sizeHint() const
{
    return QWidget::sizeHint();
}
void UpDown::keyPressEvent(QKeyEvent* e)
{
    QWidget::keyPressEvent(e);
}
bool UpDown::eventFilter(QObject* w, QEvent* e)
{
    return QWidget::eventFilter(w, e);
}
