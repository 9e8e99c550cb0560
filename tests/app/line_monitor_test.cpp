// The line monitor against a simulated instrument: it fills while the search blocks the window, and a
// failed search can be told apart from it alone.
#include "app_test_support.h"

#include "app/file_dialogs.h"
#include "app/line_monitor_window.h"
#include "res/dialog_builder.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QTableView>
#include <QTest>

namespace {

QString Cell(const QTableView* table, int row, int column)
{
    return table->model()->index(row, column).data().toString();
}

} // namespace

TEST_F(AppTest, LineMonitorFillsDuringASearchAndShowsWhyItFailed)
{
    sim::Config config;
    config.faults.wrongSlave = true; // answers, but as slave 254
    StartInstrument(config);
    MainDialog& d = OpenMainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    QTest::keyClick(&d, Qt::Key_L, Qt::ControlModifier);
    auto* monitor = d.findChild<LineMonitorWindow*>(QStringLiteral("lineMonitor"));
    ASSERT_NE(monitor, nullptr) << "Ctrl+L opens the line monitor";
    EXPECT_TRUE(monitor->isVisible());
    auto* table = monitor->findChild<QTableView*>(QStringLiteral("frameTable"));
    auto* counters = monitor->findChild<QLabel*>(QStringLiteral("counters"));

    // While the search blocks the window, rows appear.
    int rowsDuringSearch = 0;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        if (StatusText(d).startsWith(QStringLiteral("Searching")))
            rowsDuringSearch = std::max(rowsDuringSearch, table->model()->rowCount());
    });
    sampler.start(10);
    QTest::mouseClick(Control<QAbstractButton>(&d, MainDialog::IDC_SEARCH), Qt::LeftButton);
    sampler.stop();
    EXPECT_EQ(Texts(MessageBoxes::Take()), std::vector<QString>{"No device found"});
    EXPECT_GT(rowsDuringSearch, 0);

    // Seven addresses, three attempts each: the instrument's three replies came from slave 254, the other
    // addresses stayed silent.
    ASSERT_EQ(table->model()->rowCount(), 42);
    EXPECT_EQ(Cell(table, 0, LineMonitorWindow::ColumnMeaning), "slave 255: read probe (0x3000, 10 registers)");
    EXPECT_EQ(Cell(table, 1, LineMonitorWindow::ColumnOutcome), "wrong slave");
    EXPECT_EQ(Cell(table, 1, LineMonitorWindow::ColumnMeaning),
              "slave 254 (not the one asked): read reply with 20 data bytes");
    EXPECT_EQ(Cell(table, 2, LineMonitorWindow::ColumnTransaction), "#1 retry 1");
    EXPECT_EQ(Cell(table, 7, LineMonitorWindow::ColumnOutcome), "time-out");
    EXPECT_EQ(Cell(table, 7, LineMonitorWindow::ColumnMeaning), "no reply to read probe (0x3000, 10 registers)");
    EXPECT_TRUE(counters->text().startsWith(QStringLiteral("7 transactions, 21 attempts, 14 retries, 18 time-outs, "
                                                           "0 bad CRCs, 0 exceptions, 3 from a wrong slave")))
        << counters->text().toStdString();

    monitor->findChild<QCheckBox*>(QStringLiteral("errorsOnly"))->setChecked(true);
    EXPECT_EQ(table->model()->rowCount(), 21);
    EXPECT_EQ(Cell(table, 0, LineMonitorWindow::ColumnOutcome), "wrong slave");

    // Saved by the file's extension.
    for (const auto& [name, start] : {std::pair{"frames.pcap", QByteArray("\xD4\xC3\xB2\xA1", 4)},
                                      std::pair{"frames.csv", QByteArray("number,time_s,")},
                                      std::pair{"frames.txt", QByteArray("Meshgate2 line monitor")}}) {
        FileDialogs::AnswerNext(folder.filePath(QString::fromLatin1(name)));
        QTest::mouseClick(monitor->findChild<QAbstractButton*>(QStringLiteral("saveButton")), Qt::LeftButton);
        QFile file(folder.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        EXPECT_TRUE(file.readAll().startsWith(start)) << name;
    }
    EXPECT_TRUE(MessageBoxes::Take().empty());

    // Closed, it records nothing; Clear empties it.
    monitor->close();
    QTest::mouseClick(Control<QAbstractButton>(&d, MainDialog::IDC_SEARCH), Qt::LeftButton);
    MessageBoxes::Take();
    EXPECT_EQ(table->model()->rowCount(), 21) << "nothing recorded while closed";
    EXPECT_TRUE(counters->text().startsWith(QStringLiteral("7 transactions"))) << counters->text().toStdString();
    QTest::mouseClick(monitor->findChild<QAbstractButton*>(QStringLiteral("clearButton")), Qt::LeftButton);
    EXPECT_EQ(table->model()->rowCount(), 0);
    EXPECT_TRUE(counters->text().startsWith(QStringLiteral("0 transactions")));
}
