#pragma once

#include "card_lists.h"
#include "dialog_builder.h"
#include "encoding.h"
#include "registers.h"

#include <QString>
#include <cstdint>
#include <map>
#include <optional>
#include <span>

class QComboBox;
class QWidget;
class ColourStatic;
class InstrumentLink;
class IpAddressEdit;
class TitleBanner;
class UpDown;

// The register rules every bus page shares: how a list, an address control or the firmware field is
// filled from the instrument and what is written back from it. One implementation for all five pages,
// so a rule fixed here is fixed on every page. Each Read* tells whether the value arrived and was
// shown; each Write* answers 1 on success and 0 on failure, like the link.
namespace rules {

// The IP address, mask and gateway controls of a page.
struct IpControls
{
    IpAddressEdit* ip;
    IpAddressEdit* mask;
    IpAddressEdit* gateway;
};

// The pages' own messages, both shown with the stop icon.
constexpr const char* kInvalidAddress = "Invalid Address";
constexpr const char* kInvalidBaudRate = "Invalid BaudRate";

// The two controls every bus page binds to classes of its own: the title banner and the firmware field.
std::map<int, ControlFactory> BannerAndFirmwareControls(int bannerId, int firmwareId);

// Common page set-up: the red-to-grey banner with the bus name, and the yellow-on-black firmware field.
void InitTitleBanner(TitleBanner* banner, const char* title);
void InitFirmwareField(ColourStatic* field, const char* text);

void ShowError(QWidget* parent, const char* text);

// Empties the list and adds the entries in order (position = code on the wire), selecting none.
void FillList(QComboBox* list, std::span<const char* const> entries);
// As FillList, then selects the first entry when there is one.
void FillExchangeList(QComboBox* list, std::span<const char* const> entries);

// Firmware field on read: `prefix` and the card's firmware text, or "------" when it cannot be read.
bool ReadFirmwareField(InstrumentLink& link, ColourStatic* field, const char* prefix = "");

// One 16-bit parameter (low byte first on the line); nothing when the read fails.
std::optional<std::uint16_t> ReadValue(InstrumentLink& link, const cards::Parameter& parameter);

// Leaves the list without a selection, reads the code and selects it when it lies within the list.
// True when an entry was selected. Used for the exchange-table choice.
bool ReadListChoice(InstrumentLink& link, QComboBox* list, const cards::Parameter& parameter);

// The IP block into the three controls; all three show 0.0.0.0 when it cannot be read.
bool ReadIpBlock(InstrumentLink& link, const IpControls& controls);

// A new window's addresses and mode: 0.0.0.0 everywhere, "STATIC IP" and "DHCP" offered, neither chosen.
void InitAddressControls(QComboBox* modeList, const IpControls& controls);

// Address mode: the mode list without a selection unless a code below 2 was read; on a selection the
// mode rule is applied. The mode rule: "STATIC IP" enables mask and gateway, "DHCP" disables them,
// no selection changes nothing; the IP address control is never disabled.
bool ReadAddressMode(InstrumentLink& link, QComboBox* modeList, const IpControls& controls);
void ApplyModeRule(const QComboBox* modeList, const IpControls& controls);

// What the EtherNet/IP and Modbus-TCP pages read first: firmware field, address mode, IP block.
// True when the IP block arrived.
bool ReadAddressSettings(InstrumentLink& link, ColourStatic* firmwareField, QComboBox* modeList,
                         const IpControls& controls);

// The selected entry's code, or nothing when the list has no selection (the download must then fail
// before anything is written, as it does without an address mode).
std::optional<std::uint16_t> SelectedCode(const QComboBox* list);

// The up-down control of a node address: the rule's range, and position 1, where every window and
// every Profibus upload starts.
void ResetNodeAddress(UpDown* spin, const cards::NodeAddressRule& rule);

// Node address on read: a value the rule accepts becomes the up-down position; any other value shows
// "Invalid Address" and leaves the position alone. True when a valid address was read.
bool ReadNodeAddress(InstrumentLink& link, UpDown* spin, const cards::NodeAddressRule& rule, QWidget* parent);

// Node address for a download: the up-down position, or "Invalid Address" and nothing when its edit
// holds text that is not a position in its range (the control would report its last valid position,
// and the download would send a value other than the one the operator sees).
std::optional<std::uint16_t> NodeAddressToWrite(const UpDown* spin, QWidget* parent);

// The values of one download, by parameter. Write sends those named in `order` one after another,
// stopping at the first failed write (later parameters stay untouched). When a parameter in `order`
// has no value (a list without a selection), nothing at all is written.
struct Outgoing
{
    std::optional<std::uint16_t> nodeAddress;
    std::optional<std::uint16_t> baudCode;
    std::optional<std::uint16_t> exchangeChoice;
    std::optional<cards::IpSettings> ipBlock;
    std::optional<std::uint16_t> addressMode;
};
// The address mode and IP block as the controls show them (disabled controls included).
Outgoing AddressValues(const QComboBox* modeList, const IpControls& controls);
int Write(InstrumentLink& link, std::span<const cards::Parameter> order, const Outgoing& values);

} // namespace rules
