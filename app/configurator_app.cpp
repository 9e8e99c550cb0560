#include "app/configurator_app.h"

#include "app/main_dialog.h"
#include "app/version_dialog.h"

bool ConfiguratorApp::InitInstance()
{
    VersionDialog version;
    if (version.DoModal() != QDialog::Accepted)
        return false; // no main window, no serial port, no settings file

    MainDialog main;
    main.SetFirmwareRange(version.selectedRange);
    mainWindow = &main;
    main.DoModal();
    mainWindow = nullptr;
    return false;
}
