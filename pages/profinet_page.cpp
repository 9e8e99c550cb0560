#include "pages/profinet_page.h"

#include "cards/card_lists.h"
#include "cards/parameter_order.h"
#include "comm/instrument_link.h"
#include "pages/message_boxes.h"
#include "pages/register_io.h"
#include "widgets/colour_static.h"
#include "widgets/ip_address_edit.h"
#include "widgets/title_banner.h"
#include "widgets/up_down.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>
#include <climits>

namespace {

constexpr const char* kStationRangeMessage = "Please enter an integer between 1 and 255.";

// The number the edit's text starts with, as atoi reads it (no number: 0), but saturating instead of
// overflowing on a long run of digits.
int LeadingNumber(const QString& text)
{
    long long number = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            break;
        }
        number = std::min<long long>(number * 10 + (c.unicode() - '0'), INT_MAX);
    }
    return static_cast<int>(number);
}

} // namespace

ProfinetPage::ProfinetPage() : BusPage(cards::Bus::Profinet) {}

ProfinetPage::~ProfinetPage() = default;

std::map<int, ControlFactory> ProfinetPage::CustomControls() const
{
    return look::BannerAndFirmwareControls(IDC_TITLE, IDC_FIRMWARE);
}

bool ProfinetPage::OnInitDialog()
{
    ipAddress = Find<IpAddressEdit>(IDC_IP_ADDRESS);
    mask = Find<IpAddressEdit>(IDC_MASK);
    gateway = Find<IpAddressEdit>(IDC_GATEWAY);
    stationPrefix = Find<QLabel>(IDC_STATION_PREFIX);
    stationEdit = Find<QLineEdit>(IDC_STATION);
    stationSpin = Find<UpDown>(IDC_STATION_SPIN);
    exchangeList = Find<QComboBox>(IDC_EXCHANGE);
    firmwareField = Find<ColourStatic>(IDC_FIRMWARE);
    titleBanner = Find<TitleBanner>(IDC_TITLE);
    if (!ipAddress || !mask || !gateway || !stationPrefix || !stationEdit || !stationSpin || !exchangeList ||
        !firmwareField || !titleBanner) {
        return false;
    }
    connect(stationSpin, &UpDown::DeltaPos, this, &ProfinetPage::OnStationSpin);

    UpdateData(false);
    look::InitTitleBanner(titleBanner, cards::BaseCard(cards::Bus::Profinet).title);
    look::InitFirmwareField(firmwareField, cards::kFirmwareUnknown);
    SetFirmwareRange(firmwareRange);
    stationSpin->SetRange(kStationMin, kStationMax);
    WatchValue(stationEdit, cards::kNodeAddress);
    WatchValue(exchangeList, cards::kExchangeChoice);
    return true;
}

void ProfinetPage::SetFirmwareRange(int range)
{
    firmwareRange = range;
    if (exchangeList) {
        look::FillExchangeList(exchangeList, cards::BaseCard(cards::Bus::Profinet).ExchangeTable(range));
    }
}

bool ProfinetPage::UpdateData(bool saveAndValidate)
{
    if (!stationEdit) {
        return false;
    }
    if (!saveAndValidate) {
        stationEdit->setText(QString::number(stationNumber));
        return true;
    }
    const auto number = cards::ParseStationNumber(stationEdit->text().toStdString());
    if (!number) {
        MessageBoxes::Show(Window(), QString::fromLatin1(kStationRangeMessage), MessageBoxes::Icon::Stop);
        stationEdit->setFocus();
        stationEdit->selectAll();
        return false;
    }
    stationNumber = *number;
    return true;
}

void ProfinetPage::OnStationSpin(int step)
{
    if (!stationEdit) {
        return;
    }
    int number = LeadingNumber(stationEdit->text());
    const bool atTop = step > 0 && number >= kStationMax;
    const bool atBottom = step < 0 && number <= kStationMin;
    if (!atTop && !atBottom) {
        number += step;
    }
    number = std::clamp(number, kStationMin, kStationMax);
    stationEdit->setText(QString::fromStdString(cards::FormatStationNumber(number)));
    SetKnown(stationEdit, true); // the operator's arrows set it
}

int ProfinetPage::ReadSettings(InstrumentLink* link)
{
    if (!link || !Window()) {
        return 0;
    }
    io::ReadFirmwareField(*link, firmwareField);
    // Shown as stored, whatever it holds; only a download checks the range.
    const auto number = io::ReadValue(*link, cards::kNodeAddress);
    if (number) {
        stationEdit->setText(QString::fromStdString(cards::FormatStationNumber(*number)));
    }
    SetKnown(stationEdit, number.has_value());
    io::ReadIpBlock(*link, {ipAddress, mask, gateway});
    stationPrefix->setText(QString::fromLatin1(cards::StationNamePrefix(modelIndex)));
    const bool exchange = io::ReadListChoice(*link, exchangeList, cards::kExchangeChoice);
    SetKnown(exchangeList, exchange);
    return exchange ? 1 : 0;
}

bool ProfinetPage::CollectSettings(io::Outgoing& values)
{
    if (!AllKnown(cards::Bus::Profinet, {{cards::kNodeAddress, stationEdit}, {cards::kExchangeChoice, exchangeList}}) ||
        !UpdateData(true)) {
        return false;
    }
    values.Put(cards::kNodeAddress, static_cast<std::uint16_t>(stationNumber));
    values.Put(cards::kExchangeChoice, io::SelectedCode(exchangeList));
    // Never written (the card takes it from its network), but a settings file keeps it as read.
    values.PutIp({ipAddress->GetAddress(), mask->GetAddress(), gateway->GetAddress()});
    return true;
}

int ProfinetPage::WriteSettings(InstrumentLink* link)
{
    return WriteCollected(link, cards::Bus::Profinet);
}
