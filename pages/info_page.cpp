#include "info_page.h"

#include "title_banner.h"

namespace {
constexpr ColourRef kBannerStart = 0x0000FF; // red
constexpr ColourRef kBannerEnd = 0x323232;   // dark grey
constexpr ColourRef kBannerText = 0xFFFFFF;  // white
} // namespace

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
    return {{IDC_BANNER, [](const ControlSpec&, QWidget* parent) -> QWidget* { return new TitleBanner(parent); }}};
}

bool InfoPage::OnInitDialog()
{
    banner = Find<TitleBanner>(IDC_BANNER);
    if (banner) {
        banner->SetGradientStartColour(kBannerStart);
        banner->SetGradientEndColour(kBannerEnd);
        banner->SetTextColour(kBannerText);
        banner->SetText(QStringLiteral("Meshgate2 Manager"));
    }
    return true;
}

TitleBanner* InfoPage::Banner() const
{
    return banner;
}
