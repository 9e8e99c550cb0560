#include "devicenet_page.h"

DeviceNetPage::DeviceNetPage() : BusPage(kTemplateId) {}

DeviceNetPage::~DeviceNetPage() = default;

int DeviceNetPage::WriteSettings(InstrumentLink*)
{
    return 0;
}

int DeviceNetPage::ReadSettings(InstrumentLink*)
{
    return 0;
}

void DeviceNetPage::SetFirmwareRange(int range)
{
    firmwareRange = range;
}

std::map<int, ControlFactory> DeviceNetPage::CustomControls() const
{
    return {};
}

bool DeviceNetPage::OnInitDialog()
{
    return true;
}
