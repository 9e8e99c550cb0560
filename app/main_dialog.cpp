#include "app/main_dialog.h"
#include "app/system_menu.h"

#include "app/about_dialog.h"
#include "app/app_texts.h"
#include "app/assign_port_dialog.h"
#include "app/port_list.h"
#include "app/tab_sheet.h"
#include "app/window_tools.h"
#include "cards/card_info.h"
#include "cards/settings_check.h"
#include "comm/card_transfer.h"
#include "host/open_error.h"
#include "host/port_map.h"
#include "host/settings_file.h"
#include "pages/card_pages.h"
#include "pages/message_boxes.h"
#include "res/dialog_builder.h"
#include "widgets/image_button.h"
#include "widgets/link_label.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

constexpr ColourRef kHeaderColour = 0xFF0000; // blue
constexpr int kHeaderPoints = 10;
constexpr int kStatusPadding = 4; // px around the status line's text

const char* const kCurrentHeader =
    " - Vorn K3\t(Ver >= 3.10h5)\t\t- K4 (Ver >= 1.042)\n - Vorn P3\t(Ver >= 3.10c5)\n - Vorn RK3\t(Ver >=3.10d5)\n";
const char* const kLegacyHeader = " - Vorn K3\t(1.18L <= Ver <= 1.18s3)\n - Vorn P3\t(1.21e <= Ver <= 1.31e)\n - "
                                  "Nodal\t(1.03m <= Ver <= 1.03p)\n - Vorn RK3\t(Ver = 1.000-y1)\n";

// Icons of the four buttons, by resource id.
constexpr int kApplyIcon = 134;
constexpr int kSearchIcon = 135;
constexpr int kExitIcon = 138;
constexpr int kReadIcon = 136;

// Sets a flag for the span of a handler and puts back what it was, so nested handlers (the upload at
// the end of a search) do not clear it early.
class FlagGuard
{
public:
    explicit FlagGuard(bool& raised) : flag(raised), before(raised) { raised = true; }
    ~FlagGuard() { flag = before; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& flag;
    bool before;
};

class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

QString PortName(int number)
{
    return QStringLiteral("COM%1").arg(number);
}

} // namespace

MainDialog::MainDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      appIcon(QStringLiteral(":/icon/128.png"))
{
    // A card's page, tab and template all come from its row: one page serves every card of a bus.
    for (const cards::CardInfo& card : cards::Cards()) {
        if (!cardPages.contains(card.bus))
            cardPages.emplace(card.bus, MakeCardPage(card.bus));
    }
    const auto imageButton = [](const ControlEntry&, QWidget* p) -> QWidget* { return new ImageButton(p); };
    BuildDialog(this, MainTemplate(),
                {
                    {IDC_HEADER, [](const ControlEntry&, QWidget* p) -> QWidget* { return new LinkLabel(p); }},
                    {IDC_SEARCH, imageButton},
                    {IDC_READ, imageButton},
                    {IDC_APPLY, imageButton},
                    {IDC_EXIT, imageButton},
                    {IDC_TABS, [](const ControlEntry&, QWidget* p) -> QWidget* { return new TabSheet(p); }},
                    {IDC_PORTS, [](const ControlEntry&, QWidget* p) -> QWidget* { return new PortList(p); }},
                });
    headerLabel = Control<LinkLabel>(this, IDC_HEADER);
    searchButton = Control<ImageButton>(this, IDC_SEARCH);
    readButton = Control<ImageButton>(this, IDC_READ);
    applyButton = Control<ImageButton>(this, IDC_APPLY);
    exitButton = Control<ImageButton>(this, IDC_EXIT);
    portList = Control<PortList>(this, IDC_PORTS);
    tabSheet = Control<TabSheet>(this, IDC_TABS);

    // One line under the template's controls; the window grows by its height.
    statusLine = new QLabel(this);
    statusLine->setObjectName(QStringLiteral("statusLine"));
    statusLine->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    const int statusHeight = statusLine->fontMetrics().height() + 2 * kStatusPadding;
    const int left = portList->x();
    statusLine->setGeometry(left, height(), tabSheet->geometry().right() + 1 - left, statusHeight);
    setFixedSize(width(), height() + statusHeight + kStatusPadding);

    connect(searchButton, &QPushButton::clicked, this, &MainDialog::OnSearchDevice);
    connect(readButton, &QPushButton::clicked, this, &MainDialog::OnRead);
    connect(applyButton, &QPushButton::clicked, this, &MainDialog::OnOK);
    connect(exitButton, &QPushButton::clicked, this, &MainDialog::OnCancel);
    connect(portList, &QComboBox::currentIndexChanged, this, &MainDialog::OnPortChanged);
    // Choosing the entry shown is no change of selection, yet it names a port that may not be the one in
    // use (none, after a stored 0): open it then.
    connect(portList, &QComboBox::activated, this, [this](int index) {
        if (index + 1 != comPortNumber)
            OnPortChanged();
    });
    // Typed text that names no entry would show a port that is not the one open: put the entry back.
    if (QLineEdit* edit = portList->lineEdit()) {
        connect(edit, &QLineEdit::editingFinished, this, [this] {
            const int named = PortList::PortNamed(portList->currentText());
            if (named < 1 || named > portList->count() || named - 1 == portList->currentIndex())
                portList->ShowEntry();
            else
                portList->setCurrentIndex(named - 1);
        });
    }

    link.Master().SetIdleHook(&MainDialog::KeepPainted, this);
    link.SetProbeObserver(&MainDialog::OnProbe, this);
    // Apply checks the card with one identification read before its first write and reads back what it wrote.
    for (const auto& [bus, page] : cardPages)
        page->downloadChecks = {true, true};
    tools = new WindowTools(
        this, link.Master(),
        [this]() -> BusPage* {
            BusPage* page = tabSheet->GetPage(0);
            return page == &infoPage ? nullptr : page;
        },
        [this] { return firmwareRange; });
    system_menu::AddItem(*this, app_texts::kAboutCommand, app_texts::kAboutItem);
}

MainDialog::~MainDialog()
{
    // A focused edit reports its end of editing while the window's children are deleted, after this
    // object is gone.
    if (QLineEdit* edit = portList->lineEdit())
        edit->disconnect(this);
    delete tools; // its line monitor observes the link's master, which goes with this window
    link.Master().SetIdleHook(nullptr, nullptr);
    link.SetProbeObserver(nullptr, nullptr);
}

int MainDialog::DoModal()
{
    if (!initialised)
        OnInitDialog();
    return exec();
}

QString MainDialog::HeaderText(int range)
{
    return QString::fromLatin1(cards::IsCurrent(range) ? kCurrentHeader : kLegacyHeader);
}

bool MainDialog::OnInitDialog()
{
    initialised = true;
    setWindowIcon(appIcon);
    setWindowTitle(QString::fromLatin1(app_texts::kWindowTitle));

    headerLabel->SetFontName(QStringLiteral("Tahoma"), 0)
        .SetFontSize(kHeaderPoints)
        .SetTextColour(kHeaderColour)
        .SetFontBold(true);
    headerLabel->setText(HeaderText(firmwareRange));

    const std::pair<ImageButton*, int> buttons[] = {
        {applyButton, kApplyIcon}, {searchButton, kSearchIcon}, {exitButton, kExitIcon}, {readButton, kReadIcon}};
    for (const auto& [button, icon] : buttons) {
        button->SetIcons(icon, 0);
        button->SetFlat(false, true);
        button->SetAlign(AlignImageTop, true);
    }

    {
        const QSignalBlocker quiet(portList); // filling the list is not the operator's choice
        portList->clear();
        portList->Refresh(kPortCount);
        comPortNumber = 1;
        portList->setCurrentIndex(0);
        LoadSettings();
    }
    OpenSelectedPort();

    tabSheet->AddPage(QString::fromLatin1(cards::kInfoCaption), &infoPage, InfoPage::kTemplateId);
    tabSheet->SelectPage(0);
    return true;
}

void MainDialog::LoadSettings()
{
    const std::optional<std::int32_t> stored = settings_file::Load();
    if (!stored)
        return; // missing, unreadable or torn: keep COM1
    comPortNumber = *stored;
    if (comPortNumber > 0 && comPortNumber <= portList->count()) {
        const QSignalBlocker quiet(portList);
        portList->setCurrentIndex(comPortNumber - 1);
    } else if (comPortNumber > portList->count()) {
        // The port opened is this one: the list shows it rather than an entry that is not open.
        portList->ShowPortOutside(comPortNumber);
    }
}

void MainDialog::SaveSettings()
{
    settings_file::Save(comPortNumber); // a setting that cannot be written is lost; the window still closes
}

QString MainDialog::OpenFailureDetail(int port, std::string device, int error, const std::string& detail)
{
    if (device.empty())
        device = ports::ResolveComPort(port).path;
    return QString::fromStdString(ExplainOpenFailure(PortName(port).toStdString(), device, error, detail));
}

void MainDialog::OpenSelectedPort()
{
    if (comPortNumber <= 0) {
        SetStatus(QStringLiteral("No port open."));
        return;
    }
    if (link.OpenPort(comPortNumber) == 0) {
        SetStatus(QStringLiteral("%1 could not be opened.").arg(PortName(comPortNumber)));
        MessageBoxes::Show(this, QStringLiteral("Invalid Serial Port"), MessageBoxes::Icon::Stop,
                           OpenFailureDetail(comPortNumber, link.Master().DeviceName(), link.Master().LastOpenError(),
                                             link.Master().LastOpenDetail()));
        return;
    }
    SetStatus(QStringLiteral("%1 open (%2).")
                  .arg(PortName(comPortNumber), QString::fromStdString(link.Master().DeviceName())));
}

void MainDialog::OnPortChanged()
{
    applyButton->setEnabled(false);
    readButton->setEnabled(false);
    const int selected = portList->currentIndex();
    if (selected < 0)
        return;
    comPortNumber = selected + 1;
    const FlagGuard guard(busy);
    OpenSelectedPort();
}

void MainDialog::OnSearchDevice()
{
    const FlagGuard guard(busy);
    const WaitCursor wait;
    // A search starts afresh on the line: after the device went away and came back (an adapter plugged in
    // again, a device server restarted) the handle opened before is dead, and only a new open reaches it.
    QString unopened;
    if (comPortNumber > 0 && link.OpenPort(comPortNumber) == 0)
        unopened = OpenFailureDetail(comPortNumber, link.Master().DeviceName(), link.Master().LastOpenError(),
                                     link.Master().LastOpenDetail());
    if (unopened.isEmpty() && link.Discover() == 1) {
        applyButton->setEnabled(true);
        readButton->setEnabled(true);
        const CardIdentity identity = link.Identify();
        cardCode = identity.cardCode;
        modelIndex = identity.modelIndex;
        SetStatus(QStringLiteral("Instrument found on %1 at slave address %2, card code %3.")
                      .arg(PortName(comPortNumber))
                      .arg(link.SlaveAddress())
                      .arg(cardCode));
        ShowCardPage();
        UploadSettings();
    } else {
        applyButton->setEnabled(false);
        readButton->setEnabled(false);
        SetStatus(unopened.isEmpty() ? QStringLiteral("No device found on %1.").arg(PortName(comPortNumber))
                                     : QStringLiteral("%1 could not be opened.").arg(PortName(comPortNumber)));
        MessageBoxes::Show(this, QStringLiteral("No device found"), MessageBoxes::Icon::None,
                           unopened.isEmpty()
                               ? QString::fromStdString(DiagnoseSearch(link.LastSearch(), link.Master().IsOpen(),
                                                                       {link.Master().DeviceName()}))
                               : unopened);
    }
}

BusPage* MainDialog::PageForCard(std::uint16_t code)
{
    const cards::CardInfo* card = cards::FindCard(code);
    const auto page = card ? cardPages.find(card->bus) : cardPages.end();
    return page != cardPages.end() ? page->second.get() : nullptr;
}

void MainDialog::ShowCardPage()
{
    tabSheet->RemoveAllPages();
    tabSheet->DeleteAllItems();
    const cards::CardInfo* card = cards::FindCard(cardCode);
    BusPage* page = PageForCard(cardCode);
    if (card && page) {
        tabSheet->AddPage(QString::fromLatin1(card->tabCaption), page, static_cast<unsigned>(card->templateId));
        tabSheet->SelectPage(0);
        return;
    }
    tabSheet->AddPage(QString::fromLatin1(cards::kInfoCaption), &infoPage, InfoPage::kTemplateId);
    tabSheet->SelectPage(0);
    MessageBoxes::Show(this, QString::fromLatin1(cards::kUnsupportedMessage), MessageBoxes::Icon::None);
}

void MainDialog::UploadSettings()
{
    BusPage* page = tabSheet->GetPage(0);
    if (!page)
        return;
    const FlagGuard guard(busy);
    page->modelIndex = modelIndex;
    page->cardCode = cardCode;
    page->SetFirmwareRange(firmwareRange);
    // The page's reads end with one of the identification record, so a reply taken out of turn (a line that
    // repeats or delays frames) or another card behind the cable never passes for this card's values.
    TurnCheck turn;
    const int read = link.ReadInTurn([&] { return page->ReadSettings(&link); }, turn);
    if (read != 1) {
        MessageBoxes::Show(this, QStringLiteral("Upload Fail"), MessageBoxes::Icon::Stop);
        return;
    }
    QString why;
    if (turn.outOfTurn)
        why = QStringLiteral("Replies came out of turn (the line repeats or delays frames: check the converter or "
                             "device server). The values shown cannot be trusted.");
    else if (turn.cardCode == 0)
        why = QStringLiteral("The card could not be identified again after reading. The values shown cannot be "
                             "trusted.");
    else if (turn.cardCode != cardCode)
        why = QString::fromStdString(DescribeCardChange(cardCode, turn.cardCode));
    if (why.isEmpty()) {
        MessageBoxes::Show(this, QStringLiteral("Upload Complete"), MessageBoxes::Icon::None);
        return;
    }
    // What the page shows may be another read's answer: Apply must not send it back as if it were read.
    page->ForgetShownValues();
    MessageBoxes::Show(this, QStringLiteral("Upload Fail"), MessageBoxes::Icon::Stop, why);
}

std::optional<QString> MainDialog::CardChanged(const std::optional<QString>& unread)
{
    const std::uint16_t now = link.ReadCardCode();
    if (now == cardCode)
        return std::nullopt;
    if (now == 0)
        return unread;
    return QString::fromStdString(DescribeCardChange(cardCode, now));
}

// Read, as the button asks for it: the card is checked first, so another instrument's values never land on
// this card's page. The upload after a search needs no check: the search has just identified the card.
void MainDialog::OnRead()
{
    BusPage* page = tabSheet->GetPage(0);
    if (page && page != &infoPage) {
        const FlagGuard guard(busy);
        // A record that cannot be read leaves the upload to fail on its own, as it always has; but on a line
        // that is gone no upload can succeed, and a failed one would clear the page of the values last read.
        if (const auto changed = CardChanged(std::nullopt)) {
            MessageBoxes::Show(this, QStringLiteral("Upload Fail"), MessageBoxes::Icon::Stop, *changed);
            return;
        }
        if (LineGone(link.Master().LastAttempts())) {
            SetStatus(QStringLiteral("The line on %1 is gone.").arg(PortName(comPortNumber)));
            MessageBoxes::Show(this, QStringLiteral("Upload Fail"), MessageBoxes::Icon::Stop,
                               QString::fromStdString(
                                   DiagnoseSearch(link.Master().LastAttempts(), true, {link.Master().DeviceName()})) +
                                   QStringLiteral(" Nothing was read: the page shows the values last read."));
            return;
        }
    }
    UploadSettings();
}

void MainDialog::DownloadSettings()
{
    BusPage* page = tabSheet->GetPage(0);
    if (!page)
        return;
    const FlagGuard guard(busy);
    if (page->WriteSettings(&link) == 1)
        MessageBoxes::Show(this, QStringLiteral("Download Complete"), MessageBoxes::Icon::None);
    else
        MessageBoxes::Show(this, QStringLiteral("Download Fail"), MessageBoxes::Icon::Stop, page->FailureDetail());
}

void MainDialog::OnOK()
{
    DownloadSettings();
}

void MainDialog::OnCancel()
{
    if (busy)
        return;
    SaveSettings();
    QDialog::reject();
}

void MainDialog::accept()
{
    OnOK();
}

void MainDialog::reject()
{
    OnCancel();
}

void MainDialog::OnSysCommand(unsigned command)
{
    if (((command & 0xFFFF) & ~0xFu) == app_texts::kAboutCommand) {
        AboutDialog about(this);
        about.exec();
    }
}

// On Windows the window menu is the program's: the about item is there (added at construction).
bool MainDialog::nativeEvent(const QByteArray& eventType, void* message, qintptr* result)
{
    if (const unsigned command = system_menu::Command(eventType, message, app_texts::kAboutCommand); command != 0) {
        OnSysCommand(command);
        *result = 0;
        return true;
    }
    return QDialog::nativeEvent(eventType, message, result);
}

// On Linux the window menu belongs to the window manager, so the about item lives in the context menu and on
// F1 (on Windows as well).
void MainDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        OnSysCommand(app_texts::kAboutCommand);
        return;
    }
    QDialog::keyPressEvent(event);
}

void MainDialog::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    QAction* assign = menu.addAction(QStringLiteral("Assign &Port..."));
    assign->setEnabled(!busy);
    menu.addSeparator();
    QAction* about = menu.addAction(QString::fromLatin1(app_texts::kAboutItem));
    tools->AddTo(menu);
    QAction* chosen = menu.exec(event->globalPos());
    if (chosen == about)
        OnSysCommand(app_texts::kAboutCommand);
    else if (chosen == assign)
        OnAssignPort();
}

void MainDialog::OnAssignPort()
{
    const int number = portList->currentIndex() + 1;
    if (number < 1)
        return;
    AssignPortDialog dialog(ports::ResolveComPort(number), ports::ScanSerialDevices(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const file_io::Result written = ports::Assign(number, dialog.Device());
    if (!written.Ok()) {
        MessageBoxes::Show(this, QStringLiteral("The port could not be assigned"), MessageBoxes::Icon::Stop,
                           QString::fromStdString(written.what));
        return;
    }
    portList->Refresh(kPortCount);
    OnPortChanged(); // reopened at once, as a choice from the list would
}

void MainDialog::SetStatus(const QString& text)
{
    statusLine->setText(text);
}

void MainDialog::KeepPainted(void*)
{
    // Timers and paint events only: no click or key reaches the window while a transaction runs.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void MainDialog::OnProbe(void* context, std::uint8_t address)
{
    auto* self = static_cast<MainDialog*>(context);
    self->SetStatus(QStringLiteral("Searching %1: asking %2...")
                        .arg(PortName(self->comPortNumber), QString::fromStdString(SearchStep(address))));
    KeepPainted(self);
}
