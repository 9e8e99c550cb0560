#include "address_mode_page.h"

#include "card_lists.h"
#include "colour_static.h"
#include "ip_address_edit.h"
#include "title_banner.h"

#include <QComboBox>

AddressModePage::AddressModePage(int templateId, cards::Bus bus, int bannerId, int firmwareId)
    : BusPage(templateId), bus(bus), bannerId(bannerId), firmwareId(firmwareId)
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

    look::InitTitleBanner(titleBanner, cards::BusTitle(bus));
    look::InitFirmwareField(firmwareField, cards::kFirmwareUnknown);
    SetFirmwareRange(firmwareRange);
    look::InitAddressControls(modeList, IpFields());
    return true;
}

void AddressModePage::OnModeChanged()
{
    look::ApplyModeRule(modeList, IpFields());
}

bool AddressModePage::ReadAddressSettings(InstrumentLink& link)
{
    return io::ReadAddressSettings(link, firmwareField, modeList, IpFields());
}

void AddressModePage::PutAddressValues(io::Outgoing& values) const
{
    io::PutAddressValues(values, modeList, IpFields());
}
