#include "pages/info_page.h"

#include "pages/register_io.h"
#include "widgets/title_banner.h"

InfoPage::InfoPage() : BusPage(kTemplateId) {}

InfoPage::~InfoPage() = default;

int InfoPage::WriteSettings(InstrumentLink*)
{
    return 0;
}

int InfoPage::ReadSettings(InstrumentLink*)
{
    return 0;
}

void InfoPage::SetFirmwareRange(int) {}

std::map<int, ControlFactory> InfoPage::CustomControls() const
{
    return {{IDC_BANNER, [](const ControlEntry&, QWidget* parent) -> QWidget* { return new TitleBanner(parent); }}};
}

bool InfoPage::OnInitDialog()
{
    banner = Find<TitleBanner>(IDC_BANNER);
    // The same banner as every bus page's; only the text differs.
    if (banner)
        look::InitTitleBanner(banner, "Meshgate2 Manager");
    return true;
}
