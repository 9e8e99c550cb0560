#pragma once

#include "cards/card_lists.h"
#include "comm/instrument_link.h"
#include "pages/bus_page.h"
#include "pages/info_page.h"

#include <QDialog>
#include <QIcon>
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

class ImageButton;
class LinkLabel;
class PortList;
class QLabel;
class TabSheet;
class WindowTools;

// The program's one main window: port choice, search, and Read/Apply of the card page it shows.
// Every instrument transaction runs here, on the window's thread, and blocks the window while it lasts;
// the window keeps painting meanwhile and says in its status line what it is waiting for.
class MainDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 102;
    enum ControlId
    {
        IDC_HEADER = 1026,
        IDC_SEARCH = 1002,
        IDC_READ = 1012,
        IDC_APPLY = 1,
        IDC_EXIT = 2,
        IDC_PORTS = 1003,
        IDC_TABS = 1004,
    };
    static constexpr int kPortCount = 9;

    explicit MainDialog(QWidget* parent = nullptr);
    ~MainDialog() override;

    // OnInitDialog (once), then the modal run.
    int DoModal();
    bool OnInitDialog();
    void OnSysCommand(unsigned command);

    // The range chosen in the version dialog; before OnInitDialog, which writes the header from it.
    void SetFirmwareRange(int range) { firmwareRange = range; }
    // How long a reply may take to begin: the instrument's 400 ms unless set (before OnInitDialog).
    void SetReadTimeout(std::uint32_t ms) { link.Master().SetReadTimeout(ms); }

    // The Apply button and Enter download; they never close the window.
    void accept() override;
    // Exit, Escape and the close box save the settings and close (not while a transaction runs).
    void reject() override;

    static QString HeaderText(int firmwareRange);
    // Why a port could not be opened, with what to do about it: the detail under "Invalid Serial Port".
    static QString OpenFailureDetail(int port, std::string device, int error, const std::string& detail = {});

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void OnPortChanged();
    void OnSearchDevice();
    void ShowCardPage();
    void UploadSettings();
    void OnRead();
    void DownloadSettings();
    // One read of the identification record: why the card shown is no longer the instrument's, or nothing
    // when it still is. `unread` is what a failed read says; nothing lets the caller go on.
    std::optional<QString> CardChanged(const std::optional<QString>& unread);
    void OnOK();
    void OnCancel();
    void OpenSelectedPort();
    void OnAssignPort();
    void LoadSettings();
    void SaveSettings();

    BusPage* PageForCard(std::uint16_t code);
    void SetStatus(const QString& text);
    static void KeepPainted(void* context);
    static void OnProbe(void* context, std::uint8_t address);

    LinkLabel* headerLabel = nullptr;
    ImageButton* searchButton = nullptr;
    ImageButton* readButton = nullptr;
    ImageButton* applyButton = nullptr;
    ImageButton* exitButton = nullptr;
    PortList* portList = nullptr;
    TabSheet* tabSheet = nullptr;
    QLabel* statusLine = nullptr; // below the tab sheet: port state, the address being probed
    std::map<cards::Bus, std::unique_ptr<BusPage>> cardPages; // one a bus of the card table, made with the window
    InfoPage infoPage;
    QIcon appIcon;
    InstrumentLink link;
    std::int32_t comPortNumber = 1;
    std::uint16_t cardCode = 0;
    int firmwareRange = 0;
    int modelIndex = cards::kModelNone;
    WindowTools* tools = nullptr; // the line monitor and the settings files, in the context menu
    bool initialised = false;
    bool busy = false; // a transaction is running: the window must not close under it
};
