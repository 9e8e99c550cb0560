#include "profibus_page.h"

#include "card_lists.h"
#include "colour_static.h"
#include "instrument_link.h"
#include "parameter_order.h"
#include "register_rules.h"
#include "title_banner.h"
#include "up_down.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>

namespace {

constexpr std::uint16_t kComCard = 1;

// Card code 5 is the "COMX" card; every other code gets the "COM" card's caption, range and prefix.
std::uint16_t Variant(std::uint16_t cardCode)
{
    return cards::IsComxVariant(cardCode) ? cardCode : kComCard;
}

} // namespace

ProfibusPage::ProfibusPage() : BusPage(kTemplateId) {}

ProfibusPage::~ProfibusPage() = default;

std::map<int, ControlFactory> ProfibusPage::CustomControls() const
{
    return rules::BannerAndFirmwareControls(IDC_TITLE, IDC_FIRMWARE);
}

bool ProfibusPage::OnInitDialog()
{
    moduleText = Find<QPlainTextEdit>(IDC_MODULES);
    exchangeList = Find<QComboBox>(IDC_EXCHANGE);
    firmwareField = Find<ColourStatic>(IDC_FIRMWARE);
    titleBanner = Find<TitleBanner>(IDC_TITLE);
    addressSpin = Find<UpDown>(IDC_ADDRESS_SPIN);
    if (!moduleText || !exchangeList || !firmwareField || !titleBanner || !addressSpin) {
        return false;
    }
    connect(exchangeList, &QComboBox::currentIndexChanged, this, &ProfibusPage::UpdateModuleText);

    rules::InitTitleBanner(titleBanner, cards::BusTitle(cards::Bus::Profibus));
    rules::ResetNodeAddress(addressSpin, *cards::FindNodeAddressRule(kComCard));
    rules::InitFirmwareField(firmwareField, cards::kProfibusFirmwareInitial);
    SetFirmwareRange(firmwareRange);
    return true;
}

void ProfibusPage::SetFirmwareRange(int range)
{
    firmwareRange = range;
    if (!exchangeList) {
        return;
    }
    rules::FillExchangeList(exchangeList, cards::ExchangeTable(cards::Bus::Profibus, range));
    UpdateModuleText();
}

void ProfibusPage::UpdateModuleText()
{
    if (!moduleText || !exchangeList) {
        return;
    }
    const char* text = cards::ProfibusModuleText(firmwareRange, exchangeList->currentIndex());
    moduleText->setPlainText(text ? QString::fromLatin1(text) : QString());
}

int ProfibusPage::ReadSettings(InstrumentLink* link)
{
    if (!link || !Window()) {
        return 0;
    }
    const std::uint16_t variant = Variant(cardCode);
    const cards::NodeAddressRule* rule = cards::FindNodeAddressRule(variant);
    if (auto* caption = Find<QLabel>(IDC_ADDRESS_CAPTION)) {
        caption->setText(QString::fromLatin1(rule->caption));
    }
    rules::ResetNodeAddress(addressSpin, *rule);

    rules::ReadFirmwareField(*link, firmwareField, cards::FirmwarePrefix(variant));

    // Only what the variant's control can hold counts as read: a COMX card holding 126 to 128 would
    // otherwise show 125, and the next download would write that back.
    const bool addressValid = rules::ReadNodeAddress(*link, addressSpin, *rule, Window());

    rules::ReadListChoice(*link, exchangeList, cards::kExchangeChoice);
    UpdateModuleText();
    return addressValid ? 1 : 0;
}

int ProfibusPage::WriteSettings(InstrumentLink* link)
{
    if (!link || !Window()) {
        return 0;
    }
    rules::Outgoing values;
    values.nodeAddress = rules::NodeAddressToWrite(addressSpin, Window());
    if (!values.nodeAddress) {
        return 0;
    }
    values.exchangeChoice = rules::SelectedCode(exchangeList);
    return rules::Write(*link, cards::WriteOrder(cards::Bus::Profibus), values);
}
