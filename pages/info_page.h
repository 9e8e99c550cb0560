#pragma once

#include "pages/bus_page.h"

#include <QPointer>

class TitleBanner;

// The page shown under "INFO" while no card page applies: a banner, the supported buses and a picture.
// It configures nothing, so reads and writes fail at once without touching the instrument.
class InfoPage : public BusPage
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = cards::kInfoTemplateId;
    static constexpr int IDC_BANNER = 1015;

    InfoPage();
    ~InfoPage() override;

    int WriteSettings(InstrumentLink* link) override;
    int ReadSettings(InstrumentLink* link) override;
    void SetFirmwareRange(int range) override;

protected:
    std::map<int, ControlFactory> CustomControls() const override;
    bool OnInitDialog() override;

private:
    QPointer<TitleBanner> banner;
};
