#include "ethernet_ip_page.h"

#include "card_lists.h"
#include "parameter_order.h"

#include <QComboBox>

EtherNetIpPage::EtherNetIpPage() : AddressModePage(kTemplateId, cards::Bus::EtherNetIp, IDC_TITLE, IDC_FIRMWARE) {}

EtherNetIpPage::~EtherNetIpPage() = default;

bool EtherNetIpPage::OnInitDialog()
{
    // Bound first: the shared set-up fills it through SetFirmwareRange.
    exchangeList = Find<QComboBox>(IDC_EXCHANGE);
    return exchangeList && AddressModePage::OnInitDialog();
}

void EtherNetIpPage::SetFirmwareRange(int range)
{
    firmwareRange = range;
    if (exchangeList) {
        rules::FillExchangeList(exchangeList, cards::ExchangeTable(cards::Bus::EtherNetIp, range));
    }
}

int EtherNetIpPage::ReadSettings(InstrumentLink* link)
{
    if (!link || !Window()) {
        return 0;
    }
    ReadAddressSettings(*link);
    return rules::ReadListChoice(*link, exchangeList, cards::kExchangeChoice) ? 1 : 0;
}

int EtherNetIpPage::WriteSettings(InstrumentLink* link)
{
    if (!link || !Window() || !UpdateData(true)) {
        return 0;
    }
    rules::Outgoing values = AddressValues();
    values.exchangeChoice = rules::SelectedCode(exchangeList);
    return rules::Write(*link, cards::WriteOrder(cards::Bus::EtherNetIp), values);
}
