#include "pages/devicenet_page.h"

#include "cards/card_lists.h"
#include "pages/register_io.h"
#include "widgets/colour_static.h"
#include "widgets/up_down.h"

#include <QComboBox>

namespace {

// The card code of the "COM" card; 5 and 6 are the "COMX" ones.
constexpr std::uint16_t kComCard = 2;

} // namespace

DeviceNetPage::DeviceNetPage()
    : NodeAddressPage({kTemplateId, cards::Bus::DeviceNet, kComCard, cards::kFirmwareUnknown, IDC_TITLE, IDC_FIRMWARE,
                       IDC_EXCHANGE, IDC_ADDRESS_SPIN})
{}

DeviceNetPage::~DeviceNetPage() = default;

bool DeviceNetPage::OnInitDialog()
{
    // The baud list stays empty until a read fills it for the card's variant.
    baudList = Find<QComboBox>(IDC_BAUD);
    if (!baudList || !NodeAddressPage::OnInitDialog()) {
        return false;
    }
    WatchValue(baudList, cards::kBaudCode);
    return true;
}

int DeviceNetPage::ReadSettings(InstrumentLink* link)
{
    if (!link || !Window()) {
        return 0;
    }
    const std::uint16_t variant = Variant();
    // The baud list is rebuilt only when the card answered, so it always matches a card that was seen.
    if (io::ReadFirmwareField(*link, firmwareField, cards::FirmwarePrefix(variant))) {
        look::FillList(baudList, cards::BaudList(variant));
    }

    const bool address = io::ReadNodeAddress(*link, addressSpin, *cards::FindNodeAddressRule(variant), Window());
    SetKnown(addressSpin, address);
    bool baudRate = false;
    if (const auto baud = io::ReadValue(*link, cards::kBaudCode)) {
        if (*baud < baudList->count()) {
            baudList->setCurrentIndex(*baud);
            baudRate = true;
        } else {
            look::ShowError(Window(), look::kInvalidBaudRate);
        }
    }
    SetKnown(baudList, baudRate);

    SetKnown(exchangeList, io::ReadListChoice(*link, exchangeList, cards::kExchangeChoice));
    return address || baudRate ? 1 : 0;
}

bool DeviceNetPage::CollectSettings(io::Outgoing& values)
{
    values.Put(cards::kBaudCode, io::SelectedCode(baudList));
    return CollectNodeSettings(values, {{cards::kBaudCode, baudList}});
}

int DeviceNetPage::WriteSettings(InstrumentLink* link)
{
    return WriteCollected(link, cards::Bus::DeviceNet);
}
