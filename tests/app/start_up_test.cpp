#include "app_test_support.h"

#include "app/configurator_app.h"
#include "app/version_dialog.h"
#include "widgets/image_button.h"
#include "widgets/link_label.h"

#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <functional>

namespace {

// Answers the program's modal windows one after another as they come up, from a timer, so the real
// InitInstance runs with its real exec() calls.
class ModalDriver
{
public:
    using Step = std::function<bool(QWidget* modal)>; // true when the step is done with this window

    explicit ModalDriver(std::vector<Step> plan) : steps(std::move(plan))
    {
        QObject::connect(&timer, &QTimer::timeout, [this] { Poll(); });
        timer.start(10);
    }
    std::size_t Done() const { return next; }

private:
    void Poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == last || next >= steps.size())
            return;
        if (steps[next](modal)) {
            last = modal;
            ++next;
        }
    }

    std::vector<Step> steps;
    std::size_t next = 0;
    QWidget* last = nullptr;
    QTimer timer;
};

} // namespace

TEST_F(AppTest, CancelInTheVersionDialogTouchesNeitherPortNorFile)
{
    StartInstrument();
    WriteSettingsBytes(Le32(1) + "tail");
    bool sawMainWindow = false;
    ModalDriver driver({[&](QWidget* modal) {
        auto* version = qobject_cast<VersionDialog*>(modal);
        if (!version) {
            sawMainWindow = true;
            return false;
        }
        QTest::mouseClick(Control<QPushButton>(version, 2), Qt::LeftButton);
        return true;
    }});
    EXPECT_FALSE(ConfiguratorApp().InitInstance());
    EXPECT_EQ(driver.Done(), 1u);
    EXPECT_FALSE(sawMainWindow);
    EXPECT_EQ(SettingsBytes(), Le32(1) + "tail") << "the file is neither read nor rewritten";
    // The instrument side would have seen the port opened exclusively; nobody holds it now, and nobody did.
    InstrumentLink probe;
    EXPECT_EQ(probe.OpenPort(1), 1);
    EXPECT_TRUE(simulator->Requests().empty());
    EXPECT_TRUE(MessageBoxes::Take().empty());
}

TEST_F(AppTest, EscapeInTheVersionDialogAlsoEndsTheRun)
{
    ModalDriver driver({[](QWidget* modal) {
        if (!qobject_cast<VersionDialog*>(modal))
            return false;
        QTest::keyClick(modal, Qt::Key_Escape);
        return true;
    }});
    EXPECT_FALSE(ConfiguratorApp().InitInstance());
    EXPECT_FALSE(QFile::exists("Meshgate2.dat"));
}

TEST_F(AppTest, VersionChoiceReachesTheMainWindowWhichSavesOnExit)
{
    StartInstrument();
    struct Case
    {
        bool pickLegacy;
        int range;
    };
    for (const Case c : {Case{false, 1}, Case{true, 0}}) {
        QFile::remove("Meshgate2.dat");
        QString versionTitle;
        bool currentPreselected = false;
        QString header;
        ModalDriver driver({
            [&](QWidget* modal) {
                auto* version = qobject_cast<VersionDialog*>(modal);
                if (!version)
                    return false;
                versionTitle = version->windowTitle();
                currentPreselected = Control<QRadioButton>(version, VersionDialog::IDC_CURRENT)->isChecked();
                if (c.pickLegacy)
                    QTest::mouseClick(Control<QRadioButton>(version, VersionDialog::IDC_LEGACY), Qt::LeftButton);
                QTest::mouseClick(Control<QPushButton>(version, 1), Qt::LeftButton);
                return true;
            },
            [&](QWidget* modal) {
                auto* main = qobject_cast<MainDialog*>(modal);
                if (!main)
                    return false;
                header = Find<LinkLabel>(*main, MainDialog::IDC_HEADER)->text();
                Click(*main, MainDialog::IDC_EXIT);
                return true;
            },
        });
        EXPECT_FALSE(ConfiguratorApp().InitInstance());
        EXPECT_EQ(driver.Done(), 2u);
        EXPECT_EQ(versionTitle, "Vorn Meshgate2 Configurator - Ver : 2.0.2.4 (16/04/14)");
        EXPECT_TRUE(currentPreselected);
        EXPECT_EQ(header, MainDialog::HeaderText(c.range));
        EXPECT_EQ(SettingsBytes(), Le32(1));
    }
}

TEST(VersionDialogTest, RadioButtonsAreOneExclusiveGroup)
{
    VersionDialog dialog;
    dialog.OnInitDialog();
    dialog.show();
    auto* legacy = Control<QRadioButton>(&dialog, VersionDialog::IDC_LEGACY);
    auto* current = Control<QRadioButton>(&dialog, VersionDialog::IDC_CURRENT);
    ASSERT_TRUE(legacy && current);
    EXPECT_TRUE(current->isChecked());
    QTest::mouseClick(legacy, Qt::LeftButton);
    EXPECT_TRUE(legacy->isChecked());
    EXPECT_FALSE(current->isChecked());
    dialog.UpdateData(true);
    EXPECT_EQ(dialog.selectedRange, 0);
}
