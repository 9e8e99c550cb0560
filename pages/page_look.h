#pragma once

#include "cards/card_lists.h"
#include "res/dialog_builder.h"

#include <map>
#include <span>

class QComboBox;
class QWidget;
class ColourStatic;
class IpAddressEdit;
class TitleBanner;
class UpDown;

// How the bus pages' controls look and are set up, shared by all of them: the banner and firmware field
// with their colours, the lists, the mode rule, the node address's range. Nothing here talks to the
// instrument (register_io.h does).
namespace look {

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

void ShowError(QWidget* parent, const char* text);

// The two controls every bus page binds to classes of its own: the title banner and the firmware field.
std::map<int, ControlFactory> BannerAndFirmwareControls(int bannerId, int firmwareId);

// Common page set-up: the red-to-grey banner with the bus name, and the yellow-on-black firmware field.
void InitTitleBanner(TitleBanner* banner, const char* title);
void InitFirmwareField(ColourStatic* field, const char* text);

// Empties the list and adds the entries in order (position = code on the wire), selecting none.
void FillList(QComboBox* list, std::span<const char* const> entries);
// As FillList, then selects the first entry when there is one.
void FillExchangeList(QComboBox* list, std::span<const char* const> entries);

// A new window's addresses and mode: 0.0.0.0 everywhere, "STATIC IP" and "DHCP" offered, neither chosen.
void InitAddressControls(QComboBox* modeList, const IpControls& controls);

// The mode rule: "STATIC IP" enables mask and gateway, "DHCP" disables them, no selection changes
// nothing; the IP address control is never disabled.
void ApplyModeRule(const QComboBox* modeList, const IpControls& controls);

// The up-down control of a node address: the rule's range, and position 1, where every window and
// every Profibus upload starts.
void ResetNodeAddress(UpDown* spin, const cards::NodeAddressRule& rule);

} // namespace look
