#include "profinet_page.h"

ProfinetPage::ProfinetPage() : BusPage(kTemplateId) {}

ProfinetPage::~ProfinetPage() = default;

int ProfinetPage::WriteSettings(InstrumentLink*)
{
    return 0;
}

int ProfinetPage::ReadSettings(InstrumentLink*)
{
    return 0;
}

void ProfinetPage::SetFirmwareRange(int range)
{
    firmwareRange = range;
}

std::map<int, ControlFactory> ProfinetPage::CustomControls() const
{
    return {};
}

bool ProfinetPage::OnInitDialog()
{
    return true;
}

bool ProfinetPage::UpdateData(bool)
{
    return true;
}

void ProfinetPage::OnStationSpin(int) {}
