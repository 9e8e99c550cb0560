#pragma once

#include "bus_page.h"
#include "register_rules.h"

#include <QPointer>

class QComboBox;
class ColourStatic;
class IpAddressEdit;
class TitleBanner;

// Modbus-TCP cards (code 8): address mode and IP address, mask and gateway. The template keeps an
// exchange-table list, disabled and never filled: the card has no exchange-table choice.
class ModbusTcpPage : public BusPage
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 144;
    enum ControlId
    {
        IDC_TITLE = 1046,
        IDC_FIRMWARE = 1045,
        IDC_EXCHANGE = 1042,
        IDC_IP_ADDRESS = 1033,
        IDC_MASK = 1035,
        IDC_GATEWAY = 1037,
        IDC_MODE = 1044,
    };

    ModbusTcpPage();
    ~ModbusTcpPage() override;

    int WriteSettings(InstrumentLink* link) override;
    int ReadSettings(InstrumentLink* link) override;
    void SetFirmwareRange(int range) override;

protected:
    std::map<int, ControlFactory> CustomControls() const override;
    bool OnInitDialog() override;

private slots:
    void OnModeChanged();

private:
    rules::IpControls IpFields() const;

    QPointer<TitleBanner> titleBanner;
    QPointer<ColourStatic> firmwareField;
    QPointer<QComboBox> modeList;
    QPointer<IpAddressEdit> mask;
    QPointer<IpAddressEdit> gateway;
    QPointer<IpAddressEdit> ipAddress;
};
