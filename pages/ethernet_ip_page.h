#pragma once

#include "pages/address_mode_page.h"

#include <QPointer>

class QComboBox;

// EtherNet/IP cards (code 7): address mode, IP address, mask and gateway, and exchange table.
class EtherNetIpPage : public AddressModePage
{
    Q_OBJECT
public:
    enum ControlId
    {
        IDC_TITLE = 1040,
        IDC_FIRMWARE = 1041,
        IDC_EXCHANGE = 1042,
    };

    EtherNetIpPage();
    ~EtherNetIpPage() override;

    int WriteSettings(InstrumentLink* link) override;
    int ReadSettings(InstrumentLink* link) override;
    void SetFirmwareRange(int range) override;

protected:
    bool OnInitDialog() override;
    bool CollectSettings(io::Outgoing& values) override;

private:
    QPointer<QComboBox> exchangeList;
};
