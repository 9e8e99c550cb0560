#pragma once

#include "pages/bus_page.h"

#include <QPointer>

class QComboBox;
class QLabel;
class QLineEdit;
class ColourStatic;
class IpAddressEdit;
class TitleBanner;
class UpDown;

// Profinet cards (code 4): station number and exchange table; the card's addresses are shown only.
// The station name is the model's prefix followed by the number in three digits.
class ProfinetPage : public BusPage
{
    Q_OBJECT
public:
    enum ControlId
    {
        IDC_TITLE = 1032,
        IDC_FIRMWARE = 1029,
        IDC_EXCHANGE = 1030,
        IDC_IP_ADDRESS = 1033,
        IDC_STATION = 1034,
        IDC_MASK = 1035,
        IDC_STATION_SPIN = 1036,
        IDC_GATEWAY = 1037,
        IDC_STATION_PREFIX = 1038,
    };
    static constexpr int kStationMin = 1;
    static constexpr int kStationMax = 255;

    ProfinetPage();
    ~ProfinetPage() override;

    int WriteSettings(InstrumentLink* link) override;
    int ReadSettings(InstrumentLink* link) override;
    void SetFirmwareRange(int range) override;
    bool UpdateData(bool saveAndValidate) override;

    int stationNumber = 1;

protected:
    std::map<int, ControlFactory> CustomControls() const override;
    bool OnInitDialog() override;
    // The station number and exchange table as for a download, and the IP block as shown.
    bool CollectSettings(io::Outgoing& values) override;

private slots:
    void OnStationSpin(int step);

private:
    QPointer<IpAddressEdit> ipAddress;
    QPointer<IpAddressEdit> mask;
    QPointer<IpAddressEdit> gateway;
    QPointer<QLabel> stationPrefix;
    QPointer<QLineEdit> stationEdit;
    QPointer<UpDown> stationSpin;
    QPointer<QComboBox> exchangeList;
    QPointer<ColourStatic> firmwareField;
    QPointer<TitleBanner> titleBanner;
};
