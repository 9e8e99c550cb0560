#include "devicenet_page.h"

#include "card_lists.h"
#include "colour_static.h"
#include "instrument_link.h"
#include "parameter_order.h"
#include "register_rules.h"
#include "title_banner.h"
#include "up_down.h"

#include <QComboBox>

namespace {

constexpr std::uint16_t kComCard = 2;

// Card code 6 is the "COMX" card; every other code gets the "COM" card's prefix and baud list.
std::uint16_t Variant(std::uint16_t cardCode)
{
    return cards::IsComxVariant(cardCode) ? cardCode : kComCard;
}

} // namespace

DeviceNetPage::DeviceNetPage() : BusPage(kTemplateId) {}

DeviceNetPage::~DeviceNetPage() = default;

std::map<int, ControlFactory> DeviceNetPage::CustomControls() const
{
    return rules::BannerAndFirmwareControls(IDC_TITLE, IDC_FIRMWARE);
}

bool DeviceNetPage::OnInitDialog()
{
    exchangeList = Find<QComboBox>(IDC_EXCHANGE);
    firmwareField = Find<ColourStatic>(IDC_FIRMWARE);
    titleBanner = Find<TitleBanner>(IDC_TITLE);
    baudList = Find<QComboBox>(IDC_BAUD);
    addressSpin = Find<UpDown>(IDC_ADDRESS_SPIN);
    if (!exchangeList || !firmwareField || !titleBanner || !baudList || !addressSpin) {
        return false;
    }
    rules::InitTitleBanner(titleBanner, cards::BusTitle(cards::Bus::DeviceNet));
    rules::ResetNodeAddress(addressSpin, *cards::FindNodeAddressRule(kComCard));
    rules::InitFirmwareField(firmwareField, cards::kFirmwareUnknown);
    SetFirmwareRange(firmwareRange);
    return true;
}

void DeviceNetPage::SetFirmwareRange(int range)
{
    firmwareRange = range;
    if (exchangeList) {
        rules::FillExchangeList(exchangeList, cards::ExchangeTable(cards::Bus::DeviceNet, range));
    }
}

int DeviceNetPage::ReadSettings(InstrumentLink* link)
{
    if (!link || !Window()) {
        return 0;
    }
    const std::uint16_t variant = Variant(cardCode);
    // The baud list is rebuilt only when the card answered, so it always matches a card that was seen.
    if (rules::ReadFirmwareField(*link, firmwareField, cards::FirmwarePrefix(variant))) {
        rules::FillList(baudList, cards::BaudList(variant));
    }

    bool valid = rules::ReadNodeAddress(*link, addressSpin, *cards::FindNodeAddressRule(variant), Window());
    if (const auto baud = rules::ReadValue(*link, cards::kBaudCode)) {
        if (*baud < baudList->count()) {
            baudList->setCurrentIndex(*baud);
            valid = true;
        } else {
            rules::ShowError(Window(), rules::kInvalidBaudRate);
        }
    }

    rules::ReadListChoice(*link, exchangeList, cards::kExchangeChoice);
    return valid ? 1 : 0;
}

int DeviceNetPage::WriteSettings(InstrumentLink* link)
{
    if (!link || !Window()) {
        return 0;
    }
    rules::Outgoing values;
    values.nodeAddress = rules::NodeAddressToWrite(addressSpin, Window());
    if (!values.nodeAddress) {
        return 0;
    }
    values.baudCode = rules::SelectedCode(baudList);
    values.exchangeChoice = rules::SelectedCode(exchangeList);
    return rules::Write(*link, cards::WriteOrder(cards::Bus::DeviceNet), values);
}
