#include "ethernet_ip_page.h"

EtherNetIpPage::EtherNetIpPage() : BusPage(kTemplateId) {}

EtherNetIpPage::~EtherNetIpPage() = default;

int EtherNetIpPage::WriteSettings(InstrumentLink*)
{
    return 0;
}

int EtherNetIpPage::ReadSettings(InstrumentLink*)
{
    return 0;
}

void EtherNetIpPage::SetFirmwareRange(int range)
{
    firmwareRange = range;
}

std::map<int, ControlFactory> EtherNetIpPage::CustomControls() const
{
    return {};
}

bool EtherNetIpPage::OnInitDialog()
{
    return true;
}

void EtherNetIpPage::OnModeChanged() {}
