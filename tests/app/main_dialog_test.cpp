#include "app_test_support.h"

#include "app/about_dialog.h"
#include "app/assign_port_dialog.h"
#include "pages/info_page.h"
#include "pages/profibus_page.h"
#include "tests/support/ser2net.h"
#include "widgets/image_button.h"
#include "widgets/link_label.h"
#include "widgets/title_banner.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QSet>
#include <QTest>
#include <cerrno>

using Icon = MessageBoxes::Icon;

namespace {

// An entry chosen as the operator does: dropped down, moved to, Return.
void ChooseEntry(QComboBox* ports, int index)
{
    ports->showPopup();
    ports->view()->setCurrentIndex(ports->model()->index(index, 0));
    QTest::keyClick(ports->view(), Qt::Key_Return);
}

} // namespace

// ---- start-up and the settings file ----

TEST_F(AppTest, StartsWithoutSettingsFileOnCom1ShowingTheInformationPage)
{
    StartInstrument();
    MainDialog& d = OpenMainWindow();
    EXPECT_TRUE(MessageBoxes::Take().empty());
    auto* ports = Find<QComboBox>(d, MainDialog::IDC_PORTS);
    EXPECT_EQ(PortShown(d), "COM1");
    EXPECT_EQ(ports->count(), 9);
    EXPECT_EQ(OpenDevice(d), simulator->DevicePath());
    EXPECT_FALSE(Find<ImageButton>(d, MainDialog::IDC_READ)->isEnabled());
    EXPECT_FALSE(Find<ImageButton>(d, MainDialog::IDC_APPLY)->isEnabled());
    EXPECT_TRUE(Find<ImageButton>(d, MainDialog::IDC_SEARCH)->isEnabled());
    EXPECT_EQ(TabTexts(d), QStringList{"INFO"});
    ASSERT_NE(ShownPage(d), nullptr);
    EXPECT_EQ(ShownPage(d)->TemplateId(), InfoPage::kTemplateId);
    ASSERT_NE(ShownPage(d)->Window(), nullptr);
    EXPECT_TRUE(ShownPage(d)->Window()->isVisible());
    EXPECT_EQ(d.windowTitle(), "Vorn Meshgate2 Configurator - Ver : 2.0.2.4 (16/04/14)");
    EXPECT_FALSE(QFile::exists("Meshgate2.dat")) << "the file is written on closing only";
}

TEST_F(AppTest, ShortSettingsFilesCountAsMissing)
{
    StartInstrument();
    for (const QByteArray& bytes : {QByteArray("\x03\x00\x00", 3), QByteArray("\x02\x00", 2), QByteArray()}) {
        WriteSettingsBytes(bytes);
        MainDialog& d = OpenMainWindow();
        EXPECT_TRUE(MessageBoxes::Take().empty());
        EXPECT_EQ(Find<QComboBox>(d, MainDialog::IDC_PORTS)->currentIndex(), 0) << bytes.size() << " bytes";
        EXPECT_EQ(OpenDevice(d), simulator->DevicePath());
        dialog.reset();
    }
}

TEST_F(AppTest, StoredPortIsSelectedAndOpenedAndWrittenBackAsFourBytes)
{
    StartInstrument({}, 4);
    WriteSettingsBytes(Le32(4) + Le32(7));
    MainDialog& d = OpenMainWindow();
    EXPECT_TRUE(MessageBoxes::Take().empty());
    EXPECT_EQ(PortShown(d), "COM4");
    EXPECT_EQ(OpenDevice(d), simulator->DevicePath());
    Click(d, MainDialog::IDC_EXIT);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(SettingsBytes(), Le32(4));
}

TEST_F(AppTest, StoredZeroOpensNoPortAndIsKept)
{
    StartInstrument();
    WriteSettingsBytes(Le32(0));
    MainDialog& d = OpenMainWindow();
    EXPECT_TRUE(MessageBoxes::Take().empty());
    EXPECT_EQ(PortShown(d), "COM1");
    EXPECT_EQ(OpenDevice(d), "");
    d.reject();
    EXPECT_EQ(SettingsBytes(), Le32(0));
}

TEST_F(AppTest, StoredPortBeyondTheListIsTriedAndReportedWithTheReason)
{
    WriteSettingsBytes(Le32(12));
    MainDialog& d = OpenMainWindow();
    const auto shown = MessageBoxes::Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Invalid Serial Port");
    EXPECT_EQ(shown[0].icon, Icon::Stop);
    EXPECT_TRUE(shown[0].detail.contains("COM12")) << shown[0].detail.toStdString();
    EXPECT_TRUE(shown[0].detail.contains("there is no such device")) << shown[0].detail.toStdString();
    EXPECT_EQ(PortShown(d), "COM12") << "the port tried is the port shown";
    EXPECT_TRUE(Find<ImageButton>(d, MainDialog::IDC_SEARCH)->isEnabled());
    d.reject();
    EXPECT_EQ(SettingsBytes(), Le32(12)) << "the stored port is kept, not the list's first entry";
}

// The list and the port in use agree whatever was stored, and choosing the entry shown opens it.
TEST_F(AppTest, ChoosingTheEntryShownOpensItWhateverWasStored)
{
    StartInstrument();
    for (const std::int32_t stored : {0, 12}) {
        WriteSettingsBytes(Le32(stored));
        MainDialog& d = OpenMainWindow();
        MessageBoxes::Take();
        EXPECT_EQ(PortShown(d), stored == 0 ? "COM1" : "COM12");
        ChooseEntry(Find<QComboBox>(d, MainDialog::IDC_PORTS), 0);
        EXPECT_EQ(OpenDevice(d), simulator->DevicePath()) << stored;
        EXPECT_EQ(PortShown(d), "COM1");
        d.reject();
        EXPECT_EQ(SettingsBytes(), Le32(1));
        dialog.reset();
    }
}

// However long an entry, the field shows its start, the COM name, whole; the tooltip has all of it.
TEST_F(AppTest, ThePortFieldShowsTheComNameHoweverLongTheEntry)
{
    StartInstrument();
    const QString link = folder.filePath("a-serial-device-server-with-a-rather-long-name-for-its-link");
    ASSERT_TRUE(QFile::link(QString::fromStdString(simulator->DevicePath()), link));
    setenv("MESHGATE2_COM1", link.toLocal8Bit().constData(), 1);
    MainDialog& d = OpenMainWindow();
    auto* ports = Find<QComboBox>(d, MainDialog::IDC_PORTS);
    QLineEdit* edit = ports->lineEdit();
    ASSERT_GT(edit->fontMetrics().horizontalAdvance(edit->text()), edit->width()) << "an entry longer than the field";
    EXPECT_EQ(edit->cursorPosition(), 0);
    EXPECT_EQ(ports->toolTip(), "COM1   " + link);

    // The field taking the focus from the keyboard selects the whole text, and still shows its start.
    QApplication::setActiveWindow(&d);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    Find<QAbstractButton>(d, MainDialog::IDC_SEARCH)->setFocus(Qt::TabFocusReason);
    ports->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(edit->selectedText(), edit->text());
    EXPECT_EQ(edit->cursorPosition(), 0);
    ChooseEntry(ports, 0); // the entry already selected
    EXPECT_EQ(edit->cursorPosition(), 0);
    ChooseEntry(ports, 1);
    ChooseEntry(ports, 0);
    EXPECT_EQ(edit->cursorPosition(), 0);
}

TEST_F(AppTest, PortHeldByAnotherProgramIsReportedAsBusy)
{
    StartInstrument();
    InstrumentLink other;
    ASSERT_EQ(other.OpenPort(1), 1);
    MainDialog& d = OpenMainWindow();
    const auto shown = MessageBoxes::Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Invalid Serial Port");
    EXPECT_TRUE(shown[0].detail.contains(": in use by ")) << shown[0].detail.toStdString();
    EXPECT_TRUE(StatusText(d).contains("COM1 could not be opened"));
}

TEST(OpenFailureDetailTest, SaysWhyAndWhatToDo)
{
    const QString denied = MainDialog::OpenFailureDetail(3, "/dev/ttyUSB0", EACCES);
    EXPECT_TRUE(denied.startsWith("COM3 (/dev/ttyUSB0): permission denied")) << denied.toStdString();
    setenv("MESHGATE2_COM2", "/dev/no-such-meshgate2-port", 1);
    const QString missing = MainDialog::OpenFailureDetail(2, "", ENOENT);
    unsetenv("MESHGATE2_COM2");
    EXPECT_TRUE(missing.startsWith("COM2 (/dev/no-such-meshgate2-port): there is no such device"))
        << "the device is named even when the open never got that far: " << missing.toStdString();
    EXPECT_FALSE(MainDialog::OpenFailureDetail(1, "/dev/ttyS0", 0).isEmpty());
}

TEST_F(AppTest, ExitEscapeAndCloseBoxAllSaveAndClose)
{
    StartInstrument();
    const std::vector<std::function<void(MainDialog&)>> ways = {
        [](MainDialog& d) { Click(d, MainDialog::IDC_EXIT); },
        [](MainDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); },
        [](MainDialog& d) { d.close(); },
    };
    for (std::size_t i = 0; i < ways.size(); ++i) {
        QFile::remove("Meshgate2.dat");
        MainDialog& d = OpenMainWindow();
        ways[i](d);
        EXPECT_FALSE(d.isVisible()) << "way " << i;
        EXPECT_EQ(d.result(), QDialog::Rejected);
        EXPECT_EQ(SettingsBytes(), Le32(1)) << "way " << i;
        dialog.reset();
    }
}

TEST_F(AppTest, HeaderListsTheVersionsOfTheChosenRange)
{
    MainDialog& current = OpenMainWindow(1);
    EXPECT_EQ(Find<LinkLabel>(current, MainDialog::IDC_HEADER)->text(),
              " - Vorn K3\t(Ver >= 3.10h5)\t\t- K4 (Ver >= 1.042)\n - Vorn P3\t(Ver >= 3.10c5)\n - Vorn RK3\t(Ver "
              ">=3.10d5)\n");
    const QString legacy =
        " - Vorn K3\t(1.18L <= Ver <= 1.18s3)\n - Vorn P3\t(1.21e <= Ver <= 1.31e)\n - Nodal\t(1.03m "
        "<= Ver <= 1.03p)\n - Vorn RK3\t(Ver = 1.000-y1)\n";
    for (int range : {0, 2, -1}) {
        EXPECT_EQ(Find<LinkLabel>(OpenMainWindow(range), MainDialog::IDC_HEADER)->text(), legacy) << range;
    }
}

// ---- the device workflow ----

TEST_F(AppTest, UnsupportedCardShowsInformationPageThenUploadFailWithButtonsEnabled)
{
    sim::Config config;
    config.cardCode = 3;
    StartInstrument(config);
    MainDialog& d = OpenMainWindow();
    MessageBoxes::Take();
    Click(d, MainDialog::IDC_SEARCH);
    const auto shown = MessageBoxes::Take();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "Device does not support Meshgate2 feature.");
    EXPECT_EQ(shown[0].icon, Icon::None);
    EXPECT_EQ(shown[1].text, "Upload Fail");
    EXPECT_EQ(shown[1].icon, Icon::Stop);
    ASSERT_NE(ShownPage(d), nullptr);
    EXPECT_EQ(ShownPage(d)->cardCode, 3);
    EXPECT_EQ(TabTexts(d), QStringList{"INFO"});
    EXPECT_TRUE(Find<ImageButton>(d, MainDialog::IDC_READ)->isEnabled());
    EXPECT_TRUE(Find<ImageButton>(d, MainDialog::IDC_APPLY)->isEnabled());
    EXPECT_TRUE(StatusText(d).contains("slave address 255")) << StatusText(d).toStdString();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the wait cursor ends with the search";
}

TEST_F(AppTest, ReadAndApplyOnTheInformationPageSendNothingAndNeverClose)
{
    sim::Config config;
    config.cardCode = 9;
    StartInstrument(config);
    MainDialog& d = OpenMainWindow();
    Click(d, MainDialog::IDC_SEARCH);
    MessageBoxes::Take();
    simulator->ClearRequests();

    Click(d, MainDialog::IDC_READ);
    Click(d, MainDialog::IDC_APPLY);
    d.accept(); // what a dialog's Enter ends in: still a download, never a close
    EXPECT_EQ(Texts(MessageBoxes::Take()), (std::vector<QString>{"Upload Fail", "Download Fail", "Download Fail"}));
    EXPECT_TRUE(simulator->Requests().empty());
    EXPECT_TRUE(d.isVisible());
    EXPECT_FALSE(QFile::exists("Meshgate2.dat")) << "Apply does not save the settings";
}

TEST_F(AppTest, SilentLineReportsNoDeviceAndKeepsTheWindowAliveWhileProbing)
{
    sim::Config config;
    config.faults.silent = true;
    StartInstrument(config);
    MainDialog& d = OpenMainWindow(1, kSilenceTimeoutMs); // every request of the search goes unanswered

    // While the search blocks, the window must still process its timers and paint; sample what it shows.
    QSet<QString> seen;
    bool waitCursorSeen = false;
    QTimer sampler;
    bool closeTried = false;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        seen.insert(StatusText(d));
        if (!closeTried) {
            closeTried = true;
            d.close(); // the window manager's close box, mid-search: refused until the search is over
        }
        const QCursor* cursor = QApplication::overrideCursor();
        waitCursorSeen = waitCursorSeen || (cursor && cursor->shape() == Qt::WaitCursor);
    });
    sampler.start(5);
    Click(d, MainDialog::IDC_SEARCH);
    sampler.stop();

    const auto shown = MessageBoxes::Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "No device found");
    EXPECT_TRUE(shown[0].detail.startsWith("Nothing answered on any address")) << shown[0].detail.toStdString();
    EXPECT_EQ(shown[0].icon, Icon::None);
    EXPECT_FALSE(Find<ImageButton>(d, MainDialog::IDC_READ)->isEnabled());
    EXPECT_FALSE(Find<ImageButton>(d, MainDialog::IDC_APPLY)->isEnabled());
    EXPECT_EQ(TabTexts(d), QStringList{"INFO"});
    EXPECT_TRUE(waitCursorSeen);
    EXPECT_TRUE(closeTried);
    EXPECT_TRUE(d.isVisible());
    EXPECT_FALSE(QFile::exists("Meshgate2.dat"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    int probed = 0;
    for (int address : InstrumentLink::kCandidateAddresses)
        probed += seen.contains(
            QStringLiteral("Searching COM1: asking slave address %1 (%2 of 7)...").arg(address).arg(probed + 1));
    EXPECT_EQ(probed, 7) << "every candidate address is named while it is probed";
}

TEST_F(AppTest, SecondSearchLeavesExactlyOneFreshCardPage)
{
    StartInstrument(); // a Profibus card, code 5
    MainDialog& d = OpenMainWindow();
    const QPointer<QDialog> info = ShownPage(d)->Window();
    Click(d, MainDialog::IDC_SEARCH);
    auto shown = MessageBoxes::Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text == "Upload Complete" || shown[0].text == "Upload Fail");
    EXPECT_EQ(TabTexts(d), QStringList{"PROFIBUS"});
    BusPage* page = ShownPage(d);
    ASSERT_NE(page, nullptr);
    EXPECT_NE(qobject_cast<ProfibusPage*>(page), nullptr);
    EXPECT_EQ(page->cardCode, 5);
    EXPECT_EQ(page->firmwareRange, 1);
    EXPECT_TRUE(info.isNull()) << "the information page's window is gone";
    const QPointer<QDialog> first = page->Window();
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->isVisible());

    Click(d, MainDialog::IDC_SEARCH);
    MessageBoxes::Take();
    EXPECT_EQ(TabTexts(d), QStringList{"PROFIBUS"});
    EXPECT_EQ(Find<TabSheet>(d, MainDialog::IDC_TABS)->PageCount(), 1);
    EXPECT_TRUE(first.isNull()) << "the old page window was destroyed";
    ASSERT_EQ(ShownPage(d), page);
    ASSERT_NE(page->Window(), nullptr);
    EXPECT_TRUE(page->Window()->isVisible());
}

TEST_F(AppTest, EveryCardCodeReachesItsPage)
{
    const std::vector<std::pair<std::uint16_t, QString>> cases = {
        {1, "PROFIBUS"},    {2, "DEVICENET"},  {6, "DEVICENET"}, {4, "PROFINET"},
        {7, "ETHERNET/IP"}, {8, "MODBUS-TCP"}, {0, "INFO"}};
    for (const auto& [code, caption] : cases) {
        sim::Config config;
        config.cardCode = code;
        StartInstrument(config);
        MainDialog& d = OpenMainWindow();
        Click(d, MainDialog::IDC_SEARCH);
        MessageBoxes::Take();
        EXPECT_EQ(TabTexts(d), QStringList{caption}) << code;
        ASSERT_NE(ShownPage(d), nullptr);
        EXPECT_EQ(ShownPage(d)->cardCode, code);
        dialog.reset();
    }
}

TEST_F(AppTest, PortChangeDisablesReadAndApplyAndKeepsThePage)
{
    StartInstrument();
    MainDialog& d = OpenMainWindow();
    Click(d, MainDialog::IDC_SEARCH);
    MessageBoxes::Take();
    ASSERT_TRUE(Find<ImageButton>(d, MainDialog::IDC_READ)->isEnabled());

    Find<QComboBox>(d, MainDialog::IDC_PORTS)->setCurrentIndex(4); // as a pick from the list does
    EXPECT_FALSE(Find<ImageButton>(d, MainDialog::IDC_READ)->isEnabled());
    EXPECT_FALSE(Find<ImageButton>(d, MainDialog::IDC_APPLY)->isEnabled());
    EXPECT_EQ(Texts(MessageBoxes::Take()), std::vector<QString>{"Invalid Serial Port"});
    EXPECT_EQ(TabTexts(d), QStringList{"PROFIBUS"});
    EXPECT_TRUE(ShownPage(d)->Window()->isVisible());

    // A search on a port that is not open fails at once.
    Click(d, MainDialog::IDC_SEARCH);
    EXPECT_EQ(Texts(MessageBoxes::Take()), std::vector<QString>{"No device found"});

    Click(d, MainDialog::IDC_EXIT);
    EXPECT_EQ(SettingsBytes(), Le32(5));
}

TEST_F(AppTest, TypedPortNameThatIsNoEntryIsPutBack)
{
    MainDialog& d = OpenMainWindow();
    auto* ports = Find<QComboBox>(d, MainDialog::IDC_PORTS);
    ASSERT_TRUE(ports->isEditable());
    ports->lineEdit()->setText("COM42");
    emit ports->lineEdit()->editingFinished();
    EXPECT_EQ(PortShown(d), "COM1");
    EXPECT_EQ(ports->count(), 9) << "typed text never becomes an entry";
}

TEST_F(AppTest, PortListSaysWhatEachPortOpensAndRefreshesWhenItDropsDown)
{
    MainDialog& d = OpenMainWindow();
    MessageBoxes::Take();
    auto* ports = Find<QComboBox>(d, MainDialog::IDC_PORTS);
    EXPECT_EQ(ports->itemText(2), "COM3") << "nothing behind it: just the name";

    // An instrument appears on COM3 while the window is open; the selection stays where it was.
    ports->setCurrentIndex(1);
    MessageBoxes::Take(); // COM2 has nothing behind it
    StartInstrument({}, 3);
    const QString status = StatusText(d);
    ports->showPopup();
    ports->hidePopup();
    EXPECT_EQ(ports->itemText(2), "COM3   " + QString::fromStdString(simulator->DevicePath()));
    EXPECT_EQ(ports->currentIndex(), 1);
    EXPECT_EQ(PortShown(d), "COM2");
    EXPECT_EQ(StatusText(d), status) << "a refresh reopens nothing";
    EXPECT_TRUE(MessageBoxes::Take().empty());
}

// "Assign Port..." from the context menu, with `device` typed into the dialog; false if it never showed.
static bool AssignThroughTheMenu(MainDialog& d, const std::string& device)
{
    bool assigned = false;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* action : menu->actions())
                if (action->text() == "Assign &Port...")
                    menu->setActiveAction(action);
            QTest::keyClick(menu, Qt::Key_Return);
        } else if (auto* dialog = qobject_cast<AssignPortDialog*>(QApplication::activeModalWidget())) {
            dialog->findChild<QLineEdit*>(QStringLiteral("path"))->setText(QString::fromStdString(device));
            dialog->accept();
            assigned = true;
        }
    });
    driver.start(10);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), d.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&d, &event);
    driver.stop();
    return assigned;
}

// "Assign Port..." from the context menu: the choice takes effect at once and outlives the window.
TEST_F(AppTest, AnAssignedPortOpensAtOnceAndAfterARestart)
{
    StartInstrument({}, 9); // only to have a device; COM4 gets it by assignment
    const std::string device = simulator->DevicePath();
    unsetenv("MESHGATE2_COM9");
    unsetenv("MESHGATE2_COM4");
    MainDialog& d = OpenMainWindow();
    Find<QComboBox>(d, MainDialog::IDC_PORTS)->setCurrentIndex(3);
    MessageBoxes::Take();

    ASSERT_TRUE(AssignThroughTheMenu(d, device));
    EXPECT_TRUE(MessageBoxes::Take().empty());
    EXPECT_TRUE(StatusText(d).startsWith("COM4 open (" + QString::fromStdString(device)))
        << StatusText(d).toStdString();
    EXPECT_TRUE(Find<QComboBox>(d, MainDialog::IDC_PORTS)->itemText(3).contains(QString::fromStdString(device)));
    Click(d, MainDialog::IDC_EXIT);
    dialog.reset();

    // The next run, with the port remembered in Meshgate2.dat: COM4 still opens the device.
    MainDialog& again = OpenMainWindow();
    EXPECT_TRUE(MessageBoxes::Take().empty());
    EXPECT_EQ(OpenDevice(again), device);
    Click(again, MainDialog::IDC_SEARCH);
    EXPECT_EQ(Texts(MessageBoxes::Take()), std::vector<QString>{"Upload Complete"});
}

// A COM entry assigned to a serial device server: the list shows the address, and the search finds the
// instrument behind ser2net.
TEST_F(AppTest, AComEntryAssignedToADeviceServerSearchesThroughIt)
{
    StartInstrument({}, 9);
    Ser2net server;
    ASSERT_TRUE(server.Start(simulator->DevicePath())) << server.Error();
    unsetenv("MESHGATE2_COM5");
    MainDialog& d = OpenMainWindow();
    Find<QComboBox>(d, MainDialog::IDC_PORTS)->setCurrentIndex(4);
    MessageBoxes::Take();
    ASSERT_TRUE(AssignThroughTheMenu(d, server.Rfc2217Name()));
    EXPECT_TRUE(MessageBoxes::Take().empty());
    EXPECT_EQ(Find<QComboBox>(d, MainDialog::IDC_PORTS)->itemText(4),
              "COM5   " + QString::fromStdString(server.Rfc2217Name()));
    Click(d, MainDialog::IDC_SEARCH);
    EXPECT_EQ(Texts(MessageBoxes::Take()), std::vector<QString>{"Upload Complete"});
    EXPECT_TRUE(StatusText(d).contains("Instrument found on COM5")) << StatusText(d).toStdString();
}

// Opening the dialog again shows the device assigned, and nothing the window does on its own (the list
// taking the focus, when the dialog becomes active or is tabbed through) puts another one in its place.
TEST_F(AppTest, TheAssignDialogKeepsTheAssignedDeviceUntilTheUserPicks)
{
    const ports::ComPort port{4, "/dev/ttyMX3", ports::Source::Assignment, {}}; // typed in, not found
    const std::vector<ports::SerialDevice> found{{"/dev/ttyS0", "ttyS0", "UART 16550A", {}},
                                                 {"/dev/serial/by-id/usb-B-port0", "ttyUSB0", "USB serial", {}}};
    AssignPortDialog assign(port, found);
    assign.show();
    QApplication::setActiveWindow(&assign);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&assign));
    auto* list = assign.findChild<QListWidget*>(QStringLiteral("devices"));
    ASSERT_NE(list, nullptr);
    list->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(assign.Device(), port.path);

    // A device picked from the list, by keyboard or mouse, replaces it.
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(assign.Device(), "/dev/serial/by-id/usb-B-port0");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    EXPECT_EQ(assign.Device(), "/dev/ttyS0");
}

// ---- the about box ----

TEST_F(AppTest, AboutBoxOpensOnF1AndForCommand16Only)
{
    MainDialog& d = OpenMainWindow();
    QString seen;
    int opened = 0;
    const auto closeAbout = [&] {
        auto* about = qobject_cast<AboutDialog*>(QApplication::activeModalWidget());
        if (!about)
            return;
        ++opened;
        for (auto* label : about->findChildren<QLabel*>())
            seen += label->text();
        about->accept();
    };
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, closeAbout);
    closer.start(10);

    d.OnSysCommand(0x0010);
    d.OnSysCommand(0x001F); // the low four bits are the window manager's own
    d.OnSysCommand(0xF060); // close: not ours
    EXPECT_EQ(opened, 2);
    EXPECT_TRUE(seen.contains("Meshgate2 Version 2.0.1.0"));

    QTest::keyClick(&d, Qt::Key_F1);
    EXPECT_EQ(opened, 3);
    QTest::keyClick(Find<QComboBox>(d, MainDialog::IDC_PORTS), Qt::Key_F1); // from a control inside the window too
    EXPECT_EQ(opened, 4);
    EXPECT_TRUE(d.isVisible());
}
