#pragma once

#include "cards/card_info.h"
#include "pages/bus_page.h"
#include "pages/register_io.h"

#include <QPointer>

class QComboBox;
class ColourStatic;
class TitleBanner;
class UpDown;

// What the Profibus and DeviceNet pages share: a node address held by an up-down control, a firmware
// field whose text carries the card variant's prefix, and an exchange table. What differs between the
// bus's variants comes from the card table.
class NodeAddressPage : public BusPage
{
    Q_OBJECT
public:
    struct Layout
    {
        cards::Bus bus;
        int bannerId, firmwareId, exchangeId, spinId;
    };

    void SetFirmwareRange(int range) override;

protected:
    explicit NodeAddressPage(const Layout& layout);

    std::map<int, ControlFactory> CustomControls() const override;
    // Banner, address range and position 1 of the "COM" card, firmware field, SetFirmwareRange.
    // Pages bind their own controls first.
    bool OnInitDialog() override;

    // The card whose caption, address range, firmware prefix and baud list apply: the one the search found,
    // or the bus's base card before that.
    const cards::CardInfo& Card() const;
    // The node address and the exchange table with what `values` holds. An address edit holding no valid
    // position shows "Invalid Address" and passes nothing; so does a placeholder in any control of `held`
    // (besides the address and the exchange table).
    bool CollectNodeSettings(io::Outgoing& values, std::vector<HeldValue> held = {});
    // Reads the node address into the up-down under `rule`; a value outside it shows "Invalid Address".
    // True when a valid address was read.
    bool ReadNodeAddress(InstrumentLink& link, const cards::NodeAddressRule& rule);

    QPointer<QComboBox> exchangeList;
    QPointer<ColourStatic> firmwareField;
    QPointer<UpDown> addressSpin;

private:
    Layout layout;
    QPointer<TitleBanner> titleBanner;
};
