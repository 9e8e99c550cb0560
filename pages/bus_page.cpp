#include "bus_page.h"

#include <QKeyEvent>

namespace {

// Enter and Escape inside a page would make its QDialog accept or reject, which hides the page while
// the tab still shows; the pages are not closable windows, so both keys do nothing there.
class PageKeyFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
                if (event->type() == QEvent::KeyPress) {
                    event->accept();
                    return true;
                }
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

BusPage::BusPage(int id) : templateId(id) {}

BusPage::~BusPage()
{
    DestroyWindow();
}

bool BusPage::Create(QWidget* parent)
{
    DestroyWindow();
    const DialogTemplate* pageTemplate = FindTemplate(templateId);
    if (!pageTemplate)
        return false;
    auto* dialog = new QDialog(parent);
    // QDialog's constructor turns a zero window type into Qt::Dialog; a page is a plain child widget.
    dialog->setWindowFlags(Qt::Widget);
    dialog->setObjectName(QStringLiteral("page%1").arg(templateId));
    dialog->installEventFilter(new PageKeyFilter(dialog));
    BuildDialog(dialog, *pageTemplate, CustomControls());
    dialog->hide(); // hidden until the tab sheet shows it
    window = dialog;
    OnInitDialog();
    return true;
}

void BusPage::DestroyWindow()
{
    delete window.data();
    window = nullptr;
}

bool BusPage::UpdateData(bool)
{
    return true;
}
