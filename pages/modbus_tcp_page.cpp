#include "modbus_tcp_page.h"

ModbusTcpPage::ModbusTcpPage() : BusPage(kTemplateId) {}

ModbusTcpPage::~ModbusTcpPage() = default;

int ModbusTcpPage::WriteSettings(InstrumentLink*)
{
    return 0;
}

int ModbusTcpPage::ReadSettings(InstrumentLink*)
{
    return 0;
}

void ModbusTcpPage::SetFirmwareRange(int range)
{
    firmwareRange = range;
}

std::map<int, ControlFactory> ModbusTcpPage::CustomControls() const
{
    return {};
}

bool ModbusTcpPage::OnInitDialog()
{
    return true;
}

void ModbusTcpPage::OnModeChanged() {}
