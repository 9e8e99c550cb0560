#include "modbus_tcp_page.h"

#include "card_lists.h"
#include "colour_static.h"
#include "instrument_link.h"
#include "ip_address_edit.h"
#include "parameter_order.h"
#include "register_rules.h"
#include "title_banner.h"

#include <QComboBox>

ModbusTcpPage::ModbusTcpPage() : BusPage(kTemplateId) {}

ModbusTcpPage::~ModbusTcpPage() = default;

std::map<int, ControlFactory> ModbusTcpPage::CustomControls() const
{
    return rules::BannerAndFirmwareControls(IDC_TITLE, IDC_FIRMWARE);
}

rules::IpControls ModbusTcpPage::IpFields() const
{
    return {ipAddress, mask, gateway};
}

bool ModbusTcpPage::OnInitDialog()
{
    modeList = Find<QComboBox>(IDC_MODE);
    mask = Find<IpAddressEdit>(IDC_MASK);
    gateway = Find<IpAddressEdit>(IDC_GATEWAY);
    ipAddress = Find<IpAddressEdit>(IDC_IP_ADDRESS);
    firmwareField = Find<ColourStatic>(IDC_FIRMWARE);
    titleBanner = Find<TitleBanner>(IDC_TITLE);
    if (!modeList || !mask || !gateway || !ipAddress || !firmwareField || !titleBanner) {
        return false;
    }
    connect(modeList, &QComboBox::currentIndexChanged, this, &ModbusTcpPage::OnModeChanged);

    rules::InitTitleBanner(titleBanner, cards::BusTitle(cards::Bus::ModbusTcp));
    rules::InitFirmwareField(firmwareField, cards::kFirmwareUnknown);
    SetFirmwareRange(firmwareRange);
    rules::InitAddressControls(modeList, IpFields());
    return true;
}

void ModbusTcpPage::SetFirmwareRange(int range)
{
    // Nothing here depends on the range; it is kept for the next window.
    firmwareRange = range;
}

void ModbusTcpPage::OnModeChanged()
{
    rules::ApplyModeRule(modeList, IpFields());
}

int ModbusTcpPage::ReadSettings(InstrumentLink* link)
{
    if (!link || !Window()) {
        return 0;
    }
    return rules::ReadAddressSettings(*link, firmwareField, modeList, IpFields()) ? 1 : 0;
}

int ModbusTcpPage::WriteSettings(InstrumentLink* link)
{
    if (!link || !Window() || !UpdateData(true)) {
        return 0;
    }
    rules::Outgoing values = rules::AddressValues(modeList, IpFields());
    return rules::Write(*link, cards::WriteOrder(cards::Bus::ModbusTcp), values);
}
