#pragma once

#include "pages/address_mode_page.h"

// Modbus-TCP cards (code 8): address mode and IP address, mask and gateway. The template keeps an
// exchange-table list, disabled and never filled: the card has no exchange-table choice.
class ModbusTcpPage : public AddressModePage
{
    Q_OBJECT
public:
    enum ControlId
    {
        IDC_TITLE = 1046,
        IDC_FIRMWARE = 1045,
        IDC_EXCHANGE = 1042,
    };

    ModbusTcpPage();
    ~ModbusTcpPage() override;

    int WriteSettings(InstrumentLink* link) override;
    int ReadSettings(InstrumentLink* link) override;
    void SetFirmwareRange(int range) override;

protected:
    bool CollectSettings(io::Outgoing& values) override;
};
