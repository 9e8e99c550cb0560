#include "pages/address_mode_page.h"

#include "cards/card_lists.h"
#include "widgets/colour_static.h"
#include "widgets/ip_address_edit.h"
#include "widgets/title_banner.h"

#include <QComboBox>

AddressModePage::AddressModePage(cards::Bus onBus, int banner, int firmware)
    : BusPage(onBus), bus(onBus), bannerId(banner), firmwareId(firmware)
{}

std::map<int, ControlFactory> AddressModePage::CustomControls() const
{
    return look::BannerAndFirmwareControls(bannerId, firmwareId);
}

look::IpControls AddressModePage::IpFields() const
{
    return {ipAddress, mask, gateway};
}

bool AddressModePage::OnInitDialog()
{
    modeList = Find<QComboBox>(IDC_MODE);
    mask = Find<IpAddressEdit>(IDC_MASK);
    gateway = Find<IpAddressEdit>(IDC_GATEWAY);
    ipAddress = Find<IpAddressEdit>(IDC_IP_ADDRESS);
    firmwareField = Find<ColourStatic>(firmwareId);
    titleBanner = Find<TitleBanner>(bannerId);
    if (!modeList || !mask || !gateway || !ipAddress || !firmwareField || !titleBanner) {
        return false;
    }
    connect(modeList, &QComboBox::currentIndexChanged, this, &AddressModePage::OnModeChanged);

    look::InitTitleBanner(titleBanner, cards::BaseCard(bus).title);
    look::InitFirmwareField(firmwareField, cards::kFirmwareUnknown);
    SetFirmwareRange(firmwareRange);
    look::InitAddressControls(modeList, IpFields());
    WatchValue(modeList, cards::kAddressMode);
    WatchValue(ipAddress, cards::kIpBlock, 0);
    WatchValue(mask, cards::kIpBlock, 1);
    WatchValue(gateway, cards::kIpBlock, 2);
    return true;
}

void AddressModePage::OnModeChanged()
{
    look::ApplyModeRule(modeList, IpFields());
}

bool AddressModePage::ReadAddressSettings(InstrumentLink& link)
{
    io::ReadFirmwareField(link, firmwareField);
    SetKnown(modeList, io::ReadAddressMode(link, modeList, IpFields()));
    const bool addresses = io::ReadIpBlock(link, IpFields());
    for (QWidget* control : std::initializer_list<QWidget*>{ipAddress, mask, gateway}) {
        SetKnown(control, addresses);
    }
    return addresses;
}

bool AddressModePage::CollectAddressSettings(io::Outgoing& values, std::vector<HeldValue> held)
{
    if (!UpdateData(true)) {
        return false;
    }
    held.insert(held.begin(), {{cards::kAddressMode, modeList},
                               {cards::kIpBlock, ipAddress},
                               {cards::kIpBlock, mask},
                               {cards::kIpBlock, gateway}});
    if (!AllKnown(bus, held)) {
        return false;
    }
    io::PutAddressValues(values, modeList, IpFields());
    return true;
}
