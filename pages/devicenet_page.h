#pragma once

#include "bus_page.h"

#include <QPointer>

class QComboBox;
class ColourStatic;
class TitleBanner;
class UpDown;

// DeviceNet cards (codes 2 "COM" and 6 "COMX", the latter without automatic baud rate):
// node address, baud rate and exchange table.
class DeviceNetPage : public BusPage
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 130;
    enum ControlId
    {
        IDC_ADDRESS = 1009,
        IDC_ADDRESS_SPIN = 1010,
        IDC_BAUD = 1011,
        IDC_TITLE = 1017,
        IDC_FIRMWARE = 1019,
        IDC_EXCHANGE = 1020,
    };

    DeviceNetPage();
    ~DeviceNetPage() override;

    int WriteSettings(InstrumentLink* link) override;
    int ReadSettings(InstrumentLink* link) override;
    void SetFirmwareRange(int range) override;

protected:
    std::map<int, ControlFactory> CustomControls() const override;
    bool OnInitDialog() override;

private:
    QPointer<QComboBox> exchangeList;
    QPointer<ColourStatic> firmwareField;
    QPointer<TitleBanner> titleBanner;
    QPointer<QComboBox> baudList;
    QPointer<UpDown> addressSpin;
};
