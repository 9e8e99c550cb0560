#include "ethernet_ip_page.h"

#include "card_lists.h"
#include "colour_static.h"
#include "instrument_link.h"
#include "ip_address_edit.h"
#include "parameter_order.h"
#include "register_rules.h"
#include "title_banner.h"

#include <QComboBox>

EtherNetIpPage::EtherNetIpPage() : BusPage(kTemplateId) {}

EtherNetIpPage::~EtherNetIpPage() = default;

std::map<int, ControlFactory> EtherNetIpPage::CustomControls() const
{
    return rules::BannerAndFirmwareControls(IDC_TITLE, IDC_FIRMWARE);
}

rules::IpControls EtherNetIpPage::IpFields() const
{
    return {ipAddress, mask, gateway};
}

bool EtherNetIpPage::OnInitDialog()
{
    modeList = Find<QComboBox>(IDC_MODE);
    mask = Find<IpAddressEdit>(IDC_MASK);
    gateway = Find<IpAddressEdit>(IDC_GATEWAY);
    ipAddress = Find<IpAddressEdit>(IDC_IP_ADDRESS);
    firmwareField = Find<ColourStatic>(IDC_FIRMWARE);
    titleBanner = Find<TitleBanner>(IDC_TITLE);
    exchangeList = Find<QComboBox>(IDC_EXCHANGE);
    if (!modeList || !mask || !gateway || !ipAddress || !firmwareField || !titleBanner || !exchangeList) {
        return false;
    }
    connect(modeList, &QComboBox::currentIndexChanged, this, &EtherNetIpPage::OnModeChanged);

    rules::InitTitleBanner(titleBanner, cards::BusTitle(cards::Bus::EtherNetIp));
    rules::InitFirmwareField(firmwareField, cards::kFirmwareUnknown);
    SetFirmwareRange(firmwareRange);
    rules::InitAddressControls(modeList, IpFields());
    return true;
}

void EtherNetIpPage::SetFirmwareRange(int range)
{
    firmwareRange = range;
    if (exchangeList) {
        rules::FillExchangeList(exchangeList, cards::ExchangeTable(cards::Bus::EtherNetIp, range));
    }
}

void EtherNetIpPage::OnModeChanged()
{
    rules::ApplyModeRule(modeList, IpFields());
}

int EtherNetIpPage::ReadSettings(InstrumentLink* link)
{
    if (!link || !Window()) {
        return 0;
    }
    rules::ReadAddressSettings(*link, firmwareField, modeList, IpFields());
    return rules::ReadListChoice(*link, exchangeList, cards::kExchangeChoice) ? 1 : 0;
}

int EtherNetIpPage::WriteSettings(InstrumentLink* link)
{
    if (!link || !Window() || !UpdateData(true)) {
        return 0;
    }
    rules::Outgoing values = rules::AddressValues(modeList, IpFields());
    values.exchangeChoice = rules::SelectedCode(exchangeList);
    return rules::Write(*link, cards::WriteOrder(cards::Bus::EtherNetIp), values);
}
