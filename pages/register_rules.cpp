#include "register_rules.h"

#include "card_lists.h"
#include "colour_static.h"
#include "instrument_link.h"
#include "ip_address_edit.h"
#include "message_boxes.h"
#include "title_banner.h"
#include "up_down.h"

#include <QComboBox>

namespace rules {

namespace {

constexpr ColourRef kBannerStart = 0x0000FF;  // red
constexpr ColourRef kBannerEnd = 0x323232;    // dark grey
constexpr ColourRef kBannerText = 0xFFFFFF;   // white
constexpr ColourRef kFirmwareText = 0x00FAFA; // yellow
constexpr ColourRef kFirmwareBack = 0x000000; // black

void SetIp(const IpControls& controls, const cards::IpSettings& settings)
{
    controls.ip->SetAddress(settings.ip);
    controls.mask->SetAddress(settings.mask);
    controls.gateway->SetAddress(settings.gateway);
}

cards::IpSettings IpFromControls(const IpControls& controls)
{
    return {controls.ip->GetAddress(), controls.mask->GetAddress(), controls.gateway->GetAddress()};
}

} // namespace

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

void ShowError(QWidget* parent, const char* text)
{
    MessageBoxes::Show(parent, QString::fromLatin1(text), MessageBoxes::Icon::Stop);
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

bool ReadFirmwareField(InstrumentLink& link, ColourStatic* field, const char* prefix)
{
    char text[InstrumentLink::kFirmwareTextSize] = {};
    if (link.ReadFirmwareText(text) != 1) {
        field->SetText(QString::fromLatin1(cards::kFirmwareUnknown));
        return false;
    }
    // The card's text is at most 19 characters; never trust the terminator to have arrived.
    text[sizeof text - 1] = '\0';
    field->SetText(QString::fromLatin1(prefix) + QString::fromLatin1(text));
    return true;
}

std::optional<std::uint16_t> ReadValue(InstrumentLink& link, const cards::Parameter& parameter)
{
    std::uint16_t value = 0;
    if (link.ReadRegister(parameter.start, &value) != 1) {
        return std::nullopt;
    }
    return value;
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

bool ReadIpBlock(InstrumentLink& link, const IpControls& controls)
{
    cards::IpBlock block{};
    if (link.ReadBlock(cards::kIpBlock.start, cards::kIpBlock.Bytes(), block.data()) != 1) {
        SetIp(controls, {});
        return false;
    }
    SetIp(controls, cards::DecodeIpBlock(block));
    return true;
}

void InitAddressControls(QComboBox* modeList, const IpControls& controls)
{
    SetIp(controls, {});
    FillList(modeList, cards::ModeList());
}

bool ReadAddressMode(InstrumentLink& link, QComboBox* modeList, const IpControls& controls)
{
    modeList->setCurrentIndex(-1);
    std::array<std::uint8_t, 2> bytes{};
    if (link.ReadBlock(cards::kAddressMode.start, cards::kAddressMode.Bytes(), bytes.data()) != 1) {
        return false;
    }
    const std::uint16_t mode = cards::DecodeU16(bytes);
    if (mode >= modeList->count()) {
        return false;
    }
    modeList->setCurrentIndex(mode);
    ApplyModeRule(modeList, controls);
    return true;
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

bool ReadAddressSettings(InstrumentLink& link, ColourStatic* firmwareField, QComboBox* modeList,
                         const IpControls& controls)
{
    ReadFirmwareField(link, firmwareField);
    ReadAddressMode(link, modeList, controls);
    return ReadIpBlock(link, controls);
}

std::optional<std::uint16_t> SelectedCode(const QComboBox* list)
{
    const int index = list ? list->currentIndex() : -1;
    if (index < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(index);
}

void ResetNodeAddress(UpDown* spin, const cards::NodeAddressRule& rule)
{
    constexpr int kInitialAddress = 1;
    spin->SetRange(rule.minimum, rule.maximum);
    spin->SetPos(kInitialAddress);
}

bool ReadNodeAddress(InstrumentLink& link, UpDown* spin, const cards::NodeAddressRule& rule, QWidget* parent)
{
    const auto address = ReadValue(link, cards::kNodeAddress);
    if (!address) {
        return false;
    }
    if (!rule.Accepts(*address)) {
        ShowError(parent, kInvalidAddress);
        return false;
    }
    spin->SetPos(*address);
    return true;
}

std::optional<std::uint16_t> NodeAddressToWrite(const UpDown* spin, QWidget* parent)
{
    bool error = false;
    const int position = spin->GetPos(&error);
    if (error) {
        ShowError(parent, kInvalidAddress);
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(position);
}

namespace {

int WriteValue(InstrumentLink& link, const cards::Parameter& parameter, const std::optional<std::uint16_t>& value)
{
    return value && link.WriteRegister(parameter.start, *value) == 1 ? 1 : 0;
}

bool HasValue(const cards::Parameter& parameter, const Outgoing& values)
{
    switch (parameter.start) {
    case cards::kNodeAddress.start:
        return values.nodeAddress.has_value();
    case cards::kBaudCode.start:
        return values.baudCode.has_value();
    case cards::kExchangeChoice.start:
        return values.exchangeChoice.has_value();
    case cards::kIpBlock.start:
        return values.ipBlock.has_value();
    case cards::kAddressMode.start:
        return values.addressMode.has_value();
    default:
        return false;
    }
}

} // namespace

Outgoing AddressValues(const QComboBox* modeList, const IpControls& controls)
{
    Outgoing values;
    values.addressMode = SelectedCode(modeList);
    values.ipBlock = IpFromControls(controls);
    return values;
}

int Write(InstrumentLink& link, std::span<const cards::Parameter> order, const Outgoing& values)
{
    for (const cards::Parameter& parameter : order) {
        if (!HasValue(parameter, values)) {
            return 0;
        }
    }
    for (const cards::Parameter& parameter : order) {
        int result = 0;
        switch (parameter.start) {
        case cards::kNodeAddress.start:
            result = WriteValue(link, parameter, values.nodeAddress);
            break;
        case cards::kBaudCode.start:
            result = WriteValue(link, parameter, values.baudCode);
            break;
        case cards::kExchangeChoice.start:
            result = WriteValue(link, parameter, values.exchangeChoice);
            break;
        case cards::kIpBlock.start:
            if (values.ipBlock) {
                cards::IpBlock block{};
                cards::EncodeIpBlock(*values.ipBlock, block);
                result = link.WriteBlock(parameter.start, parameter.Bytes(), block.data());
            }
            break;
        case cards::kAddressMode.start:
            if (values.addressMode) {
                std::array<std::uint8_t, 2> bytes{};
                cards::EncodeU16(*values.addressMode, bytes);
                result = link.WriteBlock(parameter.start, parameter.Bytes(), bytes.data());
            }
            break;
        default:
            break;
        }
        if (result != 1) {
            return 0;
        }
    }
    return 1;
}

} // namespace rules
