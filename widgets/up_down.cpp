#include "widgets/up_down.h"

#include "widgets/kit_accessible.h"

#include <QKeyEvent>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

UpDown::UpDown(QWidget* parent) : QWidget(parent)
{
    InstallKitAccessibility();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const auto makeArrow = [this, layout](Qt::ArrowType arrow, int step, const char* name) {
        auto* button = new QToolButton(this);
        button->setArrowType(arrow);
        button->setAutoRepeat(true); // holding an arrow keeps stepping
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        button->setObjectName(QLatin1String(name));
        connect(button, &QToolButton::clicked, this, [this, step] { Step(step); });
        layout->addWidget(button);
        return button;
    };
    upButton = makeArrow(Qt::UpArrow, +1, "up");
    downButton = makeArrow(Qt::DownArrow, -1, "down");
    setFocusPolicy(Qt::StrongFocus);
}

void UpDown::SetRange(int newLower, int newUpper)
{
    lower = newLower;
    upper = newUpper;
    pos = std::clamp(pos, std::min(lower, upper), std::max(lower, upper));
}

void UpDown::SetPos(int newPos)
{
    pos = std::clamp(newPos, std::min(lower, upper), std::max(lower, upper));
    ShowPos();
}

int UpDown::GetPos(bool* error) const
{
    bool bad = false;
    if (buddy && buddyInt) {
        bool ok = false;
        const int value = buddy->text().trimmed().toInt(&ok, 10);
        if (ok && value >= std::min(lower, upper) && value <= std::max(lower, upper)) {
            pos = value;
        } else {
            bad = true;
        }
    }
    if (error) {
        *error = bad;
    }
    return pos;
}

void UpDown::SetBuddy(QLineEdit* newBuddy, bool setBuddyInt)
{
    if (buddy) {
        buddy->removeEventFilter(this);
    }
    buddy = newBuddy;
    buddyInt = setBuddyInt;
    if (buddy) {
        buddy->installEventFilter(this);
    }
}

void UpDown::Step(int step)
{
    emit DeltaPos(step);
    if (!buddy || !buddyInt) {
        return; // without a buddy the owner decides what a step means
    }
    GetPos(); // start from what the buddy shows when it is valid
    const int direction = upper >= lower ? 1 : -1;
    SetPos(pos + direction * step);
}

void UpDown::ShowPos()
{
    if (buddy && buddyInt) {
        buddy->setText(QString::number(pos));
    }
}

void UpDown::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Up) {
        Step(+1);
    } else if (event->key() == Qt::Key_Down) {
        Step(-1);
    } else {
        QWidget::keyPressEvent(event);
    }
}

bool UpDown::eventFilter(QObject* watched, QEvent* event)
{
    // Type first: while the buddy is being destroyed, comparing with it would downcast a half-destroyed object.
    if (event->type() == QEvent::KeyPress && watched == buddy) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step(key == Qt::Key_Up ? +1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

QSize UpDown::sizeHint() const
{
    return {16, 22};
}
