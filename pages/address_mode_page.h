#pragma once

#include "cards/card_info.h"
#include "pages/bus_page.h"
#include "pages/register_io.h"

#include <QPointer>

class QComboBox;
class ColourStatic;
class IpAddressEdit;
class TitleBanner;

// What the pages of the Ethernet cards share: the address mode ("STATIC IP" or "DHCP") with the IP
// address, mask and gateway, laid out alike on both templates (only the banner and the firmware field
// have ids of their own). EtherNet/IP adds the exchange table; Modbus-TCP has nothing more.
class AddressModePage : public BusPage
{
    Q_OBJECT
public:
    enum AddressControlId
    {
        IDC_IP_ADDRESS = 1033,
        IDC_MASK = 1035,
        IDC_GATEWAY = 1037,
        IDC_MODE = 1044,
    };

protected:
    AddressModePage(cards::Bus bus, int bannerId, int firmwareId);

    std::map<int, ControlFactory> CustomControls() const override;
    // Banner, firmware field, SetFirmwareRange, then all three addresses 0.0.0.0 and the mode list
    // offering both modes with neither chosen. Pages bind their own controls first.
    bool OnInitDialog() override;

    // Firmware field, address mode (with the mode rule) and IP block; true when the IP block arrived.
    bool ReadAddressSettings(InstrumentLink& link);
    // The mode and the three addresses as the controls show them (disabled controls included), with what
    // `values` holds; nothing when a control of either holds a placeholder.
    bool CollectAddressSettings(io::Outgoing& values, std::vector<HeldValue> held = {});

private slots:
    void OnModeChanged();

private:
    look::IpControls IpFields() const;

    cards::Bus bus;
    int bannerId;
    int firmwareId;
    QPointer<QComboBox> modeList;
    QPointer<IpAddressEdit> mask;
    QPointer<IpAddressEdit> gateway;
    QPointer<IpAddressEdit> ipAddress;
    QPointer<ColourStatic> firmwareField;
    QPointer<TitleBanner> titleBanner;
};
