#include "pages/ethernet_ip_page.h"

#include "cards/card_lists.h"
#include "cards/parameter_order.h"

#include <QComboBox>

EtherNetIpPage::EtherNetIpPage() : AddressModePage(cards::Bus::EtherNetIp, IDC_TITLE, IDC_FIRMWARE) {}

EtherNetIpPage::~EtherNetIpPage() = default;

bool EtherNetIpPage::OnInitDialog()
{
    // Bound first: the shared set-up fills it through SetFirmwareRange.
    exchangeList = Find<QComboBox>(IDC_EXCHANGE);
    if (!exchangeList || !AddressModePage::OnInitDialog()) {
        return false;
    }
    WatchValue(exchangeList, cards::kExchangeChoice);
    return true;
}

void EtherNetIpPage::SetFirmwareRange(int range)
{
    firmwareRange = range;
    if (exchangeList) {
        look::FillExchangeList(exchangeList, cards::BaseCard(cards::Bus::EtherNetIp).ExchangeTable(range));
    }
}

int EtherNetIpPage::ReadSettings(InstrumentLink* link)
{
    if (!link || !Window()) {
        return 0;
    }
    ReadAddressSettings(*link);
    const bool exchange = io::ReadListChoice(*link, exchangeList, cards::kExchangeChoice);
    SetKnown(exchangeList, exchange);
    return exchange ? 1 : 0;
}

bool EtherNetIpPage::CollectSettings(io::Outgoing& values)
{
    values.Put(cards::kExchangeChoice, io::SelectedCode(exchangeList));
    return CollectAddressSettings(values, {{cards::kExchangeChoice, exchangeList}});
}

int EtherNetIpPage::WriteSettings(InstrumentLink* link)
{
    return WriteCollected(link, cards::Bus::EtherNetIp);
}
