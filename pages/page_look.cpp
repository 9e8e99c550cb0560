#include "pages/page_look.h"

#include "pages/message_boxes.h"
#include "widgets/colour_static.h"
#include "widgets/ip_address_edit.h"
#include "widgets/title_banner.h"
#include "widgets/up_down.h"

#include <QComboBox>

namespace look {

namespace {

constexpr ColourRef kBannerStart = 0x0000FF;  // red
constexpr ColourRef kBannerEnd = 0x323232;    // dark grey
constexpr ColourRef kBannerText = 0xFFFFFF;   // white
constexpr ColourRef kFirmwareText = 0x00FAFA; // yellow
constexpr ColourRef kFirmwareBack = 0x000000; // black

} // namespace

void ShowError(QWidget* parent, const char* text)
{
    MessageBoxes::Show(parent, QString::fromLatin1(text), MessageBoxes::Icon::Stop);
}

std::map<int, ControlFactory> BannerAndFirmwareControls(int bannerId, int firmwareId)
{
    return {
        {bannerId, [](const ControlEntry&, QWidget* parent) -> QWidget* { return new TitleBanner(parent); }},
        {firmwareId, [](const ControlEntry&, QWidget* parent) -> QWidget* { return new ColourStatic(parent); }},
    };
}

void InitTitleBanner(TitleBanner* banner, const char* title)
{
    banner->SetGradientStartColour(kBannerStart);
    banner->SetGradientEndColour(kBannerEnd);
    banner->SetTextColour(kBannerText);
    banner->SetText(QString::fromLatin1(title));
}

void InitFirmwareField(ColourStatic* field, const char* text)
{
    field->SetTextColour(kFirmwareText);
    field->SetBkColour(kFirmwareBack);
    field->SetText(QString::fromLatin1(text));
}

void FillList(QComboBox* list, std::span<const char* const> entries)
{
    list->clear();
    for (const char* entry : entries) {
        list->addItem(QString::fromLatin1(entry));
    }
    list->setCurrentIndex(-1);
}

void FillExchangeList(QComboBox* list, std::span<const char* const> entries)
{
    FillList(list, entries);
    if (list->count() > 0) {
        list->setCurrentIndex(0);
    }
}

void InitAddressControls(QComboBox* modeList, const IpControls& controls)
{
    controls.ip->SetAddress(0);
    controls.mask->SetAddress(0);
    controls.gateway->SetAddress(0);
    FillList(modeList, cards::ModeList());
}

void ApplyModeRule(const QComboBox* modeList, const IpControls& controls)
{
    const int mode = modeList->currentIndex();
    if (mode < 0) {
        return;
    }
    const bool fixedAddresses = mode == cards::kModeStatic;
    controls.mask->setEnabled(fixedAddresses);
    controls.gateway->setEnabled(fixedAddresses);
}

void ResetNodeAddress(UpDown* spin, const cards::NodeAddressRule& rule)
{
    constexpr int kInitialAddress = 1;
    spin->SetRange(rule.minimum, rule.maximum);
    spin->SetPos(kInitialAddress);
}

} // namespace look
