#pragma once

#include "pages/node_address_page.h"

#include <QPointer>

class QComboBox;

// DeviceNet cards (codes 2 "COM" and 6 "COMX", the latter without automatic baud rate):
// node address, baud rate and exchange table.
class DeviceNetPage : public NodeAddressPage
{
    Q_OBJECT
public:
    enum ControlId
    {
        IDC_ADDRESS = 1009,
        IDC_ADDRESS_SPIN = 1010,
        IDC_BAUD = 1011,
        IDC_TITLE = 1017,
        IDC_FIRMWARE = 1019,
        IDC_EXCHANGE = 1020,
    };

    DeviceNetPage();
    ~DeviceNetPage() override;

    int WriteSettings(InstrumentLink* link) override;
    int ReadSettings(InstrumentLink* link) override;

protected:
    bool OnInitDialog() override;
    bool CollectSettings(io::Outgoing& values) override;

private:
    QPointer<QComboBox> baudList;
};
