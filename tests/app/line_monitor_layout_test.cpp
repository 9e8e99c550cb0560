// The line monitor's layout in the platform's own fonts and style; built into the Windows GUI tests too,
// where the header's font is wider than Linux's.
#include "app/line_monitor_window.h"
#include "comm/modbus_master.h"

#include <QHeaderView>
#include <QScreen>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

// At the size it opens with: every column's title whole, and the frame's bytes beginning inside the window.
TEST(LineMonitorLayout, EveryTitleWholeAndTheFrameInViewAtTheSizeItOpensWith)
{
    ModbusMaster master;
    LineMonitorWindow monitor(master, nullptr);
    monitor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&monitor));
    const auto* table = monitor.findChild<QTableView*>(QStringLiteral("frameTable"));
    const QHeaderView* header = table->horizontalHeader();
    for (int c = 0; c < LineMonitorWindow::ColumnCount; ++c) {
        const QString title = table->model()->headerData(c, Qt::Horizontal).toString();
        EXPECT_GE(header->sectionSize(c), header->fontMetrics().horizontalAdvance(title) + 8) << title.toStdString();
    }
    EXPECT_LE(monitor.width(), monitor.screen()->availableGeometry().width());
    // Where the screen has room for the other columns and a short meaning, the frame's bytes begin in view.
    const int digit = table->fontMetrics().horizontalAdvance(QStringLiteral("0"));
    int others = 0;
    for (int c = 0; c < LineMonitorWindow::ColumnFrame; ++c)
        others += c == LineMonitorWindow::ColumnMeaning ? 12 * digit : header->sectionSize(c);
    if (others + 8 * digit < table->viewport()->width()) {
        EXPECT_LT(header->sectionViewportPosition(LineMonitorWindow::ColumnFrame) + 8 * digit,
                  table->viewport()->width())
            << "the frame column starts off-screen";
    }
}
