#include "pages/devicenet_page.h"

#include "cards/card_lists.h"
#include "pages/register_io.h"
#include "widgets/colour_static.h"
#include "widgets/up_down.h"

#include <QComboBox>

DeviceNetPage::DeviceNetPage()
    : NodeAddressPage({cards::Bus::DeviceNet, IDC_TITLE, IDC_FIRMWARE, IDC_EXCHANGE, IDC_ADDRESS_SPIN})
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
    const cards::CardInfo& card = Card();
    // The baud list is rebuilt only when the card answered, so it always matches a card that was seen.
    if (io::ReadFirmwareField(*link, firmwareField, card.firmwarePrefix)) {
        look::FillList(baudList, cards::BaudList(card));
    }

    const bool address = ReadNodeAddress(*link, *card.nodeAddress);
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
