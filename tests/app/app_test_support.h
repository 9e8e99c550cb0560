#pragma once

#include "app/main_dialog.h"
#include "app/tab_sheet.h"
#include "pages/message_boxes.h"
#include "res/dialog_builder.h"
#include "res/fonts.h"
#include "sim/simulator.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

// Each test runs in its own empty working folder (the settings file lives there), with COM1 leading to
// a simulated instrument on a pseudo-terminal and every message box recorded instead of shown.
class AppTest : public ::testing::Test
{
protected:
    // For tests that wait for silence. Every other wait keeps the program's own time-out, so a reply
    // that comes late on a busy machine still counts.
    static constexpr std::uint32_t kSilenceTimeoutMs = 60;

    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        RegisterDialogFonts(); // the program's own layout metrics
        previousFolder = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(folder.path()));
        MessageBoxes::Record(true);
        // Ports nobody set up must fail to open, whatever serial ports this machine has; and port
        // assignments go to the test's folder, never to the user's own.
        for (int n = 1; n <= 12; ++n)
            setenv(("MESHGATE2_COM" + std::to_string(n)).c_str(), "/nonexistent/meshgate2-tty", 1);
        setenv("XDG_CONFIG_HOME", folder.path().toLocal8Bit().constData(), 1);
    }

    void TearDown() override
    {
        dialog.reset();
        simulator.reset();
        MessageBoxes::Record(false);
        QDir::setCurrent(previousFolder);
        unsetenv("XDG_CONFIG_HOME");
    }

    // Starts the instrument and points the given port at it.
    sim::Simulator& StartInstrument(sim::Config config = {}, int port = 1)
    {
        simulator = std::make_unique<sim::Simulator>(config);
        EXPECT_TRUE(simulator->Start()) << simulator->Error();
        setenv(("MESHGATE2_COM" + std::to_string(port)).c_str(), simulator->DevicePath().c_str(), 1);
        return *simulator;
    }

    // A main window as the program opens it; the read time-out applies from the port's opening on.
    MainDialog& OpenMainWindow(int firmwareRange = 1, std::uint32_t readTimeoutMs = InstrumentLink::kReadTimeoutMs)
    {
        dialog = std::make_unique<MainDialog>();
        dialog->SetFirmwareRange(firmwareRange);
        dialog->SetReadTimeout(readTimeoutMs);
        dialog->OnInitDialog();
        dialog->show();
        return *dialog;
    }

    // What the status line says, as the operator reads it.
    static QString StatusText(const MainDialog& d)
    {
        const auto* line = d.findChild<QLabel*>(QStringLiteral("statusLine"));
        return line ? line->text() : QString();
    }
    // The device the window holds open, as its status line names it ("COM1 open (/dev/pts/3)."); empty
    // when none is.
    static std::string OpenDevice(const MainDialog& d)
    {
        const QString text = StatusText(d);
        const qsizetype at = text.indexOf(QStringLiteral(" open ("));
        if (!text.startsWith(QStringLiteral("COM")) || at < 0 || !text.endsWith(QStringLiteral(").")))
            return {};
        return text.mid(at + 7, text.size() - at - 9).toStdString();
    }

    // The window's controls, found by id as the program builds them.
    template <class T> static T* Find(const MainDialog& d, int id)
    {
        T* control = Control<T>(&d, id);
        EXPECT_NE(control, nullptr) << "control " << id;
        return control;
    }

    static void Click(const MainDialog& d, int id) { QTest::mouseClick(Find<QAbstractButton>(d, id), Qt::LeftButton); }

    // The page the tab sheet shows; the window only ever holds one.
    static BusPage* ShownPage(const MainDialog& d) { return Find<TabSheet>(d, MainDialog::IDC_TABS)->GetPage(0); }
    // The COM name of the port list's choice, without what the entry says it opens.
    static QString PortShown(const MainDialog& d)
    {
        return Find<QComboBox>(d, MainDialog::IDC_PORTS)->currentText().section(QLatin1Char(' '), 0, 0);
    }

    void WriteSettingsBytes(const QByteArray& bytes)
    {
        QFile file(QStringLiteral("Meshgate2.dat"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    static QByteArray SettingsBytes()
    {
        QFile file(QStringLiteral("Meshgate2.dat"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static QByteArray Le32(std::int32_t value)
    {
        QByteArray bytes;
        for (int i = 0; i < 4; ++i)
            bytes.append(static_cast<char>((static_cast<std::uint32_t>(value) >> (8 * i)) & 0xFF));
        return bytes;
    }

    static std::vector<QString> Texts(const std::vector<MessageBoxes::Shown>& shown)
    {
        std::vector<QString> texts;
        for (const auto& s : shown)
            texts.push_back(s.text);
        return texts;
    }

    static QStringList TabTexts(const MainDialog& d)
    {
        const QTabBar* bar =
            Find<TabSheet>(d, MainDialog::IDC_TABS)->findChild<QTabBar*>(QString(), Qt::FindDirectChildrenOnly);
        QStringList texts;
        for (int i = 0; i < bar->count(); ++i)
            texts << bar->tabText(i);
        return texts;
    }

    QTemporaryDir folder;
    QString previousFolder;
    std::unique_ptr<sim::Simulator> simulator;
    std::unique_ptr<MainDialog> dialog;
};
