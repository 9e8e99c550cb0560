#pragma once

#include "bus_page.h"
#include "register_rules.h"

#include <QPointer>

class QComboBox;
class ColourStatic;
class IpAddressEdit;
class TitleBanner;

// EtherNet/IP cards (code 7): address mode, IP address, mask and gateway, and exchange table.
class EtherNetIpPage : public BusPage
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 143;
    enum ControlId
    {
        IDC_TITLE = 1040,
        IDC_FIRMWARE = 1041,
        IDC_EXCHANGE = 1042,
        IDC_IP_ADDRESS = 1033,
        IDC_MASK = 1035,
        IDC_GATEWAY = 1037,
        IDC_MODE = 1044,
    };

    EtherNetIpPage();
    ~EtherNetIpPage() override;

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

    QPointer<QComboBox> modeList;
    QPointer<IpAddressEdit> mask;
    QPointer<IpAddressEdit> gateway;
    QPointer<IpAddressEdit> ipAddress;
    QPointer<ColourStatic> firmwareField;
    QPointer<TitleBanner> titleBanner;
    QPointer<QComboBox> exchangeList;
};
