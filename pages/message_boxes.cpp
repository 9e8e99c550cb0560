#include "pages/message_boxes.h"

#include <QApplication>
#include <QMessageBox>

namespace {

struct Recorder
{
    bool on = false;
    std::vector<MessageBoxes::Shown> shown;
};

Recorder& State()
{
    static Recorder recorder;
    return recorder;
}

} // namespace

void MessageBoxes::Show(QWidget* parent, const QString& text, Icon icon, const QString& detail)
{
    Recorder& state = State();
    if (state.on) {
        state.shown.push_back({text, icon, detail});
        return;
    }
    QMessageBox box(parent);
    box.setWindowTitle(QApplication::applicationName());
    box.setIcon(icon == Icon::Stop ? QMessageBox::Critical : QMessageBox::NoIcon);
    box.setText(text);
    if (!detail.isEmpty())
        box.setInformativeText(detail);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

void MessageBoxes::Record(bool on)
{
    State().on = on;
    State().shown.clear();
}

std::vector<MessageBoxes::Shown> MessageBoxes::Take()
{
    std::vector<Shown> taken;
    taken.swap(State().shown);
    return taken;
}

const std::vector<MessageBoxes::Shown>& MessageBoxes::Recorded()
{
    return State().shown;
}
