#pragma once

#include "pages/node_address_page.h"

#include <QPointer>

class QPlainTextEdit;

// Profibus cards (codes 1 "COM" and 5 "COMX"): station address and exchange table, with the
// cyclic-data modules of the chosen table shown beneath the list.
class ProfibusPage : public NodeAddressPage
{
    Q_OBJECT
public:
    enum ControlId
    {
        IDC_ADDRESS_CAPTION = 1039,
        IDC_ADDRESS = 1007,
        IDC_ADDRESS_SPIN = 1008,
        IDC_TITLE = 1016,
        IDC_FIRMWARE = 1018,
        IDC_EXCHANGE = 1022,
        IDC_MODULES = 1025,
    };

    ProfibusPage();
    ~ProfibusPage() override;

    int WriteSettings(InstrumentLink* link) override;
    int ReadSettings(InstrumentLink* link) override;
    void SetFirmwareRange(int range) override;

protected:
    bool OnInitDialog() override;
    bool CollectSettings(io::Outgoing& values) override;

private:
    void UpdateModuleText();

    QPointer<QPlainTextEdit> moduleText;
};
