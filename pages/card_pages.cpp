#include "pages/card_pages.h"

#include "pages/devicenet_page.h"
#include "pages/ethernet_ip_page.h"
#include "pages/modbus_tcp_page.h"
#include "pages/profibus_page.h"
#include "pages/profinet_page.h"

std::unique_ptr<BusPage> MakeCardPage(cards::Bus bus)
{
    // No default: a bus added to the card table without its page here draws a warning (an error in our builds).
    switch (bus) {
    case cards::Bus::Profibus:
        return std::make_unique<ProfibusPage>();
    case cards::Bus::DeviceNet:
        return std::make_unique<DeviceNetPage>();
    case cards::Bus::Profinet:
        return std::make_unique<ProfinetPage>();
    case cards::Bus::EtherNetIp:
        return std::make_unique<EtherNetIpPage>();
    case cards::Bus::ModbusTcp:
        return std::make_unique<ModbusTcpPage>();
    }
    return nullptr;
}
