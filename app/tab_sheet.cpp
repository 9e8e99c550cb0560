#include "app/tab_sheet.h"

#include "pages/bus_page.h"

#include <QPainter>
#include <QSignalBlocker>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>

namespace {
constexpr int kDisplayMargin = 4; // px between the pane's frame and a page, as the native control leaves
}

TabSheet::TabSheet(QWidget* parent) : QWidget(parent), bar(new QTabBar(this))
{
    bar->setDrawBase(false);
    bar->setExpanding(false);
    // Only the operator's own tab changes are notifications; the sheet's calls below block them.
    connect(bar, &QTabBar::currentChanged, this, [this] { OnSelchange(); });
}

TabSheet::~TabSheet()
{
    pages.clear(); // the page windows are children and go with this widget; the page objects are not ours
}

QRect TabSheet::DisplayArea() const
{
    const int top = bar->sizeHint().height();
    return rect().adjusted(kDisplayMargin, top + kDisplayMargin, -kDisplayMargin, -kDisplayMargin);
}

bool TabSheet::AddPage(const QString& text, BusPage* page, unsigned templateId)
{
    pages.push_back(page);
    {
        const QSignalBlocker quiet(bar);
        bar->insertTab(bar->count(), text);
    }
    bar->setGeometry(0, 0, width(), bar->sizeHint().height());
    if (!page || static_cast<int>(templateId & 0xFFFF) != page->TemplateId() || !page->Create(this))
        return false;
    page->Window()->setGeometry(DisplayArea());
    return true;
}

BusPage* TabSheet::GetPage(int index) const
{
    if (index < 0 || index >= PageCount())
        return nullptr;
    return pages[static_cast<std::size_t>(index)];
}

void TabSheet::RemoveAllPages()
{
    for (BusPage* page : pages) {
        if (page)
            page->DestroyWindow();
    }
    pages.clear();
    currentPage = -1;
}

void TabSheet::DeleteAllItems()
{
    const QSignalBlocker quiet(bar);
    while (bar->count() > 0)
        bar->removeTab(bar->count() - 1);
}

void TabSheet::ShowPage(int index)
{
    if (index < 0 || index >= PageCount())
        return;
    if (BusPage* outgoing = GetPage(currentPage); outgoing && outgoing->Window()) {
        // The outgoing page keeps what the operator typed even when it does not validate.
        outgoing->UpdateData(true);
        outgoing->Window()->hide();
    }
    if (BusPage* incoming = GetPage(index); incoming && incoming->Window())
        incoming->Window()->show();
    currentPage = index;
}

void TabSheet::SelectPage(int index)
{
    ShowPage(index);
    const QSignalBlocker quiet(bar);
    bar->setCurrentIndex(index);
}

void TabSheet::OnSelchange()
{
    ShowPage(bar->currentIndex());
    if (parentWidget())
        parentWidget()->update();
}

void TabSheet::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    const int top = bar->sizeHint().height();
    frame.rect = rect().adjusted(0, top - 2, 0, 0);
    frame.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    frame.shape = QTabBar::RoundedNorth;
    frame.tabBarSize = bar->sizeHint();
    frame.tabBarRect = bar->geometry();
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &painter, this);
}

void TabSheet::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    bar->setGeometry(0, 0, width(), bar->sizeHint().height());
    for (BusPage* page : pages) {
        if (page && page->Window())
            page->Window()->setGeometry(DisplayArea());
    }
}
