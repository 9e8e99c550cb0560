#pragma once

#include <QPointer>
#include <QWidget>

#include <QLineEdit>
class QToolButton;

// The arrows of a spin control. Every arrow click or Up/Down key (on the arrows or in the buddy) emits
// DeltaPos(+1 up, -1 down). With a buddy-int buddy the position is shown in it as a decimal number and the
// arrows move it within the range; without a buddy the control changes nothing on its own.
class UpDown : public QWidget
{
    Q_OBJECT

public:
    explicit UpDown(QWidget* parent = nullptr);

    // Up moves towards `upper`, which may be below `lower`.
    void SetRange(int lower, int upper);
    // Clamped to the range; shown in a buddy-int buddy.
    void SetPos(int pos);
    // With a buddy-int buddy reads its text; `error` is set when the text is not a number in range, and
    // the last valid position is returned then.
    int GetPos(bool* error = nullptr) const;
    void SetBuddy(QLineEdit* buddy, bool setBuddyInt);
    QLineEdit* GetBuddy() const { return buddy; }
    int Lower() const { return lower; }
    int Upper() const { return upper; }

    QToolButton* UpArrow() const { return upButton; }
    QToolButton* DownArrow() const { return downButton; }

    QSize sizeHint() const override;

    // What a click on an arrow does: +1 up, -1 down.
    void Step(int step);

signals:
    void DeltaPos(int step);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowPos();

    int lower = 0;
    int upper = 100;
    mutable int pos = 0;
    QPointer<QLineEdit> buddy;
    bool buddyInt = false;
    QToolButton* upButton = nullptr;
    QToolButton* downButton = nullptr;
};
