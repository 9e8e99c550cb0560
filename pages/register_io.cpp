#include "pages/register_io.h"

#include "cards/encoding.h"
#include "cards/parameter_order.h"
#include "cards/parameters.h"
#include "comm/card_transfer.h"
#include "comm/instrument_link.h"
#include "widgets/colour_static.h"
#include "widgets/ip_address_edit.h"
#include "widgets/up_down.h"

#include <QComboBox>
#include <QLineEdit>
#include <algorithm>

namespace io {

namespace {

void SetIp(const look::IpControls& controls, const cards::IpSettings& settings)
{
    controls.ip->SetAddress(settings.ip);
    controls.mask->SetAddress(settings.mask);
    controls.gateway->SetAddress(settings.gateway);
}

} // namespace

bool ReadFirmwareField(InstrumentLink& link, ColourStatic* field, const char* prefix)
{
    char text[InstrumentLink::kFirmwareTextSize] = {};
    if (link.ReadFirmwareText(text) != 1) {
        field->SetText(QString::fromLatin1(cards::kFirmwareUnknown));
        return false;
    }
    // The card's text is at most 19 characters; never trust the terminator to have arrived.
    text[sizeof text - 1] = '\0';
    field->SetText(QString::fromLatin1(prefix) + QString::fromStdString(cards::PrintableText(text)));
    return true;
}

std::optional<std::uint16_t> ReadValue(InstrumentLink& link, const cards::Parameter& parameter)
{
    cards::CardSettings settings;
    if (ReadParameter(link, parameter, settings) != 1) {
        return std::nullopt;
    }
    return cards::ParameterValue(settings, parameter);
}

bool ReadListChoice(InstrumentLink& link, QComboBox* list, const cards::Parameter& parameter)
{
    list->setCurrentIndex(-1);
    const auto code = ReadValue(link, parameter);
    if (!code || *code >= list->count()) {
        return false;
    }
    list->setCurrentIndex(*code);
    return true;
}

bool ReadIpBlock(InstrumentLink& link, const look::IpControls& controls)
{
    cards::CardSettings settings;
    const bool read = ReadParameter(link, cards::kIpBlock, settings) == 1;
    SetIp(controls, read ? settings.ip : cards::IpSettings{});
    return read;
}

bool ReadAddressMode(InstrumentLink& link, QComboBox* modeList, const look::IpControls& controls)
{
    modeList->setCurrentIndex(-1);
    const auto mode = ReadValue(link, cards::kAddressMode);
    if (!mode || *mode >= modeList->count()) {
        return false;
    }
    modeList->setCurrentIndex(*mode);
    look::ApplyModeRule(modeList, controls);
    return true;
}

bool ReadAddressSettings(InstrumentLink& link, ColourStatic* firmwareField, QComboBox* modeList,
                         const look::IpControls& controls)
{
    ReadFirmwareField(link, firmwareField);
    ReadAddressMode(link, modeList, controls);
    return ReadIpBlock(link, controls);
}

AddressRead ReadNodeAddress(InstrumentLink& link, UpDown* spin, const cards::NodeAddressRule& rule)
{
    const auto address = ReadValue(link, cards::kNodeAddress);
    if (!address) {
        return AddressRead::Failed;
    }
    if (!rule.Accepts(*address)) {
        return AddressRead::OutOfRange;
    }
    spin->SetPos(*address);
    return AddressRead::Shown;
}

std::optional<std::uint16_t> SelectedCode(const QComboBox* list)
{
    const int index = list ? list->currentIndex() : -1;
    if (index < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(index);
}

std::optional<std::uint16_t> NodeAddressToWrite(const UpDown* spin)
{
    bool error = false;
    const int position = spin->GetPos(&error);
    if (error) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(position);
}

bool CanShow(const QWidget* control, std::uint32_t value)
{
    if (const auto* list = qobject_cast<const QComboBox*>(control)) {
        return value < static_cast<std::uint32_t>(list->count());
    }
    if (const auto* spin = qobject_cast<const UpDown*>(control)) {
        // By value: std::minmax of two temporaries would hand back references to them.
        const int low = std::min(spin->Lower(), spin->Upper());
        const int high = std::max(spin->Lower(), spin->Upper());
        return value >= static_cast<std::uint32_t>(std::max(low, 0)) && value <= static_cast<std::uint32_t>(high);
    }
    if (qobject_cast<const QLineEdit*>(control)) {
        return value <= 0xFFFF;
    }
    return qobject_cast<const IpAddressEdit*>(control) != nullptr;
}

void Show(QWidget* control, std::uint32_t value)
{
    if (auto* list = qobject_cast<QComboBox*>(control)) {
        list->setCurrentIndex(static_cast<int>(value));
    } else if (auto* spin = qobject_cast<UpDown*>(control)) {
        spin->SetPos(static_cast<int>(value));
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(QString::fromStdString(cards::FormatStationNumber(static_cast<int>(value))));
    } else if (auto* address = qobject_cast<IpAddressEdit*>(control)) {
        address->SetAddress(value);
    }
}

void Outgoing::Put(const cards::Parameter& parameter, std::optional<std::uint16_t> value)
{
    if (value && cards::SetParameterValue(settings, parameter, *value)) {
        held.push_back(parameter);
    }
}

void Outgoing::PutIp(const cards::IpSettings& addresses)
{
    settings.ip = addresses;
    held.push_back(cards::kIpBlock);
}

bool Outgoing::Holds(const cards::Parameter& parameter) const
{
    return std::find(held.begin(), held.end(), parameter) != held.end();
}

void PutAddressValues(Outgoing& values, const QComboBox* modeList, const look::IpControls& controls)
{
    values.Put(cards::kAddressMode, SelectedCode(modeList));
    values.PutIp({controls.ip->GetAddress(), controls.mask->GetAddress(), controls.gateway->GetAddress()});
}

int Write(InstrumentLink& link, cards::Bus bus, std::uint16_t cardCode, const Outgoing& values, QString& detail,
          DownloadChecks checks)
{
    const auto order = cards::WriteOrder(bus);
    const bool complete =
        std::all_of(order.begin(), order.end(), [&](const cards::Parameter& p) { return values.Holds(p); });
    if (!complete) {
        return 0;
    }
    const Download download = DownloadSettings(link, cardCode, order, values.Settings(), checks);
    detail = QString::fromStdString(DescribeDownload(bus, cardCode, download));
    return download.Ok() ? 1 : 0;
}

} // namespace io
