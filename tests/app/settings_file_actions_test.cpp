// "Save Settings to File..." and "Load Settings from File...": the page's values through the file both
// front ends use, onto the same card; refused files leave the page as it was and write nothing.
#include "app_test_support.h"

#include "app/file_dialogs.h"
#include "host/backup_io.h"
#include "res/dialog_builder.h"

#include <QAbstractButton>
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QTest>
#include <set>

namespace {

using Icon = MessageBoxes::Icon;

BusPage* ShownPage(MainDialog& d)
{
    return Control<TabSheet>(&d, MainDialog::IDC_TABS)->GetPage(0);
}

void Trigger(MainDialog& d, const char* action, const QString& file)
{
    FileDialogs::AnswerNext(file);
    d.findChild<QAction*>(QString::fromLatin1(action))->trigger();
}

// What the page would send, or nothing when it would refuse.
std::optional<cards::CardSettings> PageValues(MainDialog& d)
{
    cards::CardSettings settings;
    return ShownPage(d)->TakeSettings(settings) ? std::optional(settings) : std::nullopt;
}

bool AnyWrite(const sim::Simulator& instrument)
{
    for (const auto& frame : instrument.Requests())
        if (frame.size() > 1 && frame[1] == 0x10)
            return true;
    return false;
}

// The enabled state of the context menu's items, by text, with the right-click on `target` (the window itself
// when none); empty when no menu opened.
std::map<QString, bool> MenuItems(MainDialog& d, QWidget* target = nullptr)
{
    if (target == nullptr)
        target = &d;
    std::map<QString, bool> items;
    QTimer::singleShot(0, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* action : menu->actions())
                if (!action->isSeparator())
                    items[action->text()] = action->isEnabled();
            menu->close();
        }
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10), target->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(target, &event);
    return items;
}

} // namespace

TEST_F(AppTest, SettingsSavedFromTheWindowLoadBackOntoTheSameCard)
{
    for (const std::uint16_t code : std::initializer_list<std::uint16_t>{1, 2, 4, 5, 6, 7, 8}) {
        SCOPED_TRACE(code);
        sim::Config config;
        config.cardCode = code;
        config.nodeAddress = code == 2 || code == 6 ? 5 : 100;
        config.baudCode = 2;
        config.exchangeChoice = 3;
        config.addressMode = 1;
        config.ip = 0x0A000005;
        StartInstrument(config);
        MainDialog& d = OpenMainWindow();
        Click(d, MainDialog::IDC_SEARCH);
        ASSERT_EQ(Texts(MessageBoxes::Take()), std::vector<QString>{"Upload Complete"});
        const auto read = PageValues(d);
        ASSERT_TRUE(read);

        const QString file = folder.filePath(QStringLiteral("card%1.json").arg(code));
        Trigger(d, "saveSettingsAction", file);
        EXPECT_EQ(Texts(MessageBoxes::Take()), std::vector<QString>{"Settings saved to " + file});
        // The file the command line's restore reads.
        cards::Backup saved;
        ASSERT_TRUE(backup_io::LoadBackup(file.toStdString(), saved).Ok());
        EXPECT_EQ(saved.cardCode, code);
        EXPECT_EQ(saved.settings, *read);

        // The instrument changes and is read again, one value failing (a placeholder Apply would refuse);
        // the file brings the page back, writing nothing.
        simulator->SetParameter(0x3011, code == 2 || code == 6 ? 7 : 9);
        simulator->SetParameter(0x3012, 0);
        simulator->SetParameter(0x3013, 0);
        simulator->SetParameter(0x3015, 0);
        sim::Faults unreadable;
        unreadable.failReadOf = code == 8 ? 0x3014 : 0x3013;
        simulator->SetFaults(unreadable);
        Click(d, MainDialog::IDC_READ);
        MessageBoxes::Take();
        EXPECT_FALSE(PageValues(d));
        simulator->SetFaults({});
        simulator->ClearRequests();
        Trigger(d, "loadSettingsAction", file);
        EXPECT_EQ(Texts(MessageBoxes::Take()), std::vector<QString>{"Settings loaded from " + file +
                                                                    ". Press Apply to write them to the instrument."});
        EXPECT_EQ(PageValues(d), read);
        EXPECT_FALSE(AnyWrite(*simulator));

        // Loaded values count as the operator's: Apply writes them.
        Click(d, MainDialog::IDC_APPLY);
        EXPECT_EQ(Texts(MessageBoxes::Take()), std::vector<QString>{"Download Complete"});
        const bool ethernet = code == 7 || code == 8;
        EXPECT_EQ(simulator->Parameter(0x3011), ethernet ? 9 : config.nodeAddress);
        EXPECT_EQ(simulator->Parameter(0x3012), code == 2 || code == 6 ? 2 : 0);
        EXPECT_EQ(simulator->Parameter(0x3013), code == 8 ? 0 : 3);
        EXPECT_EQ(simulator->Parameter(0x3015), ethernet ? 1 : 0);
    }
}

TEST_F(AppTest, RefusedSettingsFilesLeaveThePageAsItWas)
{
    sim::Config config;
    config.cardCode = 7;
    config.exchangeChoice = 2;
    config.faults.failReadOf = 0x3013;
    StartInstrument(config);
    MainDialog& d = OpenMainWindow();
    EXPECT_FALSE(MenuItems(d)[QStringLiteral("&Save Settings to File...")]) << "no card page yet";
    Click(d, MainDialog::IDC_SEARCH);
    MessageBoxes::Take();
    const std::map<QString, bool> items = MenuItems(d);
    EXPECT_TRUE(items.at(QStringLiteral("&Save Settings to File...")));
    EXPECT_TRUE(items.at(QStringLiteral("&Load Settings from File...")));
    EXPECT_TRUE(items.at(QStringLiteral("Line &Monitor...")));
    // Each item has a key of its own: pressing one never picks another item than its own.
    std::set<QKeySequence> keys;
    for (const auto& [text, enabled] : items) {
        EXPECT_FALSE(QKeySequence::mnemonic(text).isEmpty()) << text.toStdString();
        EXPECT_TRUE(keys.insert(QKeySequence::mnemonic(text)).second) << text.toStdString() << " shares its key";
    }
    // The same menu wherever the window is right-clicked: the page, the tab sheet, the status line.
    for (QWidget* target :
         {static_cast<QWidget*>(ShownPage(d)->Window()), static_cast<QWidget*>(Find<TabSheet>(d, MainDialog::IDC_TABS)),
          static_cast<QWidget*>(d.findChild<QLabel*>(QStringLiteral("statusLine")))})
        EXPECT_EQ(MenuItems(d, target), items) << target->metaObject()->className();

    // The exchange table could not be read: saving its placeholder would keep a value nobody read.
    const QString unsaved = folder.filePath(QStringLiteral("unsaved.json"));
    Trigger(d, "saveSettingsAction", unsaved);
    auto shown = MessageBoxes::Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].detail, "Not read from the instrument and not set here: exchange table. Read again, or enter "
                               "the value, before saving; nothing was saved.");
    EXPECT_FALSE(QFile::exists(unsaved));
    simulator->SetFaults({});
    Click(d, MainDialog::IDC_READ);
    MessageBoxes::Take();
    const auto before = PageValues(d);
    ASSERT_TRUE(before);

    // A file as the command line's backup writes it, spoilt in one way each.
    cards::CardSettings good = *before;
    good.exchangeChoice = 4;
    good.addressMode = 0;
    const auto write = [&](const QString& name, const std::string& text) {
        const QString path = folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromStdString(text));
        return path;
    };
    const auto backup = [&](std::uint16_t code, int range, cards::CardSettings settings) {
        return cards::BackupToJson(code, range, settings, "V1.00", "VORN K320").dump();
    };
    cards::CardSettings tooFar = good;
    tooFar.exchangeChoice = 5;
    const std::pair<QString, QString> refused[] = {
        {write("profibus.json", backup(5, cards::kCurrent, good)),
         "The file holds the settings of the Profibus card (code 5); this instrument has the EtherNet/IP card (code "
         "7)."},
        {write("legacy.json", backup(7, cards::kLegacy, good)),
         "The file was saved for the legacy firmware range; this window works with the current range, whose lists "
         "differ."},
        {write("toofar.json", backup(7, cards::kCurrent, tooFar)),
         "the file's exchangeChoice 5: the exchange table of this EtherNet/IP card (code 7) must be entries <1> to <5> "
         "(codes 0 to 4, range current)."},
        {write("corrupt.json", "{\"format\": \"meshgate2-backup\", "),
         "bad backup file: " + folder.filePath("corrupt.json") + " is not valid JSON."},
        {folder.filePath("absent.json"),
         "cannot read " + folder.filePath("absent.json") + ": No such file or directory."},
    };
    simulator->ClearRequests();
    for (const auto& [file, why] : refused) {
        Trigger(d, "loadSettingsAction", file);
        shown = MessageBoxes::Take();
        ASSERT_EQ(shown.size(), 1u) << file.toStdString();
        EXPECT_EQ(shown[0].text, "Settings not loaded");
        EXPECT_EQ(shown[0].icon, Icon::Stop);
        EXPECT_EQ(shown[0].detail, why + " The page is unchanged.");
        EXPECT_EQ(PageValues(d), before) << file.toStdString();
    }
    EXPECT_TRUE(simulator->Requests().empty());

    // The unspoilt file loads.
    Trigger(d, "loadSettingsAction", write("good.json", backup(7, cards::kCurrent, good)));
    EXPECT_EQ(MessageBoxes::Take().size(), 1u);
    EXPECT_EQ(PageValues(d), good);
}
