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
        look::FillExchangeList(exchangeList, cards::ExchangeTable(cards::Bus::EtherNetIp, range));
    }
}

int EtherNetIpPage::ReadSettings(InstrumentLink* link)
{
    if (!link || !Window()) {
        return 0;
    }
    ReadAddressSettings(*link);
    return io::ReadListChoice(*link, exchangeList, cards::kExchangeChoice) ? 1 : 0;
}

int EtherNetIpPage::WriteSettings(InstrumentLink* link)
{
    if (!link || !Window() || !UpdateData(true)) {
        return 0;
    }
    io::Outgoing values;
    PutAddressValues(values);
    values.Put(cards::kExchangeChoice, io::SelectedCode(exchangeList));
    return io::Write(*link, cards::WriteOrder(cards::Bus::EtherNetIp), values);
}
