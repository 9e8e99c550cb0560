#include "pages/profibus_page.h"

#include "cards/card_lists.h"
#include "pages/register_io.h"
#include "widgets/colour_static.h"
#include "widgets/up_down.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>

ProfibusPage::ProfibusPage()
    : NodeAddressPage({cards::Bus::Profibus, IDC_TITLE, IDC_FIRMWARE, IDC_EXCHANGE, IDC_ADDRESS_SPIN})
{}

ProfibusPage::~ProfibusPage() = default;

bool ProfibusPage::OnInitDialog()
{
    // Bound first: the shared set-up shows the first entry's modules through SetFirmwareRange.
    moduleText = Find<QPlainTextEdit>(IDC_MODULES);
    if (!moduleText || !NodeAddressPage::OnInitDialog()) {
        return false;
    }
    connect(exchangeList, &QComboBox::currentIndexChanged, this, &ProfibusPage::UpdateModuleText);
    return true;
}

void ProfibusPage::SetFirmwareRange(int range)
{
    NodeAddressPage::SetFirmwareRange(range);
    UpdateModuleText();
}

void ProfibusPage::UpdateModuleText()
{
    if (!moduleText || !exchangeList) {
        return;
    }
    const char* text = cards::ModuleText(Card(), firmwareRange, exchangeList->currentIndex());
    moduleText->setPlainText(text ? QString::fromLatin1(text) : QString());
}

int ProfibusPage::ReadSettings(InstrumentLink* link)
{
    if (!link || !Window()) {
        return 0;
    }
    const cards::CardInfo& card = Card();
    const cards::NodeAddressRule* rule = card.nodeAddress;
    if (auto* caption = Find<QLabel>(IDC_ADDRESS_CAPTION)) {
        caption->setText(QString::fromLatin1(rule->caption));
    }
    look::ResetNodeAddress(addressSpin, *rule);

    io::ReadFirmwareField(*link, firmwareField, card.firmwarePrefix);

    // Only what the variant's control can hold counts as read: a COMX card holding 126 to 128 would
    // otherwise show 125, and the next download would write that back.
    const bool addressValid = ReadNodeAddress(*link, *rule);
    SetKnown(addressSpin, addressValid);

    SetKnown(exchangeList, io::ReadListChoice(*link, exchangeList, cards::kExchangeChoice));
    UpdateModuleText();
    return addressValid ? 1 : 0;
}

bool ProfibusPage::CollectSettings(io::Outgoing& values)
{
    return CollectNodeSettings(values);
}

int ProfibusPage::WriteSettings(InstrumentLink* link)
{
    return WriteCollected(link, cards::Bus::Profibus);
}
