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
    for (QWidget* control : std::initializer_list<QWidget*>{modeList, ipAddress, mask, gateway}) {
        WatchValue(control);
    }
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

int AddressModePage::WriteAddressSettings(InstrumentLink* link, io::Outgoing values, std::vector<HeldValue> held)
{
    failureDetail.clear();
    if (!link || !Window() || !UpdateData(true)) {
        return 0;
    }
    held.insert(held.begin(), {{cards::kAddressMode, modeList},
                               {cards::kIpBlock, ipAddress},
                               {cards::kIpBlock, mask},
                               {cards::kIpBlock, gateway}});
    if (!AllKnown(bus, held)) {
        return 0;
    }
    io::PutAddressValues(values, modeList, IpFields());
    return io::Write(*link, bus, values, failureDetail);
}
