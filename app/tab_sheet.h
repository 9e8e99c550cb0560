#pragma once

#include <QWidget>
#include <vector>

class BusPage;
class QTabBar;

// The main window's tab control: one tab per page, the page windows created as children of the sheet
// and fitted into its display area. The sheet does not own the page objects, only hosts their windows.
class TabSheet : public QWidget
{
    Q_OBJECT
public:
    explicit TabSheet(QWidget* parent = nullptr);
    ~TabSheet() override;

    // Appends a tab and creates the page's window from its template, hidden and fitted to the display
    // area. False when the window could not be created (unknown template, or not the page's own).
    bool AddPage(const QString& text, BusPage* page, unsigned templateId);
    BusPage* GetPage(int index) const; // nullptr outside 0..count-1
    int PageCount() const { return static_cast<int>(pages.size()); }
    // Destroys every page window and forgets the pages; the tab items are left to DeleteAllItems.
    void RemoveAllPages();
    void DeleteAllItems();
    void SelectPage(int index); // shows the page and selects its tab
    void ShowPage(int index);   // switches the visible page, leaving the tab selection alone
    int CurrentPage() const { return currentPage; }

    QRect DisplayArea() const;

protected:
    void OnSelchange();
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QTabBar* bar;
    int currentPage = -1;
    std::vector<BusPage*> pages;
};
