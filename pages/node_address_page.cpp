#include "pages/node_address_page.h"

#include "cards/card_lists.h"
#include "cards/parameter_order.h"
#include "widgets/colour_static.h"
#include "widgets/title_banner.h"
#include "widgets/up_down.h"

#include <QComboBox>

NodeAddressPage::NodeAddressPage(const Layout& pageLayout) : BusPage(pageLayout.bus), layout(pageLayout) {}

std::map<int, ControlFactory> NodeAddressPage::CustomControls() const
{
    return look::BannerAndFirmwareControls(layout.bannerId, layout.firmwareId);
}

bool NodeAddressPage::OnInitDialog()
{
    exchangeList = Find<QComboBox>(layout.exchangeId);
    firmwareField = Find<ColourStatic>(layout.firmwareId);
    titleBanner = Find<TitleBanner>(layout.bannerId);
    addressSpin = Find<UpDown>(layout.spinId);
    if (!exchangeList || !firmwareField || !titleBanner || !addressSpin) {
        return false;
    }
    const cards::CardInfo& base = cards::BaseCard(layout.bus);
    look::InitTitleBanner(titleBanner, base.title);
    look::ResetNodeAddress(addressSpin, *base.nodeAddress);
    look::InitFirmwareField(firmwareField, base.firmwareInitial);
    SetFirmwareRange(firmwareRange);
    WatchValue(addressSpin, cards::kNodeAddress);
    WatchValue(exchangeList, cards::kExchangeChoice);
    return true;
}

void NodeAddressPage::SetFirmwareRange(int range)
{
    firmwareRange = range;
    if (exchangeList) {
        look::FillExchangeList(exchangeList, Card().ExchangeTable(range));
    }
}

const cards::CardInfo& NodeAddressPage::Card() const
{
    return cards::CardOfBus(layout.bus, cardCode);
}

bool NodeAddressPage::ReadNodeAddress(InstrumentLink& link, const cards::NodeAddressRule& rule)
{
    const io::AddressRead read = io::ReadNodeAddress(link, addressSpin, rule);
    if (read == io::AddressRead::OutOfRange) {
        look::ShowError(Window(), look::kInvalidAddress);
    }
    return read == io::AddressRead::Shown;
}

bool NodeAddressPage::CollectNodeSettings(io::Outgoing& values, std::vector<HeldValue> held)
{
    held.insert(held.begin(), {cards::kNodeAddress, addressSpin});
    held.emplace_back(cards::kExchangeChoice, exchangeList);
    if (!AllKnown(layout.bus, held)) {
        return false;
    }
    const auto address = io::NodeAddressToWrite(addressSpin);
    if (!address) {
        look::ShowError(Window(), look::kInvalidAddress);
        return false;
    }
    values.Put(cards::kNodeAddress, address);
    values.Put(cards::kExchangeChoice, io::SelectedCode(exchangeList));
    return true;
}
