#include "profibus_page.h"

ProfibusPage::ProfibusPage() : BusPage(kTemplateId) {}

ProfibusPage::~ProfibusPage() = default;

int ProfibusPage::WriteSettings(InstrumentLink*)
{
    return 0;
}

int ProfibusPage::ReadSettings(InstrumentLink*)
{
    return 0;
}

void ProfibusPage::SetFirmwareRange(int range)
{
    firmwareRange = range;
}

std::map<int, ControlFactory> ProfibusPage::CustomControls() const
{
    return {};
}

bool ProfibusPage::OnInitDialog()
{
    return true;
}

void ProfibusPage::UpdateModuleText() {}
