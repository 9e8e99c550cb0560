#pragma once

#include "cards/card_lists.h"
#include "cards/card_settings.h"
#include "cards/registers.h"
#include "comm/card_transfer.h"
#include "pages/page_look.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

class QComboBox;
class QWidget;
class ColourStatic;
class InstrumentLink;
class UpDown;

// How the bus pages fill their controls from the instrument and what they write back from them, once for
// all five pages. Values travel through cards::CardSettings and the link's one settings path
// (card_transfer.h), as they do for the command line. Each Read* tells whether the value arrived and was
// shown; Write answers 1 on success and 0 on failure, like the link.
namespace io {

// Firmware field on read: `prefix` and the card's firmware text, or "------" when it cannot be read.
bool ReadFirmwareField(InstrumentLink& link, ColourStatic* field, const char* prefix = "");

// One 16-bit parameter (low byte first on the line); nothing when the read fails.
std::optional<std::uint16_t> ReadValue(InstrumentLink& link, const cards::Parameter& parameter);

// Leaves the list without a selection, reads the code and selects it when it lies within the list.
// True when an entry was selected. Used for the exchange-table choice.
bool ReadListChoice(InstrumentLink& link, QComboBox* list, const cards::Parameter& parameter);

// The IP block into the three controls; all three show 0.0.0.0 when it cannot be read.
bool ReadIpBlock(InstrumentLink& link, const look::IpControls& controls);

// Address mode: the mode list without a selection unless a code below 2 was read; on a selection the
// mode rule is applied.
bool ReadAddressMode(InstrumentLink& link, QComboBox* modeList, const look::IpControls& controls);

// What the EtherNet/IP and Modbus-TCP pages read first: firmware field, address mode, IP block.
// True when the IP block arrived.
bool ReadAddressSettings(InstrumentLink& link, ColourStatic* firmwareField, QComboBox* modeList,
                         const look::IpControls& controls);

// Node address on read: a value the rule accepts becomes the up-down position; any other value leaves the
// position alone, and the page says so.
enum class AddressRead
{
    Failed,     // nothing came
    OutOfRange, // a value came that the rule does not accept
    Shown,
};
AddressRead ReadNodeAddress(InstrumentLink& link, UpDown* spin, const cards::NodeAddressRule& rule);

// The selected entry's code, or nothing when the list has no selection (the download must then fail
// before anything is written, as it does without an address mode).
std::optional<std::uint16_t> SelectedCode(const QComboBox* list);

// Node address for a download: the up-down position, or nothing when its edit holds text that is not a
// position in its range (the control would report its last valid position, and the download would send a
// value other than the one the operator sees).
std::optional<std::uint16_t> NodeAddressToWrite(const UpDown* spin);

// A value from a card-settings file into the control that shows it: the entry of a list, the position
// of an up-down, a station number in its edit (three digits, as a read shows it), one address of the IP
// block. CanShow first, so that a page takes every value of a file or none.
bool CanShow(const QWidget* control, std::uint32_t value);
void Show(QWidget* control, std::uint32_t value);

// The values of one download as the page's controls show them, and which parameters have one.
class Outgoing
{
public:
    // A one-register value; nothing (a list without a selection) leaves the parameter without a value.
    void Put(const cards::Parameter& parameter, std::optional<std::uint16_t> value);
    void PutIp(const cards::IpSettings& addresses);
    bool Holds(const cards::Parameter& parameter) const;
    const cards::CardSettings& Settings() const { return settings; }

private:
    cards::CardSettings settings;
    std::vector<cards::Parameter> held;
};

// The address mode and IP block as the controls show them (disabled controls included).
void PutAddressValues(Outgoing& values, const QComboBox* modeList, const look::IpControls& controls);

// Sends the parameters of the bus's write order one after another through the download both front ends
// share (card_transfer.h), stopping at the first failed write (later parameters stay untouched). When one of
// them has no value, nothing at all is written. When the download fails, `detail` says why: another card
// answers, which write failed and what was and was not written, or which value reads back different.
int Write(InstrumentLink& link, cards::Bus bus, std::uint16_t cardCode, const Outgoing& values, QString& detail,
          DownloadChecks checks);

} // namespace io
