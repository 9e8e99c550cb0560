#include "pages/modbus_tcp_page.h"

#include "cards/parameter_order.h"

ModbusTcpPage::ModbusTcpPage() : AddressModePage(cards::Bus::ModbusTcp, IDC_TITLE, IDC_FIRMWARE) {}

ModbusTcpPage::~ModbusTcpPage() = default;

void ModbusTcpPage::SetFirmwareRange(int range)
{
    // Nothing here depends on the range; it is kept for the next window.
    firmwareRange = range;
}

int ModbusTcpPage::ReadSettings(InstrumentLink* link)
{
    if (!link || !Window()) {
        return 0;
    }
    return ReadAddressSettings(*link) ? 1 : 0;
}

bool ModbusTcpPage::CollectSettings(io::Outgoing& values)
{
    return CollectAddressSettings(values);
}

int ModbusTcpPage::WriteSettings(InstrumentLink* link)
{
    return WriteCollected(link, cards::Bus::ModbusTcp);
}
